#pragma once
// Record filters: a WHERE kept on a table as its filter (a live SELECT * cursor, Table::SetFilter), with its
// columns bound to the table's fields once.

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ace/sql/ast.h"
#include "ace/sql/eval.h"
#include "ace/storage/table.h"

namespace ace::sql::exec {

struct RecordFilter {
  std::shared_ptr<const void> owner;  // keeps the statement tree that holds expr alive
  ExprPtr ownExpr;                    // or the expression itself, parsed for the filter alone
  const Expr* expr = nullptr;
  ParameterValues params;
  std::unordered_map<const ColumnRef*, int> fields;
  storage::Table* table = nullptr;
  Resolver resolver;
};

// Binds the filter's columns to the table (kSqlUnknownTable, kSqlUnknownColumn, and kSqlUnsupported for an
// aggregate, each naming the place and ending with what) and gives the test of the current record. names: what
// a qualified column may call the table besides its file name (the name and alias a statement gave).
std::function<bool()> BuildFilter(std::shared_ptr<RecordFilter> f, storage::Table& table, const char* what,
                                  const std::vector<std::string>& names = {});

}  // namespace ace::sql::exec
