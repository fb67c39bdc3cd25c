#pragma once
// Tables made from a short description, statements run through the engine calls, and the rows of a table or
// cursor written out as text, so that a statement's test states its effect in the rows a user would see.

#include <string>
#include <utility>
#include <vector>

#include "ace/ace.h"
#include "ace/core/field_type.h"
#include "ace/storage/record_codec.h"
#include "calls/engine_fixture.h"
#include "common/tool_statements.h"

namespace ace::testing {

// A table to make: its field definition string, rows as texts in field order ("~" leaves a field NULL, an
// AutoInc field is numbered by the table whatever is given), and tags (name, key, option bits).
struct TableSpec {
  TableSpec(std::string n, std::string f, std::vector<std::vector<std::string>> r = {},
            std::vector<std::pair<std::string, std::string>> t = {}, std::uint32_t options = index_option::kCompound)
      : name(std::move(n)), fields(std::move(f)), rows(std::move(r)), tags(std::move(t)), tagOptions(options) {}
  std::string name;
  std::string fields;
  std::vector<std::vector<std::string>> rows;
  std::vector<std::pair<std::string, std::string>> tags;
  std::uint32_t tagOptions = index_option::kCompound;
};

using kv::testing::Lines;

class SqlTest : public EngineTest {
 protected:
  void TearDown() override {
    if (statement) AdsCloseSQLStatement(statement);
    EngineTest::TearDown();
  }

  void Make(const TableSpec& spec) {
    const AdsHandle t = Create(spec.name, spec.fields);
    ASSERT_NE(t, 0u);
    std::uint16_t count = 0;
    ASSERT_ADS(AdsGetNumFields(t, &count));
    for (const auto& row : spec.rows) {
      ASSERT_ADS(AdsAppendRecord(t));
      for (std::size_t i = 0; i < row.size() && i < count; ++i) {
        std::string field;
        ASSERT_ADS(AdsGetFieldName(t, static_cast<std::uint16_t>(i + 1), &field));
        std::uint16_t type = 0;
        ASSERT_ADS(AdsGetFieldType(t, field, &type));
        if (row[i] == "~" || type == static_cast<std::uint16_t>(FieldType::AutoInc)) continue;
        ASSERT_ADS(AdsSetField(t, field, Value::String(row[i])));
      }
      ASSERT_ADS(AdsWriteRecord(t));
    }
    for (const auto& [tag, key] : spec.tags) ASSERT_ADS(AdsCreateIndex61(t, "", tag, key, "", "", spec.tagOptions, 512, nullptr));
    ASSERT_ADS(AdsCloseTable(t));
  }

  AdsHandle Statement() {
    if (statement == 0) {
      EXPECT_ADS(AdsCreateSQLStatement(connection, &statement));
    }
    return statement;
  }

  // Prepares, binds and executes; the result code, with the cursor (0 when none) in *cursor.
  ResultCode Run(const std::string& text, const std::vector<std::pair<std::string, Value>>& params = {},
                 AdsHandle* cursor = nullptr) {
    const AdsHandle s = Statement();
    if (const ResultCode r = AdsPrepareSQL(s, text)) return r;
    for (const auto& [name, value] : params) {
      if (const ResultCode r = AdsSetParameter(s, name, value)) return r;
    }
    AdsHandle c = 0;
    const ResultCode r = AdsExecuteSQL(s, &c);
    if (cursor) *cursor = c;
    else if (c) AdsCloseTable(c);
    return r;
  }

  // The fields of a handle as "NAME Type" ("NAME Char(6)" for character fields), joined by "|".
  std::string Header(AdsHandle table) {
    std::uint16_t count = 0;
    EXPECT_ADS(AdsGetNumFields(table, &count));
    std::string text;
    for (std::uint16_t i = 1; i <= count; ++i) {
      std::string name;
      EXPECT_ADS(AdsGetFieldName(table, i, &name));
      std::uint16_t type = 0;
      std::uint32_t length = 0;
      EXPECT_ADS(AdsGetFieldType(table, name, &type));
      EXPECT_ADS(AdsGetFieldLength(table, name, &length));
      text += (i > 1 ? "|" : "") + name + " " + std::string(FieldTypeWord(static_cast<FieldType>(type)));
      if (type == static_cast<std::uint16_t>(FieldType::Char)) text += "(" + std::to_string(length - 1) + ")";
    }
    return text;
  }

  // Every row from the top in the handle's order, values as text joined by "|", NULL as "~".
  std::vector<std::string> RowsOf(AdsHandle navigate, AdsHandle table) {
    std::uint16_t count = 0;
    EXPECT_ADS(AdsGetNumFields(table, &count));
    std::vector<std::string> names(count), rows;
    for (std::uint16_t i = 0; i < count; ++i) EXPECT_ADS(AdsGetFieldName(table, static_cast<std::uint16_t>(i + 1), &names[i]));
    EXPECT_ADS(AdsGotoTop(navigate));
    for (bool eof = false; AdsAtEOF(table, &eof) == 0 && !eof;) {
      std::string row;
      for (std::uint16_t i = 0; i < count; ++i) {
        Value v;
        EXPECT_ADS(AdsGetField(table, names[i], &v));
        row += (i ? "|" : "") + (v.IsNull() ? std::string("~") : storage::ValueToText(v));
      }
      rows.push_back(row);
      if (AdsSkip(navigate, 1) != 0) break;
    }
    return rows;
  }
  std::vector<std::string> RowsOf(AdsHandle table) { return RowsOf(table, table); }

  // The header line, then the rows in record order.
  std::vector<std::string> Contents(const std::string& table) {
    const AdsHandle t = Open(table);
    std::vector<std::string> all{Header(t)};
    for (std::string& row : RowsOf(t)) all.push_back(std::move(row));
    AdsCloseTable(t);
    return all;
  }

  // The table's tags as "NAME=KEY".
  std::vector<std::string> Tags(const std::string& table) {
    const AdsHandle t = Open(table);
    std::uint16_t count = 0;
    EXPECT_ADS(AdsGetNumIndexes(t, &count));
    std::vector<std::string> tags;
    for (std::uint16_t i = 1; i <= count; ++i) {
      AdsHandle index = 0;
      EXPECT_ADS(AdsGetIndexHandleByOrder(t, i, &index));
      std::string name, key;
      EXPECT_ADS(AdsGetIndexName(index, &name));
      EXPECT_ADS(AdsGetIndexExpr(index, &key));
      tags.push_back(name + "=" + key);
    }
    AdsCloseTable(t);
    return tags;
  }

  AdsHandle statement = 0;
};

}  // namespace ace::testing
