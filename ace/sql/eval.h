#pragma once
// Values of expression trees, for the executor: arithmetic, comparisons, AND/OR/NOT with SQL's three-valued
// logic (NULL is "unknown"), IS NULL, and the functions of the dialect. The rules are written out in
// docs/sql-dialect.md ("Expression values"); in short:
//   - a NULL operand makes an arithmetic result and a comparison NULL; AND and OR follow three-valued logic;
//   - character values compare byte by byte without their trailing blanks (case counts);
//   - integer, double and currency values compare and combine by numeric value;
//   - a character value compared with a number is read as a number (blanks around it ignored); a text that is no
//     number is never equal to a number (= is FALSE, <> TRUE, <, <=, >, >= FALSE);
//   - a date compared with a character value reads it as 'YYYY-MM-DD' or 'MM/DD/YYYY', on the same terms;
//   - any other mix is AceError(kSqlTypeMismatch) naming the operator, the two kinds and the position.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ace/core/value.h"
#include "ace/sql/ast.h"

namespace ace::sql {

// Parameter values by name, looked up without regard to case (":DEPART" is set as "depart").
class ParameterValues {
 public:
  void Set(std::string_view name, Value value);
  const Value* Find(std::string_view name) const;
  // The value of a parameter reference; AceError(kSqlParameterMissing) naming it and its position when unset.
  Value Get(const ParamRef& param, const Position& pos) const;

 private:
  std::vector<std::pair<std::string, Value>> values_;
};

// What the evaluator asks its caller. column resolves a column reference for the current row (the caller
// matches names without regard to case and raises kSqlUnknownColumn itself); parameter resolves ":name";
// aggregate gives the value of an aggregate call for the current group and may be left empty where
// aggregates are not allowed (then meeting one is AceError(kSqlUnsupported)).
struct Resolver {
  std::function<Value(const ColumnRef&, const Position&)> column;
  std::function<Value(const ParamRef&, const Position&)> parameter;
  std::function<Value(const FunctionCall&, const Position&)> aggregate;
};

// A resolver whose parameters come from values (columns and aggregates left for the caller to fill in).
Resolver WithParameters(const ParameterValues& values);

Value Evaluate(const Expr& expr, const Resolver& resolver);

// A WHERE condition: true only when the value is TRUE; NULL counts as false. A value that is neither Boolean nor
// NULL is AceError(kSqlTypeMismatch).
bool Holds(const Expr& condition, const Resolver& resolver);

// The value of a comparison operator (Equal ... GreaterEqual) applied to two values: Boolean or NULL.
Value CompareWith(BinaryOp op, const Value& left, const Value& right, const Position& pos);

// For ORDER BY: a total order that never throws. NULL sorts first, then values by the comparison rules above;
// values that those rules cannot order (a text that is no number against a number, or kinds that do not mix)
// fall back to an order of their kinds. Negative, 0 or positive.
int OrderCompare(const Value& a, const Value& b);

// For DISTINCT and GROUP BY: the same group. NULL groups with NULL; character values without trailing blanks.
bool SameGroup(const Value& a, const Value& b);

// "Null", "Boolean", "Integer", "Double", "Currency", "Date", "Time", "TimeStamp", "String", "Bytes".
std::string_view KindName(Value::Kind kind);

// One aggregate call over the rows of a group: Add the argument's value for each row (any value for COUNT(*)),
// then take Result. COUNT counts rows (COUNT(*)) or non-NULL values; SUM and AVG add numbers (NULLs skipped;
// SUM keeps Integer or Currency when every value is one, else Double; AVG is Double); MIN and MAX by the
// comparison rules. Over no values SUM, AVG, MIN and MAX give NULL and COUNT 0.
class Aggregator {
 public:
  explicit Aggregator(const FunctionCall& call, Position pos = {});
  void Add(const Value& value);
  Value Result() const;

 private:
  Function function_;
  bool star_;
  std::string name_;
  Position pos_;
  std::int64_t count_ = 0;
  Value acc_;
};

}  // namespace ace::sql
