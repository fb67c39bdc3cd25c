#pragma once
// The headless runner's command line: what to tick, which companies to select, how to answer prompts.

#include <optional>
#include <string>
#include <vector>

namespace kv::cli {

struct CliOptions {
  std::string programDir;               // empty: the folder of the runner itself
  std::string driveRoot;                // empty: drive letters map under /mnt (platform/fs)
  std::vector<std::string> tick;        // component names of options to tick, in order given
  std::vector<std::string> untick;
  std::vector<std::string> select;      // company codes whose MERGE is set to "1"
  bool selectAll = false;
  std::vector<bool> answers;            // answers to confirmations, taken in order
  bool yes = false;                     // answer Yes to every confirmation the queue does not cover
  bool list = false;                    // print the registry rows
  bool noProcess = false;               // start up (and list) without pressing Process
  bool help = false;
  std::string restore;                  // company code to put back from a backup archive (no run)
  std::string from;                     // with restore: the archive (name in BACKUP, or a path)
  std::string history;                  // company code whose run records are printed (no run)
  bool dryRun = false;                  // each selected company's run on a scratch copy, the company untouched
  bool check = false;                   // the drift check of the selected (default: every) company, no run
  int jobs = 0;                         // companies run at once, each in a process of its own (0: in this one)
  std::string oneCompany;               // run only this company's part of the run (what --jobs starts)
  std::string workerProgram;            // not an argument: the program --jobs starts (kv8mtn-cli itself)
};

// Parses argv[1..]; on bad arguments returns nothing and puts the reason in *error.
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string* error);

// The --help text.
std::string CliUsage();

}  // namespace kv::cli
