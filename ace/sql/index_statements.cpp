// CREATE INDEX and DROP INDEX: a tag added to or taken from the table's index file, and the dictionary told.
#include "ace/core/error.h"
#include "ace/sql/binding.h"
#include "ace/sql/statements.h"
#include "ace/storage/key_codec.h"

namespace ace::sql::exec {

ExecuteResult RunCreateIndex(const CreateIndexStatement& ci, const ParameterValues& params, Catalog& catalog) {
  Rows rows(params);
  Bound& b = rows.Add(catalog, ci.table, 'A', {});
  std::string expression;
  for (const IndexColumn& c : ci.columns) {
    const int f = b.Field(c.column.text);
    if (f < 0)
      Fail(code::kSqlUnknownColumn,
           "Column " + Quoted(c.column.text) + " is not in table " + b.Shown() + At(c.column.pos));
    if (c.descending != ci.columns.front().descending)
      Fail(code::kSqlUnsupported, "An index is ascending or descending as a whole: column " + Quoted(c.column.text) +
                                      " differs from the first" + At(c.column.pos));
    expression += (expression.empty() ? "" : ";") + b.fields[f].name;
  }
  std::uint32_t options = index_option::kCompound;
  if (ci.unique) options |= index_option::kUnique;
  if (ci.columns.front().descending) options |= index_option::kDescending;
  b.table->CreateTag(ci.index.text, expression, options, 512);
  const int tag = b.table->FindTag(ci.index.text);
  try {
    catalog.TagAdded(ci.table, b.table->Tags().at(tag));
  } catch (...) {
    b.table->DropTag(ci.index.text);
    throw;
  }
  return {};
}

ExecuteResult RunDropIndex(const DropIndexStatement& di, const ParameterValues& params, Catalog& catalog) {
  Rows rows(params);
  Bound& b = rows.Add(catalog, di.table, 'A', {});
  const int tag = b.table->FindTag(di.index.text);
  if (tag < 0) Fail(code::kIndexNotFound, "table " + b.Shown() + " has no index tag " + di.index.text + At(di.index.pos));
  const std::string name = b.table->Tags()[tag].name;
  b.table->DropTag(name);
  catalog.TagRemoved(di.table, name);
  return {};
}

}  // namespace ace::sql::exec
