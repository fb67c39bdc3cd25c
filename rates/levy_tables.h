#pragma once
// The foreign worker levy loaders: each brings FW_LEVY (and PUBLIC, PAYPARA1) up to date through the window's
// own objects, which the console passes in (this layer sits below the window and never sees it).
//
//   LoadLevyTables      the CPF class and levy rows of 2010 to 2012 (overwrite, on the four-field key) and the
//                       three 2011 public holidays (insert if absent), in the order of LevyTableWrites
//   CopyLevy2004To2005  PAYPARA1's SDF parameters of 2004 to 2005; the 2004 levy rows to 2005, with the 2004
//                       "SPASS" row first when missing and every 2005 row of maximum 30 raised to 50 / 2
//   CopyLevy2007To2008  the 2007 levy rows to 2008 (found rows are kept), "CLASS1" renamed, the 80 / 100 rows
//                       other than "SPASS" raised to 150 / 5, and the 2008 "CW3" row when missing
//
// A company without FW_LEVY (or without PAYPARA1, for its part of the 2004 copy) has nothing to bring up to
// date: the loaders leave it alone, as the column requests on a missing table do. Otherwise they catch only
// what the writers say they catch (levy_writers.h): an engine failure ends the loader where it happened, the
// rows written before it stay, and a later run completes the set.

#include "engine/query.h"
#include "engine/table.h"
#include "platform/ui.h"

namespace kv::rates {

// The window's objects the loaders work through, all on the company connection AdsConnection1.
struct LevyTables {
  engine::TAdsQuery& AdsQuery1;  // PutLevyRow's live query; left open on FW_LEVY by LoadLevyTables
  engine::TAdsTable& AdsTable1;  // work table, exclusive by design: the copies open it shared, then set it back
  engine::TAdsTable& AdsTable2;  // second work table of the copies; left closed
  kv::ui::UserInterface& ui;
};

void LoadLevyTables(const LevyTables& tables);
void CopyLevy2004To2005(const LevyTables& tables);
void CopyLevy2007To2008(const LevyTables& tables);

}  // namespace kv::rates
