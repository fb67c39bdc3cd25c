#pragma once
// What the employee and payroll record conversions use of the main window. The conversions sit below the
// console, so the window hands its placed objects in by reference; each conversion leaves the objects it opened
// closed again, except where it says otherwise.

#include <functional>
#include <string>

#include "engine/connection.h"
#include "engine/query.h"
#include "engine/table.h"
#include "platform/ui.h"

namespace kv::conversions {

struct RecordObjects {
  engine::TAdsConnection& AdsConnection1;  // the company
  engine::TAdsTable& AdsTable1;            // the shared work table (exclusive)
  engine::TAdsTable& AdsTable3;
  engine::TAdsQuery& AdsQuery1;
  engine::TAdsTable& AdsTableEmp;     // "EMPLOYEE.ADT", order EMP_NO
  engine::TAdsTable& AdsTableCareer;  // "EMP_PROS.ADT", order EMP_CODE;PAY_EFFECTIVE_DATE;ID
  engine::TAdsTable& AdsTableHTRX;
  engine::TAdsTable& wwTableGrpTrx;  // "PGRP_TRX.ADT", order PAY_GROUP;PERIOD
  engine::TAdsTable& AdsTableAppr;   // "APPR.ADT"
  engine::TAdsTable& wwTableTrnno;   // "TRNNO"
  engine::TAdsTable& TableTrnno;     // "TRNNO.ADT"
  kv::ui::UserInterface& ui;
  std::function<void(const std::string&)> showProgress;  // Edit1
};

}  // namespace kv::conversions
