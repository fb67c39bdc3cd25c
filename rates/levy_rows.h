#pragma once
// The rows LoadLevyTables writes into FW_LEVY for 2010 to 2012, and the 2011 public holidays it records, in the
// order it writes them. The fixed data (CPF classes, the levy grid and its descriptions) is in levy_rows.cpp.

#include <string>
#include <variant>
#include <vector>

#include "support/calendar.h"
#include "support/currency.h"

namespace kv::rates {

// One FW_LEVY row as PutLevyRow takes it. The daily rate is the one passed; PutLevyRow may replace it with the
// derived one (daily_rate.h).
struct LevyRow {
  std::string YEAR;         // "2010"
  std::string PERIOD_PART;  // "1" or "2"
  std::string CLASS;        // "CW1", "CLASS1", ...
  std::string CATEGORY;     // "FWL" for levy classes; "CLS", "CLA", "NON", "PR" for CPF classes
  std::string DESC;
  kv::Currency MAX_PER_MTH;
  kv::Currency DAILY_RATE;
};

// One PUBLIC row as AddPublicHoliday takes it.
struct PublicHoliday {
  std::string FINPERIOD;  // "2011"
  std::string DESC;       // "Labour Day*"
  kv::Date DATE;
};

using LevyTableWrite = std::variant<LevyRow, PublicHoliday>;

// Every write of LoadLevyTables, in its order: the 2010 class rows (the voluntary schemes, "NONE" for all six
// year parts, the part-2 classes), the 2010 levy rows, "CLASS1" of 2010 part 1, the 2011 class rows of part 1
// then part 2, the 2011 levy rows, the three 2011 holidays, the 2012 class rows, the 2012 levy rows. A "NONE"
// row is written twice: first as "NONE (Employment Pass)" for every year part, later as "EP HOLDER" for every
// year part after 2010 part 1.
const std::vector<LevyTableWrite>& LevyTableWrites();

}  // namespace kv::rates
