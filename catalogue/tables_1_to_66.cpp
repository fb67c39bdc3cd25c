#include "catalogue/catalogue.h"

namespace kv::catalogue {

const std::vector<TableDefinition>& TablesOneToSixtySix() {
  static const std::vector<TableDefinition> tables;
  return tables;
}

}  // namespace kv::catalogue
