#include "catalogue/seed_rows.h"

namespace kv::catalogue {

// Placeholder until the seeded rows are written: nothing is inserted yet.
void WriteSystemControlRows(engine::TAdsTable&) {}
void SeedNationalityCodes(engine::TAdsQuery&) {}

}  // namespace kv::catalogue
