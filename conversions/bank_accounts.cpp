// POSB accounts became DBS accounts: bank "7171", branch "081". An account number of six digits was kept
// without its branch code, which now goes in front of it.

#include <string>

#include "conversions/employee_records.h"
#include "conversions/table_access.h"

namespace kv::conversions {

namespace {

constexpr const char* kDbsBank = "7171";
constexpr const char* kDbsBranch = "081";

void AddDbsBank(RecordObjects& w) {
  engine::TAdsTable& t = w.AdsTable1;
  if (!BindTable(t, "pay_bank.adt", "bank_id;BANK_BRANCH")) return;
  t.Open();
  if (!t.FindKey({kDbsBank, kDbsBranch})) {
    t.Append();
    t.FieldByName("bank_id").SetAsString(kDbsBank);
    t.FieldByName("BANK_BRANCH").SetAsString(kDbsBranch);
    t.FieldByName("BANK_NAME").SetAsString("DBS BANK");
    t.Post();
  }
  t.Close();
}

// Every row of the table whose bank is POSB ("9812" or "POSB"); `branchField` holds the row's branch code.
void ConvertAccounts(RecordObjects& w, const std::string& table, const std::string& order,
                     const std::string& branchField) {
  engine::TAdsTable& t = w.AdsTable1;
  if (!BindTable(t, table, order)) return;
  OpenProtected(w, t);
  for (t.First(); !t.Eof(); t.Next()) {
    const std::string bank = t.FieldByName("BANK_ID").AsString();
    if (bank != "9812" && bank != "POSB") continue;
    t.Edit();
    const std::string account = t.FieldByName("BANK_AC_NO").AsString();
    if (account.size() == 6) t.FieldByName("BANK_AC_NO").SetAsString(t.FieldByName(branchField).AsString() + account);
    t.FieldByName("BANK_ID").SetAsString(kDbsBank);
    t.FieldByName(branchField).SetAsString(kDbsBranch);
    t.Post();
  }
  t.Close();
}

}  // namespace

void UpdatePOSB(RecordObjects& w) {
  AddDbsBank(w);
  ConvertAccounts(w, "EMPLOYEE.ADT", "EMP_NO", "BANK_BRANCH_CODE");
  ConvertAccounts(w, "EMP_BNK.adt", "EMP_CODE;BANK_ID;BANK_AC_NO;CYCLE", "BANK_BRANCH");
  w.AdsTable1.Close();
  w.AdsTable1.SetIndexFieldNames("");
}

}  // namespace kv::conversions
