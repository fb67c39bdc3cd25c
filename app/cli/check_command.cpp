#include "app/cli/check_command.h"

#include <ostream>

#include "app/cli/company_codes.h"
#include "app/cli/runner.h"
#include "console/drift_check.h"

namespace kv::cli {

int PrintDrift(kv::console::TForm1& form, const std::vector<std::string>& codes, std::ostream& out) {
  const auto checked = CompanyCodes(form, codes, out);
  if (!checked) return kBadUse;
  int differing = 0;
  for (const std::string& code : *checked) {
    const std::vector<std::string> lines = kv::console::CompanyDrift(form, code);
    for (const std::string& line : lines) out << "check: " << code << ": " << line << std::endl;
    if (lines.empty()) out << "check: " << code << ": as a complete run leaves it" << std::endl;
    differing += !lines.empty();
  }
  out << "check: " << differing << " of " << checked->size() << " companies differ" << std::endl;
  return differing ? kDiffers : kCompleted;
}

}  // namespace kv::cli
