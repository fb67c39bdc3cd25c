#pragma once
// The one-off corrections of a company's employee, bank, career and payroll-history records. The run driver
// calls each for the company being upgraded, when its option or the company's data version asks for it; the
// option is the driver's to test. None catches a failure: an error leaves the rows already posted changed and
// ends the conversion.
//
// A company without the table a conversion works on has nothing to convert: the conversion does nothing, as the
// column requests do for a table an older company lacks.

#include "conversions/record_objects.h"

namespace kv::conversions {

// POSB accounts to DBS bank "7171" branch "081" in EMPLOYEE and EMP_BNK (a 6-character account number gets its
// branch code in front), and the bank itself added to pay_bank when missing.
void UpdatePOSB(RecordObjects& w);
// An employee without a termination status gets "T" when a termination date is set, else "F".
void UpdateTerminationStatus(RecordObjects& w);
// Every career record takes its employee's current cost centre, by one statement.
void ConvertCostCentre(RecordObjects& w);
// Each career record's OLD_ columns from the employee's preceding record; the earliest holds its own state.
void FillCareerHistory(RecordObjects& w);
// Payroll history from period "200701" on takes category, department, company and cost centre from the career
// record in force at the end of its pay period.
void UpdateTransactionRecords(RecordObjects& w);
// Every "/" removed from the employees' identity card and income tax numbers.
void RemoveNricSlashes(RecordObjects& w);
// Appraisals numbered from TRNNO's auto6 where their id is 0, and their lines given the appraisal's number.
void NumberAppraisals(RecordObjects& w);
// Education records numbered from TRNNO's AUTO1 where their ID is 0.
void NumberEducationRecords(RecordObjects& w);

}  // namespace kv::conversions
