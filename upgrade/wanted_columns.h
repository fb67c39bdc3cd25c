#pragma once
// The columns a complete run leaves in existing tables: every request of lists D, B and N taken in the run's
// order, each later request on a column building on what the earlier ones left. What a drift check compares a
// company's tables with.

#include <optional>
#include <string>
#include <vector>

#include "engine/types.h"

namespace kv::upgrade {

struct WantedColumn {
  std::string table;   // as the list names it
  std::string column;
  bool present = true;
  std::optional<engine::TFieldType> type;  // the type the run holds the column to, when it holds one
  std::optional<int> length;               // characters, with type ftString
  std::optional<engine::TFieldType> addedType;  // the type a missing column is added with
  int addedLength = 0;                          // characters, with addedType ftString
};

// In the order each column is first named. The approval flow's blocks are left out: the table they change is
// the one named in Edit4 when the run reaches them.
std::vector<WantedColumn> WantedColumns();

}  // namespace kv::upgrade
