#pragma once
// kv8mtn-cli --restore CODE [--from ARCHIVE]: a company put back from its backup archive, with no run.

#include <iosfwd>
#include <string>

#include "console/form.h"

namespace kv::cli {

// Restores the company through the started window's paths and zip component; returns the exit status.
int RestoreFromBackup(kv::console::TForm1& form, const std::string& code, const std::string& archive,
                      std::ostream& out);

}  // namespace kv::cli
