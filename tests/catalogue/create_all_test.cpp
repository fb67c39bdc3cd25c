// The creation driver over the whole catalogue on a company folder or dictionary, and the two creators that run
// outside it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "catalogue/catalogue.h"
#include "catalogue/create_all.h"
#include "catalogue/creation.h"
#include "catalogue_fixture.h"

namespace kv::catalogue::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// The tables a free-table company gets encrypted; SYSCONT.ADT is encrypted on a dictionary too.
const std::set<std::string_view> kEncryptedOnFreeTables{
    "MVPTRX.ADT", "BONUSTRX.adt", "rbTable",  "rbField", "loans_red", "tempIncrement", "EMPBONUS", "S_WITHHOLD", "CQUERY",
    "RP_HTRX",    "RW_USER",      "TRANSFER", "WKEMPL",  "PASSSAVE",  "USEPS",         "IR8A_ADJ", "CPFTRX",     "SYSCONT.ADT"};

class CreateAll : public CompanyFolder {
 protected:
  // The window's company connection with its work table and query, pointed at path.
  void Company(const std::string& path) {
    company.Disconnect();
    company.SetConnectPath(path);
    if (company.IsDictionary()) {
      company.Username = "ADSSYS";
      company.Password = std::string(engine::kTablePassword);
    }
    AdsTable1.SetAdsConnection(&company);
    AdsQuerySQL.SetAdsConnection(&company);
  }
  void Run(const std::string& path, bool force = false) {
    if (company.ConnectPath().empty()) Company(path);
    CreateAllTables(path, force, context);
  }
  // Every catalogue table is there with its fields and indexes, encrypted as the connection kind says.
  void ExpectEveryTable(const std::string& path, bool dictionary) {
    for (const TableDefinition& definition : CompanyTables()) {
      const std::string name(definition.name);
      SCOPED_TRACE(name);
      const TableSeen seen = Look(path, name);
      EXPECT_EQ(seen.fields.size(), ExpandFields(definition).size());
      EXPECT_EQ(seen.indexes.size(), definition.indexes.size());
      const bool encrypted = dictionary ? name == "SYSCONT.ADT" : kEncryptedOnFreeTables.contains(definition.name);
      EXPECT_EQ(seen.encrypted, encrypted);
    }
  }

  engine::TAdsConnection company;
  engine::TAdsTable AdsTable1{"AdsTable1", "Form1"};
  engine::TAdsQuery AdsQuerySQL{"AdsQuerySQL", "Form1"};
  int cpfLoads = 0;
  CreationContext context{ui, AdsTable1, AdsQuerySQL, [this] { ++cpfLoads; }};
};

TEST_F(CreateAll, AnEmptyCompanyFolderGetsEveryTableAndItsRows) {
  Run(Folder());
  ASSERT_EQ(CompanyTables().size(), 130u);
  ExpectEveryTable(Folder(), false);
  EXPECT_EQ(Look(Folder(), "IRAS_NAT_2007").rows, 244u);
  EXPECT_EQ(Look(Folder(), "SYSCONT.ADT").rows, 6u);
  EXPECT_EQ(cpfLoads, 1);
  EXPECT_THAT(ui.Messages(), IsEmpty());
  // The nationality table was empty: the work table was closed before the rows went in.
  EXPECT_FALSE(AdsTable1.Active());
}

TEST_F(CreateAll, ASecondCallCreatesDeletesAndInsertsNothing) {
  Run(Folder());
  AdsTable1.Close();
  const auto before = FolderState(dir.Path());
  const auto trace = Traced([&] { Run(Folder()); });

  EXPECT_THAT(CallsOf(trace, "AdsCreateTable"), IsEmpty());
  EXPECT_THAT(CallsOf(trace, "AdsExecuteSQL"), IsEmpty());
  EXPECT_THAT(CallsOf(trace, "AdsExecuteSQLDirect"), IsEmpty());
  EXPECT_THAT(CallsOf(trace, "AdsAppendRecord"), IsEmpty());
  // Only IR21PARAM is touched: its unique index is added again, whatever comes of it.
  auto after = FolderState(dir.Path());
  const auto outsideIr21 = [](std::vector<std::string> state) {
    std::erase_if(state, [](const std::string& line) { return line.rfind("IR21PARAM.", 0) == 0; });
    return state;
  };
  EXPECT_EQ(outsideIr21(after), outsideIr21(before));
  EXPECT_EQ(after.size(), before.size());
  EXPECT_EQ(cpfLoads, 1);
  EXPECT_THAT(ui.Messages(), IsEmpty());
  // IRAS_NAT_2007 had rows: the work table is left open on it.
  EXPECT_TRUE(AdsTable1.Active());
  EXPECT_EQ(AdsTable1.TableName(), "IRAS_NAT_2007");
  EXPECT_EQ(AdsTable1.RecordCount(), 244u);
}

TEST_F(CreateAll, AnEmptyNationalityTableIsFilledAgain) {
  Run(Folder());
  AdsTable1.Close();
  company.Execute("DELETE FROM IRAS_NAT_2007");
  {
    engine::TAdsConnection own;
    own.SetConnectPath(Folder());
    engine::TAdsTable table;
    table.SetAdsConnection(&own);
    table.SetTableName("IRAS_NAT_2007");
    table.SetExclusive(true);
    table.Open();
    table.PackTable();
    table.Close();
  }
  ASSERT_EQ(Look(Folder(), "IRAS_NAT_2007").rows, 0u);
  Run(Folder());
  EXPECT_EQ(Look(Folder(), "IRAS_NAT_2007").rows, 244u);
}

TEST_F(CreateAll, ADictionaryCompanyLogsInRegistersAndEncryptsOnlySysCont) {
  const std::string dictionary = Dictionary();
  Company(dictionary);
  const auto trace = Traced([&] { Run(dictionary); });
  for (const std::string& connect : CallsOf(trace, "AdsConnect60")) EXPECT_THAT(connect, HasSubstr("ADSSYS"));
  const auto registered = Registered(dictionary);
  EXPECT_EQ(registered.size(), 130u);
  EXPECT_THAT(registered, Contains("CPFTRX"));
  EXPECT_THAT(registered, Contains("SYSCONT"));
  ExpectEveryTable(dictionary, true);
  EXPECT_EQ(Look(dictionary, "IRAS_NAT_2007").rows, 244u);
  EXPECT_EQ(Look(dictionary, "SYSCONT.ADT").rows, 6u);
  EXPECT_THAT(ui.Messages(), IsEmpty());
}

TEST_F(CreateAll, ForceReplacesKeptTablesAndDropsTheThreeByStatement) {
  Run(Folder());
  AdsTable1.Close();
  for (const auto& [table, field] : std::vector<std::pair<std::string, std::string>>{
           {"CodeRate.ADT", "CODE"}, {"YRCODE.ADT", "YRCODE"}, {"AD_TEMP", "CODE"}, {"CPFTRX", "EMPCODE"}})
    AppendRow(Folder(), table, {{field, "X1"}});
  const auto trace = Traced([&] { Run(Folder(), true); });

  std::vector<std::string> drops;
  for (const std::string& line : CallsOf(trace, "AdsExecuteSQLDirect"))
    if (line.find("DROP TABLE") != std::string::npos) drops.push_back(line.substr(line.find("DROP")));
  ASSERT_EQ(drops.size(), 3u);
  EXPECT_THAT(drops[0], ::testing::StartsWith("DROP TABLE [SETTLEMENT];"));
  EXPECT_THAT(drops[1], ::testing::StartsWith("DROP TABLE [AD_TEMP];"));
  EXPECT_THAT(drops[2], ::testing::StartsWith("DROP TABLE [IRASDIAGNOSTIC];"));
  EXPECT_EQ(CallsOf(trace, "AdsCreateTable").size(), 130u);
  for (const char* table : {"CodeRate.ADT", "YRCODE.ADT", "AD_TEMP", "CPFTRX"}) EXPECT_EQ(Look(Folder(), table).rows, 0u) << table;
  ExpectEveryTable(Folder(), false);
  EXPECT_EQ(Look(Folder(), "SYSCONT.ADT").rows, 6u);
  EXPECT_EQ(Look(Folder(), "IRAS_NAT_2007").rows, 244u);
  EXPECT_EQ(cpfLoads, 2);
  EXPECT_THAT(ui.Messages(), IsEmpty());
}

TEST_F(CreateAll, ATableThatCannotBeMadeStopsTheDriverUnlessItsRuleSaysGoOn) {
  // A folder where the table's file should go: the engine cannot make that table.
  struct Case {
    std::string blocked;  // the file name taken by a folder
    std::string shown;
    bool box;
    bool raises;
    std::string next;  // the file of the table after it, made when the driver goes on
  };
  const std::vector<Case> cases{
      {"increReport.adt", "Table increReport.adt Could Not Be Created", true, false, "EMPBONUS.adt"},
      {"BONUSTRX.adt", "Table BONUSTRX.adt Could Not Be Created Table Creation Failure", false, false, "rbJoin.adt"},
      {"CodeRate.ADT", "Table CodeRate.adt Could Not Be Created", true, true, "WK_TEMP.ADT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.blocked);
    kv::testing::TempFolder folder;
    std::filesystem::create_directories(folder.Path() / c.blocked);
    ui::ScriptedUi seen;
    engine::TAdsConnection own;
    own.SetConnectPath(folder.Path().string());
    engine::TAdsTable table1;
    engine::TAdsQuery query;
    table1.SetAdsConnection(&own);
    query.SetAdsConnection(&own);
    CreationContext mine{seen, table1, query, {}};
    bool raised = false;
    try {
      CreateAllTables(folder.Path().string(), false, mine);
    } catch (const engine::EADSDatabaseError&) {
      raised = true;
    }
    EXPECT_EQ(raised, c.raises);
    ASSERT_EQ(seen.Events().size(), 1u);
    EXPECT_EQ(seen.Events()[0].text, c.shown);
    EXPECT_EQ(seen.Events()[0].kind, c.box ? ui::ScriptedUi::Event::Kind::Box : ui::ScriptedUi::Event::Kind::Message);
    EXPECT_EQ(seen.Events()[0].caption, c.box ? "Table Creation Failure" : "");
    EXPECT_EQ(fs::FileExists(folder.SuitePath() + c.next), !c.raises);
    EXPECT_EQ(fs::FileExists(folder.SuitePath() + "CPFTRX.adt"), !c.raises);
  }
}

TEST_F(CreateAll, SupvrtblIsMadeOrReindexed) {
  const std::string shared = Folder() + "\\SHARE_FOLDER";
  std::filesystem::create_directories(dir.Path() / "SHARE_FOLDER");
  CreateSupvrTbl(shared, false, ui);
  TableSeen seen = Look(shared, "SUPVRTBL");
  EXPECT_THAT(seen.fields, ElementsAre("EMP_NO ftString 12", "EMP_NAME ftString 40", "TYPE ftString 2",
                                       "DATABASE ftString 8"));
  EXPECT_THAT(seen.indexes, ElementsAre("EMP_NO EMP_NO unique", "EMP_NAME EMP_NAME"));

  // Existing with rows and a damaged index file: the rows stay and the index file is made anew.
  AppendRow(shared, "SUPVRTBL", {{"EMP_NO", "S1"}, {"EMP_NAME", "ONE"}});
  AppendRow(shared, "SUPVRTBL", {{"EMP_NO", "S2"}, {"EMP_NAME", "TWO"}});
  dir.Write("SHARE_FOLDER/SUPVRTBL.ADI", "damaged");
  CreateSupvrTbl(shared + "\\", false, ui);
  seen = Look(shared, "SUPVRTBL");
  EXPECT_EQ(seen.rows, 2u);
  EXPECT_THAT(seen.indexes, ElementsAre("EMP_NO EMP_NO unique", "EMP_NAME EMP_NAME"));
  EXPECT_THAT(ui.Messages(), IsEmpty());
}

TEST_F(CreateAll, SupvrtblReindexFailureIsShownAndTheRunGoesOn) {
  // Two rows with one EMP_NO, in a table without its index file: the unique index cannot be made.
  const std::string shared = Folder() + "\\SHARE_FOLDER";
  std::filesystem::create_directories(dir.Path() / "SHARE_FOLDER");
  TableDefinition bare = SupvrtblDefinition();
  bare.indexes.clear();
  CreateTableFrom(bare, shared, false, CreatorHooks{ui, {}});
  for (const char* name : {"ONE", "TWO"}) AppendRow(shared, "SUPVRTBL", {{"EMP_NO", "S1"}, {"EMP_NAME", name}});
  EXPECT_NO_THROW(CreateSupvrTbl(shared, false, ui));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_THAT(ui.Messages()[0], ::testing::StartsWith("Reindex error SUPVRTBL.ADT "));
  EXPECT_GT(ui.Messages()[0].size(), std::string("Reindex error SUPVRTBL.ADT ").size());
  EXPECT_EQ(Look(shared, "SUPVRTBL").rows, 2u);
}

TEST_F(CreateAll, SupvrtblThatCannotBeMadeIsReportedAndRaised) {
  std::filesystem::create_directories(dir.Path() / "SHARE_FOLDER" / "SUPVRTBL.ADT");
  EXPECT_THROW(CreateSupvrTbl(Folder() + "\\SHARE_FOLDER", false, ui), engine::EADSDatabaseError);
  ASSERT_EQ(ui.Events().size(), 1u);
  EXPECT_EQ(ui.Events()[0].text, "Table SUPVRTBL.ADT Could Not Be Created");
  EXPECT_EQ(ui.Events()[0].caption, "Table Creation Failure");
}

TEST_F(CreateAll, TheRegistryIsMadeWhenMissingAndKeptOtherwise) {
  CreateMcompanyTable(FolderWithBackslash(), false, ui);
  const TableSeen seen = Look(Folder(), "mcompany.ADT");
  EXPECT_THAT(seen.fields, ElementsAre("COMPANY_CODE ftString 8", "COMPANY_NAME ftString 40", "TOTAL_STAFF ftInteger",
                                       "PAYROLL_ACCESS_NO ftInteger", "MERGE ftString 1", "BACKUPDATE2 ftDate",
                                       "BACKUPDATE ftDate"));
  EXPECT_THAT(seen.indexes, ElementsAre("PRIMARY COMPANY_CODE unique"));
  EXPECT_FALSE(seen.encrypted);
  AppendRow(Folder(), "mcompany.ADT", {{"COMPANY_CODE", "ABC"}});
  CreateMcompanyTable(FolderWithBackslash(), false, ui);
  EXPECT_EQ(Look(Folder(), "mcompany.ADT").rows, 1u);
}

}  // namespace
}  // namespace kv::catalogue::testing
