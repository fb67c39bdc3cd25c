#pragma once
// The writers of FW_LEVY and PUBLIC rows.
//
//   PutLevyRow        FW_LEVY, overwrite: a live "SELECT * FROM FW_LEVY " through AdsQuery1 in the order of the
//                     four-field key YEAR;CLASS;CATEGORY;PERIOD_PART; a found row gets the description and both
//                     amounts, a missing one is appended. 2011 part 2 and later rows with a daily rate store the
//                     derived one (daily_rate.h). When the query cannot be opened in that order, the failure is
//                     shown (its text + " SQL :" + the statement), the key index is made and the open tried once
//                     more; any other failure goes to the caller. The query is left open on FW_LEVY.
//   AddPublicHoliday  PUBLIC, insert if absent: searched on FINPERIOD;DATE;STATE with an empty state through
//                     AdsTable1. Any failure is shown with its text alone and the load goes on; AdsTable1 is
//                     closed in every case.
//   AddLevyRow        FW_LEVY, insert if absent: a levy class (category "FWL") searched on YEAR;CLASS;CATEGORY
//                     through the open table given, the amounts given as text.
//
// A row appended by a copy or by AddLevyRow gets PERIOD_PART "1" where the table has that column, as the levy
// preparation gives every row without a part; see MarkFirstPart.

#include <string>

#include "engine/query.h"
#include "engine/table.h"
#include "platform/ui.h"
#include "rates/levy_rows.h"

namespace kv::rates {

void PutLevyRow(engine::TAdsQuery& AdsQuery1, kv::ui::UserInterface& ui, const LevyRow& row);
void AddPublicHoliday(engine::TAdsTable& AdsTable1, kv::ui::UserInterface& ui, const PublicHoliday& holiday);
void AddLevyRow(engine::TAdsTable& AdsTable2, const std::string& year, const std::string& levyClass,
                const std::string& description, const std::string& monthly, const std::string& daily);

// The row being appended to FW_LEVY gets PERIOD_PART "1" when the table has that column, so that a copied row
// lands in the key space of the rows the levy preparation has given a part, not outside it until the next run.
void MarkFirstPart(engine::TAdsDataSet& levy);

}  // namespace kv::rates
