// Career records take the employee's current cost centre. Both tables of the statement are encrypted in a
// free-table company, so the statement carries the table password for each; without it the engine refuses to
// read them and the company's run would end here. In a dictionary company the dictionary gives the passwords.

#include "conversions/employee_records.h"
#include "conversions/table_access.h"

namespace kv::conversions {

void ConvertCostCentre(RecordObjects& w) {
  engine::TAdsTable& t = w.AdsTable1;
  if (!BindTable(t, "EMP_PROS", "") || !BindTable(t, "EMPLOYEE", "")) return;
  engine::TAdsQuery& q = w.AdsQuery1;
  q.Close();
  q.SQL().Clear();
  q.SQL().Add("UPDATE EMP_PROS SET COST_CENTRE=COST_CENTRE_CODE FROM EMPLOYEE ");
  q.SQL().Add("WHERE EMPLOYEE.EMP_NO=EMP_PROS.EMP_CODE  ");
  if (OnFreeTables(w)) {
    q.EnableStatementEncryption(engine::kTablePassword);
    q.SetTablePassword("EMP_PROS", engine::kTablePassword);
    q.SetTablePassword("EMPLOYEE", engine::kTablePassword);
  }
  q.Prepare();
  q.ExecSQL();
  q.CloseStatement();
}

}  // namespace kv::conversions
