// Statements the parser must refuse, with the message a person reads: what was expected, what was found, and
// where (line and column).

#include <gtest/gtest.h>

#include <string>

#include "ace/core/error.h"
#include "ace/sql/parser.h"

namespace ace::sql {
namespace {

struct BadCase {
  const char* text;
  ResultCode code;
  const char* message;
};

constexpr BadCase kBad[] = {
    {"SELECT * WHERE X=1", code::kSqlSyntax, "Expected FROM but found \"WHERE\" at line 1, column 10"},
    {"DELETE QUERY WHERE CODE IS NULL", code::kSqlSyntax, "Expected FROM but found \"QUERY\" at line 1, column 8"},
    {"SELECT * FROM", code::kSqlSyntax, "Expected a table name but found end of statement at line 1, column 14"},
    {"", code::kSqlSyntax,
     "Expected a statement (SELECT, INSERT, UPDATE, DELETE, ALTER TABLE, CREATE or DROP) but found end of "
     "statement at line 1, column 1"},
    {"EXECUTE PROCEDURE eQuillon('A')", code::kSqlSyntax,
     "Expected a statement (SELECT, INSERT, UPDATE, DELETE, ALTER TABLE, CREATE or DROP) but found \"EXECUTE\" at "
     "line 1, column 1"},
    // line and column on the second line of a two-line text
    {"UPDATE EMP_PROS SET COST_CENTRE=1 \r\nWHERE EMP_CODE==2", code::kSqlSyntax,
     "Expected an expression but found \"=\" at line 2, column 16"},
    {"UPDATE T SET A=1\nWHERE B IS NOT 5", code::kSqlSyntax, "Expected NULL but found \"5\" at line 2, column 16"},
    // a column request whose code has no add form leaves the table line alone
    {"ALTER TABLE \"PASS.ADT\"\r\n", code::kSqlSyntax,
     "Expected ADD, ALTER or DROP but found end of statement at line 1, column 23"},
    {"ALTER TABLE \"T.ADT\"\r\nadd column X char", code::kSqlSyntax,
     "Expected \"(\" and the length of char but found end of statement at line 2, column 18"},
    {"ALTER TABLE \"T.ADT\"\r\nadd column X varchar(10)", code::kSqlSyntax,
     "Expected a column type but found \"varchar\" at line 2, column 14"},
    {"ALTER TABLE \"T.ADT\"\r\nadd column X char(0)", code::kSqlSyntax,
     "Expected a length from 1 to 65535 but found \"0\" at line 2, column 19"},
    {"ALTER TABLE \"T.ADT\"\r\nalter column X char(8)", code::kSqlSyntax,
     "Expected a column type but found \"(\" at line 2, column 20"},
    {"ALTER TABLE T ADD A char(1),", code::kSqlSyntax,
     "Expected ADD, ALTER or DROP but found end of statement at line 1, column 29"},
    {"UPDATE T SET A='x", code::kSqlSyntax,
     "Expected ' to end the string begun at line 1, column 16 but found end of statement at line 1, column 18"},
    {"DROP TABLE [AD_TEMP", code::kSqlSyntax,
     "Expected ] to end the name begun at line 1, column 12 but found end of statement at line 1, column 20"},
    {"SELECT * FROM \"\"", code::kSqlSyntax, "Expected a name inside the quotes at line 1, column 15"},
    {"DROP TABLE [AD_TEMP]; DROP TABLE [SETTLEMENT];", code::kSqlSyntax,
     "Expected end of statement but found \"DROP\" at line 1, column 23"},
    {"DROP INDEX PRIMARY", code::kSqlSyntax,
     "Expected \".\" and the index name after the table name but found end of statement at line 1, column 19"},
    {"DROP VIEW V", code::kSqlSyntax, "Expected INDEX or TABLE but found \"VIEW\" at line 1, column 6"},
    {"CREATE INDEX X ON T ()", code::kSqlSyntax, "Expected a column name but found \")\" at line 1, column 22"},
    {"UPDATE T SET A = : B", code::kSqlSyntax,
     "Expected a parameter name after \":\" but found \" \" at line 1, column 19"},
    {"SELECT * FROM T WHERE A = 1 & 2", code::kSqlSyntax,
     "Expected a word, name, number, string or operator but found \"&\" at line 1, column 29"},
    {"SELECT 12abc FROM T", code::kSqlSyntax,
     "Expected a blank or an operator after the number 12 but found \"a\" at line 1, column 10"},
    {"SELECT * FROM T /* note", code::kSqlSyntax,
     "Expected */ to end the comment begun at line 1, column 17 but found end of statement at line 1, column 24"},
    {"SELECT * FROM T \"A\" \"B\"", code::kSqlSyntax, "Expected end of statement but found \"B\" at line 1, column 21"},
    {"INSERT INTO T VALUES ('a' 'b')", code::kSqlSyntax, "Expected \")\" but found 'b' at line 1, column 27"},
    {"SELECT * FROM T WHERE FROM = 1", code::kSqlSyntax,
     "Expected an expression but found \"FROM\" at line 1, column 23"},
    {"SELECT SUM(COUNT(*)) FROM T", code::kSqlSyntax,
     "Expected an expression without an aggregate function inside SUM at line 1, column 12"},
    {"SELECT UPPER(A, B) FROM T", code::kSqlSyntax, "Expected \")\" but found \",\" at line 1, column 15"},
    {"INSERT INTO T (A, B) VALUES (1)", code::kSqlSyntax,
     "Expected 2 values for the 2 columns named but found 1 at line 1, column 30"},
    {"CREATE PROCEDURE P( a CHAR(2) ) FUNCTION F IN LIBRARY lib", code::kSqlSyntax,
     "Expected the library name in quotes but found \"lib\" at line 1, column 55"},
    {"SELECT FOO(A) FROM T", code::kSqlUnsupported,
     "Unknown function FOO at line 1, column 8 (the dialect has UPPER, LOWER, TRIM, LTRIM, RTRIM, COUNT, SUM, MIN, "
     "MAX, AVG)"},
};

TEST(SqlSyntax, RefusedStatementsSayWhatAndWhere) {
  for (const BadCase& bad : kBad) {
    SCOPED_TRACE(bad.text);
    try {
      Parse(bad.text);
      ADD_FAILURE() << "parsed";
    } catch (const AceError& e) {
      EXPECT_EQ(e.Code(), bad.code);
      EXPECT_STREQ(e.what(), bad.message);
    }
  }
}

TEST(SqlSyntax, BlanksCommentsAndCaseAreFree) {
  const char* forms[] = {
      "select * from T where A = 1",
      "SELECT\t*\r\nFROM T -- the table\r\nWHERE /* the key */ A=1 ;  \r\n",
      "Select * From [T] Where \"A\" = 1;",
  };
  for (const char* text : forms) EXPECT_EQ(Dump(Parse(text)), "select * from T where (= A 1)") << text;
}

TEST(SqlSyntax, WordsOfTheLanguageServeAsNames) {
  EXPECT_EQ(Dump(Parse("SELECT DESC, TYPE AS USER, NEW.DATE FROM QUERY NEW WHERE CURRENT = 0 AND DATE IS NULL "
                       "GROUP BY DESC ORDER BY DESC DESC, TYPE")),
            "select DESC, TYPE as USER, NEW.DATE from QUERY NEW where (and (= CURRENT 0) (is-null DATE)) "
            "group by DESC order by DESC desc, TYPE");
  EXPECT_EQ(Dump(Parse("INSERT INTO TIME (DATE, TIME, COUNT) VALUES (NULL, TRUE, FALSE)")),
            "insert into TIME (DATE, TIME, COUNT) values (NULL, TRUE, FALSE)");
  EXPECT_EQ(Dump(Parse("CREATE INDEX DESC ON TABLE (DESC DESC, ASC ASC, INDEX)")),
            "create index DESC on TABLE (DESC desc, ASC, INDEX)");
  EXPECT_EQ(Dump(Parse("DELETE FROM USER WHERE [WHERE] = 1")), "delete from USER where (= WHERE 1)");
}

TEST(SqlSyntax, ExpressionAloneForFiltersAndKeys) {
  EXPECT_EQ(Dump(*ParseExpression("database1='ALLW'")), "(= database1 'ALLW')");
  EXPECT_EQ(Dump(*ParseExpression("-A + 2 * (B - -1.5) / 4")), "(+ (neg A) (/ (* 2 (- B -1.5)) 4))");
  EXPECT_EQ(Dump(*ParseExpression("NOT A = 1 AND B <> 2 OR C != 3")),
            "(or (and (not (= A 1)) (<> B 2)) (<> C 3))");
  try {
    ParseExpression("A = 1 B");
    ADD_FAILURE() << "parsed";
  } catch (const AceError& e) {
    EXPECT_STREQ(e.what(), "Expected end of expression but found \"B\" at line 1, column 7");
  }
}

}  // namespace
}  // namespace ace::sql

namespace ace::sql {
namespace {

// Parsing, evaluating and freeing are recursive: input nested or chained without end is refused, never a crash.
TEST(SqlSyntax, EndlessNestingAndChainsAreRefused) {
  std::string parens = "SELECT * FROM T WHERE ";
  for (int i = 0; i < 20000; ++i) parens += "(";
  parens += "A = 1";
  for (int i = 0; i < 20000; ++i) parens += ")";
  std::string negations = "SELECT * FROM T WHERE A = ";
  for (int i = 0; i < 100000; ++i) negations += "- ";
  negations += "1";
  std::string chain = "SELECT * FROM T WHERE A = 1";
  for (int i = 0; i < 200000; ++i) chain += " AND A = 1";
  for (const std::string* text : {&parens, &negations, &chain}) {
    try {
      Parse(*text);
      ADD_FAILURE() << "accepted a statement of " << text->size() << " characters";
    } catch (const AceError& e) {
      EXPECT_EQ(e.Code(), code::kSqlSyntax);
    }
  }
  std::string deepButFine = "SELECT * FROM T WHERE ";
  for (int i = 0; i < 50; ++i) deepButFine += "(";
  deepButFine += "A = 1";
  for (int i = 0; i < 50; ++i) deepButFine += ")";
  EXPECT_NO_THROW(Parse(deepButFine));
}

}  // namespace
}  // namespace ace::sql
