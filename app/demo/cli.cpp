#include "app/demo/cli.h"

#include <charconv>
#include <exception>
#include <optional>

#include "app/demo/demo_dictionary.h"
#include "app/demo/installation.h"

namespace kv::demo {
namespace {

constexpr const char* kUsage = "usage: kv8mtn-demo DIR [--companies N] [--employees M] [--dictionary K] [--seed S]\n";

void PrintHelp(std::ostream& out) {
  out << kUsage
      << "\n"
         "Makes a demo installation of an older release (data version 8.50) of the KV8 payroll suite in DIR, for\n"
         "the upgrade tool: kv8mtn-cli --program-dir DIR. DIR must not exist or must be an empty folder; an\n"
         "installation is never overwritten.\n"
         "\n"
         "  --companies N   companies in the registry, DEMO01 to DEMOnn (0 to 999; default 3)\n"
         "  --employees M   employees a company, with about a year of monthly payroll history each\n"
         "                  (1 to 9999; default 50)\n"
         "  --dictionary K  the first K companies live under a data dictionary DEMOnn.add (0 to N; default 1)\n"
         "  --seed S        the rows are fixed by the seed: the same options make the same installation\n"
         "                  (default 1)\n"
         "  --help          this text\n"
         "\n"
         "DIR then holds:\n"
         "  KAVEN.ini       [PATH] DIR= (the data path is DIR itself), DICTIONARY=; [SETTING] SERVERTYPE=\n"
         "  mcompany.ADT    the company registry, no company selected\n"
         "  COMPANY\\DEMOnn  each company's tables (PAYPARA at 8.50, PAYPARA1, EMPLOYEE, P_HTRX, PUBLIC, rbItem,\n"
         "                  RTABLE, TRAINING, MEDSCH, TRANSFER, PASS, EMP_ALW, SYSCONT.ADT, loans_red, QUERY,\n"
         "                  BAKERY.ADT) with synthetic Singapore staff and pay, the work files the upgrade\n"
         "                  clears (EMPLOYEE.ADT.BAK, EMPLOYEE.ADI.BAK, PAYPARA.ADT.~1, TEMP_EMP.ADT); in free-\n"
         "                  table companies some tables are encrypted with the suite's table password; and\n"
         "                  every other table the release's column lists change, in its older layout without\n"
         "                  the columns the lists add\n"
         "  KAVENTMP        time-stamped table copies and one other file\n"
         "  IMAGE           empty, for the wallpaper\n"
         "  wallpaper.zip, UPDATEKV8.ZIP, RPTDATA.ZIP   the release's archives\n"
         "\n"
         "The dictionaries' administrator is ADSSYS with the suite's system password. Their users and the\n"
         "passwords the demo gives them:\n";
  for (const DictionaryUser& u : DemoDictionaryUsers())
    out << "  " << u.name << std::string(12 - u.name.size(), ' ') << u.password << "  (rights " << u.rights
        << " on every table)\n";
  out << "\n"
         "Exit status: 0 made; 1 failed while making (DIR then holds a partial installation); 2 bad arguments,\n"
         "or DIR refused.\n";
}

std::optional<std::int64_t> WholeNumber(const std::string& text) {
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

int Main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  DemoOptions options;
  std::optional<std::string> dir;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg == "--help" || arg == "-h") {
      PrintHelp(out);
      return 0;
    }
    if (arg.rfind("--", 0) == 0) {
      std::string value;
      if (const std::size_t eq = arg.find('='); eq != std::string::npos) {
        value = arg.substr(eq + 1);
        arg = arg.substr(0, eq);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        err << "kv8mtn-demo: " << arg << " needs a value\n" << kUsage;
        return 2;
      }
      const std::optional<std::int64_t> number = WholeNumber(value);
      if (arg != "--companies" && arg != "--employees" && arg != "--dictionary" && arg != "--seed") {
        err << "kv8mtn-demo: unknown option " << arg << "\n" << kUsage;
        return 2;
      }
      if (!number || *number < 0 || (arg != "--seed" && *number > 1'000'000)) {
        err << "kv8mtn-demo: " << arg << " takes a whole number, not \"" << value << "\"\n" << kUsage;
        return 2;
      }
      if (arg == "--companies") options.companies = static_cast<int>(*number);
      if (arg == "--employees") options.employees = static_cast<int>(*number);
      if (arg == "--dictionary") options.dictionaries = static_cast<int>(*number);
      if (arg == "--seed") options.seed = static_cast<std::uint64_t>(*number);
      continue;
    }
    if (dir) {
      err << "kv8mtn-demo: one folder only (" << *dir << ", then " << arg << ")\n" << kUsage;
      return 2;
    }
    dir = arg;
  }
  if (!dir) {
    err << "kv8mtn-demo: no folder given\n" << kUsage;
    return 2;
  }
  options.dir = *dir;
  try {
    const auto summary = MakeDemoInstallation(options, [&](const std::string& line) { out << line << "\n" << std::flush; });
    out << "Made " << summary.size() << " companies in " << *dir << "; run: kv8mtn-cli --program-dir " << *dir
        << " --select-all --yes\n";
    return 0;
  } catch (const DemoRefused& e) {
    err << "kv8mtn-demo: " << e.what() << "\n";
    return 2;
  } catch (const std::invalid_argument& e) {
    err << "kv8mtn-demo: " << e.what() << "\n" << kUsage;
    return 2;
  } catch (const std::exception& e) {
    err << "kv8mtn-demo: failed: " << e.what() << "\n" << *dir << " holds a partial installation; remove it before trying again.\n";
    return 1;
  }
}

}  // namespace kv::demo
