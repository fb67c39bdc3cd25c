#pragma once
// The statement tree of the engine's SQL dialect, as the parser builds it and the executor walks it.
//
// Plain structs and variants, no behaviour: the executor decides what a statement does. Every node carries the
// position of its first token (for an operator, the operator's own token) so that the executor can say where a
// name it cannot resolve was written. Names keep their text exactly as written, without the [ ] or " " around
// them and without any change of case; the executor matches table and column names without regard to case and
// strips a table name's ".ADT" extension itself.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "ace/core/field_type.h"
#include "ace/core/value.h"

namespace ace::sql {

// 1-based line and column of a character of the statement text; offset is 0-based. A line break is "\r\n",
// "\n" or "\r"; every other byte, a tab included, counts as one column.
struct Position {
  int line = 1;
  int column = 1;
  std::size_t offset = 0;
  bool operator==(const Position&) const = default;
};

// A name as written. quoted tells whether it stood in [brackets] or "double quotes" (where it may hold blanks,
// "%" or "."); text never includes the quote marks.
struct Name {
  std::string text;
  Position pos;
  bool quoted = false;
};

struct Expr;
using ExprPtr = std::unique_ptr<Expr>;

// A number, string, NULL, TRUE or FALSE written in the text. A whole number becomes Value::Integer, a number
// with a decimal point Value::Double; text keeps the literal as written (for a string: without the quotes,
// with '' read as ').
struct Literal {
  Value value;
  std::string text;
};

// ":name". The name is kept without the colon; parameters are matched without regard to case.
struct ParamRef {
  std::string name;
};

// [table.]column. A name written in several dotted parts takes its last part as the column and the parts before
// it, joined by ".", as the table (so EMP_PROS.ADT.EMP_CODE names column EMP_CODE of table "EMP_PROS.ADT").
// table is empty when the column is written alone; it may be a table name or an alias.
struct ColumnRef {
  std::string table;
  std::string column;
};

enum class UnaryOp { Negate, Plus, Not };
// A visitor made of lambdas, one per alternative of a variant (the tree's nodes and values).
template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

enum class BinaryOp { Add, Subtract, Multiply, Divide, Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual, And, Or };
// The operator as the dialect writes it: "+", "<>", "AND", ...
std::string_view OperatorText(BinaryOp op);

struct Unary {
  UnaryOp op;
  ExprPtr operand;
};

struct Binary {
  BinaryOp op;
  ExprPtr left;
  ExprPtr right;
};

// operand IS NULL, or operand IS NOT NULL when negated.
struct IsNull {
  ExprPtr operand;
  bool negated = false;
};

enum class Function { Upper, Lower, Trim, LTrim, RTrim, Count, Sum, Min, Max, Avg };

// A function call; name is written as in the text. COUNT(*) has star set and no arguments.
struct FunctionCall {
  Function function;
  std::string name;
  bool star = false;
  std::vector<ExprPtr> args;
};

struct Expr {
  Position pos;
  std::variant<Literal, ParamRef, ColumnRef, Unary, Binary, IsNull, FunctionCall> node;
};

// A table in FROM, UPDATE, INSERT INTO, DELETE FROM, ALTER TABLE, CREATE INDEX ... ON or DROP TABLE. A name written
// in dotted parts keeps them joined by "." (EMP_PROS.ADT and "EMP_PROS.ADT" both give "EMP_PROS.ADT").
struct TableRef {
  std::string name;
  std::string alias;  // empty when none is written
  Position pos;
};

// One item of a SELECT list: "*", "table.*", or an expression with an optional alias.
struct SelectItem {
  Position pos;
  bool star = false;
  std::string starTable;  // "E" for E.*; empty for a plain *
  ExprPtr expr;           // null for a star item
  std::string alias;      // empty when none is written
};

struct OrderItem {
  ExprPtr expr;
  bool descending = false;
};

struct SelectStatement {
  bool distinct = false;
  std::vector<SelectItem> items;
  std::vector<TableRef> from;  // at least one
  ExprPtr where;               // null when absent
  std::vector<ExprPtr> groupBy;
  std::vector<OrderItem> orderBy;
};

struct InsertStatement {
  TableRef table;
  std::vector<Name> columns;  // empty: the values fill the table's columns in order
  std::vector<ExprPtr> values;
};

struct Assignment {
  ColumnRef target;
  Position pos;  // of the target
  ExprPtr value;
};

struct UpdateStatement {
  TableRef table;
  std::vector<Assignment> assignments;
  std::vector<TableRef> from;  // UPDATE ... FROM t2 [, t3]: the tables joined by the WHERE condition
  ExprPtr where;
};

struct DeleteStatement {
  TableRef table;
  ExprPtr where;
};

// A column type as written: the engine field type, the length for Char and Raw (0 for the others), and the
// type word exactly as written ("char", "curdouble", "INTEGER", "BLOB", ...).
struct ColumnType {
  FieldType type = FieldType::Char;
  std::uint16_t length = 0;
  std::string word;
  Position pos;
};

// ADD [COLUMN] name type | ALTER [COLUMN] name newName type | DROP [COLUMN] name.
struct AlterAction {
  enum class Kind { Add, Alter, Drop };
  Kind kind = Kind::Add;
  Position pos;
  Name column;   // the column added, changed or dropped
  Name newName;  // Alter only: the column's name afterwards (often the same text)
  ColumnType type;  // Add and Alter
};

struct AlterTableStatement {
  TableRef table;
  std::vector<AlterAction> actions;  // at least one, in the order written
};

struct IndexColumn {
  Name column;
  bool descending = false;
};

struct CreateIndexStatement {
  bool unique = false;
  Name index;  // may hold leading blanks ("  LINE")
  TableRef table;
  std::vector<IndexColumn> columns;
};

// DROP INDEX table.index
struct DropIndexStatement {
  TableRef table;
  Name index;
};

struct DropTableStatement {
  TableRef table;
};

struct ProcedureParam {
  Name name;
  ColumnType type;
  bool output = false;
};

// CREATE PROCEDURE name (params) FUNCTION entry IN LIBRARY "library"
struct CreateProcedureStatement {
  Name name;
  std::vector<ProcedureParam> params;
  Name entry;
  Name library;
};

enum class StatementKind { Select, Insert, Update, Delete, AlterTable, CreateIndex, DropIndex, DropTable, CreateProcedure };

struct Statement {
  Position pos;
  std::variant<SelectStatement, InsertStatement, UpdateStatement, DeleteStatement, AlterTableStatement,
               CreateIndexStatement, DropIndexStatement, DropTableStatement, CreateProcedureStatement>
      body;
  StatementKind Kind() const { return static_cast<StatementKind>(body.index()); }
};

std::string_view StatementKindName(StatementKind kind);  // "SELECT", "ALTER TABLE", ...
std::string_view FunctionName(Function function);        // "UPPER", "COUNT", ...
bool IsAggregate(Function function);                     // COUNT, SUM, MIN, MAX, AVG
bool ContainsAggregate(const Expr& expr);

// The parameter names a statement uses, in order of first appearance, each once (compared without regard to
// case; the first spelling is kept). The component layer lists them as the query's Params.
std::vector<std::string> ParameterNames(const Statement& statement);

// A canonical one-line form of a tree, fully parenthesised, for logs, the engine shell and tests: names in
// [brackets] unless they are plain words, expressions in prefix form "(= WIDTH 20)". Two texts that parse to
// the same tree give the same form.
std::string Dump(const Expr& expr);
std::string Dump(const Statement& statement);

}  // namespace ace::sql
