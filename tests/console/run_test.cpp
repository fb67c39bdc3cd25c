// The run behind Process: what a complete run does to the companies it selects and to the installation, the
// connection modes, which failures end the run and which are shown and passed over, and the window's state after.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "console_fixture.h"

namespace kv::console::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

const kv::DateTime kWhen(kv::Date::FromYmd(2026, 12, 10), 14, 5, 9);
constexpr const char* kStamp = "10 December 20260209 PM";

class Run : public Installation {
 protected:
  std::unique_ptr<TForm1> Form() {
    auto form = StartedForm();
    form->Clock = [] { return kWhen; };
    form->OnClose = [this] { ++closings; };
    return form;
  }
  std::string ArchiveOf(const std::string& code) const {
    return DataPath() + "BACKUP\\" + code + " " + kStamp + ".zip";
  }
  std::vector<std::string> BackupFolder() const {
    std::vector<std::string> names;
    for (const auto& e : kv::fs::FindFiles(DataPath() + "BACKUP\\*.*")) names.push_back(e.name);
    return names;
  }
  int closings = 0;
};

TEST_F(Run, NoToTheConfirmationDoesNothing) {
  MakeRegistry({{"A", "AY", "1"}});
  MakeCompany("A");
  auto form = Form();
  ui.AnswerNext(false);
  form->BitBtn1Click();
  EXPECT_FALSE(form->Closed());
  EXPECT_TRUE(form->BitBtn1.enabled.Get());
  EXPECT_FALSE(kv::fs::FolderExists(DataPath() + "BACKUP"));
  EXPECT_EQ(VersionOf("A"), "VERSION=8.5");
  EXPECT_THAT(Marks(), ElementsAre("COMPANY_CODE=A|MERGE=1"));
}

TEST_F(Run, WithNoCompanySelectedTheRunStillPreparesClearsCleansAndCloses) {
  MakeRegistry({{"A", "AY", "0"}, {"B", "BEE", ""}});
  MakeCompany("A");
  dir.Write("KAVENTMP/EMP20261210.ADT", "t");
  dir.Write("KAVENTMP/EMP20261210.adi", "i");
  dir.Write("KAVENTMP/NOTES.TXT", "n");
  std::filesystem::create_directories(dir.Path() / "KAVENTMP" / "OLD.ADT");
  dir.Write("pictures/wallpaper.jpg", "jpeg");
  dir.Write("pictures/other.txt", "other");
  MakeArchive(DataPath() + "wallpaper.zip", DataPath() + "pictures\\", {"wallpaper.jpg", "other.txt"});
  auto form = Form();
  ui.AnswerNext(true);
  form->BitBtn1Click();

  EXPECT_THAT(Marks(), ElementsAre("COMPANY_CODE=A|MERGE=", "COMPANY_CODE=B|MERGE="));
  std::vector<std::string> left;
  for (const auto& e : kv::fs::FindFiles(DataPath() + "KAVENTMP\\*.*")) left.push_back(e.name);
  EXPECT_THAT(left, ElementsAre("NOTES.TXT", "OLD.ADT"));
  EXPECT_TRUE(kv::fs::FolderExists(DataPath() + "BACKUP"));
  EXPECT_TRUE(kv::fs::FolderExists(DataPath() + "SHARE_FOLDER"));
  EXPECT_THAT(BackupFolder(), IsEmpty());
  EXPECT_TRUE(kv::fs::FileExists(DataPath() + "IMAGE\\wallpaper.jpg"));
  EXPECT_FALSE(kv::fs::FileExists(DataPath() + "IMAGE\\other.txt"));
  EXPECT_EQ(VersionOf("A"), "VERSION=8.5");
  EXPECT_THAT(ui.Messages(), IsEmpty());

  EXPECT_TRUE(form->Closed());
  EXPECT_EQ(closings, 1);
  EXPECT_TRUE(form->BitBtn1.enabled.Get());
  EXPECT_TRUE(form->wwDBGrid1.enabled.Get());
  EXPECT_TRUE(form->CheckBox2.enabled.Get());
  EXPECT_FALSE(form->AdsConnection2.IsConnected());
  EXPECT_TRUE(form->AdsConnection1.IsConnected());
  EXPECT_EQ(form->AdsConnection1.ConnectPath(), DataPath() + "SHARE_FOLDER\\");
  EXPECT_EQ(ui.WindowCursor(), kv::ui::Cursor::SqlWait);
}

TEST_F(Run, AFreeTableCompanyIsBackedUpThenUpgraded) {
  MakeRegistry({{"A", "AY", ""}, {"B", "BEE", ""}});
  MakeCompany("A");
  MakeCompany("B");
  auto& a = Connect("A");
  AppendRows(a, "PUBLIC",
             {{{"FINPERIOD", "2009"}, {"DATE", "2009-11-16"}, {"DESC", "Hari Raya"}},
              {{"FINPERIOD", "2009"}, {"DATE", "2009-11-15"}, {"DESC", "Deepavali"}},
              {{"FINPERIOD", "2009"}, {"DATE", "2009-01-01"}, {"DESC", "New Year"}}});
  AppendRows(a, "RBITEM", {{{"ItemId", "5"}}, {{"ItemId", "6"}, {"ID", "9"}}});
  AppendRows(a, "RTABLE",
             {{{"NO", "1"}, {"FIELD", "EMP_NAME"}, {"DATABASE1", "EMP_PROS"}, {"TYPE1", "N"}, {"WIDTH", "20"}},
              {{"NO", "11"}, {"FIELD", "BASIC"}, {"DATABASE1", "EMPLOYEE"}, {"TYPE1", "N"}, {"WIDTH", "30"}},
              {{"NO", "3"}, {"FIELD", "JOIN_DATE"}, {"DATABASE1", "EMP_PROS"}, {"TYPE1", "D"}, {"WIDTH", "10"}}});
  AppendRows(a, "TRAINING", {{{"COURSE", "FIRST AID"}}, {{"COURSE", "FORKLIFT"}, {"DEPARTMENT", "STORE"}}});
  AppendRows(a, "MEDSCH",
             {{{"SCHEME_CODE", "S1"}, {"CLAIM_CODE", "GP"}},
              {{"SCHEME_CODE", "S2"}, {"CLAIM_CODE", "DENT"}, {"CLAIMTYPE", "1"}}});
  AppendRows(a, "QUERY", {{{"QTYPE", "LOST"}}, {{"CODE", "Q1"}, {"QTYPE", "KEPT"}}});
  dir.Write("COMPANY/A/EMPLOYEE.ADT.BAK", "old");
  dir.Write("COMPANY/A/PAYPARA.ADT.~1", "copy");
  dir.Write("COMPANY/A/TEMP_EMP.ADT", "work");
  dir.Write("COMPANY/A/BAKERY.ADT", "keep");
  dir.Write("COMPANY/A/OLD/X.BAK", "subfolder");
  auto form = Form();
  ASSERT_TRUE(form->SelectCompany("A", true));
  std::vector<std::string> progress;
  form->Edit1.Subscribe([&](const std::string& text) { progress.push_back(text); });
  ui.AnswerNext(true);
  form->BitBtn1Click();

  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_TRUE(form->Closed());
  EXPECT_EQ(form->AdsConnection1.Tag(), 0);
  EXPECT_EQ(form->edtdatabase.Text(), CompanyPath("A"));
  // The last step to name itself there: the 2013 CPF rates, under the option ticked by default.
  EXPECT_EQ(form->Edit2.Text(), "UPDATE TABLE : CPFNEW2.ADT");
  EXPECT_THAT(progress, Contains(StartsWith("Zipping : PAYPARA.ADT Percentage : ")));
  EXPECT_THAT(progress, Contains("Zipping : PAYPARA.ADT Percentage : 100"));

  // The backup holds the tables as they were before the upgrade.
  // The archive, and the run's record beside it.
  EXPECT_THAT(BackupFolder(), ElementsAre(std::string("A ") + kStamp + ".json", std::string("A ") + kStamp + ".zip"));
  kv::testing::TempFolder restored;
  const auto files = ArchiveFiles(ArchiveOf("A"), restored.Path());
  EXPECT_THAT(files, Contains("PAYPARA.ADT"));
  EXPECT_THAT(files, Contains("PUBLIC.ADI"));
  EXPECT_THAT(files, Contains("TEMP_EMP.ADT"));
  EXPECT_THAT(files, Not(Contains("EMPLOYEE.ADT.BAK")));
  engine::TAdsConnection old;
  old.SetConnectPath(restored.SuitePath());
  EXPECT_THAT(RowsOf(old, "PAYPARA", {"VERSION"}), ElementsAre("VERSION=8.5"));

  EXPECT_EQ(VersionOf("A"), "VERSION=9.07");
  EXPECT_EQ(VersionOf("B"), "VERSION=8.5");
  EXPECT_THAT(RowsOf(a, "PUBLIC", {"DATE", "DESC", "FINPERIOD"}),
              ElementsAre("DATE=2009-01-01|DESC=New Year|FINPERIOD=2009",
                          "DATE=2009-10-17|DESC=Deepavali|FINPERIOD=2009"));
  EXPECT_THAT(RowsOf(a, "RBITEM", {"ItemId", "ID"}), ElementsAre("ItemId=5|ID=5", "ItemId=6|ID=9"));
  // The report writer's rows of the company, then those the release registers and repairs.
  const auto fields = RowsOf(a, "RTABLE", {"NO", "WIDTH", "HIDE_WAGE"});
  ASSERT_GE(fields.size(), 3u);
  EXPECT_THAT(std::vector<std::string>(fields.begin(), fields.begin() + 3),
              ElementsAre("NO=1|WIDTH=40|HIDE_WAGE=T", "NO=11|WIDTH=60|HIDE_WAGE=", "NO=3|WIDTH=10|HIDE_WAGE="));
  // 1250 registered in list D and again, narrower, by the template update near the end.
  EXPECT_THAT(fields, Contains("NO=1250|WIDTH=8|HIDE_WAGE=F"));
  EXPECT_THAT(fields, Contains("NO=1212|WIDTH=8|HIDE_WAGE="));
  EXPECT_TRUE(form->wwTableRtable.Filtered());
  EXPECT_EQ(RowsOf(a, "FREEFIELD", {"CTLFIELD"}).size(), 5u);
  EXPECT_EQ(RowsOf(a, "FORMULA", {"FIELD"}).size(), 11u);
  EXPECT_THAT(RowsOf(a, "TRAINING", {"DEPARTMENT"}), ElementsAre("DEPARTMENT=NONE", "DEPARTMENT=STORE"));
  EXPECT_THAT(RowsOf(a, "MEDSCH", {"SCHEME_CODE", "CLAIMTYPE"}),
              ElementsAre("SCHEME_CODE=S1|CLAIMTYPE=0", "SCHEME_CODE=S2|CLAIMTYPE=1"));
  EXPECT_THAT(IndexesOf(a, "MEDSCH"), ElementsAre("SCHEME_CODE:SCHEME_CODE;CLAIM_CODE",
                                                   "  SCHEME_CODE2:SCHEME_CODE;CLAIM_CODE;SUBCLAIM;CLAIMTYPE"));
  EXPECT_THAT(RowsOf(a, "QUERY", {"CODE"}), ElementsAre("CODE=Q1"));
  for (const char* table : {"transfer", "PASS", "EMP_ALW", "SYSCONT.ADT", "LOANS_RED.ADT"})
    EXPECT_TRUE(IsEncrypted(a, table)) << table;
  EXPECT_FALSE(IsEncrypted(a, "PAYPARA"));
  EXPECT_FALSE(IsEncrypted(Connect("B"), "PASS"));

  std::vector<std::string> left;
  for (const auto& e : kv::fs::FindFiles(CompanyPath("A") + "\\*.*"))
    // Work tables are TEMP_ names; the catalogue's own tables (WK_TEMP.ADT, TEMPLEAVE, ...) stay.
    if (e.name.find("BAK") != std::string::npos || e.name.rfind("TEMP_", 0) == 0 ||
        e.name.find(".~") != std::string::npos || e.isFolder)
      left.push_back(e.name);
  EXPECT_THAT(left, ElementsAre("BAKERY.ADT", "OLD"));
  EXPECT_TRUE(kv::fs::FileExists(CompanyPath("A") + "\\OLD\\X.BAK"));
}

TEST_F(Run, UpdateReportTemplateTickedUpdatesTheCatalogueAfterListDAndEndsTheCompanyThere) {
  MakeRegistry({{"A", "AY", "1"}});
  MakeCompany("A");
  auto& a = Connect("A");
  AppendRows(a, "RTABLE", {{{"NO", "1212"}, {"NO2", "5"}, {"HEADING", "MY CURRENCY"}}});
  auto form = Form();
  form->CheckBoxUpdate.SetChecked(true);
  ui.AnswerNext(true);
  form->BitBtn1Click();
  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_TRUE(form->Closed());
  const auto fields = RowsOf(a, "RTABLE", {"NO", "NO2", "HEADING"});
  EXPECT_EQ(fields.front(), "NO=1212|NO2=900|HEADING=MY CURRENCY");
  EXPECT_THAT(fields, Contains("NO=1225|NO2=|HEADING=APP GRADE"));
  EXPECT_TRUE(form->wwTableRtable.Filtered());
  // List D ran (its free-field labels are there); neither list B nor the rest of the run did.
  EXPECT_EQ(RowsOf(a, "FREEFIELD", {"CTLFIELD"}).size(), 5u);
  EXPECT_THAT(RowsOf(a, "FORMULA", {"FIELD"}), IsEmpty());
  EXPECT_EQ(VersionOf("A"), "VERSION=8.5");
}

TEST_F(Run, ASecondRunFindsItsWorkDoneAndBacksUpBesideTheFirstArchive) {
  MakeRegistry({{"A", "AY", "1"}});
  MakeCompany("A");
  AppendRows(Connect("A"), "PUBLIC", {{{"FINPERIOD", "2009"}, {"DATE", "2009-11-15"}, {"DESC", "Deepavali"}}});
  for (int run = 0; run < 2; ++run) {
    auto form = Form();
    form->CheckBox2.Click();  // select every company
    ui.AnswerNext(true);
    form->BitBtn1Click();
    EXPECT_TRUE(form->Closed());
  }
  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_THAT(BackupFolder(),
              ElementsAre(std::string("A ") + kStamp + " (2).json", std::string("A ") + kStamp + " (2).zip",
                          std::string("A ") + kStamp + ".json", std::string("A ") + kStamp + ".zip"));
  EXPECT_EQ(VersionOf("A"), "VERSION=9.07");
  EXPECT_THAT(RowsOf(Connect("A"), "PUBLIC", {"DATE"}), ElementsAre("DATE=2009-10-17"));
  EXPECT_TRUE(IsEncrypted(Connect("A"), "PASS"));
}

TEST_F(Run, ADictionaryCompanyRunsInDictionaryModeWithoutFreeTableEncryption) {
  MakeRegistry({{"D", "DEE", "1"}});
  MakeCompany("D", true);
  auto form = Form();
  ui.AnswerNext(true);
  std::vector<int> tags;
  form->edtdatabase.Subscribe([&](const std::string&) { tags.push_back(form->AdsConnection1.Tag()); });
  form->BitBtn1Click();
  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_THAT(tags, ElementsAre(99));
  EXPECT_EQ(form->edtdatabase.Text(), CompanyPath("D") + "\\D.add");
  auto& d = Connect("D", true);
  EXPECT_EQ(RowsOf(d, "PAYPARA", {"VERSION"}).at(0), "VERSION=9.07");
  for (const char* table : {"transfer", "SYSCONT.ADT"}) EXPECT_FALSE(IsEncrypted(d, table)) << table;
  // PASS gains columns as an encrypted table, which the dictionary then keeps encrypted.
  EXPECT_TRUE(IsEncrypted(d, "PASS"));
  kv::testing::TempFolder restored;
  EXPECT_THAT(ArchiveFiles(ArchiveOf("D"), restored.Path()), Contains("D.add"));
}

TEST_F(Run, DictionaryYesWithoutADictionaryFileEndsTheRunWithTheConnectionError) {
  MakeRegistry({{"A", "AY", "1"}});
  MakeCompany("A");
  WriteIni("[PATH]\nDICTIONARY=YES\n");
  auto form = Form();
  form->Option("CheckBoxbackup").SetChecked(false);
  ui.AnswerNext(true);
  std::string error;
  try {
    form->BitBtn1Click();
  } catch (const std::runtime_error& e) {
    error = e.what();
  }
  EXPECT_THAT(error, StartsWith("AdsConnection1: "));
  EXPECT_THAT(error, EndsWith("AdsConnection1 " + CompanyPath("A") + "\\A.add"));
  EXPECT_EQ(form->AdsConnection1.Tag(), 99);
  // The window stays open, Process and grid off, the marks as they were.
  EXPECT_FALSE(form->Closed());
  EXPECT_FALSE(form->BitBtn1.enabled.Get());
  EXPECT_FALSE(form->wwDBGrid1.enabled.Get());
  EXPECT_EQ(ui.WindowCursor(), kv::ui::Cursor::SqlWait);
  EXPECT_THAT(Marks(), ElementsAre("COMPANY_CODE=A|MERGE=1"));
  EXPECT_EQ(VersionOf("A"), "VERSION=8.5");
}

TEST_F(Run, GuardedStepsShowTheirFailuresOrPassThemOverSilentlyAndTheRunGoesOn) {
  MakeRegistry({{"G", "GEE", "1"}});
  kv::fs::CreateFolders(CompanyPath("G"));
  auto& g = Connect("G");
  for (const TableSpec& spec : CompanyTables())
    for (const char* kept : {"PAYPARA", "PUBLIC", "transfer", "PASS", "EMP_ALW", "QUERY"})
      if (spec.name == kept) MakeTable(g, spec);
  AppendRows(g, "PAYPARA", {{{"VERSION", "8.5"}}});
  auto form = Form();
  form->CheckBoxbackup.SetChecked(false);
  ui.AnswerNext(true);
  form->BitBtn1Click();
  const auto messages = ui.Messages();
  // The catalogue has made rbItem, and the column lists have given it its ID before the statement fills it.
  ASSERT_EQ(messages.size(), 5u) << ::testing::PrintToString(messages);
  for (int i = 0; i < 4; ++i) EXPECT_THAT(messages[i], StartsWith("AdsQuery1: ")) << i;
  EXPECT_THAT(messages[0], HasSubstr("RTABLE"));
  EXPECT_THAT(messages[3], HasSubstr("TRAINING"));
  EXPECT_THAT(messages[4], StartsWith("MEDSCH AdsTable1: "));
  EXPECT_TRUE(form->Closed());
  EXPECT_EQ(VersionOf("G"), "VERSION=9.07");
  EXPECT_TRUE(IsEncrypted(g, "PASS"));
}

TEST_F(Run, AnUncaughtFailureEndsTheRunAtTheFailingCompany) {
  MakeRegistry({{"A", "AY", "1"}, {"B", "BEE", "1"}, {"C", "CEE", "1"}});
  MakeCompany("A");
  MakeCompany("B");
  MakeCompany("C");
  std::filesystem::remove(Host(CompanyPath("B") + "\\PUBLIC.ADT"));
  auto form = Form();
  ui.AnswerNext(true);
  EXPECT_THROW(form->BitBtn1Click(), engine::EADSDatabaseError);
  EXPECT_EQ(VersionOf("A"), "VERSION=9.07");
  EXPECT_EQ(VersionOf("B"), "VERSION=8.5");
  EXPECT_EQ(VersionOf("C"), "VERSION=8.5");
  EXPECT_THAT(BackupFolder(), ElementsAre(std::string("A ") + kStamp + ".json", std::string("A ") + kStamp + ".zip",
                                          std::string("B ") + kStamp + ".json", std::string("B ") + kStamp + ".zip"));
  // The failing company's record says how its run ended.
  std::ifstream record(Host(DataPath() + "BACKUP\\B " + kStamp + ".json"));
  const std::string text{std::istreambuf_iterator<char>(record), std::istreambuf_iterator<char>()};
  EXPECT_THAT(text, HasSubstr("\"outcome\": \"error: "));
  EXPECT_THAT(text, HasSubstr("\"data version before\": 8.5,"));
  EXPECT_THAT(text, HasSubstr("\"data version after\": null,"));
  EXPECT_FALSE(form->Closed());
  EXPECT_FALSE(form->BitBtn1.enabled.Get());
  EXPECT_THAT(Marks(), ElementsAre("COMPANY_CODE=A|MERGE=1", "COMPANY_CODE=B|MERGE=1", "COMPANY_CODE=C|MERGE=1"));
}

TEST_F(Run, ABackupThatCannotBeWrittenCompletelyEndsTheRunBeforeTheCompanyChanges) {
  MakeRegistry({{"A", "AY", "1"}});
  MakeCompany("A");
  // A file stands where the backup folder should be: the archive cannot be written.
  dir.Write("BACKUP", "in the way");
  auto form = Form();
  ui.AnswerNext(true);
  EXPECT_THROW(form->BitBtn1Click(), kv::zip::ZipError);
  EXPECT_EQ(VersionOf("A"), "VERSION=8.5");
  EXPECT_FALSE(IsEncrypted(Connect("A"), "PASS"));
  EXPECT_FALSE(form->Closed());
  EXPECT_THAT(Marks(), ElementsAre("COMPANY_CODE=A|MERGE=1"));
}

// A front-end whose window messages include clicks on the select-all check boxes while the run goes on.
class ClickingUi final : public kv::ui::UserInterface {
 public:
  explicit ClickingUi(kv::ui::ScriptedUi& inner) : inner_(inner) {}
  void ShowMessage(const std::string& text) override { inner_.ShowMessage(text); }
  void MessageBox(const std::string& text, const std::string& caption) override { inner_.MessageBox(text, caption); }
  bool Confirm(const std::string& text, const std::string& caption) override { return inner_.Confirm(text, caption); }
  void SetScreenCursor(kv::ui::Cursor cursor) override { inner_.SetScreenCursor(cursor); }
  void SetWindowCursor(kv::ui::Cursor cursor) override { inner_.SetWindowCursor(cursor); }
  void ProcessMessages() override {
    if (!form) return;
    enabledDuringRun.push_back(form->CheckBox2.enabled.Get());
    form->CheckBox2.Click();
    form->CheckBoxDir.Click();
    form->CheckBox2.SetChecked(!form->CheckBox2.Checked());  // code, not a person, changes it
  }
  TForm1* form = nullptr;
  std::vector<bool> enabledDuringRun;

 private:
  kv::ui::ScriptedUi& inner_;
};

TEST_F(Run, ClicksOnTheSelectAllBoxesDuringARunDoNotMoveTheCompanyLoop) {
  MakeRegistry({{"A", "AY", "1"}, {"B", "BEE", ""}, {"C", "CEE", "1"}});
  for (const char* code : {"A", "B", "C"}) MakeCompany(code);
  ClickingUi clicking(ui);
  TForm1 form(clicking, ProgramFile());
  form.FormCreate();
  form.Clock = [] { return kWhen; };
  clicking.form = &form;
  ui.AnswerNext(true);
  form.BitBtn1Click();
  ASSERT_FALSE(clicking.enabledDuringRun.empty());
  EXPECT_THAT(clicking.enabledDuringRun, Not(Contains(true)));
  EXPECT_TRUE(form.CheckBox2.enabled.Get());
  EXPECT_EQ(VersionOf("A"), "VERSION=9.07");
  EXPECT_EQ(VersionOf("B"), "VERSION=8.5");
  EXPECT_EQ(VersionOf("C"), "VERSION=9.07");
  EXPECT_THAT(Marks(), ElementsAre("COMPANY_CODE=A|MERGE=", "COMPANY_CODE=B|MERGE=", "COMPANY_CODE=C|MERGE="));
}

}  // namespace
}  // namespace kv::console::testing
