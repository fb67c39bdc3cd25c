// A demo company taken through the whole run twice by the headless runner: every table reaches the layout the
// column lists give, encryption is kept, no row is lost, and the second run finds its work done.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/cli_options.h"
#include "app/cli/runner.h"
#include "app/demo/installation.h"
#include "common/temp_folder.h"
#include "engine/engine.h"
#include "support/strings.h"
#include "upgrade/index_upgrade.h"

namespace kv::cli {
namespace {

struct Table {
  std::vector<std::string> fields;  // "NAME:type:size"
  std::size_t rows = 0;
  bool encrypted = false;
};

// Every table of the company folder, read with the table password where it is encrypted.
std::map<std::string, Table> TablesOf(const std::string& folder) {
  engine::TAdsConnection c;
  c.SetConnectPath(folder);
  c.Connect();
  std::map<std::string, Table> tables;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string file = entry.path().filename().string();
    if (file.size() < 5 || UpperCase(file.substr(file.size() - 4)) != ".ADT") continue;
    engine::TAdsTable t;
    t.SetAdsConnection(&c);
    t.SetTableName(file);
    t.Open();
    Table& table = tables[UpperCase(file.substr(0, file.size() - 4))];
    table.encrypted = t.IsTableEncrypted();
    if (table.encrypted) t.EnableEncryption(engine::kTablePassword);
    for (const auto& f : t.Fields())
      table.fields.push_back(f->FieldName() + ":" + std::string(engine::FieldTypeName(f->DataType())) + ":" +
                             std::to_string(f->Size()));
    table.rows = t.RecordCount();
    t.Close();
  }
  return tables;
}

// The rows of FW_LEVY in record order, "YEAR|PERIOD_PART|CLASS|CATEGORY|DESC|MAX_PER_MTH|DAILY_RATE".
std::vector<std::string> LevyRowsOf(const std::string& folder) {
  engine::TAdsConnection c;
  c.SetConnectPath(folder);
  engine::TAdsTable t;
  t.SetAdsConnection(&c);
  t.SetTableName("FW_LEVY");
  t.Open();
  std::vector<std::string> rows;
  for (t.First(); !t.Eof(); t.Next()) {
    std::string row;
    for (const char* f : {"YEAR", "PERIOD_PART", "CLASS", "CATEGORY", "DESC", "MAX_PER_MTH", "DAILY_RATE"})
      row += (row.empty() ? "" : "|") + t.FieldByName(f).AsString();
    rows.push_back(row);
  }
  t.Close();
  return rows;
}

bool Has(const Table& t, const std::string& field) {
  for (const std::string& f : t.fields)
    if (f == field) return true;
  return false;
}

// The indexes ("NAME=FIELDS") of each table the index upgrade wants an index on that the company has.
std::map<std::string, std::vector<std::string>> WantedTablesIndexes(const std::string& folder) {
  engine::TAdsConnection c;
  c.SetConnectPath(folder);
  std::map<std::string, std::vector<std::string>> tables;
  for (const upgrade::WantedIndex& wanted : upgrade::WantedIndexes()) {
    engine::TAdsTable t;
    t.SetAdsConnection(&c);
    t.SetTableName(std::string(wanted.table));
    if (!t.Exists()) continue;
    t.UpdateIndexDefs();
    std::vector<std::string>& indexes = tables[std::string(wanted.table)];
    indexes.clear();
    for (const engine::TIndexDef& index : t.IndexDefs) indexes.push_back(index.Name + "=" + index.Fields);
  }
  return tables;
}

// Whether the wanted index is there: by the name it is made with, or by its key fields (letter case aside:
// shipped tables spell theirs so).
bool Indexed(const std::vector<std::string>& indexes, const upgrade::WantedIndex& wanted) {
  std::string name(wanted.addIndexName);
  if (!wanted.statement.empty()) {
    const auto open = wanted.statement.find('"');
    name = std::string(wanted.statement.substr(open + 1, wanted.statement.find('"', open + 1) - open - 1));
  }
  return std::any_of(indexes.begin(), indexes.end(), [&](const std::string& index) {
    return index.substr(0, index.find('=')) == name || SameText(index.substr(index.find('=') + 1), wanted.fields);
  });
}

std::string RunTool(const std::string& dir) {
  std::string error;
  const auto options =
      ParseCliOptions({"--program-dir", dir, "--select-all", "--tick", "CheckBoxAdv", "--yes"}, &error);
  EXPECT_TRUE(options) << error;
  std::ostringstream out, progress;
  EXPECT_EQ(RunHeadless(*options, dir + "/kv8mtn-cli", out, progress), 0) << out.str();
  return out.str();
}

TEST(DemoUpgrade, AFreeTableCompanyReachesTheListsLayoutKeepingEncryptionAndRowsTwiceInARow) {
  kv::testing::TempFolder folder;
  demo::DemoOptions options;
  options.dir = folder.Path().string();
  options.companies = 1;
  options.employees = 3;
  options.dictionaries = 0;
  demo::MakeDemoInstallation(options);
  const std::string company = folder.Path().string() + "/COMPANY/DEMO01";
  const auto before = TablesOf(company);
  std::vector<std::string> levyAfterFirstRun;

  std::map<std::string, std::vector<std::string>> firstRunIndexes;
  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE(run);
    const std::string out = RunTool(folder.Path().string());
    EXPECT_EQ(out.find("message:"), std::string::npos) << out;
    // Every wanted index is there; the second run makes none.
    const auto after = TablesOf(company);
    const auto indexes = WantedTablesIndexes(company);
    for (const upgrade::WantedIndex& wanted : upgrade::WantedIndexes()) {
      const auto table = indexes.find(std::string(wanted.table));
      ASSERT_NE(table, indexes.end()) << wanted.table;
      EXPECT_TRUE(Indexed(table->second, wanted))
          << wanted.table << " " << wanted.fields << " " << ::testing::PrintToString(indexes);
    }
    if (run == 1) firstRunIndexes = indexes;
    EXPECT_EQ(indexes, firstRunIndexes);
    // The report writer's tables came from "RPTDATA.ZIP" and are kept encrypted.
    EXPECT_TRUE(after.at("RBFIELD").encrypted);
    EXPECT_TRUE(after.at("RBTABLE").encrypted);
    EXPECT_EQ(after.at("RBJOIN").rows, 1u);
    EXPECT_EQ(after.at("GTABLE").rows, 3u);  // from the update archive
    EXPECT_TRUE(Has(after.at("EMPLOYEE"), "FWL1TOFWL2:ftString:8"));
    EXPECT_TRUE(Has(after.at("PASS"), "PRINTER:ftString:4"));
    EXPECT_TRUE(Has(after.at("YTDEMPL"), "ORI_OWWAGE:ftCurrency:0"));
    EXPECT_TRUE(Has(after.at("COLUMN1"), "COLUMN100:ftInteger:0"));
    EXPECT_TRUE(Has(after.at("EMPMISC"), "CHECKFLAG10:ftBoolean:0"));
    EXPECT_TRUE(Has(after.at("RP_HTRX"), "GRPNUM70:ftCurrency:0"));
    EXPECT_TRUE(Has(after.at("EMPGL_LINE"), "DESCR:ftString:30"));
    for (const auto& [name, table] : before) {
      // The run's own clean-ups: the leftover work table goes, RP_HTRX is emptied, PUBLIC's 2009 Deepavali
      // rows become one, QUERY's conditions without a query go.
      if (name == "TEMP_EMP") {
        EXPECT_FALSE(after.count(name));
        continue;
      }
      ASSERT_TRUE(after.count(name)) << name;
      if (table.encrypted) {
        EXPECT_TRUE(after.at(name).encrypted) << name;
      }
      if (name == "RP_HTRX" || name == "PUBLIC" || name == "QUERY") continue;
      EXPECT_GE(after.at(name).rows, table.rows) << name;
    }
    // The levy rows of 2010 to 2012 with their amounts; the second run leaves every row as the first left it.
    const std::vector<std::string> levy = LevyRowsOf(company);
    EXPECT_NE(std::find(levy.begin(), levy.end(), "2011|2|CW1|FWL|Construction Worker-skilled|180|5.92"),
              levy.end());
    if (run == 1) levyAfterFirstRun = levy;
    EXPECT_EQ(levy, levyAfterFirstRun);
  }
  // The original wages carry the CPF wages they were filled from.
  engine::TAdsConnection c;
  c.SetConnectPath(company);
  engine::TAdsQuery q;
  q.SetAdsConnection(&c);
  q.EnableStatementEncryption(engine::kTablePassword);
  q.SQL().Add("SELECT COUNT(*) FROM YTDEMPL WHERE ORI_OWWAGE = CPFOWWAGE AND ORI_AWWAGE = CPFAWWAGE");
  q.Open();
  EXPECT_EQ(q.Fields()[0]->AsInteger(), 3);
  q.Close();
}

}  // namespace
}  // namespace kv::cli
