#pragma once
// A folder of free tables with a connection to it, and helpers that check engine results with the engine's text.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ace/ace.h"
#include "common/temp_folder.h"

namespace ace::testing {

inline std::string LastErrorText() {
  ResultCode code = 0;
  std::string text;
  AdsGetLastError(&code, &text);
  return std::to_string(code) + " " + text;
}

#define ASSERT_ADS(call) ASSERT_EQ((call), 0u) << ::ace::testing::LastErrorText()
#define EXPECT_ADS(call) EXPECT_EQ((call), 0u) << ::ace::testing::LastErrorText()

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_ADS(AdsConnect60(dir.Path().string(), 3, "", "", 0, &connection)); }
  void TearDown() override { AdsDisconnect(connection); }

  AdsHandle Create(const std::string& name, const std::string& fields) {
    AdsHandle t = 0;
    EXPECT_ADS(AdsCreateTable(connection, name, "", 3, 1, 1, 1, 0, fields, &t));
    return t;
  }
  AdsHandle Open(const std::string& name, std::uint32_t mode = open_mode::kShared) {
    AdsHandle t = 0;
    EXPECT_ADS(AdsOpenTable(connection, name, "", 3, 1, 1, 1, mode, &t));
    return t;
  }
  AdsHandle Index(AdsHandle table, const std::string& tag) {
    AdsHandle i = 0;
    EXPECT_ADS(AdsGetIndexHandle(table, tag, &i));
    return i;
  }
  void Append(AdsHandle t, const std::vector<std::pair<std::string, Value>>& values) {
    ASSERT_ADS(AdsAppendRecord(t));
    for (const auto& [field, value] : values) ASSERT_ADS(AdsSetField(t, field, value));
    ASSERT_ADS(AdsWriteRecord(t));
  }
  Value Get(AdsHandle t, const std::string& field) {
    Value v;
    EXPECT_ADS(AdsGetField(t, field, &v));
    return v;
  }
  std::string Text(AdsHandle t, const std::string& field) {
    const Value v = Get(t, field);
    return v.GetKind() == Value::Kind::String ? v.AsString() : (v.IsNull() ? "<null>" : "<not text>");
  }
  // One field of every record in the handle's order, from the top.
  std::vector<std::string> Column(AdsHandle handle, AdsHandle table, const std::string& field) {
    std::vector<std::string> values;
    EXPECT_ADS(AdsGotoTop(handle));
    bool eof = false;
    while (AdsAtEOF(table, &eof) == 0 && !eof) {
      values.push_back(Text(table, field));
      if (AdsSkip(handle, 1) != 0) break;
    }
    return values;
  }
  std::uint64_t Count(AdsHandle handle) {
    std::uint64_t n = 0;
    EXPECT_ADS(AdsGetRecordCount(handle, &n));
    return n;
  }
  std::uint16_t HandleType(AdsHandle handle) {
    std::uint16_t type = 0;
    EXPECT_ADS(AdsGetHandleType(handle, &type));
    return type;
  }
  std::string FileBytes(const std::string& name) const {
    std::ifstream in(dir.Path() / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  kv::testing::TempFolder dir;
  AdsHandle connection = 0;
};

}  // namespace ace::testing
