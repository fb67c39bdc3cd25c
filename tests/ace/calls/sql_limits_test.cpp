// Odd statements cost bounded work: nesting without end is refused with a syntax error before it can exhaust a
// thread's stack, and a result of many same-named columns gets distinct names.
//
// The statements run on a thread with a 1 MiB stack, so that a parser or evaluator that recursed too deep
// crashes the test instead of passing on the main thread's larger stack.

#include <gtest/gtest.h>
#include <pthread.h>

#include <functional>
#include <string>

#include "calls/sql_fixture.h"

namespace ace::testing {
namespace {

void OnSmallStack(const std::function<void()>& body) {
  pthread_attr_t attributes;
  ASSERT_EQ(pthread_attr_init(&attributes), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attributes, 1u << 20), 0);
  pthread_t thread;
  auto run = [](void* argument) -> void* {
    (*static_cast<const std::function<void()>*>(argument))();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attributes, run, const_cast<std::function<void()>*>(&body)), 0);
  pthread_attr_destroy(&attributes);
  ASSERT_EQ(pthread_join(thread, nullptr), 0);
}

std::string Repeat(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

class SqlLimits : public SqlTest {
 protected:
  void SetUp() override {
    SqlTest::SetUp();
    Make({"T", "A,Integer;B,Char,8", {{"1", "x"}, {"2", "y"}}});
  }
};

TEST_F(SqlLimits, DeepNestingOfAnyKindIsASyntaxErrorNotACrash) {
  const std::string nested[] = {
      "SELECT A FROM T WHERE A = " + Repeat("- ", 4990) + "A",
      "SELECT A FROM T WHERE " + Repeat("NOT ", 4990) + "A = 1",
      "SELECT " + Repeat("UPPER(", 1600) + "B" + Repeat(")", 1600) + " FROM T",
      "SELECT " + Repeat("(", 2400) + "A" + Repeat(")", 2400) + " FROM T",
      "SELECT A FROM T WHERE " + Repeat("NOT (", 1200) + "A = 1" + Repeat(")", 1200),
      "SELECT A FROM T WHERE A = " + Repeat("- (", 1600) + "A" + Repeat(")", 1600),
  };
  OnSmallStack([&] {
    for (const std::string& text : nested) {
      EXPECT_EQ(Run(text), code::kSqlSyntax) << text.substr(0, 40);
      EXPECT_NE(LastErrorText().find("nested more than 200 deep at line 1, column"), std::string::npos)
          << LastErrorText();
    }
    // Nesting a person writes stays well inside the bound.
    AdsHandle cursor = 0;
    ASSERT_ADS(Run("SELECT " + Repeat("UPPER(", 40) + "B" + Repeat(")", 40) + " AS U, " + Repeat("- ", 40) +
                       "A AS M FROM T WHERE " + Repeat("NOT ", 40) + "A = 2 ORDER BY U",
                   {}, &cursor));
    EXPECT_EQ(RowsOf(cursor), (std::vector<std::string>{"Y|2"}));
    AdsCloseTable(cursor);
  });
}

// Long chains of one operator are loops in the parser, but the tree they build is as deep as the chain: the
// statement's length bound keeps every pass over it (binding, evaluation, freeing) within the small stack.
TEST_F(SqlLimits, LongestChainsOfOperatorsRunOnASmallStack) {
  OnSmallStack([&] {
    AdsHandle cursor = 0;
    ASSERT_ADS(Run("SELECT A" + Repeat(" + 1", 2490) + " AS S FROM T ORDER BY S", {}, &cursor));
    EXPECT_EQ(RowsOf(cursor), (std::vector<std::string>{"2491", "2492"}));
    AdsCloseTable(cursor);
    ASSERT_ADS(Run("SELECT A FROM T WHERE A = 2" + Repeat(" OR A = 7", 1240) + " ORDER BY A", {}, &cursor));
    EXPECT_EQ(RowsOf(cursor), (std::vector<std::string>{"2"}));
    AdsCloseTable(cursor);
  });
}

TEST_F(SqlLimits, ManyColumnsOfOneNameGetDistinctNumberedNames) {
  AdsHandle cursor = 0;
  ASSERT_ADS(Run("SELECT A" + Repeat(", A", 1999) + " FROM T", {}, &cursor));
  std::uint16_t count = 0;
  ASSERT_ADS(AdsGetNumFields(cursor, &count));
  ASSERT_EQ(count, 2000);
  std::vector<std::string> names(count);
  for (std::uint16_t i = 1; i <= count; ++i) ASSERT_ADS(AdsGetFieldName(cursor, i, &names[i - 1]));
  EXPECT_EQ(names[0], "A");
  for (std::uint16_t i = 2; i <= count; ++i) ASSERT_EQ(names[i - 1], "A_" + std::to_string(i)) << i;
  AdsCloseTable(cursor);

  // A name already taken, by an alias or by an earlier renaming, is skipped without regard to case.
  const std::pair<std::string, std::string> cases[] = {
      {"SELECT A, A, A AS A_2, A FROM T", "A|A_2|A_2_2|A_3"},
      {"SELECT A AS a_3, A, A, A, B AS a FROM T", "a_3|A|A_2|A_4|a_5"},
      {"SELECT B AS X, A AS x, 1, 2, B AS EXPR FROM T", "X|x_2|EXPR|EXPR_2|EXPR_3"},
  };
  for (const auto& [text, expected] : cases) {
    ASSERT_ADS(Run(text, {}, &cursor));
    ASSERT_ADS(AdsGetNumFields(cursor, &count));
    std::string got;
    for (std::uint16_t i = 1; i <= count; ++i) {
      std::string name;
      ASSERT_ADS(AdsGetFieldName(cursor, i, &name));
      got += (i > 1 ? "|" : "") + name;
    }
    EXPECT_EQ(got, expected) << text;
    AdsCloseTable(cursor);
  }
}

}  // namespace
}  // namespace ace::testing
