#include <gtest/gtest.h>

#include "calls/engine_fixture.h"

namespace ace::testing {
namespace {

class Indexes : public EngineTest {
 protected:
  // PERIOD;EMPCODE as in the payroll history tables, built on rows that are there before the tag.
  AdsHandle PayrollTable() {
    AdsHandle t = Create("PAYHIST", "PERIOD,Char,6;EMPCODE,Char,8;AMOUNT,CurDouble,2;SEQ,Integer;");
    const struct { const char* period; const char* emp; int seq; } rows[] = {
        {"201202", "E002", 1}, {"201201", "E002", 2}, {"201201", "E001", 3}, {"201203", "E001", 4}, {"201202", "E001", 5}};
    for (const auto& r : rows)
      Append(t, {{"PERIOD", Value::String(r.period)}, {"EMPCODE", Value::String(r.emp)}, {"SEQ", Value::Integer(r.seq)}});
    return t;
  }
  std::vector<std::string> Seqs(AdsHandle order, AdsHandle t) {
    std::vector<std::string> out;
    EXPECT_ADS(AdsGotoTop(order));
    bool eof = false;
    while (AdsAtEOF(t, &eof) == 0 && !eof) {
      out.push_back(std::to_string(Get(t, "SEQ").AsInteger()));
      if (AdsSkip(order, 1) != 0) break;
    }
    return out;
  }
};

TEST_F(Indexes, TagsAreBuiltOnExistingRowsAndKeptCurrent) {
  AdsHandle t = PayrollTable();
  AdsHandle byKey = 0, byEmpDesc = 0;
  ASSERT_ADS(AdsCreateIndex61(t, "", "PK", "PERIOD;EMPCODE", "", "", 2, 512, &byKey));
  ASSERT_ADS(AdsCreateIndex61(t, "", "EMPDESC", "UPPER(EMPCODE);PERIOD", "", "", 2 | 8, 1024, &byEmpDesc));
  EXPECT_EQ(Seqs(byKey, t), (std::vector<std::string>{"3", "2", "5", "1", "4"}));
  EXPECT_EQ(Seqs(byEmpDesc, t), (std::vector<std::string>{"1", "2", "4", "5", "3"}));

  // append, edit (the key moves), delete: every tag follows
  Append(t, {{"PERIOD", Value::String("201112")}, {"EMPCODE", Value::String("e003")}, {"SEQ", Value::Integer(6)}});
  ASSERT_ADS(AdsGotoTop(byKey));
  ASSERT_ADS(AdsSkip(byKey, 1));  // 6, 3
  ASSERT_ADS(AdsSetField(t, "PERIOD", Value::String("201299")));
  ASSERT_ADS(AdsWriteRecord(t));
  ASSERT_ADS(AdsSkip(byKey, 1));
  EXPECT_EQ(AdsSkip(byKey, 1), 0u);
  bool eof = false;
  ASSERT_ADS(AdsAtEOF(t, &eof));
  EXPECT_TRUE(eof) << "the edited record moved to the end of the order";
  bool found = false;
  const Value key[] = {Value::String("201202"), Value::String("E001")};
  ASSERT_ADS(AdsSeek(byKey, key, seek_type::kExact, &found));
  ASSERT_TRUE(found);
  ASSERT_ADS(AdsDeleteRecord(t));
  EXPECT_EQ(Seqs(byKey, t), (std::vector<std::string>{"6", "2", "1", "4", "3"}));
  EXPECT_EQ(Seqs(byEmpDesc, t), (std::vector<std::string>{"6", "1", "2", "3", "4"}));
  ASSERT_ADS(AdsCloseTable(t));

  t = Open("PAYHIST");  // persisted
  std::uint16_t n = 0;
  ASSERT_ADS(AdsGetNumIndexes(t, &n));
  EXPECT_EQ(n, 2);
  AdsHandle pk = Index(t, "pk");
  std::string expression;
  std::uint32_t options = 0, pageSize = 0;
  ASSERT_ADS(AdsGetIndexExpr(pk, &expression));
  ASSERT_ADS(AdsGetIndexOptions(Index(t, "EMPDESC"), &options));
  ASSERT_ADS(AdsGetIndexPageSize(Index(t, "EMPDESC"), &pageSize));
  EXPECT_EQ(expression, "PERIOD;EMPCODE");
  EXPECT_EQ(options, 10u);
  EXPECT_EQ(pageSize, 1024u);
  EXPECT_EQ(Seqs(pk, t), (std::vector<std::string>{"6", "2", "1", "4", "3"}));
  EXPECT_EQ(Seqs(t, t), (std::vector<std::string>{"1", "2", "3", "4", "6"}));  // the table handle: natural order
}

TEST_F(Indexes, FieldsOfAKeyMayBeJoinedByCommas) {
  AdsHandle t = PayrollTable();
  AdsHandle byComma = 0;
  ASSERT_ADS(AdsCreateIndex61(t, "", "PK", "PERIOD,EMPCODE", "", "", 2, 512, &byComma));
  EXPECT_EQ(Seqs(byComma, t), (std::vector<std::string>{"3", "2", "5", "1", "4"}));
  std::string expression;
  ASSERT_ADS(AdsGetIndexExpr(byComma, &expression));
  EXPECT_EQ(expression, "PERIOD,EMPCODE");
}

TEST_F(Indexes, SeeksAndScopesOnPartialKeys) {
  AdsHandle t = PayrollTable();
  AdsHandle pk = 0;
  ASSERT_ADS(AdsCreateIndex61(t, "", "PK", "PERIOD;EMPCODE", "", "", 2, 512, &pk));
  bool found = false;
  const Value period[] = {Value::String("201202")};
  ASSERT_ADS(AdsSeek(pk, period, seek_type::kExact, &found));
  EXPECT_TRUE(found);
  EXPECT_EQ(Get(t, "SEQ"), Value::Integer(5));
  const Value missing[] = {Value::String("201150")};
  ASSERT_ADS(AdsSeek(pk, missing, seek_type::kExact, &found));
  EXPECT_FALSE(found);
  bool eof = false;
  ASSERT_ADS(AdsAtEOF(t, &eof));
  EXPECT_TRUE(eof);
  ASSERT_ADS(AdsSeek(pk, missing, seek_type::kNearest, &found));
  EXPECT_FALSE(found);
  EXPECT_EQ(Get(t, "SEQ"), Value::Integer(3));  // the first key after it
  const Value beyond[] = {Value::String("209912")};
  ASSERT_ADS(AdsSeek(pk, beyond, seek_type::kNearest, &found));
  ASSERT_ADS(AdsAtEOF(t, &eof));
  EXPECT_TRUE(eof);
  const Value tooMany[] = {Value::String("1"), Value::String("2"), Value::String("3")};
  EXPECT_EQ(AdsSeek(pk, tooMany, seek_type::kExact, &found), code::kInvalidArgument);

  ASSERT_ADS(AdsSetScope(pk, scope_end::kTop, period));
  ASSERT_ADS(AdsSetScope(pk, scope_end::kBottom, period));
  EXPECT_EQ(Seqs(pk, t), (std::vector<std::string>{"5", "1"}));
  ASSERT_ADS(AdsGotoBottom(pk));
  EXPECT_EQ(Get(t, "SEQ"), Value::Integer(1));
  ASSERT_ADS(AdsSkip(pk, -1));
  ASSERT_ADS(AdsSkip(pk, -1));
  bool bof = false;
  ASSERT_ADS(AdsAtBOF(t, &bof));
  EXPECT_TRUE(bof);
  ASSERT_ADS(AdsClearScope(pk, scope_end::kBottom));
  EXPECT_EQ(Seqs(pk, t), (std::vector<std::string>{"5", "1", "4"}));
  ASSERT_ADS(AdsClearScope(pk, scope_end::kTop));
  EXPECT_EQ(Seqs(pk, t).size(), 5u);
}

TEST_F(Indexes, UniqueTagRefusesDuplicateAndWritesNothing) {
  AdsHandle t = PayrollTable();
  AdsHandle pk = 0;
  ASSERT_ADS(AdsCreateIndex61(t, "", "PK", "PERIOD;EMPCODE", "", "", 3, 512, &pk));
  ASSERT_ADS(AdsAppendRecord(t));
  ASSERT_ADS(AdsSetField(t, "PERIOD", Value::String("201201")));
  ASSERT_ADS(AdsSetField(t, "EMPCODE", Value::String("E001  ")));  // trailing blanks do not make it another key
  EXPECT_EQ(AdsWriteRecord(t), code::kUniqueKeyViolation);
  EXPECT_NE(LastErrorText().find("PK"), std::string::npos) << LastErrorText();
  ASSERT_ADS(AdsCancelUpdate(t));
  std::uint64_t count = 0;
  ASSERT_ADS(AdsGetRecordCount(t, &count));
  EXPECT_EQ(count, 5u);
  // A unique tag cannot be made over rows that already repeat a key.
  EXPECT_EQ(AdsCreateIndex61(t, "", "BYPERIOD", "PERIOD", "", "", 3, 512, nullptr), code::kUniqueKeyViolation);
  std::uint16_t n = 0;
  ASSERT_ADS(AdsGetNumIndexes(t, &n));
  EXPECT_EQ(n, 1);
  EXPECT_EQ(AdsCreateIndex61(t, "", "BAD", "NOFIELD", "", "", 2, 512, nullptr), code::kBadIndexKey);
  EXPECT_EQ(AdsCreateIndex61(t, "", "PK", "SEQ", "", "", 2, 512, nullptr), code::kIndexExists);
}

TEST_F(Indexes, NumbersDatesAndEmptyValuesOrderByValue) {
  AdsHandle t = Create("N", "V,Double,2;D,Date;I,Integer;");
  const double values[] = {3.5, -2, 0, -0.5, 1e9, -1e9};
  int day = 1;
  for (double v : values)
    Append(t, {{"V", Value::Double(v)}, {"D", Value::Date(kv::Date::FromYmd(2020, 1, day))}, {"I", Value::Integer(-day)}}), ++day;
  Append(t, {});
  AdsHandle byV = 0, byD = 0, byI = 0;
  ASSERT_ADS(AdsCreateIndex61(t, "", "V", "V", "", "", 2, 512, &byV));
  ASSERT_ADS(AdsCreateIndex61(t, "", "D", "D", "", "", 10, 512, &byD));
  ASSERT_ADS(AdsCreateIndex61(t, "", "I", "I", "", "", 2, 512, &byI));
  std::vector<double> seen;
  ASSERT_ADS(AdsGotoTop(byV));
  ASSERT_ADS(AdsSkip(byV, 1));  // the empty record sorts first
  for (int i = 0; i < 6; ++i, AdsSkip(byV, 1)) seen.push_back(Get(t, "V").AsDouble());
  EXPECT_EQ(seen, (std::vector<double>{-1e9, -2, -0.5, 0, 3.5, 1e9}));
  ASSERT_ADS(AdsGotoTop(byD));
  EXPECT_EQ(Get(t, "D"), Value::Date(kv::Date::FromYmd(2020, 1, 6)));  // descending
  ASSERT_ADS(AdsGotoBottom(byI));
  EXPECT_EQ(Get(t, "I"), Value::Integer(-1));
}

}  // namespace
}  // namespace ace::testing
