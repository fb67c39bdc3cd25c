#include "catalogue/create_all.h"

namespace kv::catalogue {

void CreateAllTables(const std::string&, bool, CreationContext&) {}
void CreateSupvrTbl(const std::string&, bool, ui::UserInterface&) {}
void CreateMcompanyTable(const std::string&, bool, ui::UserInterface&) {}

}  // namespace kv::catalogue
