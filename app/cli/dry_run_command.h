#pragma once
// kv8mtn-cli --dry-run: each selected company's whole run on a scratch copy, and what it changed there.

#include <iosfwd>
#include <string>
#include <vector>

#include "console/form.h"
#include "platform/ui.h"

namespace kv::cli {

// The companies named (every registered company when none is), each run on a copy made from a fresh backup,
// with the window's options as ticked: the copy's run record and its drift check afterwards, lines starting
// "dry run: CODE: ". Returns kCompleted when every copy's run completed, kRunFailed when one ended on an
// error, kBadUse for a code the registry does not hold.
int PrintDryRun(kv::console::TForm1& form, const std::vector<std::string>& codes, kv::ui::UserInterface& ui,
                std::ostream& out);

}  // namespace kv::cli
