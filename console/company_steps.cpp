// The steps of a company's run that belong to the driver itself: the public-holiday correction, the
// encryption of single tables, the fixed statements, the time-clock procedure, the MEDSCH claim types and index,
// the QUERY clean-up and the removal of leftover table backups. Their guards stand at the call (run_driver.cpp),
// but for the procedure's registration, whose guard is part of the step.

#include <string>

#include "console/encrypted_tables.h"
#include "console/form.h"
#include "console/guards.h"
#include "platform/fs.h"
#include "upgrade/index_lookup.h"
#include "upgrade/procedure.h"

namespace kv::console {

namespace {

// Tables whose restructuring may have left NAME.ADT.BAK and NAME.ADI.BAK behind, in the order they are looked at.
constexpr const char* kTablesWithBackups[] = {"P_DTRXAW", "EMPLOYMT", "EMPMISC", "EMPLOYEE", "EMP_PROS",
                                              "P_HTRX",   "PAYPARA1", "SETUP",   "PAYPARA",  "MEDICAL",
                                              "EMPDOC",   "TRNNO",    "PASS"};

}  // namespace

void TForm1::ExecuteOn(engine::TAdsQuery& query, const std::string& statement) {
  query.SQL().Clear();
  query.SQL().Add(statement);
  query.Prepare();
  query.ExecSQL();
  query.CloseStatement();
}

// The 2009 Deepavali holiday: a row dated 16 November 2009 goes; one dated 15 November 2009 is moved to
// 17 October 2009, unless that day is there already.
void TForm1::CorrectPublicHolidays() {
  AdsTablePH.Close();
  AdsTablePH.SetTableName("PUBLIC");
  AdsTablePH.SetIndexFieldNames("DATE");
  AdsTablePH.Open();
  if (AdsTablePH.FindKey({kv::Date::FromYmd(2009, 11, 16)})) AdsTablePH.Delete();
  if (AdsTablePH.FindKey({kv::Date::FromYmd(2009, 11, 15)})) {
    AdsTablePH.Delete();
    if (!AdsTablePH.FindKey({kv::Date::FromYmd(2009, 10, 17)})) {
      AdsTablePH.Append();
      AdsTablePH.FieldByName("FINPERIOD").SetAsString("2009");
      AdsTablePH.FieldByName("DATE").SetAsDate(kv::Date::FromYmd(2009, 10, 17));
      AdsTablePH.FieldByName("DESC").SetAsString("Deepavali");
      AdsTablePH.Post();
    }
  }
  AdsTablePH.Close();
}

void TForm1::EncryptTransferTable() {
  AdsTable1.Close();
  AdsTable1.SetIndexFieldNames("");
  AdsTable1.SetTableName(kTransferTable);
  AdsTable1.Open();
  if (!AdsConnection1.IsDictionary()) {
    AdsTable1.EnableEncryption(engine::kTablePassword);
    if (!AdsTable1.IsTableEncrypted()) AdsTable1.EncryptTable();
  }
  AdsTable1.Close();
}

// A free table of the company encrypted with the table password, unless it is so already.
void TForm1::EncryptFreeTable(const std::string& tableName) {
  AdsTable1.Close();
  AdsTable1.SetIndexFieldNames("");
  AdsTable1.SetTableName(tableName);
  AdsTable1.Open();
  if (!AdsTable1.IsTableEncrypted()) {
    AdsTable1.EnableEncryption(engine::kTablePassword);
    AdsTable1.EncryptTable();
  }
  AdsTable1.Close();
}

void TForm1::FillRbItemIds() { ExecuteOn(AdsQuery1, "UPDATE \"RBITEM.ADT\" SET ID = ItemId WHERE ID IS NULL"); }

void TForm1::EncryptSysContAndLoans() {
  if (AdsConnection1.IsDictionary()) return;
  for (const char* table : kSysContAndLoans) EncryptFreeTable(table);
}

void TForm1::FillTrainingDepartments() {
  AdsQuery1.SQL().Clear();
  AdsQuery1.SQL().Add("UPDATE TRAINING SET DEPARTMENT = :DEPART WHERE DEPARTMENT IS NULL");
  AdsQuery1.ParamByName("depart").SetAsString("NONE");
  AdsQuery1.Prepare();
  AdsQuery1.ExecSQL();
  AdsQuery1.CloseStatement();
}

void TForm1::FillMedschClaimTypes() {
  AdsTable1.Close();
  AdsTable1.SetTableName("MEDSCH");
  AdsTable1.SetIndexFieldNames("");
  AdsTable1.Open();
  for (AdsTable1.First(); !AdsTable1.Eof(); AdsTable1.Next()) {
    if (!AdsTable1.FieldByName("CLAIMTYPE").AsString().empty()) continue;
    AdsTable1.Edit();
    AdsTable1.FieldByName("CLAIMTYPE").SetAsString("0");
    AdsTable1.Post();
  }
  AdsTable1.Close();
}

void TForm1::AddMedschIndex() {
  AdsQueryIndex.SQL().Clear();
  AdsQueryIndex.SQL().Add("SELECT * FROM MEDSCH");
  AdsTable1.Close();
  AdsTable1.SetTableName("MEDSCH");
  AdsTable1.Open();
  if (kv::upgrade::HasIndexOnFields(AdsTable1, "SCHEME_CODE;CLAIM_CODE;SUBCLAIM;CLAIMTYPE")) return;
  AdsTable1.Close();
  AdsQueryIndex.Close();
  ExecuteOn(AdsQueryIndex,
            "Create Index \"  SCHEME_CODE2\" on MEDSCH(SCHEME_CODE,CLAIM_CODE,SUBCLAIM,CLAIMTYPE )");
}

// The time-clock link's procedure library comes out of the update archive into the data path and is registered
// from there. A failure to register is shown and the run goes on: nothing else of the run depends on it.
void TForm1::RegisterTimeClockProcedure() {
  ExtractArchiveFile("eQuillon.aep");
  FailureShownAs(ui_, "", [&] {
    kv::upgrade::CreateProcedure(
        UpgradeObjects(), "eQuillon", "ProcessTiming",
        "company CHAR(255)*dd CHAR(2)*mm CHAR(2)*yy CHAR(4)*p_no CHAR(15)*emp_no CHAR(12)*err_no CHAR(12) OUTPUT*",
        dataPath_ + "eQuillon.aep");
  });
}

void TForm1::DeleteEmptyQueryRows() {
  AdsQueryDEL.ExecSQL();
  AdsQueryDEL.CloseStatement();
}

void TForm1::DeleteLeftoverTableBackups() {
  const std::string folder = AdsConnection1.TableFolder() + "\\";
  AdsTable1.Close();
  for (const char* name : kTablesWithBackups) {
    const std::string base = name;
    AdsTable1.SetTableName(base + ".ADT.BAK");
    if (!AdsTable1.Exists()) continue;
    kv::fs::DeleteFile(folder + base + ".ADT.BAK");
    kv::fs::DeleteFile(folder + base + ".ADI.BAK");
    if (base == "EMPLOYEE") kv::fs::DeleteFile(folder + "EMPLOYEE.ADM.BAK");
  }
}

}  // namespace kv::console
