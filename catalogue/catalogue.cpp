#include "catalogue/catalogue.h"

namespace kv::catalogue {

const std::vector<TableDefinition>& CompanyTables() {
  static const std::vector<TableDefinition> tables = [] {
    std::vector<TableDefinition> all = TablesOneToSixtySix();
    const auto& rest = TablesSixtySevenToOneThirty();
    all.insert(all.end(), rest.begin(), rest.end());
    return all;
  }();
  return tables;
}

}  // namespace kv::catalogue
