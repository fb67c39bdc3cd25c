#pragma once
// The companies a command that only reads the registry works on, without selecting them in it.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "console/form.h"

namespace kv::cli {

// The codes named, as the registry writes them, or every code of the registry in its order when none is named;
// nothing (with "error: ..." on out) when a named code is not registered.
std::optional<std::vector<std::string>> CompanyCodes(kv::console::TForm1& form, const std::vector<std::string>& named,
                                                     std::ostream& out);

}  // namespace kv::cli
