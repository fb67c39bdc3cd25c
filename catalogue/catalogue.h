#pragma once
// The table catalogue: every table the tool can make, as data read by the one creation procedure. Tables 1 to
// 130 are made for each company in the order of their numbers; SUPVRTBL in the data path's "SHARE_FOLDER";
// mcompany.ADT, the company registry, at start-up.

#include <vector>

#include "catalogue/table_definition.h"

namespace kv::catalogue {

const std::vector<TableDefinition>& TablesOneToSixtySix();
const std::vector<TableDefinition>& TablesSixtySevenToOneThirty();
const TableDefinition& SupvrtblDefinition();
const TableDefinition& McompanyDefinition();

// Tables 1 to 130 in creation order.
const std::vector<TableDefinition>& CompanyTables();

}  // namespace kv::catalogue
