// The column lists run on a company: the gates of the data version and of the options, the table-level steps
// (fills, encryption kept, RP_HTRX emptied, e-payslip passwords, the backup table removed), the guarded blocks'
// messages, and the approval-flow row on the table Edit4 names.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "company_fixture.h"
#include "upgrade/column_lists.h"

namespace kv::upgrade::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

class ListRun : public Company {
 protected:
  void SetUp() override {
    Company::SetUp();
    AdsQuery3.SetAdsConnection(&AdsConnection1);
    AdsTableCode.SetAdsConnection(&AdsConnection1);
    wwTableRtable.SetAdsConnection(&AdsConnection1);
    wwTableRtable.SetTableName("RTABLE.ADT");
    // As the window's handler does: a sum over an encrypted free table needs the password.
    AdsQuery3.BeforeOpen = [this](engine::TAdsDataSet&) {
      if (AdsConnection1.IsDictionary()) return;
      AdsQuery3.EnableStatementEncryption(engine::kTablePassword);
      AdsQuery3.SetTablePassword("EMP_PROS.ADT", engine::kTablePassword);
    };
  }
  void TearDown() override {
    AdsQuery3.Close();
    AdsTableCode.Close();
    wwTableRtable.Close();
    Company::TearDown();
  }

  ListContext Context() {
    return {Window(),
            AdsQuery3,
            AdsTableCode,
            wwTableRtable,
            [this](std::string_view name) { return options[std::string(name)]; },
            [this] { return edit4; },
            [this](const std::string& text) { edit2.push_back(text); },
            [this] {
              ++versionReads;
              return version;
            },
            [this](Step step) { driverSteps.push_back(step); }};
  }

  void Run(const ColumnList& list, const char* first = nullptr, const char* last = nullptr) {
    ListContext context = Context();
    if (first)
      RunBlocks(list, first, last ? last : first, context);
    else
      RunList(list, context);
  }

  bool HasField(const std::string& table, const std::string& fieldTypeSize) {
    const auto fields = FieldsOf(table, AdsConnection1.IsDictionary());
    return std::find(fields.begin(), fields.end(), fieldTypeSize) != fields.end();
  }

  engine::TAdsQuery AdsQuery3{"AdsQuery3", "Form1"};
  engine::TAdsTable AdsTableCode{"AdsTableCode", "Form1"};
  engine::TAdsTable wwTableRtable{"wwTableRtable", "Form1"};
  std::map<std::string, bool> options{{"CheckBox1", true}, {"RadioButton1", true}};
  std::string edit4 = "employee";
  std::vector<std::string> edit2;
  std::int64_t version = 85000;
  int versionReads = 0;
  std::vector<Step> driverSteps;
};

TableSpec Columns1() {
  return {"COLUMN1", [](TFieldDefs& f) { f.Add("ID", FT::ftInteger); }, {{{"ID", "1"}}}};
}
TableSpec PayHistory() {
  return {"P_HTRX",
          [](TFieldDefs& f) {
            f.Add("EMPCODE", FT::ftString, 12);
            f.Add("NETT_WAGE", FT::ftCurrency);
          },
          {{{"EMPCODE", "E1"}, {"NETT_WAGE", "1234.5"}}, {{"EMPCODE", "E2"}, {"NETT_WAGE", "99"}}},
          true};
}
TableSpec Leave(const char* name) {
  return {name, [](TFieldDefs& f) { f.Add("EMP_NO", FT::ftString, 12); }, {{{"EMP_NO", "E1"}}}};
}

struct VersionCase {
  std::int64_t version;
  bool oldBlocksRun;
};
class ListRunAtVersion : public ListRun, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(ListRunAtVersion, DataOfVersion907SkipsTheOldDataBlocksThatAnOlderCompanyRuns) {
  const VersionCase c = GetParam();
  version = c.version;
  MakeFreeCompany({Columns1(), PayHistory(), Leave("WKLEAVE"), Leave("EMPLEAVE")});
  Run(ListB(), "B1", "B7");
  Run(ListN());
  // B1, N1 and N2 whatever the version.
  EXPECT_TRUE(HasField("COLUMN1", "COLUMN61:ftInteger:0"));
  EXPECT_TRUE(HasField("COLUMN1", "COLUMN100:ftInteger:0"));
  EXPECT_TRUE(HasField("WKLEAVE", "FORFEIT:ftFloat:0"));
  EXPECT_TRUE(HasField("EMPLEAVE", "SEND_WHO:ftString:12"));
  // B5, B4 with its fill, and N15 only on older data (8.90 and older for B, older than 8.60 for N).
  EXPECT_EQ(HasField("COLUMN1", "COLUMN41:ftInteger:0"), c.oldBlocksRun);
  EXPECT_EQ(HasField("P_HTRX", "BANKAMT:ftCurrency:0"), c.oldBlocksRun);
  EXPECT_EQ(HasField("EMPLEAVE", "ISURGENT:ftBoolean:0"), c.version < 86000);
  if (c.oldBlocksRun) {
    EXPECT_THAT(RowsOf("P_HTRX", {"EMPCODE", "BANKAMT"}),
                ElementsAre("EMPCODE=E1|BANKAMT=1234.5", "EMPCODE=E2|BANKAMT=99"));
  }
  EXPECT_TRUE(FileEncrypted("P_HTRX"));
  EXPECT_EQ(RowsOf("P_HTRX", {"EMPCODE"}).size(), 2u);
  EXPECT_THAT(ui.Messages(), IsEmpty());
  // One read for each walk that meets a version gate.
  EXPECT_EQ(versionReads, 2);
  // B2's and B3's driver steps on older data; the levy roll-forward at the end of list N, twice on data older than 8.60.
  std::vector<Step> expected;
  if (c.oldBlocksRun) expected = {Step::AddFormulaVariables, Step::CopyLevy2004To2005, Step::FillCareerHistory};
  expected.push_back(Step::CopyLevy2007To2008);
  if (c.version < 86000) expected.push_back(Step::CopyLevy2007To2008);
  EXPECT_EQ(driverSteps, expected);
}

INSTANTIATE_TEST_SUITE_P(Versions, ListRunAtVersion,
                         ::testing::Values(VersionCase{85000, true}, VersionCase{89000, true},
                                           VersionCase{90700, false}),
                         [](const ::testing::TestParamInfo<VersionCase>& p) {
                           return "Version" + std::to_string(p.param.version);
                         });

TEST_F(ListRun, WithNewFieldsUntickedListNRunsItsFirstBlockOnly) {
  options["CheckBox1"] = false;
  MakeFreeCompany({Leave("WKLEAVE"), Leave("EMPLEAVE")});
  Run(ListN());
  EXPECT_TRUE(HasField("WKLEAVE", "TAKEN_MTH12:ftCurrency:0"));
  EXPECT_THAT(FieldsOf("EMPLEAVE"), ElementsAre("EMP_NO:ftString:12"));
  // The levy roll-forward at the list's end: on data of 8.50 a second time, which only it asks the version for.
  EXPECT_THAT(driverSteps, ElementsAre(Step::CopyLevy2007To2008, Step::CopyLevy2007To2008));
  EXPECT_EQ(versionReads, 1);
  driverSteps.clear();
  version = 86000;
  Run(ListN());
  EXPECT_THAT(driverSteps, ElementsAre(Step::CopyLevy2007To2008));
}

TEST_F(ListRun, ListDAddsColumnsFillsOriginalWagesAndLeavesPassClearForTheDriver) {
  options["chkCPFFWL"] = true;
  MakeFreeCompany({{"YTDEMPL",
                    [](TFieldDefs& f) {
                      f.Add("EMP_NO", FT::ftString, 12);
                      f.Add("CPFOWWAGE", FT::ftCurrency);
                      f.Add("CPFAWWAGE", FT::ftCurrency);
                    },
                    {{{"EMP_NO", "E1"}, {"CPFOWWAGE", "4500"}, {"CPFAWWAGE", "900.25"}}},
                    true},
                   {"PASS",
                    [](TFieldDefs& f) {
                      f.Add("USERID", FT::ftString, 8);
                      f.Add("PRINTER", FT::ftString, 2);
                      f.Add("PASSWORD", FT::ftString, 10);
                    },
                    {{{"USERID", "ADMIN"}, {"PRINTER", "01"}}},
                    true},
                   {"EMPLOYEE", [](TFieldDefs& f) { f.Add("EMP_NO", FT::ftString, 12); }, {{{"EMP_NO", "E1"}}}, true},
                   Leave("FW_LEVY")});
  Run(ListD());
  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_THAT(RowsOf("YTDEMPL", {"EMP_NO", "ORI_OWWAGE", "ORI_AWWAGE"}),
              ElementsAre("EMP_NO=E1|ORI_OWWAGE=4500|ORI_AWWAGE=900.25"));
  EXPECT_TRUE(HasField("YTDEMPL", "ORI_OWWAGE:ftCurrency:0"));
  EXPECT_TRUE(FileEncrypted("YTDEMPL"));
  EXPECT_TRUE(HasField("EMPLOYEE", "FWL1TOFWL2:ftString:8"));
  EXPECT_TRUE(FileEncrypted("EMPLOYEE"));
  EXPECT_TRUE(HasField("PASS", "PRINTER:ftString:4"));
  EXPECT_TRUE(HasField("PASS", "PASSWORD:ftString:20"));
  EXPECT_THAT(RowsOf("PASS", {"USERID", "PRINTER"}), ElementsAre("USERID=ADMIN|PRINTER=01"));
  // Decrypted after D7; the driver encrypts it again later in the run.
  EXPECT_FALSE(FileEncrypted("PASS"));
  EXPECT_TRUE(HasField("FW_LEVY", "PERIOD_PART:ftString:2"));
  EXPECT_THAT(edit2, ElementsAre("UPDATE TABLE : FW_LEVY.ADT", "UPDATE TABLE : FW_LEVY.ADT COMPLETED."));
  EXPECT_THAT(driverSteps, ElementsAre(Step::LoadLevyTables, Step::AddFreeFieldLabels, Step::AddLeaveCodes,
                                       Step::CorrectPublicHolidays, Step::FixListValues));
}

TEST_F(ListRun, TheLevyPreparationPutsRowsWithoutAPartIntoPart1AndKeysTheTableOnFourFields) {
  options["chkCPFFWL"] = true;
  MakeFreeCompany({{"FW_LEVY",
                    [](TFieldDefs& f) {
                      f.Add("YEAR", FT::ftString, 4);
                      f.Add("CLASS", FT::ftString, 10);
                      f.Add("CATEGORY", FT::ftString, 3);
                      f.Add("DESC", FT::ftString, 40);
                      f.Add("MAX_PER_MTH", FT::ftCurrency);
                    },
                    {{{"YEAR", "2009"}, {"CLASS", "CW1"}, {"CATEGORY", "FWL"}, {"MAX_PER_MTH", "150"}},
                     {{"YEAR", "2009"}, {"CLASS", "CLASS1"}, {"CATEGORY", "CLA"}}}}});
  // The older key on three fields.
  AdsQuery1.SQL().Add("CREATE INDEX [PRIMARY] ON FW_LEVY (YEAR,CLASS,CATEGORY)");
  AdsQuery1.ExecSQL();
  AdsQuery1.CloseStatement();
  for (int run = 1; run <= 2; ++run) {
    driverSteps.clear();
    Run(ListD(), "D2");
    EXPECT_THAT(RowsOf("FW_LEVY", {"YEAR", "CLASS", "PERIOD_PART"}),
                ElementsAre("YEAR=2009|CLASS=CW1|PERIOD_PART=1", "YEAR=2009|CLASS=CLASS1|PERIOD_PART=1"));
    engine::TAdsTable t;
    t.SetAdsConnection(&AdsConnection1);
    t.SetTableName("FW_LEVY");
    t.UpdateIndexDefs();
    ASSERT_NE(t.IndexDefs.Find("PRIMARY"), nullptr);
    EXPECT_EQ(t.IndexDefs.Find("PRIMARY")->Key(), "YEAR;CLASS;CATEGORY;PERIOD_PART");
    EXPECT_THAT(driverSteps, ElementsAre(Step::LoadLevyTables));
  }
  EXPECT_THAT(ui.Messages(), IsEmpty());
}

class ListDOptions : public ListRun, public ::testing::WithParamInterface<bool> {};

TEST_P(ListDOptions, GateTheirBlocksAndTheVoluntaryRates) {
  const bool ticked = GetParam();
  options = {{"chkCPFFWL", ticked}, {"chkAC", ticked}, {"CheckBoxVol", ticked}, {"CheckBoxRearrange", ticked}};
  MakeFreeCompany({Leave("FW_LEVY"),
                   {"EMPLOYEE", [](TFieldDefs& f) { f.Add("EMAIL_AC_NO", FT::ftString, 40); }, {}, true}});
  Run(ListD());
  const std::vector<Step> expected =
      ticked ? std::vector<Step>{Step::LoadLevyTables, Step::AddFreeFieldLabels, Step::AddLeaveCodes,
                                 Step::LoadVoluntaryCpf2007, Step::CorrectPublicHolidays, Step::FixListValues,
                                 Step::RenumberAllowanceColumns}
             : std::vector<Step>{Step::AddFreeFieldLabels, Step::AddLeaveCodes, Step::CorrectPublicHolidays,
                                 Step::FixListValues};
  EXPECT_EQ(driverSteps, expected);
  EXPECT_EQ(HasField("FW_LEVY", "PERIOD_PART:ftString:2"), ticked);
  EXPECT_EQ(edit2.size(), ticked ? 2u : 0u);
  EXPECT_EQ(HasField("EMPLOYEE", "EMAIL_AC_NO:ftString:80"), ticked);
}

INSTANTIATE_TEST_SUITE_P(Ticked, ListDOptions, ::testing::Bool());

TEST_F(ListRun, GuardedBlocksShowTheirWordsAndTheListGoesOn) {
  MakeFreeCompany({Leave("EMP_PROS")});
  // Files that are no tables: the shared open of their requests fails.
  dir.Write("COMPANY/ABC/PLACEMENT_SALARY.ADT", "not a table");
  dir.Write("COMPANY/ABC/YTDEMPL.ADT", "not a table");
  Run(ListD());
  const auto messages = ui.Messages();
  EXPECT_THAT(messages, Contains(HasSubstr(" SQL ")));
  EXPECT_THAT(messages, Contains(StartsWith("Add Field Function ")));
  EXPECT_THAT(messages, Contains(StartsWith("Update YTDEMPL Function ")));
  // Every later block ran.
  EXPECT_TRUE(HasField("EMP_PROS", "END_DATE:ftDate:0"));
  EXPECT_THAT(driverSteps, ElementsAre(Step::AddFreeFieldLabels, Step::AddLeaveCodes, Step::CorrectPublicHolidays,
                                       Step::FixListValues));
}

TEST_F(ListRun, ListNStepsOnAFreeTableCompanyKeepEncryptionAndRows) {
  options["CheckBox5"] = true;
  options["RadioButton1"] = false;
  options["RadioButton2"] = true;
  MakeFreeCompany({
      {"EMP_PROS",
       [](TFieldDefs& f) {
         f.Add("EMP_NO", FT::ftString, 12);
         f.Add("NEW_SALARY", FT::ftCurrency);
       },
       {{{"EMP_NO", "E1"}, {"NEW_SALARY", "3200.55"}}, {{"EMP_NO", "E2"}, {"NEW_SALARY", "4100"}}},
       true},
      {"RP_HTRX", [](TFieldDefs& f) { f.Add("EMPCODE", FT::ftString, 12); }, {{{"EMPCODE", "E1"}}}, true},
      {"PAYPARA2", [](TFieldDefs& f) { f.Add("CODE", FT::ftString, 8); }, {{{"CODE", "A"}}, {{"CODE", "B"}}}, true},
      {"EMPLOYEE",
       [](TFieldDefs& f) {
         f.Add("EMP_NO", FT::ftString, 12);
         f.Add("NEW_IC", FT::ftString, 12);
         f.Add("E_PASS", FT::ftString, 12);
       },
       {{{"EMP_NO", "E1"}, {"NEW_IC", "S1234567D"}},
        {{"EMP_NO", "E2"}},
        {{"EMP_NO", "E3"}, {"NEW_IC", "S7654321A"}, {"E_PASS", "secret"}}},
       true},
      {"EMPMISC", [](TFieldDefs& f) { f.Add("EMP_NO", FT::ftString, 12); }, {{{"EMP_NO", "E1"}}}, true},
      {"CODE",
       [](TFieldDefs& f) {
         f.Add("CODE", FT::ftString, 8);
         f.Add("DESC", FT::ftString, 30);
         f.Add("N1CLAIM", FT::ftString, 8);
       },
       {{{"CODE", "MC"}, {"DESC", "Medical claim"}, {"N1CLAIM", "MED"}}}},
      Leave("EMP_ALW"),
  });
  std::filesystem::copy_file(dir.Path() / "COMPANY/ABC/EMP_ALW.ADT", dir.Path() / "COMPANY/ABC/EMPSERV.ADT.BAK");
  Run(ListN());
  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_THAT(RowsOf("EMP_PROS", {"EMP_NO", "NEW_SALARY", "GRADE"}),
              ElementsAre("EMP_NO=E1|NEW_SALARY=3200.55|GRADE=NONE", "EMP_NO=E2|NEW_SALARY=4100|GRADE=NONE"));
  EXPECT_TRUE(HasField("EMP_PROS", "SVC:ftCurrency:0"));
  EXPECT_THAT(RowsOf("RP_HTRX", {"EMPCODE"}), IsEmpty());
  EXPECT_TRUE(HasField("RP_HTRX", "GRPNUM70:ftCurrency:0"));
  EXPECT_THAT(RowsOf("PAYPARA2", {"CODE", "TYPE"}), ElementsAre("CODE=A|TYPE=COM", "CODE=B|TYPE=COM"));
  EXPECT_THAT(RowsOf("EMPLOYEE", {"EMP_NO", "E_PASS"}),
              ElementsAre("EMP_NO=E1|E_PASS=S1234567D", "EMP_NO=E2|E_PASS=E2", "EMP_NO=E3|E_PASS=secret"));
  EXPECT_TRUE(HasField("EMPLOYEE", "CVP_SCHEME:ftString:1"));
  EXPECT_THAT(RowsOf("CODE", {"MAPFIELD", "LONG_DESC"}), ElementsAre("MAPFIELD=MED|LONG_DESC=Medical claim"));
  EXPECT_TRUE(HasField("EMPMISC", "N1CLAIM:ftString:12"));
  for (const char* table : {"EMP_PROS", "RP_HTRX", "PAYPARA2", "EMPLOYEE", "EMPMISC", "EMP_ALW"})
    EXPECT_TRUE(FileEncrypted(table)) << table;
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "COMPANY/ABC/EMPSERV.ADT.BAK"));
}

struct FlowCase {
  bool ticked;
  std::string edit4;
  bool added;
};
class ApprovalFlow : public ListRun, public ::testing::WithParamInterface<FlowCase> {};

TEST_P(ApprovalFlow, ColumnsGoToTheTableEdit4NamesOnlyWhenItNamesOne) {
  const FlowCase& c = GetParam();
  options["CheckBox6"] = c.ticked;
  edit4 = c.edit4;
  MakeFreeCompany({Leave("LVFLOW"), Leave("EMPLEAVE")});
  Run(ListN(), "N14");
  EXPECT_EQ(HasField("LVFLOW", "STIN3:ftString:12"), c.added);
  EXPECT_EQ(HasField("EMPLEAVE", "STIN3:ftString:12"), c.added);
  EXPECT_THAT(ui.Messages(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Cases, ApprovalFlow,
                         ::testing::Values(FlowCase{true, "lvflow", true}, FlowCase{true, "", false},
                                           FlowCase{false, "lvflow", false}));

TEST_F(ListRun, ADictionaryCompanyKeepsItsTablesRegisteredEncryptedWithRights) {
  MakeDictionaryCompany({PayHistory(),
                         {"EMPMISC", [](TFieldDefs& f) { f.Add("EMP_NO", FT::ftString, 12); }, {{{"EMP_NO", "E1"}}},
                          true}});
  Run(ListB(), "B1", "B7");
  Run(ListN());
  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_THAT(RowsOf("P_HTRX", {"EMPCODE", "BANKAMT"}, true),
              ElementsAre("EMPCODE=E1|BANKAMT=1234.5", "EMPCODE=E2|BANKAMT=99"));
  EXPECT_THAT(RowsOf("EMPMISC", {"EMP_NO"}, true), ElementsAre("EMP_NO=E1"));
  EXPECT_TRUE(HasField("EMPMISC", "AWS_IND:ftString:1"));
  for (const char* table : {"P_HTRX", "EMPMISC"}) {
    EXPECT_EQ(Property(table, ace::dd_property::kEncryption), 1) << table;
    EXPECT_THAT(RightsOn(table), Not(IsEmpty())) << table;
  }
}

}  // namespace
}  // namespace kv::upgrade::testing
