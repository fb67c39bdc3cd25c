#pragma once
// kv8mtn-cli --check: each company against what a complete run leaves, with no run and nothing changed.

#include <iosfwd>
#include <string>
#include <vector>

#include "console/form.h"

namespace kv::cli {

// The companies named (every company of the registry when none is), one line "check: CODE: DIFFERENCE" per
// difference. Returns kCompleted when no company differs, kDiffers when one does, kBadUse for a code the
// registry does not hold.
int PrintDrift(kv::console::TForm1& form, const std::vector<std::string>& codes, std::ostream& out);

}  // namespace kv::cli
