#include "catalogue/creation.h"

namespace kv::catalogue {

std::string GetTablePassword() { return std::string(engine::kTablePassword); }

void SetCreatorLogin(engine::TAdsConnection&, engine::TAdsTable&) {}

std::vector<FieldDef> ExpandFields(const TableDefinition&) { return {}; }

std::vector<std::string> DeletionSet(const TableDefinition&) { return {}; }

void CreateTableFrom(const TableDefinition&, const std::string&, bool, const CreatorHooks&) {}

}  // namespace kv::catalogue
