#include "ace/sql/executor.h"

#include "ace/sql/binding.h"
#include "ace/sql/statements.h"

namespace ace::sql {

ExecuteResult Execute(std::shared_ptr<const Statement> statement, const ParameterValues& parameters, Catalog& catalog,
                      const ExecuteOptions& options) {
  // Every path resolves its names and parameters before its first write, so a missing parameter fails with
  // the place it was written.
  using namespace exec;
  const Statement& s = *statement;
  return std::visit(
      Overloaded{
          [&](const SelectStatement& x) { return RunSelect(statement, x, parameters, catalog, options); },
          [&](const InsertStatement& x) { return RunInsert(x, parameters, catalog); },
          [&](const UpdateStatement& x) { return RunUpdate(x, parameters, catalog); },
          [&](const DeleteStatement& x) { return RunDelete(x, parameters, catalog); },
          [&](const AlterTableStatement& x) { return RunAlter(x, parameters, catalog); },
          [&](const CreateIndexStatement& x) { return RunCreateIndex(x, parameters, catalog); },
          [&](const DropIndexStatement& x) { return RunDropIndex(x, parameters, catalog); },
          [&](const DropTableStatement& x) {
            catalog.DropTable(x.table);
            return ExecuteResult{};
          },
          [&](const CreateProcedureStatement& x) {
            catalog.CreateProcedure(x);
            return ExecuteResult{};
          },
      },
      s.body);
}

}  // namespace ace::sql
