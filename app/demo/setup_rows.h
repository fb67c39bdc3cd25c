#pragma once
// The rows of a demo company's set-up and tax tables that the release's index upgrade and conversions work on.

#include "engine/table.h"

namespace kv::demo {

// The income tax bands of the year of assessment 2010 (income of 2009): the resident bands and the flat rate of
// non-residents' employment income.
void WriteIncomeTaxBands(engine::TAdsTable& t);

}  // namespace kv::demo
