// Start-up and the window's idle handlers: the data path, the registry and its creation prompt, the caption and
// engine label, select-all, the option and page rules.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "console_fixture.h"

namespace kv::console::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

constexpr const char* kExclusiveRight =
    " This Function requires exclusive right to perform this function. Please ensure User logout the application.!";

class StartUp : public Installation {};

TEST_F(StartUp, TheDataPathIsDirWhenGivenElseTheProgramsFolder) {
  MakeRegistry({{"ABC", "ABC PTE LTD", ""}});
  kv::testing::TempFolder elsewhere;
  {
    engine::TAdsConnection c;
    c.SetConnectPath(elsewhere.SuitePath());
    MakeTable(c, {"mcompany.ADT", [](TFieldDefs& f) { f.Add("COMPANY_CODE", FT::ftString, 8); },
                  {"!PRIMARY=COMPANY_CODE"}});
    AppendRows(c, "mcompany.ADT", {{{"COMPANY_CODE", "FAR"}}});
  }
  struct Case {
    std::string ini;
    std::string dataPath;
    std::string firstCode;
  };
  const Case cases[] = {
      {"", DataPath(), "ABC"},                                                    // no KAVEN.ini at all
      {"[PATH]\nDIR=\nDICTIONARY=NO\n", DataPath(), "ABC"},                     // DIR empty
      {"[PATH]\nDIR=" + elsewhere.SuitePath() + "\n", elsewhere.SuitePath(), "FAR"},
      {"[path]\n dir = \"" + elsewhere.SuitePath() + "\"\n[SETTING]\nSERVERTYPE=1\n", elsewhere.SuitePath(), "FAR"},
  };
  for (const Case& c : cases) {
    if (c.ini.empty())
      std::filesystem::remove(dir.Path() / "KAVEN.ini");
    else
      WriteIni(c.ini);
    kv::ui::ScriptedUi quiet;
    TForm1 form(quiet, ProgramFile());
    form.FormCreate();
    EXPECT_EQ(form.DataPath(), c.dataPath) << c.ini;
    EXPECT_EQ(form.ProgramFolder(), DataPath());
    EXPECT_EQ(form.UpdateArchiveName(), "UPDATEKV8.ZIP");
    EXPECT_THAT(quiet.Messages(), IsEmpty()) << c.ini;
    ASSERT_TRUE(form.AdsTableCompany.Active());
    EXPECT_EQ(form.CompanyCode(), c.firstCode);
  }
}

TEST_F(StartUp, TheDictionarySettingIsKeptAsWritten) {
  MakeRegistry({});
  WriteIni("[PATH]\nDICTIONARY=YES\n");
  auto form = StartedForm();
  EXPECT_EQ(form->DictionarySetting(), "YES");
  EXPECT_EQ(form->AdsConnection1.Username, "ADSSYS");
  EXPECT_EQ(form->AdsConnectionSup.Password, "MOLAR3816");
  EXPECT_EQ(form->AdsDictionary1.UserName, "ADSSYS");
}

TEST_F(StartUp, NoToTheCreationPromptLeavesAnEmptyGridAndTheSecondFailureRaises) {
  ui.AnswerNext(false);
  TForm1 form(ui, ProgramFile());
  EXPECT_THROW(form.FormCreate(), engine::EADSDatabaseError);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_THAT(ui.Messages()[0], StartsWith("AdsTableCompany: "));
  EXPECT_THAT(ui.Messages()[0], HasSubstr(kExclusiveRight));
  std::vector<std::string> prompts;
  for (const auto& e : ui.Events())
    if (e.kind == kv::ui::ScriptedUi::Event::Kind::Confirm) prompts.push_back(e.text);
  EXPECT_THAT(prompts, ElementsAre("Create mcompany.adt on the kv8 folder?"));
  EXPECT_FALSE(form.AdsTableCompany.Active());
  EXPECT_FALSE(kv::fs::FileExists(DataPath() + "mcompany.ADT"));
  // The window still shows: caption, engine label, an empty grid; the grid's tick finds nothing.
  form.FormShow();
  EXPECT_FALSE(form.SelectCompany("ABC", true));
  form.CheckBox2.Click();
  EXPECT_TRUE(form.CheckBox2.Checked());
}

TEST_F(StartUp, YesMakesTheRegistryWithItsFieldsAndUniqueIndex) {
  ui.AnswerNext(true);
  TForm1 form(ui, ProgramFile());
  form.FormCreate();
  ASSERT_TRUE(form.AdsTableCompany.Active());
  EXPECT_TRUE(form.AdsTableCompany.IsEmpty());
  std::vector<std::string> fields;
  for (const auto& f : form.AdsTableCompany.Fields())
    fields.push_back(f->FieldName() + ":" + std::string(engine::FieldTypeName(f->DataType())) + ":" +
                     std::to_string(f->Size()));
  EXPECT_THAT(fields, ElementsAre("COMPANY_CODE:ftString:8", "COMPANY_NAME:ftString:40", "TOTAL_STAFF:ftInteger:0",
                                  "PAYROLL_ACCESS_NO:ftInteger:0", "MERGE:ftString:1", "BACKUPDATE2:ftDate:0",
                                  "BACKUPDATE:ftDate:0"));
  form.AdsTableCompany.Append();
  form.AdsTableCompany.FieldByName("COMPANY_CODE").SetAsString("ABC");
  form.AdsTableCompany.Post();
  form.AdsTableCompany.Append();
  form.AdsTableCompany.FieldByName("COMPANY_CODE").SetAsString("ABC");
  EXPECT_THROW(form.AdsTableCompany.Post(), engine::EADSDatabaseError);
  form.AdsTableCompany.Cancel();
  EXPECT_FALSE(IsEncrypted(form.AdsConnection2, "mcompany.ADT"));
}

TEST_F(StartUp, ARegistryWithoutItsIndexFileGetsTheUniqueIndexBySqlAfterYes) {
  MakeRegistry({{"B", "BEE", ""}, {"A", "AY", ""}}, false);
  ASSERT_FALSE(kv::fs::FileExists(DataPath() + "mcompany.ADI"));
  ui.AnswerNext(true);
  TForm1 form(ui, ProgramFile());
  form.FormCreate();
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_THAT(ui.Messages()[0], HasSubstr("Not a valid index field name"));
  ASSERT_TRUE(form.AdsTableCompany.Active());
  EXPECT_EQ(form.CompanyCode(), "A");  // in COMPANY_CODE order again
  EXPECT_TRUE(kv::fs::FileExists(DataPath() + "mcompany.ADI"));
  engine::TAdsConnection c;
  c.SetConnectPath(DataPath());
  EXPECT_THAT(IndexesOf(c, "mcompany.ADT"), ElementsAre("PRIMARY:COMPANY_CODE"));
  EXPECT_THAT(RowsOf(c, "mcompany.ADT", {"COMPANY_CODE"}), ElementsAre("COMPANY_CODE=B", "COMPANY_CODE=A"));
}

TEST_F(StartUp, ARegistryConnectionFailureIsShownAndStartUpGoesOn) {
  WriteIni("[PATH]\nDIR=" + DataPath() + "NO_SUCH\\\n");
  ui.AnswerNext(false);
  TForm1 form(ui, ProgramFile());
  EXPECT_THROW(form.FormCreate(), engine::EADSDatabaseError);
  ASSERT_GE(ui.Messages().size(), 2u);
  EXPECT_THAT(ui.Messages()[0], StartsWith("AdsConnection2: "));
  EXPECT_THAT(ui.Messages()[0], ::testing::EndsWith(" AdsConnection2 " + DataPath() + "NO_SUCH\\"));
  EXPECT_THAT(ui.Messages()[1], HasSubstr(kExclusiveRight));
}

TEST_F(StartUp, ACreationFailureIsReportedTitledAndPassedOn) {
  // A folder stands where the registry's table file should be: the table cannot be made.
  std::filesystem::create_directories(dir.Path() / "mcompany.ADT");
  ui.AnswerNext(true);
  TForm1 form(ui, ProgramFile());
  EXPECT_ANY_THROW(form.FormCreate());
  bool titled = false;
  for (const auto& e : ui.Events())
    if (e.kind == kv::ui::ScriptedUi::Event::Kind::Box)
      titled = e.text == "Table mcompany.ADT Could Not Be Created" && e.caption == "Table Creation Failure";
  EXPECT_TRUE(titled);
}

TEST_F(StartUp, ShowPutsTheProgramFilesDateAndTheEngineIntoTheWindow) {
  MakeRegistry({});
  dir.Write("KV8MTN.EXE", "program");
  const auto when = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 400);
  std::filesystem::last_write_time(Host(ProgramFile()), when);
  auto form = StartedForm();
  const kv::Date date = kv::fs::FileModified(ProgramFile()).DatePart();
  EXPECT_EQ(form->Caption.Text(), "KV8 MTN VER 9.07 (" + kv::FormatCaptionDate(date) + ")");
  EXPECT_NE(date, kv::Date::Today());
  EXPECT_EQ(form->LabelServerInfo.Text(), "Local Server  ADS Version " + engine::TAdsTable::EngineVersionText());
  EXPECT_THAT(form->LabelServerInfo.Text(), HasSubstr("6.11 (ACE "));
}

TEST_F(StartUp, SelectAllWalksTheRegistryAndCheckBoxDirReappliesIt) {
  MakeRegistry({{"A", "AY", ""}, {"B", "BEE", "1"}, {"C", "CEE", ""}});
  auto form = StartedForm();
  form->CheckBoxDir.Click();  // CheckBox2 not ticked: every company "0"
  EXPECT_THAT(Marks(), ElementsAre("COMPANY_CODE=A|MERGE=0", "COMPANY_CODE=B|MERGE=0", "COMPANY_CODE=C|MERGE=0"));
  form->CheckBox2.Click();
  EXPECT_THAT(Marks(), ElementsAre("COMPANY_CODE=A|MERGE=1", "COMPANY_CODE=B|MERGE=1", "COMPANY_CODE=C|MERGE=1"));
  form->CheckBox2.Click();
  EXPECT_THAT(Marks(), ElementsAre("COMPANY_CODE=A|MERGE=0", "COMPANY_CODE=B|MERGE=0", "COMPANY_CODE=C|MERGE=0"));
  // The grid's own tick: "1" or empty, written when the cursor moves on.
  EXPECT_TRUE(form->SelectCompany("B", true));
  EXPECT_TRUE(form->SelectCompany("C", false));
  EXPECT_FALSE(form->SelectCompany("Z", true));
  form->AdsTableCompany.First();
  EXPECT_THAT(Marks(), ElementsAre("COMPANY_CODE=A|MERGE=0", "COMPANY_CODE=B|MERGE=1", "COMPANY_CODE=C|MERGE="));
}

TEST_F(StartUp, OptionsPagesAndKeys) {
  MakeRegistry({});
  auto form = StartedForm();
  EXPECT_EQ(form->Options().All().size(), 42u);
  const TCheckOption& cpf = form->Option("chkCPFFWL");
  EXPECT_EQ(cpf.Caption(), "Update latest September's 2011 CPF table?");
  EXPECT_EQ(cpf.PageName(), "Main");
  EXPECT_TRUE(cpf.Checked());
  EXPECT_TRUE(form->Option("CheckBoxbackup").Checked());
  EXPECT_TRUE(form->Option("CheckBox1").Checked());
  EXPECT_FALSE(form->Option("CheckBox8").visible.Get());
  EXPECT_EQ(form->Option("checkbox3").Caption(), "Overwrite zEzaro Template & Extra Parameters?");
  EXPECT_EQ(form->FindOption("NoSuchBox"), nullptr);
  EXPECT_THROW(form->Option("NoSuchBox"), std::out_of_range);
  EXPECT_EQ(form->Edit4.Text(), "employee");

  // A hidden control does not take a click; code may still set it.
  form->CheckBox8.Click();
  EXPECT_FALSE(form->CheckBox8.Checked());

  // The radio buttons follow CheckBox5 and exclude each other.
  EXPECT_TRUE(form->RadioButton2.Checked());
  form->RadioButton1.Click();
  EXPECT_FALSE(form->RadioButton1.Checked());  // disabled
  form->CheckBox5.Click();
  EXPECT_TRUE(form->RadioButton1.enabled.Get());
  form->RadioButton1.Click();
  EXPECT_TRUE(form->RadioButton1.Checked());
  EXPECT_FALSE(form->RadioButton2.Checked());
  form->CheckBox5.Click();
  EXPECT_FALSE(form->RadioButton2.enabled.Get());

  EXPECT_TRUE(form->Page("Main").tabVisible.Get());
  EXPECT_FALSE(form->Page("Optional").tabVisible.Get());
  std::vector<bool> miscTab;
  form->Page("Misc").tabVisible.Subscribe([&](const bool& v) { miscTab.push_back(v); });
  form->FormKeyDown(TKey::Other);
  form->FormKeyDown(TKey::F5);
  form->FormKeyDown(TKey::F5);
  EXPECT_TRUE(form->Page("Optional").tabVisible.Get());
  EXPECT_THAT(miscTab, ElementsAre(true));  // one change, heard once
  form->CheckBoxUpdate.visible.Set(false);
  form->CheckBoxjpg.visible.Set(false);
  form->FormKeyDown(TKey::F8);
  EXPECT_TRUE(form->CheckBoxUpdate.visible.Get());
  EXPECT_FALSE(form->CheckBoxjpg.visible.Get());
  form->FormKeyDown(TKey::F10);
  EXPECT_TRUE(form->CheckBoxjpg.visible.Get());
}

}  // namespace
}  // namespace kv::console::testing
