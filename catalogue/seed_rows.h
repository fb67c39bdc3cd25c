#pragma once
// The rows written into tables right after they are made.

#include "engine/query.h"
#include "engine/table.h"

namespace kv::catalogue {

void WriteSystemControlRows(engine::TAdsTable& table);
void SeedNationalityCodes(engine::TAdsQuery& query);

}  // namespace kv::catalogue
