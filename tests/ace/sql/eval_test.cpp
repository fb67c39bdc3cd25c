// Expression values as the executor will see them: three-valued logic, the comparison rules of character and
// numeric values, parameters by name, type errors, and aggregates.

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>

#include "ace/core/error.h"
#include "ace/sql/eval.h"
#include "ace/sql/lexer.h"
#include "ace/sql/parser.h"
#include "support/strings.h"

namespace ace {
// Failures show the value, not its bytes.
void PrintTo(const Value& v, std::ostream* out) {
  *out << sql::KindName(v.GetKind());
  switch (v.GetKind()) {
    case Value::Kind::Boolean: *out << " " << (v.AsBoolean() ? "TRUE" : "FALSE"); break;
    case Value::Kind::Integer: *out << " " << v.AsInteger(); break;
    case Value::Kind::Double: *out << " " << v.AsDouble(); break;
    case Value::Kind::Currency: *out << " " << v.AsCurrency().ToString(); break;
    case Value::Kind::Date: *out << " " << kv::FormatIsoDate(v.AsDate()); break;
    case Value::Kind::String: *out << " '" << v.AsString() << "'"; break;
    default: break;
  }
}
}  // namespace ace

namespace ace::sql {
namespace {

// One row: column values by name, found without regard to case as the executor finds them.
class Row {
 public:
  Row& Set(const std::string& name, Value v) {
    values_[kv::UpperCase(name)] = std::move(v);
    return *this;
  }
  Resolver With(const ParameterValues& params) const {
    Resolver r = WithParameters(params);
    r.column = [this](const ColumnRef& c, const Position& pos) {
      const auto it = values_.find(kv::UpperCase(c.column));
      if (it == values_.end()) Fail(code::kSqlUnknownColumn, "no column " + c.column + " at " + Where(pos));
      return it->second;
    };
    return r;
  }

 private:
  std::map<std::string, Value> values_;
};

Value Eval(const std::string& text, const Row& row = {}, const ParameterValues& params = {}) {
  return Evaluate(*ParseExpression(text), row.With(params));
}

const Value kTrue = Value::Boolean(true);
const Value kFalse = Value::Boolean(false);
const Value kNull = Value::Null();

Value Money(const char* text) { return Value::Money(*kv::Currency::Parse(text)); }

void ExpectError(const std::string& text, const Row& row, ResultCode code, const std::string& message) {
  try {
    const Value v = Eval(text, row);
    ADD_FAILURE() << text << " gave a value of kind " << KindName(v.GetKind());
  } catch (const AceError& e) {
    EXPECT_EQ(e.Code(), code) << text;
    EXPECT_EQ(std::string(e.what()), message) << text;
  }
}

TEST(SqlValues, ThreeValuedLogic) {
  struct Row3 {
    Value a, b, andValue, orValue;
  };
  const Row3 table[] = {
      {kTrue, kTrue, kTrue, kTrue},    {kTrue, kFalse, kFalse, kTrue},  {kTrue, kNull, kNull, kTrue},
      {kFalse, kTrue, kFalse, kTrue},  {kFalse, kFalse, kFalse, kFalse}, {kFalse, kNull, kFalse, kNull},
      {kNull, kTrue, kNull, kTrue},    {kNull, kFalse, kFalse, kNull},  {kNull, kNull, kNull, kNull},
  };
  for (const Row3& r : table) {
    Row row;
    row.Set("A", r.a).Set("B", r.b);
    EXPECT_EQ(Eval("A AND B", row), r.andValue);
    EXPECT_EQ(Eval("A OR B", row), r.orValue);
  }
  EXPECT_EQ(Eval("NOT A", Row().Set("A", kTrue)), kFalse);
  EXPECT_EQ(Eval("NOT A", Row().Set("A", kNull)), kNull);
  // A comparison with NULL is unknown, so neither it nor its negation selects a row.
  const ExprPtr isZero = ParseExpression("ID = 0");
  const ExprPtr notZero = ParseExpression("NOT ID = 0");
  const Row empty = Row().Set("ID", kNull);
  EXPECT_FALSE(Holds(*isZero, empty.With({})));
  EXPECT_FALSE(Holds(*notZero, empty.With({})));
  EXPECT_EQ(Eval("ID IS NULL", empty), kTrue);
  EXPECT_EQ(Eval("ID IS NOT NULL", empty), kFalse);
  EXPECT_EQ(Eval("ID IS NULL", Row().Set("ID", Value::Integer(0))), kFalse);
  EXPECT_EQ(Eval("NULL = NULL"), kNull);
}

// The report catalogue keeps WIDTH as text; "WHERE WIDTH=20 OR WIDTH=30" must find " 20" and "30".
TEST(SqlValues, CharacterColumnAgainstNumberComparesByValue) {
  const Statement s = Parse("UPDATE RTABLE SET WIDTH =60 WHERE WIDTH=20 OR WIDTH=30 ");
  const Expr& where = *std::get<UpdateStatement>(s.body).where;
  struct WidthCase {
    Value width;
    bool selected;
  };
  const WidthCase cases[] = {
      {Value::String("20"), true},  {Value::String(" 20"), true},  {Value::String("20  "), true},
      {Value::String("30"), true},  {Value::String("020"), true},  {Value::String("20.0"), true},
      {Value::String("40"), false}, {Value::String("abc"), false}, {Value::String(""), false},
      {Value::String("2 0"), false}, {Value::String("1e1"), false}, {kNull, false},
      {Value::String("20."), true},  {Value::String("0x14"), false}, {Value::String("+-20"), false},
  };
  for (const WidthCase& c : cases) {
    const Row row = Row().Set("width", c.width);
    EXPECT_EQ(Holds(where, row.With({})), c.selected) << (c.width.IsNull() ? "NULL" : c.width.AsString());
  }
  // A text that is no number is never equal to a number, and not ordered against it.
  const Row text = Row().Set("WIDTH", Value::String("abc"));
  EXPECT_EQ(Eval("WIDTH <> 20", text), kTrue);
  EXPECT_EQ(Eval("WIDTH < 20", text), kFalse);
  EXPECT_EQ(Eval("WIDTH >= 20", text), kFalse);
  EXPECT_EQ(Eval("20 = WIDTH", Row().Set("WIDTH", Value::String(" 20"))), kTrue);
  EXPECT_EQ(Eval("WIDTH < 30", Row().Set("WIDTH", Value::String("4"))), kTrue);  // by value, not by text
  EXPECT_EQ(Eval("'9.07' = AMT", Row().Set("AMT", Money("9.07"))), kTrue);
}

TEST(SqlValues, CharacterValuesCompareWithoutTrailingBlanks) {
  const Statement s = Parse("UPDATE RTABLE SET HIDE_WAGE ='T' WHERE DATABASE1='EMP_PROS' AND TYPE1='N' ");
  const Expr& where = *std::get<UpdateStatement>(s.body).where;
  const auto selects = [&](const char* database, const char* type) {
    return Holds(where, Row().Set("DATABASE1", Value::String(database)).Set("TYPE1", Value::String(type)).With({}));
  };
  EXPECT_TRUE(selects("EMP_PROS", "N"));
  EXPECT_TRUE(selects("EMP_PROS    ", "N       "));  // a Char column read with its padding
  EXPECT_FALSE(selects(" EMP_PROS", "N"));           // leading blanks count
  EXPECT_FALSE(selects("emp_pros", "N"));            // so does case
  EXPECT_FALSE(selects("EMP_PROS", "A"));
  EXPECT_EQ(Eval("'AB  ' < 'ABC'"), kTrue);
  EXPECT_EQ(Eval("'AB  ' = 'AB'"), kTrue);
}

TEST(SqlValues, ParametersAreFoundWithoutRegardToCase) {
  const Statement s = Parse("UPDATE TRAINING SET DEPARTMENT = :DEPART WHERE DEPARTMENT IS NULL");
  const auto& update = std::get<UpdateStatement>(s.body);
  ParameterValues params;
  params.Set("depart", Value::String("NONE"));
  EXPECT_EQ(Evaluate(*update.assignments.at(0).value, WithParameters(params)), Value::String("NONE"));
  params.Set("Depart", Value::String("HR"));  // the same parameter, set again
  EXPECT_EQ(Evaluate(*update.assignments.at(0).value, WithParameters(params)), Value::String("HR"));

  try {
    Evaluate(*update.assignments.at(0).value, WithParameters(ParameterValues()));
    ADD_FAILURE() << "evaluated without its parameter";
  } catch (const AceError& e) {
    EXPECT_EQ(e.Code(), code::kSqlParameterMissing);
    EXPECT_STREQ(e.what(), "Parameter :DEPART has no value (used at line 1, column 34)");
  }

  // The insert-if-absent count: an empty age type matches a stored empty or blank-padded value, not NULL.
  const Statement count = Parse(
      "SELECT COUNT(*) AS RecAmt FROM CPFNEW2 \r\n"
      "WHERE YEAR=:sYEAR AND CPF_CAT=:sCPF_CAT AND CPF_AGE_TYPE=:sCPF_AGE_TYPE AND AGE_FROM=:nAGE_FROM;\r\n");
  const Expr& where = *std::get<SelectStatement>(count.body).where;
  ParameterValues key;
  key.Set("SYEAR", Value::String("2013"));
  key.Set("scpf_cat", Value::String("MPF"));
  key.Set("sCPF_AGE_TYPE", Value::String(""));
  key.Set("NAGE_FROM", Money("0"));
  Row stored;
  stored.Set("YEAR", Value::String("2013")).Set("CPF_CAT", Value::String("MPF     ")).Set("AGE_FROM", Value::Double(0));
  stored.Set("CPF_AGE_TYPE", Value::String(" "));
  EXPECT_TRUE(Holds(where, stored.With(key)));
  stored.Set("CPF_AGE_TYPE", kNull);
  EXPECT_FALSE(Holds(where, stored.With(key)));
  stored.Set("CPF_AGE_TYPE", Value::String("1"));
  EXPECT_FALSE(Holds(where, stored.With(key)));
}

TEST(SqlValues, NumbersMixByValue) {
  const Row row = Row()
                      .Set("I", Value::Integer(9))
                      .Set("D", Value::Double(9.07))
                      .Set("M", Money("9.07"))
                      .Set("M20", Money("20"))
                      .Set("BIG", Value::Integer(INT64_MAX));
  EXPECT_EQ(Eval("I = 9.0", row), kTrue);
  EXPECT_EQ(Eval("M = D", row), kTrue);
  EXPECT_EQ(Eval("M = 9.07", row), kTrue);
  EXPECT_EQ(Eval("M > I", row), kTrue);
  EXPECT_EQ(Eval("M20 = 20", row), kTrue);
  EXPECT_EQ(Eval("BIG > M20", row), kTrue);  // beyond what a currency holds, still ordered exactly

  // Money stays exact through sums and integer multiples.
  EXPECT_EQ(Eval("M + M", row), Money("18.14"));
  EXPECT_EQ(Eval("M * 3", row), Money("27.21"));
  EXPECT_EQ(Eval("M - I", row), Money("0.07"));
  EXPECT_EQ(Eval("M20 / 3", row), Money("6.6667"));
  EXPECT_EQ(Eval("I + 1", row), Value::Integer(10));
  EXPECT_EQ(Eval("I / 2", row), Value::Double(4.5));
  EXPECT_EQ(Eval("D * 2", row), Value::Double(18.14));
  EXPECT_EQ(Eval("-M", row), Money("-9.07"));
  EXPECT_EQ(Eval("I + NULL", row), kNull);

  ExpectError("BIG + 1", row, code::kValueOutOfRange, "The result does not fit a 64-bit integer at line 1, column 5");
  ExpectError("I / (I - 9)", row, code::kValueOutOfRange, "Division by zero at line 1, column 3");
}

TEST(SqlValues, DatesAgainstDatesNumbersAndTexts) {
  const Row row = Row()
                      .Set("DATE", Value::Date(kv::Date::FromYmd(2009, 11, 16)))
                      .Set("HIRED", Value::Date(kv::Date::FromYmd(2009, 10, 17)))
                      .Set("STAMP", Value::TimeStamp(kv::DateTime(kv::Date::FromYmd(2009, 11, 16), 8)));
  EXPECT_EQ(Eval("DATE = '2009-11-16'", row), kTrue);
  EXPECT_EQ(Eval("DATE = '11/16/2009'", row), kTrue);
  EXPECT_EQ(Eval("DATE < '2009-12-01'", row), kTrue);
  EXPECT_EQ(Eval("DATE = 'Deepavali'", row), kFalse);
  EXPECT_EQ(Eval("DATE <> '2009-02-30'", row), kTrue);  // no such day: never equal
  EXPECT_EQ(Eval("DATE - HIRED", row), Value::Integer(30));
  EXPECT_EQ(Eval("HIRED + 30 = DATE", row), kTrue);
  EXPECT_EQ(Eval("STAMP > DATE", row), kTrue);
}

TEST(SqlValues, TypeErrorsNameTheOperatorAndKinds) {
  const Row row = Row()
                      .Set("D", Value::Date(kv::Date::FromYmd(2013, 1, 1)))
                      .Set("S", Value::String("x"))
                      .Set("N", Value::Integer(1))
                      .Set("B", kTrue);
  const ResultCode mismatch = code::kSqlTypeMismatch;
  ExpectError("D + S", row, mismatch, "Cannot apply \"+\" to Date and String at line 1, column 3");
  ExpectError("S + S", row, mismatch, "Cannot apply \"+\" to String and String at line 1, column 3");
  ExpectError("B AND N", row, mismatch, "Cannot apply \"AND\" to Boolean and Integer at line 1, column 3");
  ExpectError("NOT N", row, mismatch, "Cannot apply \"NOT\" to Integer at line 1, column 1");
  ExpectError("D = B", row, mismatch, "Cannot apply \"=\" to Date and Boolean at line 1, column 3");
  ExpectError("-S", row, mismatch, "Cannot apply \"-\" to String at line 1, column 1");
  ExpectError("UPPER(N)", row, mismatch, "Cannot apply \"UPPER\" to Integer at line 1, column 1");
  ExpectError("SUM(N)", row, code::kSqlUnsupported,
              "The aggregate function SUM cannot be used here (line 1, column 1)");
  try {
    Holds(*ParseExpression("N + 1"), row.With({}));
    ADD_FAILURE() << "a number held as a condition";
  } catch (const AceError& e) {
    EXPECT_EQ(e.Code(), mismatch);
    EXPECT_STREQ(e.what(), "Expected a condition (TRUE, FALSE or NULL) but found a value of kind Integer at line 1, "
                           "column 3");
  }
}

TEST(SqlValues, TextFunctions) {
  const Row row = Row().Set("S", Value::String("  Ab c  ")).Set("Z", kNull);
  EXPECT_EQ(Eval("UPPER(S)", row), Value::String("  AB C  "));
  EXPECT_EQ(Eval("lower(S)", row), Value::String("  ab c  "));
  EXPECT_EQ(Eval("TRIM(S)", row), Value::String("Ab c"));
  EXPECT_EQ(Eval("LTRIM(S)", row), Value::String("Ab c  "));
  EXPECT_EQ(Eval("RTRIM(S)", row), Value::String("  Ab c"));
  EXPECT_EQ(Eval("UPPER(Z)", row), kNull);
  EXPECT_EQ(Eval("UPPER(S) = '  AB C'", row), kTrue);
}

TEST(SqlValues, AggregatesOverAGroup) {
  const Statement s = Parse("SELECT SUM(NEW_SALARY) AS NEW FROM EMP_PROS");
  const Expr& item = *std::get<SelectStatement>(s.body).items.at(0).expr;
  const auto& sumCall = std::get<FunctionCall>(item.node);
  Aggregator sum(sumCall);
  EXPECT_EQ(sum.Result(), kNull);  // no rows
  for (const char* salary : {"1000.10", "2000.20", "0.0001"}) sum.Add(Money(salary));
  sum.Add(kNull);
  EXPECT_EQ(sum.Result(), Money("3000.3001"));  // exact, NULL skipped

  // An aggregate inside an expression takes its value from the caller's group.
  Resolver r;
  r.aggregate = [&](const FunctionCall&, const Position&) { return sum.Result(); };
  EXPECT_EQ(Evaluate(*ParseExpression("SUM(NEW_SALARY) * 10000"), r), Money("30003001"));

  std::vector<ExprPtr> keep;
  const auto call = [&keep](const char* text) -> const FunctionCall& {
    keep.push_back(ParseExpression(text));
    return std::get<FunctionCall>(keep.back()->node);
  };
  Aggregator countAll(call("COUNT(*)")), countSome(call("COUNT(X)")), low(call("MIN(X)")), high(call("MAX(X)")),
      mean(call("AVG(X)"));
  for (const Value& v : {Value::Integer(4), kNull, Value::Integer(1), Value::Integer(7)})
    for (Aggregator* a : {&countAll, &countSome, &low, &high, &mean}) a->Add(v);
  EXPECT_EQ(countAll.Result(), Value::Integer(4));
  EXPECT_EQ(countSome.Result(), Value::Integer(3));
  EXPECT_EQ(low.Result(), Value::Integer(1));
  EXPECT_EQ(high.Result(), Value::Integer(7));
  EXPECT_EQ(mean.Result(), Value::Double(4.0));

  Aggregator names(call("MAX(X)"));
  for (const char* n : {"ALI", "ZUL  ", "BEN"}) names.Add(Value::String(n));
  EXPECT_EQ(names.Result(), Value::String("ZUL  "));
  try {
    Aggregator(call("SUM(X)")).Add(Value::String("12"));
    ADD_FAILURE() << "summed a text";
  } catch (const AceError& e) {
    EXPECT_EQ(e.Code(), code::kSqlTypeMismatch);
  }
}

TEST(SqlValues, OrderAndGroupsForTheExecutor) {
  EXPECT_LT(OrderCompare(kNull, Value::Integer(-5)), 0);
  EXPECT_EQ(OrderCompare(kNull, kNull), 0);
  EXPECT_LT(OrderCompare(Value::Integer(2), Money("2.5")), 0);
  EXPECT_GT(OrderCompare(Value::String("B"), Value::String("AZ ")), 0);
  EXPECT_LT(OrderCompare(Value::Integer(99), Value::String("abc")), 0);  // numbers before texts that are none
  EXPECT_GT(OrderCompare(Value::String("abc"), Value::Integer(99)), 0);
  EXPECT_TRUE(SameGroup(Value::String("NONE    "), Value::String("NONE")));
  EXPECT_TRUE(SameGroup(kNull, kNull));
  EXPECT_FALSE(SameGroup(kNull, Value::String("")));
  EXPECT_FALSE(SameGroup(Value::String("A"), Value::String("a")));
}

}  // namespace
}  // namespace ace::sql
