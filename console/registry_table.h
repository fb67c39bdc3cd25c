#pragma once
// The company registry "mcompany.ADT" made when it is missing, as start-up's creation prompt asks.
//
// This creator stands in for the catalogue's CreateMcompanyTable until the table catalogue lands; it follows the
// common creation procedure for the registry's one definition (keep the table when it exists, report and stop
// when it cannot be made, never encrypted), and is replaced by the catalogue's own.

#include <string>

#include "platform/ui.h"

namespace kv::console {

// Makes "mcompany.ADT" in the folder (or dictionary) path when it is missing, or always when force is set. A
// failure of the creation shows "Table mcompany.ADT Could Not Be Created" titled "Table Creation Failure", and
// the error goes on to the caller.
void CreateMcompanyTable(kv::ui::UserInterface& ui, const std::string& path, bool force);

}  // namespace kv::console
