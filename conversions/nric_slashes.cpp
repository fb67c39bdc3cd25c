// Identity card and income tax numbers were once keyed in with slashes ("S1234567/A"); the suite now expects
// them without. Every employee record is rewritten, with a slash or without.

#include <string>

#include "conversions/employee_records.h"
#include "conversions/table_access.h"
#include "support/strings.h"

namespace kv::conversions {

// The walk starts at the first employee, whatever record an earlier step left the employee table on.
void RemoveNricSlashes(RecordObjects& w) {
  engine::TAdsTable& t = w.AdsTableEmp;
  if (!OpenPlaced(w, t, true)) return;
  for (t.First(); !t.Eof(); t.Next()) {
    w.ui.ProcessMessages();
    w.showProgress("UPDATING : " + t.FieldByName("NEW_IC").AsString());
    t.Edit();
    for (const char* field : {"NEW_IC", "INCOME_TAX_AC_NO"})
      t.FieldByName(field).SetAsString(ReplaceAll(t.FieldByName(field).AsString(), "/", ""));
    t.Post();
  }
  t.Close();
}

}  // namespace kv::conversions
