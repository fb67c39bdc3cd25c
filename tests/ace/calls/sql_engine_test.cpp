// Statements through the engine calls: cursors, errors, statements that fail without changing anything,
// encrypted tables, data dictionaries and record filters.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ace/dict/dictionary.h"
#include "ace/calls/handles.h"
#include "calls/sql_fixture.h"

namespace ace::testing {
namespace {

namespace stdfs = std::filesystem;
using detail::Registry;

std::string ErrorText() {
  std::string text;
  AdsGetLastError(nullptr, &text);
  return text;
}

class Cursors : public SqlTest {
 protected:
  void SetUp() override {
    SqlTest::SetUp();
    Make({"EMP", "CODE,Char,4;NAME,Char,12;DEPT,Char,4;PAY,CurDouble,6;",
          {{"E3", "Chan", "HR", "3000"}, {"E1", "Tan", "IT", "4000"}, {"E2", "Lim", "IT", "3500"}, {"E4", "Ng", "HR", "~"}},
          {{"CODE", "CODE"}, {"NAME", "UPPER(NAME)"}}});
  }
  void Live() {
    StatementOptions options;
    options.readOnly = false;
    ASSERT_ADS(AdsStmtSetOptions(Statement(), options));
  }
};

TEST_F(Cursors, SelectStarIsTheTableWithItsTagsAndWhere) {
  AdsHandle cursor = 0;
  ASSERT_ADS(Run("SELECT * FROM emp E WHERE E.DEPT = 'IT' AND EMP.PAY > 0", {}, &cursor));
  std::uint16_t type = 0;
  ASSERT_ADS(AdsGetHandleType(cursor, &type));
  EXPECT_EQ(type, handle_type::kCursor);
  ASSERT_ADS(AdsGetHandleType(statement, &type));
  EXPECT_EQ(type, handle_type::kStatement);
  EXPECT_EQ(RowsOf(cursor), (std::vector<std::string>{"E1|Tan|IT|4000", "E2|Lim|IT|3500"}));
  // Any tag of the table is an order of the cursor, searched and scoped within the WHERE.
  const AdsHandle byCode = Index(cursor, "CODE");
  EXPECT_EQ(Column(byCode, cursor, "CODE"), (std::vector<std::string>{"E1", "E2"}));
  bool found = false;
  const Value e2[] = {Value::String("E2")}, e3[] = {Value::String("E3")};
  ASSERT_ADS(AdsSeek(byCode, e2, seek_type::kExact, &found));
  EXPECT_TRUE(found);
  EXPECT_EQ(Text(cursor, "NAME"), "Lim");
  ASSERT_ADS(AdsSeek(byCode, e3, seek_type::kExact, &found));
  EXPECT_FALSE(found) << "E3 is in HR, outside the WHERE";
  std::uint64_t count = 0;
  ASSERT_ADS(AdsGetRecordCount(statement, &count));
  EXPECT_EQ(count, 2u);
  ASSERT_ADS(AdsGetRecordCount(cursor, &count));
  EXPECT_EQ(count, 2u) << "a cursor counts the rows of its WHERE";
  ASSERT_ADS(AdsSetScope(byCode, scope_end::kTop, e2));
  EXPECT_EQ(Column(byCode, cursor, "CODE"), (std::vector<std::string>{"E2"}));
  // Not live: the cursor cannot change the table.
  ASSERT_ADS(AdsGotoTop(cursor));
  EXPECT_EQ(AdsSetField(cursor, "NAME", Value::String("X")), code::kReadOnly);
}

TEST_F(Cursors, LiveCursorEditsAppendsAndDeletesThroughToTheTable) {
  Live();
  AdsHandle cursor = 0;
  ASSERT_ADS(Run("SELECT * FROM EMP.ADT WHERE DEPT='HR'", {}, &cursor));
  ASSERT_ADS(AdsGotoTop(cursor));
  ASSERT_ADS(AdsLockRecord(cursor, 0));
  ASSERT_ADS(AdsSetField(cursor, "PAY", Value::Double(3100)));
  ASSERT_ADS(AdsWriteRecord(cursor));
  ASSERT_ADS(AdsUnlockRecord(cursor, 0));
  Append(cursor, {{"CODE", Value::String("E5")}, {"NAME", Value::String("Lee")}, {"DEPT", Value::String("HR")}});
  ASSERT_ADS(AdsGotoBottom(cursor));
  ASSERT_ADS(AdsSkip(cursor, -1));
  EXPECT_EQ(Text(cursor, "CODE"), "E4");
  ASSERT_ADS(AdsDeleteRecord(cursor));
  AdsCloseTable(cursor);
  EXPECT_EQ(Contents("EMP"), (std::vector<std::string>{"CODE Char(4)|NAME Char(12)|DEPT Char(4)|PAY CurDouble",
                                                       "E3|Chan|HR|3100", "E1|Tan|IT|4000", "E2|Lim|IT|3500",
                                                       "E5|Lee|HR|~"}));
}

TEST_F(Cursors, StaticResultIsItsOwnTableRemovedOnClose) {
  AdsHandle cursor = 0;
  ASSERT_ADS(Run("SELECT DEPT, COUNT(*) AS N, SUM(PAY) AS TOTAL, MAX(NAME) FROM EMP GROUP BY DEPT ORDER BY N DESC, 1",
                 {}, &cursor));
  EXPECT_EQ(HandleType(cursor), handle_type::kCursor);
  EXPECT_EQ(Header(cursor), "DEPT Char(4)|N Integer|TOTAL CurDouble|EXPR Char(12)");
  EXPECT_EQ(RowsOf(cursor), (std::vector<std::string>{"HR|2|3000|Ng", "IT|2|7500|Tan"}));
  EXPECT_EQ(Count(statement), 2u);
  EXPECT_EQ(Count(cursor), 2u);
  // Searched like any table: a tag of its own columns.
  AdsHandle byTotal = 0;
  ASSERT_ADS(AdsCreateIndex61(cursor, "", "TOTAL", "TOTAL", "", "", 2, 512, &byTotal));
  const Value total[] = {Value::Double(7500)};
  bool found = false;
  ASSERT_ADS(AdsSeek(byTotal, total, seek_type::kExact, &found));
  EXPECT_TRUE(found);
  EXPECT_EQ(Text(cursor, "DEPT"), "IT");
  std::string file;
  ASSERT_ADS(AdsGetTableFileName(cursor, &file));
  EXPECT_TRUE(stdfs::exists(file));
  EXPECT_FALSE(stdfs::equivalent(stdfs::path(file).parent_path(), dir.Path()));
  ASSERT_ADS(AdsCloseTable(cursor));
  EXPECT_FALSE(stdfs::exists(stdfs::path(file).parent_path())) << file;
  // The table itself is untouched, and closing the statement closes cursors it still has.
  ASSERT_ADS(Run("SELECT CODE FROM EMP WHERE PAY IS NULL", {}, &cursor));
  ASSERT_ADS(AdsGetTableFileName(cursor, &file));
  EXPECT_EQ(RowsOf(cursor), std::vector<std::string>{"E4"});
  ASSERT_ADS(AdsCloseSQLStatement(statement));
  EXPECT_FALSE(stdfs::exists(stdfs::path(file).parent_path()));
  EXPECT_EQ(AdsGotoTop(cursor), code::kInvalidHandle);
  EXPECT_EQ(AdsCloseSQLStatement(statement), code::kStatementClosed);
  statement = 0;
  EXPECT_EQ(Contents("EMP").size(), 5u);
}

TEST_F(Cursors, ResultsOfExpressionsJoinsAndEmptyAggregates) {
  Make({"DEPT", "DEPT,Char,4;TITLE,Char,20;", {{"IT", "Systems"}, {"HR", "People"}}});
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"SELECT UPPER(NAME) AS N, PAY / 1000 FROM EMP WHERE PAY >= 3500 ORDER BY N",
       {"N Char(12)|EXPR CurDouble", "LIM|3.5", "TAN|4"}},
      {"SELECT E.CODE, D.TITLE FROM EMP E, DEPT D WHERE E.DEPT = D.DEPT AND E.PAY > 3000 ORDER BY E.CODE",
       {"CODE Char(4)|TITLE Char(20)", "E1|Systems", "E2|Systems"}},
      {"SELECT COUNT(*), SUM(PAY), MIN(CODE) FROM EMP WHERE DEPT = 'XX'",
       {"EXPR Integer|EXPR_2 CurDouble|EXPR_3 Char(4)", "0|~|~"}},
      {"SELECT DISTINCT DEPT FROM EMP ORDER BY DEPT DESC", {"DEPT Char(4)", "IT", "HR"}},
      {"SELECT COUNT(PAY) AS PAID FROM EMP", {"PAID Integer", "3"}},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    AdsHandle cursor = 0;
    ASSERT_ADS(Run(text, {}, &cursor));
    std::vector<std::string> rows{Header(cursor)};
    for (std::string& row : RowsOf(cursor)) rows.push_back(std::move(row));
    EXPECT_EQ(rows, expected);
    AdsCloseTable(cursor);
  }
}

TEST_F(Cursors, ParametersBindByNameAndStayBound) {
  const AdsHandle s = Statement();
  ASSERT_ADS(AdsPrepareSQL(s, "SELECT CODE FROM EMP WHERE DEPT = :Dept AND PAY > :MIN ORDER BY CODE"));
  std::vector<std::string> names;
  ASSERT_ADS(AdsGetParameterNames(s, &names));
  EXPECT_EQ(names, (std::vector<std::string>{"Dept", "MIN"}));
  ASSERT_ADS(AdsSetParameter(s, ":DEPT", Value::String("IT")));
  AdsHandle cursor = 0;
  EXPECT_EQ(AdsExecuteSQL(s, &cursor), code::kSqlParameterMissing);
  EXPECT_NE(ErrorText().find("Parameter :MIN has no value"), std::string::npos) << ErrorText();
  ASSERT_ADS(AdsSetParameter(s, "min", Value::Money(kv::Currency::FromDouble(3600))));
  ASSERT_ADS(AdsExecuteSQL(s, &cursor));
  EXPECT_EQ(RowsOf(cursor), std::vector<std::string>{"E1"});
  ASSERT_ADS(AdsSetParameter(s, "Min", Value::Integer(0)));
  ASSERT_ADS(AdsExecuteSQL(s, &cursor));
  EXPECT_EQ(RowsOf(cursor), (std::vector<std::string>{"E1", "E2"}));
}

TEST_F(Cursors, HandlesGoWithTheirConnection) {
  AdsHandle other = 0, s = 0, cursor = 0;
  ASSERT_ADS(AdsConnect60(dir.Path().string(), 3, "", "", 0, &other));
  ASSERT_ADS(AdsCreateSQLStatement(other, &s));
  ASSERT_ADS(AdsExecuteSQLDirect(s, "SELECT * FROM EMP", &cursor));
  ASSERT_ADS(AdsDisconnect(other));
  EXPECT_EQ(AdsGotoTop(cursor), code::kInvalidHandle);
  EXPECT_EQ(AdsExecuteSQL(s, &cursor), code::kStatementClosed);
  EXPECT_EQ(AdsCloseSQLStatement(s), code::kStatementClosed);
  EXPECT_EQ(AdsCloseSQLStatement(999999), code::kInvalidHandle);
  AdsHandle none = 0;
  EXPECT_EQ(AdsCreateSQLStatement(other, &none), code::kInvalidHandle);
  EXPECT_EQ(AdsExecuteSQL(Statement(), &cursor), code::kInvalidArgument) << "nothing prepared";
}

// --- errors: what and where, and nothing changed ------------------------------------------------------------------

class Errors : public SqlTest {
 protected:
  void SetUp() override {
    SqlTest::SetUp();
    Make({"T", "ID,AutoInc;CODE,Char,4;N,Integer;TXT,Char,6;D,Date;",
          {{"", "A", "1", "10", "2026-01-31"}, {"", "B", "2", "20", "~"}, {"", "C", "3", "abc", "~"}},
          {{"CODE", "CODE"}}, index_option::kCompound | index_option::kUnique});
  }
};

TEST_F(Errors, BadStatementsSayWhatAndWhereAndChangeNothing) {
  struct Case {
    std::string text;
    ResultCode code;
    std::string says;
  };
  const Case cases[] = {
      {"SELECT * FROM NOPE", code::kSqlUnknownTable, "Table NOPE does not exist in "},
      {"SELECT * FROM T WHERE NOPE = 1", code::kSqlUnknownColumn, "Column 'NOPE' is not in table T at line 1, column 23"},
      {"SELECT X.CODE FROM T", code::kSqlUnknownTable, "Table X of column X.CODE is not named in the statement at line 1, column 8"},
      {"UPDATE T SET\r\n  NOPE = 1", code::kSqlUnknownColumn, "Column 'NOPE' is not in table T at line 2, column 3"},
      {"UPDATE T SET CODE = 'Z' WHERE", code::kSqlSyntax, "end of statement at line 1, column 30"},
      {"UPDATE T SET D = 'someday'", code::kSqlTypeMismatch, "Date field 'D' at line 1, column 18"},
      {"UPDATE T SET N = TXT", code::kSqlTypeMismatch, "Integer field 'N' at line 1, column 18"},
      {"UPDATE T SET CODE = 'A'", code::kUniqueKeyViolation, "gives two records of table T the key A of unique index tag CODE"},
      {"UPDATE T SET CODE = 'B' WHERE CODE = 'A'", code::kUniqueKeyViolation, "the key B is in unique index tag CODE"},
      {"UPDATE T SET CODE = :C", code::kSqlParameterMissing, "Parameter :C has no value (used at line 1, column 21)"},
      {"UPDATE T SET ID = 5", code::kReadOnly, "Column 'ID' of table T is numbered by the table"},
      {"DELETE FROM T WHERE SUM(N) > 1", code::kSqlUnsupported, "The aggregate SUM cannot stand in WHERE at line 1, column 21"},
      {"DELETE FROM T WHERE D = TRUE", code::kSqlTypeMismatch, "Date and Boolean"},
      {"INSERT INTO T (CODE, NOPE) VALUES ('Q', 1)", code::kSqlUnknownColumn, "Column 'NOPE' is not in table T at line 1, column 22"},
      {"INSERT INTO T (CODE) VALUES ('A')", code::kUniqueKeyViolation, "unique index tag CODE"},
      {"INSERT INTO T (CODE, N) VALUES ('Q', CODE)", code::kSqlUnknownColumn, "VALUES cannot read column 'CODE'"},
      {"SELECT CODE, COUNT(*) FROM T", code::kSqlUnsupported, "Column 'CODE' must be named in GROUP BY"},
      {"ALTER TABLE T ADD code char(2)", code::kColumnExists, "column 'code' is in table T already (line 1, column 19)"},
      {"ALTER TABLE T ADD X char(2) ALTER NOPE NOPE integer", code::kColumnNotFound, "column 'NOPE' is not in table T"},
      {"ALTER TABLE T DROP COLUMN NOPE", code::kColumnNotFound, "column 'NOPE' is not in table T"},
      {"ALTER TABLE T ALTER COLUMN CODE N char(4)", code::kColumnExists, "column 'N' is in table T already"},
      {"ALTER TABLE T ALTER COLUMN D D integer", code::kColumnConversion, "column 'D' of table T cannot change from Date to Integer"},
      {"ALTER TABLE T ALTER COLUMN TXT TXT integer", code::kColumnConversion, "column 'TXT' of table T cannot become Integer: the value 'abc'"},
      {"ALTER TABLE T ALTER COLUMN N N char(0)", code::kSqlSyntax, ""},
      {"ALTER TABLE T ADD X char(2), ALTER COLUMN CODE CODE integer", code::kColumnConversion, "the value 'A' does not read"},
      {"CREATE PROCEDURE P (a char(2)) FUNCTION F IN LIBRARY 'x.aep'", code::kSqlUnsupported, "needs a connection to a data dictionary"},
      {"CREATE INDEX X ON T (CODE, NOPE)", code::kSqlUnknownColumn, "Column 'NOPE' is not in table T at line 1, column 28"},
      {"CREATE INDEX X ON T (CODE DESC, N)", code::kSqlUnsupported, "ascending or descending as a whole"},
      {"DROP INDEX T.NOPE", code::kIndexNotFound, "table T has no index tag NOPE"},
  };
  const std::vector<std::string> before = Contents("T");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Run(c.text), c.code) << LastErrorText();
    EXPECT_NE(ErrorText().find(c.says), std::string::npos) << ErrorText();
    EXPECT_EQ(Contents("T"), before);
    EXPECT_EQ(Tags("T"), std::vector<std::string>{"CODE=CODE"});
  }
}

TEST_F(Errors, ChangesStopBeforeTheFirstWriteWhenARecordIsLocked) {
  const AdsHandle other = Open("T");
  ASSERT_ADS(AdsGotoRecord(other, 3));
  ASSERT_ADS(AdsLockRecord(other, 0));
  const std::vector<std::string> before = Contents("T");
  EXPECT_EQ(Run("UPDATE T SET N = N + 100"), code::kRecordLocked);
  EXPECT_EQ(Run("DELETE FROM T WHERE N > 0"), code::kRecordLocked);
  EXPECT_EQ(Contents("T"), before);
  ASSERT_ADS(AdsUnlockRecord(other, 0));
  ASSERT_ADS(Run("UPDATE T SET N = N + 100 WHERE N > 1"));
  EXPECT_EQ(Count(statement), 2u);
  ASSERT_ADS(Run("DELETE FROM T WHERE N > 100"));
  EXPECT_EQ(Count(statement), 2u);
  EXPECT_EQ(Contents("T"), (std::vector<std::string>{"ID AutoInc|CODE Char(4)|N Integer|TXT Char(6)|D Date", "1|A|1|10|2026-01-31"}));
  AdsCloseTable(other);
}

TEST_F(Errors, UniqueKeysThatMoveBetweenChangedRecords) {
  // Two records swapping keys would meet each other halfway: refused whole. Keys moving to free values are fine.
  Make({"SWAP", "OLD,Char,4;NEW,Char,4;", {{"A", "B"}, {"B", "A"}}});
  Make({"MOVE", "OLD,Char,4;NEW,Char,4;", {{"A", "X"}, {"B", "Y"}}});
  const std::vector<std::string> before = Contents("T");
  EXPECT_EQ(Run("UPDATE T SET CODE = SWAP.NEW FROM SWAP WHERE SWAP.OLD = T.CODE"), code::kUniqueKeyViolation);
  EXPECT_NE(ErrorText().find("from one changed record to another"), std::string::npos) << ErrorText();
  EXPECT_EQ(Contents("T"), before);
  ASSERT_ADS(Run("UPDATE T SET CODE = MOVE.NEW FROM MOVE WHERE MOVE.OLD = T.CODE"));
  EXPECT_EQ(Contents("T"), (std::vector<std::string>{"ID AutoInc|CODE Char(4)|N Integer|TXT Char(6)|D Date",
                                                     "1|X|1|10|2026-01-31", "2|Y|2|20|~", "3|C|3|abc|~"}));
}

// Writes of one table: the statement holds it from its first read to its last write.
class Writes : public Errors {};

TEST_F(Writes, OneTableUpdateReadsEveryValueBeforeItSetsOne) {
  // CODE is a unique key (its new values are kept for the check); TXT is worked out again as each record is
  // written. Both must come from the record as it was.
  ASSERT_ADS(Run("UPDATE T SET TXT = CODE, CODE = TXT WHERE N < 3"));
  EXPECT_EQ(Count(statement), 2u);
  EXPECT_EQ(Contents("T"), (std::vector<std::string>{"ID AutoInc|CODE Char(4)|N Integer|TXT Char(6)|D Date",
                                                     "1|10|1|A|2026-01-31", "2|20|2|B|~", "3|C|3|abc|~"}));
}

TEST_F(Writes, AnotherProcessReadsTheChangesOnceTheStatementEnds) {
  // The table stays open here, so the statement's own close writes nothing: another process sees the counters and
  // the index as the statement left them when it let the table go.
  const AdsHandle keep = Open("T");
  ASSERT_ADS(Run("DELETE FROM T WHERE N = 2"));
  ASSERT_ADS(Run("UPDATE T SET CODE = 'Z' WHERE N = 3"));
  const std::string folder = dir.Path().string();
  const pid_t pid = fork();
  if (pid == 0) {
    AdsHandle c = 0, t = 0, index = 0;
    if (AdsConnect60(folder, 3, "", "", 0, &c) != 0 || AdsOpenTable(c, "T", "", 3, 1, 1, 1, open_mode::kShared, &t) != 0)
      _exit(2);
    std::uint64_t count = 0;
    if (AdsGetRecordCount(t, &count) != 0 || count != 2) _exit(3);
    if (AdsGetIndexHandle(t, "CODE", &index) != 0) _exit(4);
    bool found = false;
    const std::vector<Value> z{Value::String("Z")}, b{Value::String("B")};
    Value n;
    if (AdsSeek(index, z, seek_type::kExact, &found) != 0 || !found || AdsGetField(t, "N", &n) != 0 ||
        storage::ValueToText(n) != "3")
      _exit(5);
    if (AdsSeek(index, b, seek_type::kExact, &found) != 0 || found) _exit(6);
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "2 open, 3 count, 4 tag, 5 new key, 6 deleted key";
  AdsCloseTable(keep);
}

TEST_F(SqlTest, AnOrderedResultLargerThanTheSortBudgetKeepsItsOrderAndTies) {
  // 5 000 rows of 4 000 characters are past the 16 MiB a sort keeps in memory: sorted runs go to disk and are
  // merged. Equal keys keep the table's order, across runs too; every value comes back whole.
  const auto big = [](int id) { return std::string(3990, static_cast<char>('a' + id % 26)) + std::to_string(id); };
  TableSpec spec{"S", "ID,Integer;GRP,Integer;BIG,Char,4000;"};
  for (int id = 0; id < 5000; ++id) spec.rows.push_back({std::to_string(id), std::to_string(id * 7919 % 10), big(id)});
  Make(spec);
  AdsHandle cursor = 0;
  ASSERT_ADS(Run("SELECT ID, GRP, BIG FROM S ORDER BY GRP DESC", {}, &cursor));
  EXPECT_EQ(Count(statement), 5000u);
  std::vector<std::pair<std::int64_t, std::int64_t>> seen;  // (GRP, ID)
  int wrong = 0;
  ASSERT_ADS(AdsGotoTop(cursor));
  for (bool eof = false; AdsAtEOF(cursor, &eof) == 0 && !eof; AdsSkip(cursor, 1)) {
    Value id, grp, text;
    ASSERT_ADS(AdsGetField(cursor, "ID", &id));
    ASSERT_ADS(AdsGetField(cursor, "GRP", &grp));
    ASSERT_ADS(AdsGetField(cursor, "BIG", &text));
    seen.emplace_back(grp.AsInteger(), id.AsInteger());
    if (text.AsString() != big(static_cast<int>(id.AsInteger()))) ++wrong;
  }
  ASSERT_EQ(seen.size(), 5000u);
  EXPECT_EQ(wrong, 0);
  std::vector<std::pair<std::int64_t, std::int64_t>> expected;
  for (int grp = 9; grp >= 0; --grp)
    for (int id = 0; id < 5000; ++id)
      if (id * 7919 % 10 == grp) expected.emplace_back(grp, id);
  EXPECT_EQ(seen, expected);
  AdsCloseTable(cursor);
}

// --- ALTER TABLE ------------------------------------------------------------------------------------------------

class Alter : public SqlTest {};

TEST_F(Alter, SeveralActionsKeepRowsAndTags) {
  Make({"EMP", "NO,AutoInc;CODE,Char,6;NAME,Char,10;PAY,Char,8;OLD,Char,2;",
        {{"", "E1", "Tan", "1200.50", "x"}, {"", "E2", "Lim", "", "y"}, {"", "E3", "Ng", "~", "z"}},
        {{"CODE", "CODE"}, {"NAMES", "UPPER(NAME);CODE"}, {"OLD", "OLD"}}});
  ASSERT_ADS(Run(Lines({"ALTER TABLE [EMP.ADT]", "ALTER COLUMN NAME FULL_NAME char(4),", "ADD COLUMN SEQ AutoInc,",
                        "DROP COLUMN OLD", "ALTER COLUMN PAY PAY curdouble", "ALTER COLUMN NO NO integer",
                        "ADD COLUMN JOINED date"})));
  EXPECT_EQ(Contents("EMP"), (std::vector<std::string>{
                                 "NO Integer|CODE Char(6)|FULL_NAME Char(4)|PAY CurDouble|SEQ AutoInc|JOINED Date",
                                 "1|E1|Tan|1200.5|1|~", "2|E2|Lim|~|2|~", "3|E3|Ng|~|3|~"}));
  // The renamed field's tag follows it; the dropped field's tag went with it.
  EXPECT_EQ(Tags("EMP"), (std::vector<std::string>{"CODE=CODE", "NAMES=UPPER(FULL_NAME);CODE"}));
  const AdsHandle t = Open("EMP");
  EXPECT_EQ(Column(Index(t, "NAMES"), t, "CODE"), (std::vector<std::string>{"E2", "E3", "E1"}));
  // Numbering goes on after the numbers the new column gave.
  Append(t, {{"CODE", Value::String("E4")}});
  EXPECT_EQ(Get(t, "SEQ"), Value::Integer(4));
  AdsCloseTable(t);
}

TEST_F(Alter, NumbersBecomeTextOnlyWhenTheyFit) {
  Make({"T", "N,Double,2;", {{"12345.5"}, {"7"}}});
  EXPECT_EQ(Run("ALTER TABLE T ALTER N N char(5)"), code::kColumnConversion);
  EXPECT_NE(ErrorText().find("column 'N' of table T cannot become Char: the value 12345.5 is longer than 5"),
            std::string::npos) << ErrorText();
  ASSERT_ADS(Run("ALTER TABLE T ALTER N N char(7)"));
  EXPECT_EQ(Contents("T"), (std::vector<std::string>{"N Char(7)", "12345.5", "7"}));
}

TEST_F(Alter, UniqueTagThatTheNewValuesBreakLeavesTheTable) {
  Make({"T", "CODE,Char,4;", {{"AB1"}, {"AB2"}}, {{"CODE", "CODE"}}, index_option::kCompound | index_option::kUnique});
  EXPECT_EQ(Run("ALTER TABLE T ALTER CODE CODE char(2)"), code::kUniqueKeyViolation);
  EXPECT_NE(ErrorText().find("give two records of table T one key of a unique index tag"), std::string::npos)
      << ErrorText();
  EXPECT_EQ(Contents("T"), (std::vector<std::string>{"CODE Char(4)", "AB1", "AB2"}));
  EXPECT_EQ(Tags("T"), std::vector<std::string>{"CODE=CODE"});
}

TEST_F(Alter, AKeyGrownPastItsLimitStopsTheChangeRatherThanDroppingTheTag) {
  Make({"T", "A,Char,1000;", {{"x"}}, {{"PK", "A"}}, index_option::kCompound | index_option::kUnique});
  EXPECT_EQ(Run("ALTER TABLE T ALTER A A char(1100)"), code::kBadIndexKey);
  EXPECT_EQ(Tags("T"), std::vector<std::string>{"PK=A"});
  EXPECT_NE(Run("INSERT INTO T (A) VALUES ('x')"), 0u) << "the unique tag still guards the table";
}

TEST_F(Alter, EncryptedTableStaysEncrypted) {
  Make({"PAYSLIP", "CODE,Char,4;SECRET,Char,20;", {{"E1", "SALARYOFTAN"}}});
  {
    const AdsHandle t = Open("PAYSLIP", open_mode::kExclusive);
    ASSERT_ADS(AdsEnableEncryption(t, "pw"));
    ASSERT_ADS(AdsEncryptTable(t));
    AdsCloseTable(t);
  }
  EXPECT_EQ(Run("ALTER TABLE PAYSLIP ADD NOTE char(10)"), code::kPasswordRequired);
  EXPECT_NE(ErrorText().find("Table PAYSLIP is encrypted"), std::string::npos) << ErrorText();
  ASSERT_ADS(AdsStmtSetTablePassword(Statement(), "payslip.adt", "pw"));
  ASSERT_ADS(Run("ALTER TABLE PAYSLIP ADD NOTE char(10)"));
  ASSERT_ADS(Run("UPDATE PAYSLIP SET NOTE = 'PRIVATENOTE'"));
  EXPECT_EQ(FileBytes("PAYSLIP.ADT").find("SALARYOFTAN"), std::string::npos);
  EXPECT_EQ(FileBytes("PAYSLIP.ADT").find("PRIVATENOT"), std::string::npos);
  const AdsHandle t = Open("PAYSLIP");
  bool encrypted = false;
  ASSERT_ADS(AdsIsTableEncrypted(t, &encrypted));
  EXPECT_TRUE(encrypted);
  ASSERT_ADS(AdsEnableEncryption(t, "pw"));
  EXPECT_EQ(RowsOf(t), std::vector<std::string>{"E1|SALARYOFTAN|PRIVATENOT"});
  AdsCloseTable(t);
}

// --- passwords ------------------------------------------------------------------------------------------------

TEST_F(SqlTest, EncryptedFreeTablesOpenOnlyWithAPassword) {
  Make({"SAL", "CODE,Char,4;PAY,CurDouble,6;", {{"E1", "100"}}});
  {
    const AdsHandle t = Open("SAL", open_mode::kExclusive);
    ASSERT_ADS(AdsEnableEncryption(t, "right"));
    ASSERT_ADS(AdsEncryptTable(t));
    AdsCloseTable(t);
  }
  const AdsHandle s = Statement();
  EXPECT_EQ(Run("SELECT * FROM SAL"), code::kPasswordRequired);
  ASSERT_ADS(AdsStmtEnableEncryption(s, "wrong"));
  EXPECT_EQ(Run("INSERT INTO SAL VALUES ('E2', 5)"), code::kWrongPassword);
  ASSERT_ADS(AdsStmtSetTablePassword(s, "SAL", "right"));  // a table's own password comes before the general one
  ASSERT_ADS(Run("INSERT INTO SAL VALUES ('E2', 5)"));
  ASSERT_ADS(AdsStmtClearTablePasswords(s));
  ASSERT_ADS(AdsStmtEnableEncryption(s, "right"));
  AdsHandle cursor = 0;
  ASSERT_ADS(Run("SELECT SUM(PAY) FROM SAL", {}, &cursor));
  EXPECT_EQ(RowsOf(cursor), std::vector<std::string>{"105"});
}

// --- record filters ---------------------------------------------------------------------------------------------

TEST_F(SqlTest, RecordFiltersOnTablesAndCursors) {
  Make({"RTABLE", "NO,Integer;DATABASE1,Char,10;WIDTH,Char,3;",
        {{"1", "ALLW", "20"}, {"2", "EMPLOYEE", "30"}, {"3", "ALLW", "40"}, {"4", "~", "~"}}});
  const AdsHandle t = Open("RTABLE");
  ASSERT_ADS(AdsSetFilter(t, "database1='ALLW'"));
  EXPECT_EQ(Column(t, t, "WIDTH"), (std::vector<std::string>{"20", "40"}));
  EXPECT_EQ(Count(t), 2u);
  EXPECT_EQ(AdsSetFilter(t, "DATABASE2 = 'X'"), code::kSqlUnknownColumn);
  EXPECT_NE(ErrorText().find("Column 'DATABASE2' is not in table RTABLE at line 1, column 1 of the record filter"),
            std::string::npos) << ErrorText();
  EXPECT_EQ(AdsSetFilter(t, "DATABASE1 = "), code::kSqlSyntax);
  EXPECT_EQ(Column(t, t, "WIDTH"), (std::vector<std::string>{"20", "40"})) << "a bad filter leaves the old one";
  ASSERT_ADS(AdsClearFilter(t));
  EXPECT_EQ(Count(t), 4u);
  AdsCloseTable(t);
  // On a SELECT * cursor a filter narrows the WHERE, and clearing it gives the WHERE back.
  AdsHandle cursor = 0;
  ASSERT_ADS(Run("SELECT * FROM RTABLE WHERE NO > 1", {}, &cursor));
  ASSERT_ADS(AdsSetFilter(cursor, "WIDTH = 40 OR WIDTH IS NULL"));
  EXPECT_EQ(Column(cursor, cursor, "WIDTH"), (std::vector<std::string>{"40", "<null>"}));
  EXPECT_EQ(Count(statement), 2u);
  ASSERT_ADS(AdsClearFilter(cursor));
  EXPECT_EQ(Count(statement), 3u);
}

// An equality on a tag's leading field reads only that tag's range: the other records are never looked at, so a
// condition that cannot be evaluated on them (a date compared with a logical value) does not fail.
TEST_F(SqlTest, EqualityOnATagReadsOnlyItsRange) {
  const std::string fields = "K,Char,2;D,Date;W,Char,3;";
  const std::vector<std::vector<std::string>> rows = {{"A", "~", "20"}, {"B", "2026-01-01", "020"}, {"A", "~", "x"}};
  Make({"TAGGED", fields, rows, {{"K", "K"}, {"W", "W"}}});
  Make({"PLAIN", fields, rows});
  AdsHandle cursor = 0;
  ASSERT_ADS(Run("SELECT COUNT(*) FROM TAGGED WHERE D = TRUE AND K = 'A'", {}, &cursor));
  EXPECT_EQ(RowsOf(cursor), std::vector<std::string>{"0"});
  EXPECT_EQ(Run("SELECT COUNT(*) FROM PLAIN WHERE D = TRUE AND K = 'A'"), code::kSqlTypeMismatch);
  // A number against a character tag cannot use the tag: "020" equals 20 too.
  ASSERT_ADS(Run("SELECT K FROM TAGGED WHERE W = 20 ORDER BY K", {}, &cursor));
  EXPECT_EQ(RowsOf(cursor), (std::vector<std::string>{"A", "B"}));
  // A join reads the inner table through its tag, with the outer row's value.
  ASSERT_ADS(Run("UPDATE PLAIN SET W = 'new' FROM TAGGED WHERE TAGGED.K = PLAIN.K AND TAGGED.W = '020'"));
  EXPECT_EQ(Count(statement), 1u);
  EXPECT_EQ(Contents("PLAIN")[2], "B|2026-01-01|new");
}

// --- data dictionaries ------------------------------------------------------------------------------------------

class SqlDictionary : public SqlTest {
 protected:
  void SetUp() override {
    SqlTest::SetUp();
    Make({"EMPLOYEE", "EMP_NO,Char,4;NAME,Char,10;", {{"E1", "Tan"}, {"E2", "Lim"}}, {{"NAME", "NAME"}}});
    Make({"LOOSE", "CODE,Char,4;", {{"L1"}}});
    dict = std::make_unique<dict::Dictionary>(dict::Dictionary::Create((dir.Path() / "ABC.add").string(), "sys"));
    dict::TableEntry employee;
    employee.name = "EMPLOYEE";
    employee.file = "EMPLOYEE.ADT";
    dict->AddTable(employee);
    dict->AddIndex("EMPLOYEE", {"NAME", "NAME", 2, ""});
    dict->CreateUser("", "CLERK", "pw", "");
    dict->SetRights("EMPLOYEE", "CLERK", "R");
    AdsDisconnect(connection);
    ASSERT_ADS(AdsConnect60((dir.Path() / "ABC.add").string(), 3, "ADSSYS", "sys", 0, &connection));
  }
  std::vector<std::string> Registered(const std::string& table) {
    std::vector<std::string> tags;
    for (const dict::IndexEntry& e : dict->Indexes(table)) tags.push_back(e.tag + "=" + e.expression);
    return tags;
  }
  std::unique_ptr<dict::Dictionary> dict;
};

TEST_F(SqlDictionary, IndexesColumnsAndDropsKeepTheDictionaryTrue) {
  ASSERT_ADS(Run("CREATE UNIQUE INDEX NO ON EMPLOYEE (EMP_NO)"));
  EXPECT_EQ(Registered("EMPLOYEE"), (std::vector<std::string>{"NAME=NAME", "NO=EMP_NO"}));
  ASSERT_ADS(Run(Lines({"ALTER TABLE \"EMPLOYEE.ADT\"", "alter column EMP_NO EMP_CODE char(6)"})));
  EXPECT_EQ(Registered("EMPLOYEE"), (std::vector<std::string>{"NAME=NAME", "NO=EMP_CODE"}));
  ASSERT_ADS(Run("ALTER TABLE EMPLOYEE DROP NAME"));
  EXPECT_EQ(Registered("EMPLOYEE"), std::vector<std::string>{"NO=EMP_CODE"});
  ASSERT_ADS(Run("DROP INDEX EMPLOYEE.NO"));
  EXPECT_TRUE(Registered("EMPLOYEE").empty());
  // A file in the dictionary's folder that is not registered is reached by its name.
  ASSERT_ADS(Run("UPDATE LOOSE SET CODE = 'L2'"));
  ASSERT_ADS(Run("DROP TABLE [EMPLOYEE]"));
  EXPECT_FALSE(dict->FindTable("EMPLOYEE"));
  EXPECT_FALSE(stdfs::exists(dir.Path() / "EMPLOYEE.ADT"));
}

TEST_F(SqlDictionary, ProceduresAreRegistered) {
  ASSERT_ADS(Run(Lines({"CREATE PROCEDURE eQuillon(  company CHAR(255) , dd CHAR(2) , err_no CHAR(12) OUTPUT )  "
                        "FUNCTION ProcessTiming IN LIBRARY \"C:\\KV8\\eQuillon.aep\" "})));
  const auto p = dict->FindProcedure("EQUILLON");
  ASSERT_TRUE(p);
  EXPECT_EQ(p->function, "ProcessTiming");
  EXPECT_EQ(p->library, "C:\\KV8\\eQuillon.aep");
  EXPECT_EQ(p->input, "company CHAR(255), dd CHAR(2)");
  EXPECT_EQ(p->output, "err_no CHAR(12)");
}

TEST_F(SqlDictionary, RegisteredEncryptionAndRights) {
  {
    AdsHandle free = 0, t = 0;
    ASSERT_ADS(AdsConnect60(dir.Path().string(), 3, "", "", 0, &free));
    ASSERT_ADS(AdsOpenTable(free, "EMPLOYEE", "", 3, 1, 1, 1, open_mode::kExclusive, &t));
    ASSERT_ADS(AdsEnableEncryption(t, dict->EncryptionSecret()));
    ASSERT_ADS(AdsEncryptTable(t));
    AdsDisconnect(free);
    dict->SetTableProperty("EMPLOYEE", dict::kPropertyEncrypted, 1);
  }
  AdsHandle cursor = 0;
  ASSERT_ADS(Run("SELECT NAME FROM EMPLOYEE ORDER BY NAME", {}, &cursor));
  EXPECT_EQ(RowsOf(cursor), (std::vector<std::string>{"Lim", "Tan"}));
  // A user with read rights only.
  AdsHandle clerk = 0, s = 0;
  ASSERT_ADS(AdsConnect60((dir.Path() / "ABC.add").string(), 3, "CLERK", "pw", 0, &clerk));
  ASSERT_ADS(AdsCreateSQLStatement(clerk, &s));
  StatementOptions live;
  live.readOnly = false;
  ASSERT_ADS(AdsStmtSetOptions(s, live));
  ASSERT_ADS(AdsExecuteSQLDirect(s, "SELECT * FROM EMPLOYEE", &cursor));
  ASSERT_ADS(AdsGotoTop(cursor));
  ASSERT_ADS(AdsSetField(cursor, "NAME", Value::String("Y")));
  EXPECT_EQ(AdsWriteRecord(cursor), code::kAccessDenied) << "a live cursor edits with the user's rights only";
  ASSERT_ADS(AdsCancelUpdate(cursor));
  EXPECT_EQ(AdsExecuteSQLDirect(s, "UPDATE EMPLOYEE SET NAME = 'X'", nullptr), code::kAccessDenied);
  StatementOptions ignore;
  ignore.rightsCheck = rights_check::kIgnore;
  ASSERT_ADS(AdsStmtSetOptions(s, ignore));
  ASSERT_ADS(AdsExecuteSQLDirect(s, "UPDATE EMPLOYEE SET NAME = 'X' WHERE EMP_NO = 'E1'", nullptr));
  AdsDisconnect(clerk);
}

}  // namespace
}  // namespace ace::testing
