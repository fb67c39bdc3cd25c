#include "catalogue/catalogue.h"

namespace kv::catalogue {

// Placeholder until tables 67 to 130, SUPVRTBL and mcompany.ADT are written.
const std::vector<TableDefinition>& TablesSixtySevenToOneThirty() {
  static const std::vector<TableDefinition> tables;
  return tables;
}

const TableDefinition& SupvrtblDefinition() {
  static const TableDefinition table{.name = "SUPVRTBL"};
  return table;
}

const TableDefinition& McompanyDefinition() {
  static const TableDefinition table{.name = "mcompany.ADT"};
  return table;
}

}  // namespace kv::catalogue
