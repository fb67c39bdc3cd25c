// The table-level steps of the column lists: fills of new columns, the decryptions and encryptions around
// batches of requests, the salary integrity check around EMP_PROS's requests, the removal of leftover backup
// tables, the emptying of RP_HTRX and the e-payslip password reset.
//
// Every step works through the window's shared AdsTable1 (or AdsQuery1 / AdsQuery3) and leaves it closed.
// A step on one table does nothing when the company has no such table, as the column requests on it do: an
// older company may lack a table the release adds, and the run must not end over it. Encryption changes are
// made only on free-table companies; a dictionary company's tables are encrypted by its dictionary.

#include <cmath>
#include <string>

#include "engine/types.h"
#include "upgrade/dictionary_routines.h"
#include "upgrade/list_steps.h"

namespace kv::upgrade {

namespace {

using engine::kTablePassword;

class Steps {
 public:
  Steps(ListContext& context, ListRunState& state)
      : c_(context), w_(context.window), t_(context.window.AdsTable1), state_(state) {}

  void Run(Step step) {
    switch (step) {
      case Step::ShowLevyStart: return ShowStep("UPDATE TABLE : FW_LEVY.ADT");
      case Step::FillLevyPeriodPart:
        return Execute("FW_LEVY", "UPDATE FW_LEVY SET PERIOD_PART='1' WHERE PERIOD_PART IS NULL");
      case Step::DropLevyKey: return Execute("FW_LEVY", "DROP INDEX FW_LEVY.[PRIMARY]");
      case Step::CreateLevyKey:
        return Execute("FW_LEVY", "CREATE INDEX [PRIMARY] ON FW_LEVY (YEAR,CLASS,CATEGORY,PERIOD_PART)");
      case Step::ShowLevyDone: return ShowStep("UPDATE TABLE : FW_LEVY.ADT COMPLETED.");
      case Step::FillYtdemplOriginalWages: return FillYtdemplOriginalWages();
      case Step::DecryptPass: return DecryptWhenEncrypted("PASS");
      case Step::LoadVoluntaryCpf2007:
      case Step::CorrectPublicHolidays:
      case Step::AddFreeFieldLabels:
      case Step::RenumberAllowanceColumns:
      case Step::AddFormulaVariables:
      case Step::LoadLevyTables:
      case Step::CopyLevy2004To2005:
      case Step::CopyLevy2007To2008:
      case Step::ConvertCostCentre:
      case Step::FillCareerHistory:
      case Step::UpdateTerminationStatus:
      case Step::AddLeaveCodes:
      case Step::FixListValues:
      case Step::ResetLeaveEntitlements: return c_.driverStep(step);
      case Step::DecryptTrnno: return DecryptWhenEncrypted("TRNNO");
      case Step::FillBankAmounts: return FillBankAmounts();
      case Step::PrepareEmailProfile: return DecryptWhenEncrypted("EMAILPROFILE");
      case Step::EncryptWkcstrec: return EncryptWhenClear(std::string(TableLeftEncryptedBy(step)));
      case Step::DeleteEmpservBackup: return DeleteBackupTable("EMPSERV.ADT.BAK");
      case Step::FillPaypara2Type: return FillPaypara2Type();
      case Step::TakeSalaryTotal: return TakeSalaryTotal();
      case Step::CheckSalaryTotal: return CheckSalaryTotal();
      case Step::EmptyRpHtrx: return EmptyRpHtrx();
      case Step::ResetEPayslipPasswords: return ResetEPayslipPasswords();
      case Step::DecryptEmployee: return DecryptWhenEncrypted("EMPLOYEE.adt");
      case Step::EncryptEmployee: return EncryptWhenClear(std::string(TableLeftEncryptedBy(step)));
      case Step::CycleEmpAlwEncryption: return EncryptWhenClear(std::string(TableLeftEncryptedBy(step)));
      case Step::CloseCodeTables:
        c_.AdsTableCode.Close();
        t_.Close();
        return;
      case Step::FillCodeMapField:
        return Execute("CODE.ADT", "UPDATE \"CODE.ADT\" SET MAPFIELD = N1CLAIM WHERE MAPFIELD IS NULL");
      case Step::FillCodeLongDesc:
        return Execute("CODE.ADT", "UPDATE \"CODE.ADT\" SET LONG_DESC = \"DESC\" WHERE LONG_DESC IS NULL");
      case Step::FillEmpProsGrade: return FillEmpProsGrade();
      case Step::DecryptEmpmisc: return DecryptEmpmisc();
      case Step::EncryptEmpmisc: return EncryptEmpmisc();
    }
  }

 private:
  bool FreeTables() const { return !w_.AdsConnection1.IsDictionary(); }

  void ShowStep(const std::string& text) {
    c_.showStep(text);
    w_.ui.ProcessMessages();
  }

  // Whether the company has the table; AdsTable1 is left closed and named so.
  bool Present(const std::string& table) {
    t_.Close();
    t_.SetIndexFieldNames("");
    t_.SetTableName(table);
    return t_.Exists();
  }

  // Opens AdsTable1 on the table, with the table password on a free-table company; false when it is absent.
  bool OpenTable(const std::string& table) {
    if (!Present(table)) return false;
    t_.Open();
    if (FreeTables()) t_.EnableEncryption(kTablePassword);
    return true;
  }

  // Free tables: a decrypted table for the requests that follow. A table already clear is left untouched
  // (decrypting, or encrypting and decrypting again, would rewrite it to the same state).
  void DecryptWhenEncrypted(const std::string& table) {
    if (!FreeTables() || !Present(table)) return;
    t_.Open();
    if (t_.IsTableEncrypted()) {
      t_.EnableEncryption(kTablePassword);
      t_.DecryptTable();
    }
    t_.Close();
  }

  // Free tables: the table encrypted with the table password, unless it is so already.
  void EncryptWhenClear(const std::string& table) {
    if (!FreeTables() || !Present(table)) return;
    t_.Open();
    if (!t_.IsTableEncrypted()) {
      t_.EnableEncryption(kTablePassword);
      t_.EncryptTable();
    }
    t_.Close();
  }

  // One statement through AdsQuery1 on `table`, prepared, executed and released; nothing when the table is
  // absent. On a free-table company the statement gets the table password for the table first.
  void Execute(const std::string& table, const std::string& statement) {
    if (!Present(table)) return;
    engine::TAdsQuery& q = w_.AdsQuery1;
    q.Close();
    q.SQL().Clear();
    q.SQL().Add(statement);
    if (FreeTables()) {
      q.EnableStatementEncryption(kTablePassword);
      q.SetTablePassword(table, kTablePassword);
    }
    q.Prepare();
    q.ExecSQL();
    q.CloseStatement();
  }

  void FillYtdemplOriginalWages() {
    Execute("YTDEMPL",
            "UPDATE YTDEMPL SET ORI_OWWAGE=CPFOWWAGE,ORI_AWWAGE=CPFAWWAGE  WHERE ORI_OWWAGE IS NULL");
  }

  void FillBankAmounts() { Execute("p_htrx", "UPDATE P_htrx SET BANKAMT = nett_wage WHERE BANKAMT IS NULL"); }

  void FillEmpProsGrade() {
    if (!Present("EMP_PROS.ADT")) return;
    engine::TAdsQuery& q = w_.AdsQuery1;
    q.Close();
    q.SQL().Clear();
    q.SQL().Add("UPDATE \"EMP_PROS.ADT\" SET GRADE =:GRADE  WHERE GRADE IS NULL");
    if (FreeTables()) {
      q.EnableStatementEncryption(kTablePassword);
      q.SetTablePassword("EMP_PROS.ADT", kTablePassword);
    }
    q.ParamByName("grade").SetAsString("NONE");
    q.Prepare();
    q.ExecSQL();
    q.CloseStatement();
  }

  // A backup copy of a table that an earlier restructuring left in the company folder.
  void DeleteBackupTable(const std::string& backup) {
    w_.AdsConnection1.Disconnect();
    if (Present(backup)) t_.DeleteTable();
  }

  void FillPaypara2Type() {
    if (!OpenTable("PAYPARA2")) return;
    for (t_.First(); !t_.Eof(); t_.Next()) {
      if (!t_.FieldByName("TYPE").AsString().empty()) continue;
      t_.Edit();
      t_.FieldByName("TYPE").SetAsString("COM");
      t_.Post();
    }
    t_.Close();
  }

  // The sum of NEW_SALARY through AdsQuery3, in units of 1/10000.
  std::int64_t SalaryTotal(bool asMoney) {
    engine::TAdsQuery& q = c_.AdsQuery3;
    q.Close();
    q.SQL().Clear();
    q.SQL().Add("SELECT SUM(NEW_SALARY) AS NEW FROM \"EMP_PROS.ADT\"");
    q.Open();
    const engine::TField& total = q.FieldByName("NEW");
    const std::int64_t scaled =
        asMoney ? total.AsCurrency().Scaled() : static_cast<std::int64_t>(std::llround(total.AsFloat() * 10000.0));
    q.Close();
    return scaled;
  }

  void TakeSalaryTotal() {
    state_.salaryTotal.reset();
    if (!Present("EMP_PROS.adt")) return;
    state_.salaryTotal = SalaryTotal(false);
    c_.AdsQuery3.CloseStatement();
    w_.AdsConnection1.Disconnect();
    DecryptWhenEncrypted("EMP_PROS.adt");
  }

  void CheckSalaryTotal() {
    if (!state_.salaryTotal) return;
    EncryptWhenClear(std::string(TableLeftEncryptedBy(Step::CheckSalaryTotal)));
    if (SalaryTotal(true) != *state_.salaryTotal)
      w_.ui.ShowMessage("Data Intergity error in EMP_PROS.ADT found !");
    c_.AdsQuery3.Close();
    DeleteBackupTable("EMP_PROS.ADT.BAK");
  }

  void EmptyRpHtrx() {
    if (!Present("RP_HTRX.adt")) return;
    t_.SetExclusive(true);
    t_.Open();
    if (FreeTables()) t_.EnableEncryption(kTablePassword);
    t_.EmptyTable();
    t_.Close();
  }

  // Every record, or only those without one, gets NEW_IC (or emp_no when there is no NEW_IC) as its e-payslip
  // password. On a free-table company the table is decrypted for it and stays so for N11's requests.
  void ResetEPayslipPasswords() {
    if (!Present("EMPLOYEE.adt")) return;
    const bool all = c_.ticked("RadioButton1");
    const bool blanks = c_.ticked("RadioButton2");
    t_.SetExclusive(true);
    t_.Open();
    if (FreeTables()) {
      t_.EnableEncryption(kTablePassword);
      if (t_.IsTableEncrypted()) t_.DecryptTable();
    }
    for (t_.First(); !t_.Eof(); t_.Next()) {
      const bool blank = t_.FieldByName("e_pass").AsString().empty();
      if (!all && !(blank && blanks)) continue;
      const std::string nric = t_.FieldByName("NEW_IC").AsString();
      t_.Edit();
      t_.FieldByName("e_pass").SetAsString(nric.empty() ? t_.FieldByName("emp_no").AsString() : nric);
      t_.Post();
    }
    t_.Close();
  }

  void DecryptEmpmisc() {
    w_.AdsConnection1.Disconnect();
    w_.AdsConnection1.Connect();
    if (!Present("EMPMISC")) return;
    if (w_.AdsConnection1.IsDictionary())
      DecryptInDictionary(w_, "EMPMISC");
    else
      DecryptWhenEncrypted("EMPMISC");
  }

  void EncryptEmpmisc() {
    if (!Present("EMPMISC")) return;
    if (w_.AdsConnection1.IsDictionary())
      ReattachToDictionary(w_, "EMPMISC", true);
    else
      EncryptWhenClear(std::string(TableLeftEncryptedBy(Step::EncryptEmpmisc)));
  }

  ListContext& c_;
  const WindowObjects& w_;
  engine::TAdsTable& t_;
  ListRunState& state_;
};

}  // namespace

void RunStep(Step step, ListContext& context, ListRunState& state) { Steps(context, state).Run(step); }

std::string_view TableLeftEncryptedBy(Step step) {
  struct Encrypting {
    Step step;
    std::string_view table;
  };
  static constexpr Encrypting kEncrypting[] = {
      {Step::EncryptWkcstrec, "WKCSTREC"},       {Step::CheckSalaryTotal, "EMP_PROS.adt"},
      {Step::EncryptEmployee, "EMPLOYEE.adt"},   {Step::CycleEmpAlwEncryption, "EMP_ALW.adt"},
      {Step::EncryptEmpmisc, "EMPMISC"},
  };
  for (const Encrypting& e : kEncrypting)
    if (e.step == step) return e.table;
  return {};
}

}  // namespace kv::upgrade
