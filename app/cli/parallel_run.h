#pragma once
// kv8mtn-cli --jobs N: the run with each selected company in a process of its own.

#include <iosfwd>
#include <string>

#include "app/cli/cli_options.h"
#include "console/form.h"

namespace kv::cli {

// Does the run start in this window, then runs every selected company by starting options.workerProgram with
// --one-company CODE (and the same program folder, ticks and --yes), at most options.jobs at a time, and the run
// end once all of them completed. Each line a company's process prints is passed on with "CODE: " before it, its
// messages to out and its progress to progress. When a company's process fails, no further company is started,
// the ones running finish, and the run end is not done (as a serial run stops at a failing company). Returns the
// exit status.
int RunCompaniesInParallel(kv::console::TForm1& form, const CliOptions& options, const std::string& programFolder,
                           std::ostream& out, std::ostream& progress);

}  // namespace kv::cli
