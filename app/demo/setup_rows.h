#pragma once
// The rows of a demo company's set-up and tax tables that the release's index upgrade and conversions work on:
// the claim set-up (schemes in MEDSCH with their tiers in MEDTBL, the source MEDTABLE, the sub-claim allocations
// ALOCLAIM), the lists, the leave entitlements and the tax tables.

#include <string_view>
#include <vector>

#include "app/demo/people.h"
#include "engine/table.h"

namespace kv::demo {

// The income tax bands of the year of assessment 2010 (income of 2009): the resident bands and the flat rate of
// non-residents' employment income.
void WriteIncomeTaxBands(engine::TAdsTable& t);

// The older set-up: twelve MEDSCH rows numbered 1 to 12 with ten tiers each in MEDTBL, and ten tiers numbered 111
// whose row went long ago.
void WriteClaimSchemes(engine::TAdsTable& t);
void WriteClaimTiers(engine::TAdsTable& t);
// What the newer set-up is made from: the tiers of twelve scheme and claim code pairs, one of them with twelve.
void WriteClaimSources(engine::TAdsTable& t);
void WriteClaimAllocations(engine::TAdsTable& t);
// List values, daily-rate bases among them as the older release wrote them ("DR5").
void WriteListValues(engine::TAdsTable& t);
void WriteLeaveEntitlements(engine::TAdsTable& t, const std::vector<DemoEmployee>& staff);
// The tax tables of 2009: which rows a table gets follows from its name (IR8AR, IRDX8A, IR8AREC, IR8S,
// IRREFUND).
void WriteTaxRows(engine::TAdsTable& t, std::string_view table, const std::vector<DemoEmployee>& staff);

}  // namespace kv::demo
