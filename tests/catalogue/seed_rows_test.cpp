#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <regex>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "ace/ace.h"
#include "catalogue/catalogue.h"
#include "catalogue/seed_rows.h"
#include "common/engine_trace.h"
#include "common/tool_statements.h"
#include "common/temp_folder.h"
#include "engine/engine.h"
#include "support/strings.h"

// The rows written into new tables: the nationality codes sent to IRAS_NAT_2007 and the logins of SYSCONT.ADT,
// checked in the statements sent and in the rows the tables then hold.

namespace kv::catalogue {
namespace {

using engine::TAdsConnection;
using engine::TAdsQuery;
using engine::TAdsTable;
using Row = std::array<std::string, 3>;

const TableDefinition& Definition(std::string_view name) {
  for (const TableDefinition& t : CompanyTables())
    if (t.name == name) return t;
  throw std::runtime_error("no table " + std::string(name));
}

class SeededRows : public ::testing::Test {
 protected:
  void SetUp() override { connection.SetConnectPath(dir.SuitePath()); }

  // The catalogue's table, made empty in the folder with its fields; with its own indexes, or unique on the
  // given key instead.
  void MakeTable(std::string_view name, const std::string& uniqueKey = "") {
    const TableDefinition& def = Definition(name);
    TAdsTable t;
    t.SetAdsConnection(&connection);
    t.SetTableName(std::string(def.name));
    t.SetExclusive(true);
    for (const FieldItem& item : def.fields) {
      const auto& f = std::get<FieldDef>(item);  // neither table has a numbered run
      t.FieldDefs.Add(std::string(f.name), f.type, f.size);
    }
    t.CreateTable();
    t.Open();
    if (uniqueKey.empty()) {
      for (const IndexDef& index : def.indexes)
        t.AddIndex(std::string(index.name), std::string(index.key),
                   index.kind == IndexKind::Unique ? engine::TIndexOptions{engine::TIndexOption::ixUnique, engine::TIndexOption::ixExpression}
                                                   : engine::TIndexOptions{engine::TIndexOption::ixExpression});
    } else {
      t.AddIndex("KEY", uniqueKey, {engine::TIndexOption::ixUnique, engine::TIndexOption::ixExpression});
    }
    t.Close();
  }

  // Every row of the table in the order it was written, three fields of each.
  std::vector<Row> RowsOf(const std::string& name, const std::array<std::string, 3>& fields) {
    TAdsTable t;
    t.SetAdsConnection(&connection);
    t.SetTableName(name);
    t.Open();
    std::vector<Row> rows;
    for (t.First(); !t.Eof(); t.Next())
      rows.push_back({t.FieldByName(fields[0]).AsString(), t.FieldByName(fields[1]).AsString(),
                      t.FieldByName(fields[2]).AsString()});
    t.Close();
    return rows;
  }

  // The statement texts prepared while work runs.
  static std::vector<std::string> StatementsSent(const std::function<void()>& work, int* closes = nullptr) {
    std::vector<std::string> texts;
    int closed = 0;
    for (const std::string& line : kv::testing::Traced(work)) {
      if (line.rfind("AdsCloseSQLStatement(", 0) == 0) ++closed;
      if (line.rfind("AdsPrepareSQL(", 0) != 0) continue;
      const auto open = line.find('"'), close = line.rfind('"');
      texts.push_back(line.substr(open + 1, close - open - 1));
    }
    if (closes) *closes = closed;
    return texts;
  }

  std::vector<Row> NationalityRows() { return RowsOf("IRAS_NAT_2007", {"IRAS_NAT_CODE", "NATIONALITY", "COUNTRY"}); }

  kv::testing::TempFolder dir;
  TAdsConnection connection;
  TAdsQuery query;
};

TEST_F(SeededRows, AnEmptyNationalityTableReceivesThe244RowsInTheFixedStatementForm) {
  MakeTable("IRAS_NAT_2007");
  query.SetAdsConnection(&connection);
  int closes = 0;
  const auto sent = StatementsSent([&] { SeedNationalityCodes(query); }, &closes);

  ASSERT_EQ(sent.size(), 244u);
  EXPECT_EQ(closes, 244) << "each statement is closed after it ran";
  EXPECT_EQ(sent.front(), "INSERT INTO IRAS_NAT_2007 VALUES( '101', 'BELGIAN', 'BELGIUM' ) \r\n");
  const std::regex form(R"(INSERT INTO IRAS_NAT_2007 VALUES\( '(\d{3})', '([^']*)', '([^']*)' \) \r\n)");
  std::vector<Row> rowsSent;
  for (const std::string& text : sent) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(text, m, form)) << text;
    rowsSent.push_back({m[1], m[2], m[3]});
  }

  // Stored as sent, nothing cut short, in ascending code order.
  const auto stored = NationalityRows();
  EXPECT_EQ(stored, rowsSent);

  std::vector<std::string> codes;
  for (const Row& r : stored) {
    codes.push_back(r[0]);
    EXPECT_LE(r[1].size(), 24u) << r[0];
    EXPECT_LE(r[2].size(), 40u) << r[0];
    EXPECT_FALSE(r[1].empty() || r[2].empty()) << r[0];
    if (r[0] != "113") {
      EXPECT_EQ(r[1], kv::UpperCase(r[1])) << r[0];
      EXPECT_EQ(r[2], kv::UpperCase(r[2])) << r[0];
    }
  }
  std::vector<std::string> expectedCodes;
  const std::vector<std::pair<int, int>> ranges = {
      {101, 113}, {131, 139}, {141, 145}, {152, 155}, {201, 203}, {205, 207}, {209, 219}, {221, 226},
      {232, 235}, {300, 307}, {311, 314}, {331, 338}, {351, 358}, {371, 386}, {401, 410}, {421, 432},
      {451, 484}, {499, 499}, {501, 505}, {509, 509}, {601, 610}, {621, 625}, {641, 672}, {701, 713},
      {721, 737}, {799, 799}, {999, 999}};
  for (const auto& [from, to] : ranges)
    for (int code = from; code <= to; ++code) expectedCodes.push_back(std::to_string(code));
  EXPECT_EQ(codes, expectedCodes);

  for (const kv::testing::Nationality& n : kv::testing::kSampleNationalities)
    EXPECT_THAT(stored, ::testing::Contains(Row{n.code, n.nationality, n.country})) << n.code;
}

TEST_F(SeededRows, ARefusedInsertStopsTheSeedingAndTheRowsBeforeItStay) {
  MakeTable("IRAS_NAT_2007", "IRAS_NAT_CODE");
  TAdsTable t;
  t.SetAdsConnection(&connection);
  t.SetTableName("IRAS_NAT_2007");
  t.Open();
  t.Append();
  t.FieldByName("IRAS_NAT_CODE").SetAsString("300");
  t.Post();
  t.Close();

  query.SetAdsConnection(&connection);
  EXPECT_THROW(SeedNationalityCodes(query), engine::EADSDatabaseError);

  const auto stored = NationalityRows();
  ASSERT_EQ(stored.size(), 59u) << "the row there and the 58 codes below 300";
  EXPECT_EQ(stored[1][0], "101");
  EXPECT_EQ(stored.back()[0], "235");
}

TEST_F(SeededRows, ANewSystemControlTableReceivesItsSixLoginsInOrder) {
  MakeTable("SYSCONT.ADT");
  TAdsTable t;
  t.SetAdsConnection(&connection);
  t.SetTableName("SYSCONT.ADT");
  t.SetExclusive(true);
  t.Open();
  WriteSystemControlRows(t);
  t.Close();

  const std::vector<Row> expected = {{"ADMIN", "SYSCON", "0978"}, {"AUDIT", "AUDIT1", "QUAFT"},
                                     {"AUDIT", "AUDIT2", "QUAFT"}, {"AUDIT", "AUDIT3", "QUAFT"},
                                     {"AUDIT", "AUDIT4", "QUAFT"}, {"AUDIT", "AUDIT5", "QUAFT"}};
  EXPECT_EQ(RowsOf("SYSCONT.ADT", {"LOG", "USERID", "PASSWORD"}), expected);
}

}  // namespace
}  // namespace kv::catalogue
