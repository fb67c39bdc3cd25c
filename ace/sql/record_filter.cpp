#include "ace/sql/record_filter.h"

#include "ace/core/error.h"
#include "ace/core/table_name.h"
#include "ace/sql/binding.h"
#include "ace/sql/executor.h"
#include "ace/sql/parser.h"
#include "support/strings.h"

namespace ace::sql {

namespace exec {

std::function<bool()> BuildFilter(std::shared_ptr<RecordFilter> f, storage::Table& table, const char* what,
                                  const std::vector<std::string>& names) {
  f->table = &table;
  const storage::TableHeader& header = table.Header();
  auto namesTable = [&](const std::string& qualifier) {
    if (kv::SameText(TableStem(qualifier), table.Name())) return true;
    for (const std::string& n : names)
      if (!n.empty() && (kv::SameText(qualifier, n) || kv::SameText(TableStem(qualifier), TableStem(n)))) return true;
    return false;
  };
  Walk(*f->expr, [&](const Expr& node, bool) {
    if (const auto* c = std::get_if<ColumnRef>(&node.node)) {
      if (!c->table.empty() && !namesTable(c->table))
        Fail(code::kSqlUnknownTable, "Table " + c->table + " of column " + c->table + "." + c->column + " is not " +
                                         table.Name() + At(node.pos) + what);
      const int i = header.FindField(c->column);
      if (i < 0)
        Fail(code::kSqlUnknownColumn,
             "Column " + Quoted(c->column) + " is not in table " + table.Name() + At(node.pos) + what);
      f->fields[c] = i;
    }
    if (const auto* p = std::get_if<ParamRef>(&node.node)) f->params.Get(*p, node.pos);
    if (const auto* call = std::get_if<FunctionCall>(&node.node); call && IsAggregate(call->function))
      Fail(code::kSqlUnsupported, "The aggregate " + std::string(FunctionName(call->function)) +
                                      " cannot stand in a record filter" + At(node.pos) + what);
  });
  RecordFilter* raw = f.get();
  f->resolver.parameter = [raw](const ParamRef& p, const Position& pos) { return raw->params.Get(p, pos); };
  f->resolver.column = [raw](const ColumnRef& c, const Position&) { return raw->table->GetField(raw->fields.at(&c)); };
  return [f] { return Holds(*f->expr, f->resolver); };
}

}  // namespace exec

std::function<bool()> MakeRecordFilter(storage::Table& table, std::string_view expression) {
  auto f = std::make_shared<exec::RecordFilter>();
  f->ownExpr = ParseExpression(expression);
  f->expr = f->ownExpr.get();
  return exec::BuildFilter(f, table, " of the record filter");
}

}  // namespace ace::sql
