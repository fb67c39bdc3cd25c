// Employees recorded before the termination status was kept have none; it follows from the termination date.

#include "conversions/employee_records.h"
#include "conversions/table_access.h"

namespace kv::conversions {

void UpdateTerminationStatus(RecordObjects& w) {
  engine::TAdsTable& t = w.AdsTable1;
  if (!BindTable(t, "EMPLOYEE.ADT", "")) return;
  OpenProtected(w, t);
  for (t.First(); !t.Eof(); t.Next()) {
    if (!t.FieldByName("TERMINATION_STATUS").AsString().empty()) continue;
    const engine::TField& date = t.FieldByName("TERMINATION_DATE");
    const bool terminated = !date.IsNull() && date.AsDate() != kv::Date();
    t.Edit();
    t.FieldByName("TERMINATION_STATUS").SetAsString(terminated ? "T" : "F");
    t.Post();
  }
  t.Close();
}

}  // namespace kv::conversions
