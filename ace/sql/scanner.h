#pragma once
// The scan planner: visits the combinations of rows of a statement's tables (a nested loop in FROM order) for
// which the WHERE holds. Each part of an AND-ed condition is tested as soon as the tables it reads are
// positioned; a table whose leading tag fields are fixed by equalities with values known before it is read is
// read through that tag's range.

#include <cstddef>
#include <functional>
#include <vector>

#include "ace/sql/binding.h"

namespace ace::sql::exec {

class Scanner {
 public:
  // The columns of where must have been checked against rows (Rows::Check).
  Scanner(Rows& rows, const Expr* where);

  // Positions tables level .. last in turn and calls visit for every combination that passes; visit returns
  // false to stop the scan of the tables from level on. False when a visit stopped it.
  bool Scan(std::size_t level, std::size_t last, const std::function<bool()>& visit);

 private:
  // The tag a table is read through and the expressions its leading fields must equal.
  struct Probe {
    int tag = -1;
    std::vector<int> fields;
    std::vector<const Expr*> values;
  };

  void Plan(std::size_t level, const std::vector<const Expr*>& parts);
  // Sets the table's range to the probe's key; false when it reads the whole table. empty: no record can match.
  bool Scope(std::size_t level, bool& empty);
  bool Passes(std::size_t level);

  Rows& rows_;
  Resolver resolver_;
  std::vector<std::vector<const Expr*>> conditions_;
  std::vector<Probe> probes_;
};

}  // namespace ace::sql::exec
