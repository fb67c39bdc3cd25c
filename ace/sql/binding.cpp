#include "ace/sql/binding.h"

#include <algorithm>

#include "ace/core/error.h"
#include "ace/core/table_name.h"
#include "ace/sql/lexer.h"
#include "support/strings.h"

namespace ace::sql::exec {

std::string At(const Position& pos) { return " at " + Where(pos); }
std::string Quoted(std::string_view name) { return "'" + std::string(name) + "'"; }

void Walk(const Expr& e, const std::function<void(const Expr&, bool)>& f, bool inAggregate) {
  f(e, inAggregate);
  std::visit(Overloaded{[&](const Unary& u) { Walk(*u.operand, f, inAggregate); },
                        [&](const Binary& b) {
                          Walk(*b.left, f, inAggregate);
                          Walk(*b.right, f, inAggregate);
                        },
                        [&](const IsNull& n) { Walk(*n.operand, f, inAggregate); },
                        [&](const FunctionCall& c) {
                          const bool agg = inAggregate || IsAggregate(c.function);
                          for (const ExprPtr& a : c.args) Walk(*a, f, agg);
                        },
                        [](const auto&) {}},
             e.node);
}

void RefuseAggregate(const Expr& e, const char* where) {
  Walk(e, [&](const Expr& node, bool) {
    if (const auto* c = std::get_if<FunctionCall>(&node.node); c && IsAggregate(c->function))
      Fail(code::kSqlUnsupported, "The aggregate " + std::string(FunctionName(c->function)) + " cannot stand in " +
                                      where + At(node.pos));
  });
}

bool Bound::Answers(std::string_view qualifier) const {
  return (!ref.alias.empty() && kv::SameText(ref.alias, qualifier)) ||
         kv::SameText(TableStem(ref.name), TableStem(qualifier));
}

int Bound::Field(std::string_view name) const {
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (kv::SameText(fields[i].name, name)) return static_cast<int>(i);
  return -1;
}

Bound& Rows::Add(Catalog& catalog, const TableRef& ref, char right, storage::Table::Options options) {
  Bound b;
  b.ref = ref;
  b.table = catalog.Open(ref, right, options);
  const auto& fields = b.table->Header().fields;
  b.fields.assign(fields.begin(), fields.end());
  tables.push_back(std::move(b));
  return tables.back();
}

Slot Rows::Resolve(const ColumnRef& c, const Position& pos) {
  if (auto it = slots_.find(&c); it != slots_.end()) return it->second;
  Slot found;
  if (!c.table.empty()) {
    for (std::size_t i = 0; i < tables.size() && found.table < 0; ++i)
      if (tables[i].Answers(c.table)) found.table = static_cast<int>(i);
    if (found.table < 0)
      Fail(code::kSqlUnknownTable, "Table " + c.table + " of column " + c.table + "." + c.column +
                                       " is not named in the statement" + At(pos));
    found.field = tables[found.table].Field(c.column);
    if (found.field < 0)
      Fail(code::kSqlUnknownColumn,
           "Column " + Quoted(c.column) + " is not in table " + tables[found.table].Shown() + At(pos));
  } else {
    for (std::size_t i = 0; i < tables.size(); ++i) {
      const int f = tables[i].Field(c.column);
      if (f < 0) continue;
      if (found.table >= 0)
        Fail(code::kSqlUnknownColumn, "Column " + Quoted(c.column) + " is in both " + tables[found.table].Shown() +
                                          " and " + tables[i].Shown() + ": name its table" + At(pos));
      found = {static_cast<int>(i), f};
    }
    if (found.table < 0) {
      std::string names;
      for (const Bound& b : tables) names += (names.empty() ? "" : ", ") + b.Shown();
      Fail(code::kSqlUnknownColumn, "Column " + Quoted(c.column) + " is not in table" +
                                        (tables.size() > 1 ? "s " : " ") + names + At(pos));
    }
  }
  slots_[&c] = found;
  return found;
}

void Rows::Check(const Expr& e) {
  Walk(e, [&](const Expr& node, bool) {
    if (const auto* c = std::get_if<ColumnRef>(&node.node)) Resolve(*c, node.pos);
    if (const auto* p = std::get_if<ParamRef>(&node.node)) params_.Get(*p, node.pos);
  });
}

Value Rows::Column(const ColumnRef& c) {
  const Slot s = slots_.at(&c);
  return tables[s.table].table->GetField(s.field);
}

int Rows::Level(const Expr& e) const {
  int level = -1;
  Walk(e, [&](const Expr& node, bool) {
    if (const auto* c = std::get_if<ColumnRef>(&node.node)) level = std::max(level, slots_.at(c).table);
  });
  return level;
}

Resolver Rows::RowResolver() {
  Resolver r = WithParameters(params_);
  r.column = [this](const ColumnRef& c, const Position& pos) {
    const Slot s = Resolve(c, pos);
    return tables[s.table].table->GetField(s.field);
  };
  return r;
}

}  // namespace ace::sql::exec
