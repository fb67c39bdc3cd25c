// The run behind Process: run start, the company loop, run end, in the fixed order of the run. The numbers in the
// comments are the places of the run's order (company step 8.16 is the RBITEM statement); a step that is built
// later joins the sequence at its number. Each step shows its failure rule by the guard it stands in
// (console/guards.h); a step without a guard passes its failure on, which ends the run.

#include <optional>
#include <stdexcept>
#include <string>

#include "catalogue/create_all.h"
#include "console/encrypted_tables.h"
#include "console/form.h"
#include "console/guards.h"
#include "conversions/code_tables.h"
#include "conversions/employee_records.h"
#include "conversions/photo_files.h"
#include "conversions/report_writer.h"
#include "conversions/table_protection.h"
#include "platform/fs.h"
#include "rates/cpf_rates.h"
#include "rates/levy_tables.h"
#include "upgrade/archive_tables.h"
#include "upgrade/dictionary_routines.h"
#include "upgrade/column_lists.h"
#include "upgrade/index_upgrade.h"
#include "upgrade/table_names.h"

namespace kv::console {

namespace {

constexpr int kDictionaryMode = 99;
constexpr int kFreeTableMode = 0;

}  // namespace

void TForm1::BitBtn1Click() {
  // A disabled button takes no click: a second run cannot start inside a run, nor after one that failed.
  if (!BitBtn1.enabled.Get()) return;
  if (!RunStart()) return;
  // The company loop, in the registry's order.
  for (AdsTableCompany.First(); !AdsTableCompany.Eof(); AdsTableCompany.Next()) {
    if (AdsTableCompany.FieldByName("MERGE").AsString() != "1") continue;
    ProcessCompany(CompanyCode());
  }
  RunEnd();
}

bool TForm1::RunStart() {
  // 1. Confirmation.
  if (!ui_.Confirm("Do you wish to proceed this function ?", "Confirm")) return false;
  // 2. Wallpaper.
  ExtractWallpaper();
  // 3. Not caught: a folder that cannot be registered ends the run before any company.
  if (CheckBoxDir.Checked()) FailurePassedOn([&] { RegisterCompaniesFromFolders(dataPath_); });
  // 4. Shared folders.
  kv::fs::CreateFolders(dataPath_ + "BACKUP");
  kv::fs::CreateFolders(dataPath_ + "SHARE_FOLDER");
  PrepareWindowForRun();
  // 10. The shared supervisor table; a failure is shown with the folder's path and the run goes on.
  const std::string sharedFolder = dataPath_ + "SHARE_FOLDER";
  if (const auto failure = FailureOf([&] { kv::catalogue::CreateSupvrTbl(sharedFolder, false, ui_); }))
    ui_.ShowMessage(*failure + sharedFolder);
  // 11.
  wwDBGrid1.enabled.Set(false);
  return true;
}

// 5 to 9 of the run start: what each window running companies sets on its own objects.
void TForm1::PrepareWindowForRun() {
  // 5. A ticked check box of the grid not yet written.
  if (AdsTableCompany.State() == engine::TDataSetState::dsEdit ||
      AdsTableCompany.State() == engine::TDataSetState::dsInsert)
    AdsTableCompany.Post();
  // 6. Start-up may have left AdsQuery1 on the registry connection.
  AdsQuery1.SetAdsConnection(&AdsConnection1);
  // 7.
  BitBtn1.enabled.Set(false);
  // The select-all check boxes walk the registry the loop is walking: they stay off until the run has ended.
  ShieldRegistryWalkers(true);
  // 8. Reconnect the registry.
  AdsConnection2.Disconnect();
  AdsTableCompany.Open();
  // 9. Not restored: the window keeps the SQL-wait cursor to the end.
  ui_.SetWindowCursor(kv::ui::Cursor::SqlWait);
}

void TForm1::ProcessCompanySteps(const std::string& code) {
  // 1, 2.
  ConnectCompany(code);
  // 3.
  if (CheckBoxbackup.Checked()) FailurePassedOn([&] { Backup(code); });
  // 4.1. A dictionary company with "Rebuild Table Right?" ticked gets its rights rebuilt and nothing else.
  if (AdsConnection1.IsDictionary() && CheckBoxRight.Checked()) {
    FailurePassedOn([&] { kv::upgrade::RebuildTableRights(UpgradeObjects()); });
    return;
  }
  kv::conversions::RecordObjects records = ConversionObjects();
  // 4.2, 4.3.
  if (removeNRIC.Checked()) return FailurePassedOn([&] { kv::conversions::RemoveNricSlashes(records); });
  if (CheckBoxSAVEJPG.Checked()) return FailurePassedOn([&] { kv::conversions::SavePhotoFiles(records); });
  // 5. Normal flow, part one.
  NormalFlowPartOne();
  // 6. The second choice of single-purpose options: the first ticked does its task and ends the company.
  // 6.1, 6.2.
  if (CheckBoxFin.Checked()) return FailurePassedOn([&] { FillFinNumbers(); });
  if (CheckBoxPICTURE.Checked()) return FailurePassedOn([&] { kv::conversions::LoadPhotoFiles(records); });
  // 6.3.
  if (CheckBoxUpdate.Checked()) {
    UpdateReportTemplates();
    return;
  }
  // 7. Normal flow, part two: list B up to the tables' creation.
  {
    kv::upgrade::ListContext lists = ColumnListContext();
    kv::upgrade::RunBlocks(kv::upgrade::ListB(), "B1", "B7", lists);
  }
  // 7.7. The allowance fields renumbered a second time, and the company ends here.
  if (CheckBoxRearrange.Checked()) {
    RenumberAllowanceColumns();
    return;
  }
  // 8. Normal flow, part three.
  NormalFlowPartThree(code);
}

void TForm1::ConnectCompany(const std::string& code) {
  AdsConnection1.SetTag(kFreeTableMode);
  AdsConnection1.Disconnect();
  const std::string folder = CompanyFolder(code);
  AdsConnection1.SetConnectPath(folder);
  const std::string dictionary = folder + "\\" + code + ".add";
  if (kv::fs::FileExists(dictionary) || dictionarySetting_ == "YES") {
    AdsConnection1.SetConnectPath(dictionary);
    AdsConnection1.SetTag(kDictionaryMode);
  }
  std::optional<std::string> failure;
  try {
    AdsConnection1.Connect();
  } catch (const std::exception& e) {
    failure = e.what();
  }
  // Not caught by the loop: the run ends here.
  if (failure) throw std::runtime_error(*failure + "AdsConnection1 " + AdsConnection1.ConnectPath());
  edtdatabase.SetText(AdsConnection1.ConnectPath());
  ui_.ProcessMessages();
}

void TForm1::NormalFlowPartOne() {
  // List D, with the steps between its blocks (the voluntary CPF rows of 5.8 and the public-holiday correction
  // of 5.11 among them) as entries of the list.
  // 5.10: the cost-centre conversion does not advance the registry: the company's normal flow runs to its end
  // on this company, so neither this company's later steps nor the next company are lost.
  kv::upgrade::ListContext lists = ColumnListContext();
  kv::upgrade::RunList(kv::upgrade::ListD(), lists);
}

kv::upgrade::ListContext TForm1::ColumnListContext() {
  return {UpgradeObjects(),
          AdsQuery3,
          AdsTableCode,
          wwTableRtable,
          [this](std::string_view name) { return Option(name).Checked(); },
          [this] { return Edit4.Text(); },
          [this](const std::string& text) { Edit2.SetText(text); },
          [this] { return ReadDataVersion(); },
          [this](kv::upgrade::Step step) {
            kv::conversions::RecordObjects records = ConversionObjects();
            switch (step) {
              case kv::upgrade::Step::LoadVoluntaryCpf2007:
                kv::rates::LoadVoluntaryCpf2007({AdsQuery1, AdsTableCPF, AdsTable1});
                return;
              case kv::upgrade::Step::CorrectPublicHolidays: CorrectPublicHolidays(); return;
              case kv::upgrade::Step::AddFreeFieldLabels: kv::conversions::AddFreeFieldLabels(AdsTable1); return;
              case kv::upgrade::Step::AddFormulaVariables: kv::conversions::AddFormulaVariables(AdsTable1); return;
              case kv::upgrade::Step::RenumberAllowanceColumns: RenumberAllowanceColumns(); return;
              case kv::upgrade::Step::LoadLevyTables:
                kv::rates::LoadLevyTables({AdsQuery1, AdsTable1, AdsTable2, ui_});
                return;
              case kv::upgrade::Step::CopyLevy2004To2005:
                kv::rates::CopyLevy2004To2005({AdsQuery1, AdsTable1, AdsTable2, ui_});
                return;
              case kv::upgrade::Step::CopyLevy2007To2008:
                kv::rates::CopyLevy2007To2008({AdsQuery1, AdsTable1, AdsTable2, ui_});
                return;
              case kv::upgrade::Step::ConvertCostCentre: return kv::conversions::ConvertCostCentre(records);
              case kv::upgrade::Step::FillCareerHistory: return kv::conversions::FillCareerHistory(records);
              case kv::upgrade::Step::UpdateTerminationStatus:
                return kv::conversions::UpdateTerminationStatus(records);
              case kv::upgrade::Step::AddLeaveCodes: kv::conversions::AddLeaveCodes(AdsTable1); return;
              case kv::upgrade::Step::FixListValues: kv::conversions::FixListValues(AdsTable1); return;
              case kv::upgrade::Step::ResetLeaveEntitlements:
                if (CheckBoxForfeit.visible.Get()) kv::conversions::ResetLeaveEntitlements(AdsQuerySQL);
                return;
              default: throw std::logic_error("not a step of the run driver");
            }
          }};
}

void TForm1::NormalFlowPartThree(const std::string& code) {
  // 8.1.
  if (AdsConnection1.IsDictionary()) FailurePassedOn([&] { kv::upgrade::StripTableNameExtensions(UpgradeObjects()); });
  // 8.2. Not caught: a table that cannot be made ends the run.
  if (!AdsConnection1.IsConnected()) AdsConnection1.Connect();
  Edit2.SetText(AdsConnection1.ConnectPath());
  ui_.ProcessMessages();
  kv::catalogue::CreationContext creation{ui_, AdsTable1, AdsQuerySQL, [this] {
                                            kv::rates::LoadCpf2007Rates({AdsQuery1, AdsTableCPF, AdsTable1});
                                          }};
  FailurePassedOn([&] { kv::catalogue::CreateAllTables(AdsConnection1.ConnectPath(), false, creation); });
  // 8.3.
  if (chkCPFFWL.Checked()) {
    // Set rather than SetText: GCC 12 misreads the second SetText of this function as reading an unset string.
    Edit2.Set("UPDATE TABLE : CPFNEW2.ADT");
    ui_.ProcessMessages();
    FailurePassedOn([&] { kv::rates::LoadCpf2013Rates({AdsQuery1, AdsTableCPF, AdsTable1}); });
  }
  kv::upgrade::ListContext lists = ColumnListContext();
  // 8.4: guarded silently inside the list.
  kv::upgrade::RunBlocks(kv::upgrade::ListB(), "B8", "B8", lists);
  // 8.5.
  FailurePassedOn([&] { kv::conversions::EncryptTaxTables(UpgradeObjects()); });
  // 8.6.
  if (CheckBoxFamilyCode.Checked())
    FailurePassedOn([&] { kv::conversions::AddFamilyCodes(AdsTableCode, AdsQuery1, AdsConnection1); });
  // 8.7, 8.8.
  FailurePassedOn([&] { EncryptTransferTable(); });
  if (!AdsConnection1.IsDictionary()) {
    for (const char* table : kPasswordTables) FailurePassedOn([&] { EncryptFreeTable(table); });
  }
  // 8.9.
  SeedReportCodes();
  // 8.10.
  kv::conversions::FixReportFields(AdsTable1);
  // 8.11.
  kv::upgrade::RunList(kv::upgrade::ListN(), lists);
  kv::conversions::RecordObjects records = ConversionObjects();
  // 8.12, 8.13.
  if (CheckBoxEducate.Checked()) FailurePassedOn([&] { kv::conversions::NumberEducationRecords(records); });
  if (CheckBoxPOSB.Checked()) FailurePassedOn([&] { kv::conversions::UpdatePOSB(records); });
  // 8.14.
  if (CheckBoxClaim.Checked()) FailurePassedOn([&] { kv::conversions::RebuildClaimSetup(ClaimObjects()); });
  // 8.15.
  kv::upgrade::RunBlocks(kv::upgrade::ListB(), "B9", "B9", lists);
  // 8.16.
  FailureShownAs(ui_, "", [&] { FillRbItemIds(); });
  // 8.17.
  if (CheckBox4.Checked()) CopyClaimTemplate();
  // 8.18.
  if (CheckBox7.Checked()) RegisterTimeClockProcedure();
  // 8.19.
  FailureIgnored([&] { EncryptSysContAndLoans(); });
  // 8.20.
  const auto onDictionary = [this] { return AdsTable1.AdsConnection() && AdsTable1.AdsConnection()->IsDictionary(); };
  if (onDictionary()) FailurePassedOn([&] { kv::upgrade::GrantStandardRights(UpgradeObjects(), "INTPASS", true); });
  // 8.21.
  FailurePassedOn([&] { kv::upgrade::StripTableNameExtensions(UpgradeObjects()); });
  // 8.22, 8.23.
  FailureShownAs(ui_, "", [&] { kv::conversions::NumberAppraisals(records); });
  FailureShownAs(ui_, "", [&] { EmployeeRecordWalk(); });
  // 8.24, 8.25.
  FailureShownAs(ui_, "", [&] { kv::upgrade::ExtractArchiveTables({UpgradeObjects(), XceedZip1}, updateArchiveName_); });
  if (CheckBoxAdv.Checked())
    FailureShownAs(ui_, "", [&] { kv::upgrade::ExtractReportWriterTables({UpgradeObjects(), XceedZip1}, "RPTDATA.ZIP"); });
  // 8.26: four statements, each under its own guard.
  FailureShownAs(ui_, "", [&] {
    ExecuteOn(AdsQuery1, "UPDATE RTABLE SET HIDE_WAGE ='T' WHERE DATABASE1='EMP_PROS' AND TYPE1='N' ");
  });
  FailureShownAs(ui_, "", [&] { ExecuteOn(AdsQuery1, "UPDATE RTABLE SET WIDTH =60 WHERE WIDTH=20 OR WIDTH=30 "); });
  FailureShownAs(ui_, "", [&] { ExecuteOn(AdsQuery1, "UPDATE RTABLE SET WIDTH =40 WHERE FIELD='EMP_NAME'"); });
  FailureShownAs(ui_, "", [&] { FillTrainingDepartments(); });
  // 8.27.
  FailureShownAs(ui_, "MEDSCH ", [&] { FillMedschClaimTypes(); });
  // 8.28.
  FailureIgnored([&] { AddMedschIndex(); });
  // 8.29.
  FailurePassedOn([&] { kv::upgrade::UpgradeIndexes({UpgradeObjects(), AdsQueryIndex, AdsTableCode}); });
  // 8.30.
  if (CheckBoxClaim.Checked())
    FailurePassedOn([&] { kv::conversions::AddSchemzEzaroLimits(UpgradeObjects(), AdsTable2, AdsTable3); });
  // 8.31.
  CleanUpWorkFiles(code);
  // 8.32.
  UpdateReportTemplates();
  // 8.33.
  FailurePassedOn([&] { kv::upgrade::StripTableNameExtensions(UpgradeObjects()); });
  // 8.34.
  FailurePassedOn([&] { DeleteEmptyQueryRows(); });
  // 8.35.
  if (onDictionary()) {
    FailurePassedOn([&] { kv::upgrade::RebuildTableRights(UpgradeObjects()); });
    FailurePassedOn([&] { kv::conversions::RefreshDictionaryTables(UpgradeObjects()); });
  }
  // 8.36.
  if (CheckBoxHTRX.Checked()) FailurePassedOn([&] { kv::conversions::UpdateTransactionRecords(records); });
  // 8.37.
  DeleteLeftoverTableBackups();
  // 8.38: shows its own failure.
  WriteDataVersion(kDataVersion);
}

void TForm1::RunEnd() {
  // 1.
  CleanUpWorkFolder();
  // 2.
  for (AdsTableCompany.First(); !AdsTableCompany.Eof(); AdsTableCompany.Next()) {
    AdsTableCompany.Edit();
    AdsTableCompany.FieldByName("MERGE").SetAsString("");
    AdsTableCompany.Post();
  }
  // 3.
  AdsConnection2.Disconnect();
  AdsConnection1.Disconnect();
  AdsConnection1.SetConnectPath(dataPath_ + "SHARE_FOLDER\\");
  AdsConnection1.Connect();
  // 4.
  BitBtn1.enabled.Set(true);
  wwDBGrid1.enabled.Set(true);
  ShieldRegistryWalkers(false);
  // 5.
  Close();
}

void TForm1::ShieldRegistryWalkers(bool running) {
  running_ = running;
  CheckBox2.enabled.Set(!running);
  CheckBoxDir.enabled.Set(!running);
  ButtonCheck.enabled.Set(!running);
  ButtonLastRun.enabled.Set(!running);
}

}  // namespace kv::console
