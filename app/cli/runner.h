#pragma once
// The headless runner: one TForm1 driven from a command line, through the same handlers the window calls.

#include <iosfwd>
#include <string>

#include "app/cli/cli_options.h"

namespace kv::cli {

enum ExitStatus { kCompleted = 0, kDiffers = 1, kBadUse = 2, kRunFailed = 3 };

// Starts the window (FormCreate, FormShow), applies the options and selections, lists the registry when asked
// and presses Process unless told not to. programFile is the program file the window is told it runs from.
// Messages and prompts go to out, progress to progress.
int RunHeadless(const CliOptions& options, const std::string& programFile, std::ostream& out,
                std::ostream& progress);

}  // namespace kv::cli
