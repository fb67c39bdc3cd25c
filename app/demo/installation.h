#pragma once
// kv8mtn-demo's work: a complete installation of an older release of the suite in a new folder, for the demo,
// the tests and the benchmarks. The folder is the program's folder for the tool ("kv8mtn-cli --program-dir
// DIR"):
//
//   KAVEN.ini                  [PATH] DIR= (the data path is the program's folder), DICTIONARY=; [SETTING]
//   mcompany.ADT / .ADI        the registry: N companies DEMO01..., none selected
//   COMPANY\DEMOnn\            each company's tables at data version 8.50, with their rows, and the leftovers
//                              of earlier work; the first K companies under the dictionary DEMOnn.add
//   KAVENTMP\                  time-stamped table copies, and one other file
//   IMAGE\                     empty; receives wallpaper.jpg
//   wallpaper.zip, UPDATEKV8.ZIP, RPTDATA.ZIP
//
// "SHARE_FOLDER" and "BACKUP" are left for the run to make. The same options and seed make the same rows.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kv::demo {

struct DemoOptions {
  std::string dir;        // a host or suite path; it must not exist, or be an empty folder
  int companies = 3;      // 0 to 999
  int employees = 50;     // 1 to 9999 a company
  int dictionaries = 1;   // the first K companies live under a dictionary; 0 to companies
  std::uint64_t seed = 1;
  // The tables the release's column lists change are made in their older layouts, without the columns the lists
  // add, so that every request of a run has work. Off: only the suite's core tables, as they stood, are made (a
  // run is then minutes shorter, for tests of the driver's own flow).
  bool olderColumnLayouts = true;
};

inline constexpr int kMaxCompanies = 999;
// The company folder the demo leaves out of the registry.
inline constexpr const char* kUnregisteredCompany = "NEWCO";
inline constexpr int kMaxEmployees = 9999;

// The folder exists and holds something (or is not a folder): nothing is written, so that an installation is
// never overwritten.
class DemoRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct DemoCompanySummary {
  std::string code, name;
  int employees = 0;
  int historyRows = 0;
  bool dictionary = false;
};

// Makes the installation; `progress` hears one line per company. Throws DemoRefused for a folder it must not
// touch or options out of range (std::invalid_argument), and the engine's errors when a table cannot be made.
std::vector<DemoCompanySummary> MakeDemoInstallation(const DemoOptions& options,
                                                     const std::function<void(const std::string&)>& progress = {});

}  // namespace kv::demo
