#pragma once
// Whether a table already has an index on a list of fields: the index steps create an index only when none of
// the table's indexes has exactly these key fields, whatever its name.

#include <string_view>

#include "engine/table.h"

namespace kv::upgrade {

// Reads the index definitions of the open table, compares each one's fields (names joined by ";", as the engine
// reports them) with fields exactly, letters and order included, stopping at the first match; then closes the
// table. Raises what reading the definitions raises (the table then stays open).
bool HasIndexOnFields(engine::TAdsTable& table, std::string_view fields);

}  // namespace kv::upgrade
