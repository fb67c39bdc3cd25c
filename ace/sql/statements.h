#pragma once
// The statements the executor runs, one file a stage: select.cpp, writes.cpp (INSERT, UPDATE, DELETE),
// alter_table.cpp, index_statements.cpp. Execute (executor.cpp) hands each tree to its runner.

#include <memory>

#include "ace/sql/ast.h"
#include "ace/sql/eval.h"
#include "ace/sql/executor.h"

namespace ace::sql::exec {

ExecuteResult RunSelect(const std::shared_ptr<const Statement>& tree, const SelectStatement& s,
                        const ParameterValues& params, Catalog& catalog, const ExecuteOptions& options);
ExecuteResult RunInsert(const InsertStatement& ins, const ParameterValues& params, Catalog& catalog);
ExecuteResult RunUpdate(const UpdateStatement& u, const ParameterValues& params, Catalog& catalog);
ExecuteResult RunDelete(const DeleteStatement& d, const ParameterValues& params, Catalog& catalog);
ExecuteResult RunAlter(const AlterTableStatement& a, const ParameterValues& params, Catalog& catalog);
ExecuteResult RunCreateIndex(const CreateIndexStatement& ci, const ParameterValues& params, Catalog& catalog);
ExecuteResult RunDropIndex(const DropIndexStatement& di, const ParameterValues& params, Catalog& catalog);

}  // namespace ace::sql::exec
