#pragma once
// Name binding for the executor: the tables a statement opens and the columns and parameters its expressions
// name, resolved once, before anything is read or written, so that a bad name fails with the place it was
// written. Rows also works out the field a result column gets (inference.cpp).

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "ace/sql/ast.h"
#include "ace/sql/eval.h"
#include "ace/sql/executor.h"
#include "ace/storage/table.h"

namespace ace::sql::exec {

// " at line L, column C", for messages.
std::string At(const Position& pos);
std::string Quoted(std::string_view name);

// Every node of an expression, with whether it stands inside an aggregate call's argument.
void Walk(const Expr& e, const std::function<void(const Expr&, bool)>& f, bool inAggregate = false);

// kSqlUnsupported when an aggregate call stands anywhere in the expression; where names the clause.
void RefuseAggregate(const Expr& e, const char* where);

// One table of a statement, open, with the name and alias the statement gave it.
struct Bound {
  TableRef ref;
  std::unique_ptr<storage::Table> table;
  std::vector<storage::FieldDescriptor> fields;

  std::string Shown() const { return table->Name(); }
  // Whether a qualifier ("E" of "E.NAME") names this table: its alias, or its name without folder and ".ADT".
  bool Answers(std::string_view qualifier) const;
  int Field(std::string_view name) const;  // -1 when the table has no such column
};

// Where a column reference leads: which table of the statement, which field of it.
struct Slot {
  int table = -1;
  int field = -1;
  bool operator==(const Slot&) const = default;
};

// The tables of a statement in FROM order and the columns its expressions read.
class Rows {
 public:
  explicit Rows(const ParameterValues& params) : params_(params) {}

  std::vector<Bound> tables;

  Bound& Add(Catalog& catalog, const TableRef& ref, char right, storage::Table::Options options);

  const ParameterValues& Params() const { return params_; }

  // The table and field a column reference names; kSqlUnknownTable / kSqlUnknownColumn with its place, also
  // when an unqualified name is in two of the tables.
  Slot Resolve(const ColumnRef& c, const Position& pos);

  // Resolves every column of an expression and finds every parameter's value, so that a bad name fails before
  // anything is read or written.
  void Check(const Expr& e);

  Slot SlotOf(const ColumnRef& c) const { return slots_.at(&c); }

  // The value of a checked column on its table's current record.
  Value Column(const ColumnRef& c);

  // The highest table an expression reads (-1 for none).
  int Level(const Expr& e) const;

  // A resolver that reads columns from the tables' current records.
  Resolver RowResolver();

  // The field a result column of this expression gets.
  FieldSpec Infer(const Expr& e) const;

 private:
  const ParameterValues& params_;
  std::unordered_map<const ColumnRef*, Slot> slots_;
};

}  // namespace ace::sql::exec
