#include "app/cli/check_command.h"

#include <algorithm>
#include <ostream>

#include "app/cli/runner.h"
#include "console/drift_check.h"
#include "support/strings.h"

namespace kv::cli {

namespace {

// The registry's codes in its order; the grid's record is left where it was found.
std::vector<std::string> RegisteredCodes(kv::console::TForm1& form) {
  std::vector<std::string> codes;
  auto& registry = form.AdsTableCompany;
  if (!registry.Active()) return codes;
  for (registry.First(); !registry.Eof(); registry.Next()) codes.push_back(form.CompanyCode());
  registry.First();
  return codes;
}

}  // namespace

int PrintDrift(kv::console::TForm1& form, const std::vector<std::string>& codes, std::ostream& out) {
  const std::vector<std::string> registered = RegisteredCodes(form);
  std::vector<std::string> checked;
  for (const std::string& code : codes) {
    const auto found = std::find_if(registered.begin(), registered.end(),
                                    [&](const std::string& known) { return kv::SameText(known, code); });
    if (found == registered.end()) {
      out << "error: the company \"" << code << "\" is not in the registry" << std::endl;
      return kBadUse;
    }
    checked.push_back(*found);
  }
  if (codes.empty()) checked = registered;
  int differing = 0;
  for (const std::string& code : checked) {
    const std::vector<std::string> lines = kv::console::CompanyDrift(form, code);
    for (const std::string& line : lines) out << "check: " << code << ": " << line << std::endl;
    if (lines.empty()) out << "check: " << code << ": as a complete run leaves it" << std::endl;
    differing += !lines.empty();
  }
  out << "check: " << differing << " of " << checked.size() << " companies differ" << std::endl;
  return differing ? kDiffers : kCompleted;
}

}  // namespace kv::cli
