#include "console/form.h"

#include <stdexcept>

#include "platform/fs.h"
#include "support/strings.h"

namespace kv::console {

using engine::TAdsConnection;
using engine::TAdsDataSet;
using engine::TAdsQuery;
using engine::TAdsTable;

namespace {

// The program's folder from its file's path, always ending with "\" as data paths do.
std::string FolderOfProgram(const std::string& programFile) {
  std::string folder = kv::fs::FolderPart(programFile);
  if (!folder.empty() && folder.back() == '/') folder.back() = '\\';
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

void Bind(TAdsTable& table, TAdsConnection& connection, std::string tableName, std::string order = "") {
  table.SetAdsConnection(&connection);
  table.SetTableName(std::move(tableName));
  if (!order.empty()) table.SetIndexFieldNames(std::move(order));
}

void Bind(TAdsQuery& query, TAdsConnection& connection, std::string statement = "") {
  query.SetAdsConnection(&connection);
  if (!statement.empty()) query.SQL().Add(std::move(statement));
}

}  // namespace

TForm1::TForm1(kv::ui::UserInterface& ui, std::string programFile)
    : messageTap_(ui),
      ui_(messageTap_),
      programFile_(std::move(programFile)),
      programFolder_(FolderOfProgram(programFile_)),
      dataPath_(programFolder_),
      CheckBoxbackup(options_.Get("CheckBoxbackup")),
      CheckBox1(options_.Get("CheckBox1")),
      CheckBox8(options_.Get("CheckBox8")),
      CheckBox2(options_.Get("CheckBox2")),
      CheckBoxDir(options_.Get("CheckBoxDir")),
      CheckBoxVol(options_.Get("CheckBoxVol")),
      chkAC(options_.Get("chkAC")),
      CheckBoxHTRX(options_.Get("CheckBoxHTRX")),
      CheckBoxSupvr1(options_.Get("CheckBoxSupvr1")),
      CheckBoxPOSB(options_.Get("CheckBoxPOSB")),
      CheckBoxRearrange(options_.Get("CheckBoxRearrange")),
      CheckBoxTerm(options_.Get("CheckBoxTerm")),
      CheckBoxRight(options_.Get("CheckBoxRight")),
      CheckBoxPICTURE(options_.Get("CheckBoxPICTURE")),
      CheckBoxFin(options_.Get("CheckBoxFin")),
      removeNRIC(options_.Get("removeNRIC")),
      chkCPFFWL(options_.Get("chkCPFFWL")),
      CheckBoxSAVEJPG(options_.Get("CheckBoxSAVEJPG")),
      CheckBoxCompany(options_.Get("CheckBoxCompany")),
      CheckBoxAdv(options_.Get("CheckBoxAdv")),
      CheckBoxCode(options_.Get("CheckBoxCode")),
      CheckBoxReport(options_.Get("CheckBoxReport")),
      CheckBoxUpdate(options_.Get("CheckBoxUpdate")),
      CheckBoxForfeit(options_.Get("CheckBoxForfeit")),
      CheckBoxNS(options_.Get("CheckBoxNS")),
      CheckBoxCost(options_.Get("CheckBoxCost")),
      CheckBoxAdd(options_.Get("CheckBoxAdd")),
      CheckBoxClaim(options_.Get("CheckBoxClaim")),
      CheckBoxjpg(options_.Get("CheckBoxjpg")),
      CheckBoxaddr(options_.Get("CheckBoxaddr")),
      CheckBoxSTOP(options_.Get("CheckBoxSTOP")),
      CheckBoxFamily(options_.Get("CheckBoxFamily")),
      CheckBoxEducate(options_.Get("CheckBoxEducate")),
      CheckBoxFamilyCode(options_.Get("CheckBoxFamilyCode")),
      CheckBoxCTR(options_.Get("CheckBoxCTR")),
      CheckBox5(options_.Get("CheckBox5")),
      RadioButton1(options_.Get("RadioButton1")),
      RadioButton2(options_.Get("RadioButton2")),
      CheckBox7(options_.Get("CheckBox7")),
      CheckBox3(options_.Get("CheckBox3")),
      CheckBox4(options_.Get("CheckBox4")),
      CheckBox6(options_.Get("CheckBox6")) {
  pages_.push_back(std::make_unique<TPage>("Main", true));
  pages_.push_back(std::make_unique<TPage>("Optional", false));
  pages_.push_back(std::make_unique<TPage>("Misc", false));
  PlaceEngineObjects();
  BindOptionHandlers();
  // The components show their wait cursors through the same port the window talks through.
  engine::SetCursorPort(&ui_);
}

TForm1::~TForm1() {
  if (engine::CursorPort() == &ui_) engine::SetCursorPort(nullptr);
}

// The objects as the window places them. Connect paths are left empty: every connection gets its path at run
// time before it is connected.
void TForm1::PlaceEngineObjects() {
  Bind(AdsTableCompany, AdsConnection2, "mcompany.ADT", "COMPANY_CODE");
  Bind(TableCompany, AdsConnectionSetup, "paypara1.adt", "YEAR");
  for (TAdsTable* work : {&AdsTable1, &AdsTable2, &AdsTable3, &TableTrx, &AdsTableHTRX})
    work->SetAdsConnection(&AdsConnection1);
  AdsTable1.SetExclusive(true);
  Bind(AdsTableEmp, AdsConnection1, "EMPLOYEE.ADT", "EMP_NO");
  Bind(AdsTableCareer, AdsConnection1, "EMP_PROS.ADT", "EMP_CODE;PAY_EFFECTIVE_DATE;ID");
  Bind(AdsTableCode, AdsConnection1, "CODE.ADT", "CATEGORY;CODE");
  AdsTableCode.SetExclusive(true);
  Bind(AdsTableCost, AdsConnection1, "COSTCTR.ADT", "EMPCODE;PERIOD;COST_CENTRE");
  Bind(AdsTablePaypara, AdsConnection1, "PAYPARA1.adt", "YEAR");
  Bind(AdsTableLvset, AdsConnection1, "LEAVESET.ADT", "PERIOD");
  Bind(AdsTableCPF, AdsConnection1, "CPFNEW", "YEAR;CPF_CAT;CPF_AGE_TYPE;AGE_FROM");
  Bind(AdsTablePH, AdsConnection1, "PUBLIC", "DATE");
  Bind(AdsTableSupvr, AdsConnectionSup, "SUPVRTBL.ADT", "EMP_NO");
  Bind(AdsTableAppr, AdsConnection1, "APPR.ADT");
  Bind(AdsTableMedTable, AdsConnection1, "MEDTABLE.ADT", "CATEGORY;MEDICAL_CODE;ID");
  Bind(AdsTableAllocate, AdsConnection1, "MEDTBL.adt", "TRNNO;ID");
  Bind(TableTrnno, AdsConnection1, "TRNNO.ADT");
  Bind(wwTableTrnno, AdsConnection1, "TRNNO");
  Bind(wwTableRtable, AdsConnection1, "RTABLE.ADT", "NO");
  wwTableRtable.SetFilter("database1='ALLW'");
  wwTableRtable.SetFiltered(true);
  Bind(wwTableRep, AdsConnection1, "RTPDETL.ADT", "RPTCODE;ID");
  wwTableRep.SetFilter("database1='ALLW'");
  wwTableRep.SetFiltered(true);
  Bind(wwTableAllw, AdsConnection1, "ALLOWNCE", "ALLOW_CODE;YEAR");
  Bind(wwTablePAybank, AdsConnection1, "EMP_BNK.ADT", "EMP_CODE;BANK_ID;BANK_AC_NO;CYCLE");
  Bind(wwTableGrpTrx, AdsConnection1, "PGRP_TRX.ADT", "PAY_GROUP;PERIOD");
  Bind(TblTmpl, AdsConnection1, "clmtmpl.ADT", "TMPLNO;FIELDNO");
  Bind(TblTmpl1, AdsConnTmpl, "clmtmpl.ADT", "TMPLNO;FIELDNO");

  Bind(AdsQuery1, AdsConnection1);
  Bind(AdsQueryIndex, AdsConnection1);
  Bind(AdsQuerySQL, AdsConnection1, "DELETE FROM QUERY WHERE CODE IS NULL");
  Bind(AdsQueryDEL, AdsConnection1, "DELETE FROM QUERY WHERE CODE IS NULL");
  Bind(AdsQuery2, AdsConnection1, "SELECT * FROM NSMAN WHERE NS_PSA_SERVICE='Y'");
  AdsQuery2.SetIndexFieldNames("EMP_CODE;ID");
  Bind(AdsQuery3, AdsConnection1, "SELECT SUM(NEW_SALARY) AS NEW FROM EMP_PROS");
  Bind(QueryClaim, AdsConnection1, "SELECT * FROM  MEDSCH");
  QueryClaim.SetIndexFieldNames("SCHEME_CODE;CLAIM_CODE");
  QueryClaim.RequestLive = true;
  AdsTableAllocate.SetMasterSource(&QueryClaim, "TRNNO");

  // Tables and queries of the window do not check the users' rights.
  for (TAdsDataSet* dataSet :
       std::initializer_list<TAdsDataSet*>{&AdsTableCompany, &TableCompany, &AdsTable1, &AdsTable2, &AdsTable3,
                                           &TableTrx, &AdsTableHTRX, &AdsTableEmp, &AdsTableCareer, &AdsTableCode,
                                           &AdsTableCost, &AdsTablePaypara, &AdsTableLvset, &AdsTableCPF,
                                           &AdsTablePH, &AdsTableSupvr, &AdsTableAppr, &AdsTableMedTable,
                                           &AdsTableAllocate, &TableTrnno, &wwTableTrnno, &wwTableRtable,
                                           &wwTableRep, &wwTableAllw, &wwTablePAybank, &wwTableGrpTrx, &TblTmpl,
                                           &TblTmpl1, &AdsQuery1, &AdsQueryIndex, &AdsQuerySQL, &AdsQueryDEL,
                                           &AdsQuery2, &AdsQuery3, &QueryClaim})
    dataSet->AdsTableOptions.AdsRightsCheck = false;

  XceedZip1.OnFileStatus = [this](const kv::zip::FileStatus& status) { XceedZip1FileStatus(status); };
  AdsQuery3.BeforeOpen = [this](TAdsDataSet&) { AdsQuery3BeforeOpen(); };
  wwTablePAybank.AfterOpen = [this](TAdsDataSet&) { wwTablePAybankAfterOpen(); };
  QueryClaim.OnNewRecord = [this](TAdsDataSet&) { QueryClaimNewRecord(); };
  wwTableRtable.OnPostError = [this](TAdsDataSet&, const engine::EADSDatabaseError& error,
                                     engine::TDataAction& action) { wwTableRtablePostError(error, action); };
}

void TForm1::BindOptionHandlers() {
  CheckBox2.OnClick = [this] { CheckBox2Click(); };
  CheckBoxDir.OnClick = [this] { CheckBox2Click(); };
  CheckBox5.OnClick = [this] { CheckBox5Click(); };
}

void TForm1::FormShow() {
  std::string caption(kApplicationTitle);
  // A front-end that names a program file which is not there (a script's stand-in) gets the title alone.
  if (kv::fs::FileExists(programFile_))
    caption += " (" + kv::FormatCaptionDate(kv::fs::FileModified(programFile_).DatePart()) + ")";
  Caption.SetText(caption);
  LabelServerInfo.SetText(AdsConnection2.ServerKind() + " Server  ADS Version " + TAdsTable::EngineVersionText());
}

void TForm1::CheckBox2Click() {
  // During a run the company loop walks the registry itself; a walk here would move its current record.
  if (running_ || !AdsTableCompany.Active()) return;
  const std::string merge = CheckBox2.Checked() ? "1" : "0";
  for (AdsTableCompany.First(); !AdsTableCompany.Eof(); AdsTableCompany.Next()) {
    AdsTableCompany.Edit();
    AdsTableCompany.FieldByName("MERGE").SetAsString(merge);
    AdsTableCompany.Post();
  }
}

void TForm1::CheckBox5Click() {
  RadioButton1.enabled.Set(CheckBox5.Checked());
  RadioButton2.enabled.Set(CheckBox5.Checked());
}

void TForm1::FormKeyDown(TKey key) {
  switch (key) {
    case TKey::F5:
      Page("Optional").tabVisible.Set(true);
      Page("Misc").tabVisible.Set(true);
      break;
    case TKey::F8: CheckBoxUpdate.visible.Set(true); break;
    case TKey::F10: CheckBoxjpg.visible.Set(true); break;
    case TKey::Other: break;
  }
}

void TForm1::XceedZip1FileStatus(const kv::zip::FileStatus& status) {
  const char* what = XceedZip1.Tag == 1 ? "Zipping : " : "unZipping : ";
  Edit1.SetText(what + status.sFilename + " Percentage : " + std::to_string(status.nBytesPercent));
  ui_.ProcessMessages();
}

void TForm1::AdsQuery3BeforeOpen() {
  if (AdsConnection1.IsDictionary()) return;  // the dictionary gives the passwords itself
  AdsQuery3.EnableStatementEncryption(engine::kTablePassword);
  AdsQuery3.SetTablePassword("EMP_PROS.ADT", engine::kTablePassword);
  AdsQuery3.SetTablePassword("P_DTRXAW.ADT", engine::kTablePassword);
}

void TForm1::wwTablePAybankAfterOpen() {
  if (!AdsConnection1.IsDictionary()) wwTablePAybank.EnableEncryption(engine::kTablePassword);
}

void TForm1::QueryClaimNewRecord() { kv::conversions::QueryClaimNewRecord(ClaimObjects()); }

// The failed post then takes its normal course: the error reaches the routine that posted.
void TForm1::wwTableRtablePostError(const engine::EADSDatabaseError& error, engine::TDataAction& action) {
  ui_.ShowMessage(std::string(error.what()) + " Field No " + wwTableRtable.FieldByName("NO").AsString());
  action = engine::TDataAction::daFail;
}

bool TForm1::SelectCompany(std::string_view code, bool selected) {
  if (running_ || !AdsTableCompany.Active()) return false;
  if (!AdsTableCompany.FindKey({std::string(code)})) return false;
  AdsTableCompany.Edit();
  AdsTableCompany.FieldByName("MERGE").SetAsString(selected ? "1" : "");
  return true;
}

TCheckOption& TForm1::Option(std::string_view componentName) { return options_.Get(componentName); }

TCheckOption* TForm1::FindOption(std::string_view componentName) { return options_.Find(componentName); }

TPage& TForm1::Page(std::string_view name) {
  for (const auto& page : pages_)
    if (kv::SameText(page->Name(), name)) return *page;
  throw std::out_of_range("no page named " + std::string(name));
}

void TForm1::Close() {
  if (closed_) return;
  closed_ = true;
  if (OnClose) OnClose();
}

std::string TForm1::CompanyCode() const { return AdsTableCompany.FieldByName("COMPANY_CODE").AsString(); }

std::string TForm1::CompanyFolder(std::string_view code) const {
  return dataPath_ + "COMPANY\\" + std::string(code);
}

kv::conversions::ClaimSetupObjects TForm1::ClaimObjects() {
  return {AdsTableMedTable, AdsTableAllocate, TableTrnno, QueryClaim};
}

kv::upgrade::WindowObjects TForm1::UpgradeObjects() {
  return {AdsTable1,       AdsQuery1, AdsConnection1, AdsDictionary1, AdsTableCompany, ui_,
          [this](const std::string& text) { Edit1.SetText(text); }, dataPath_};
}

kv::conversions::RecordObjects TForm1::ConversionObjects() {
  return {AdsConnection1, AdsTable1,      AdsTable3,    AdsQuery1,    AdsTableEmp, AdsTableCareer, AdsTableHTRX,
          wwTableGrpTrx,  AdsTableAppr,   wwTableTrnno, TableTrnno,   ui_,
          [this](const std::string& text) {
            // Set rather than SetText: GCC 12 misreads SetText's moved string here as read unset.
            Edit1.Set(text);
            ui_.ProcessMessages();
          }};
}

}  // namespace kv::console
