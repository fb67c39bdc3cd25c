#include "upgrade/index_lookup.h"

namespace kv::upgrade {

bool HasIndexOnFields(engine::TAdsTable& table, std::string_view fields) {
  table.UpdateIndexDefs();
  bool found = false;
  for (const engine::TIndexDef& index : table.IndexDefs)
    if (index.Fields == fields) {
      found = true;
      break;
    }
  table.Close();
  return found;
}

}  // namespace kv::upgrade
