#include "app/cli/company_codes.h"

#include <algorithm>
#include <ostream>

#include "support/strings.h"

namespace kv::cli {

std::optional<std::vector<std::string>> CompanyCodes(kv::console::TForm1& form, const std::vector<std::string>& named,
                                                     std::ostream& out) {
  std::vector<std::string> registered;
  auto& registry = form.AdsTableCompany;
  if (registry.Active()) {
    for (registry.First(); !registry.Eof(); registry.Next()) registered.push_back(form.CompanyCode());
    registry.First();
  }
  if (named.empty()) return registered;
  std::vector<std::string> codes;
  for (const std::string& code : named) {
    const auto found = std::find_if(registered.begin(), registered.end(),
                                    [&](const std::string& known) { return kv::SameText(known, code); });
    if (found == registered.end()) {
      out << "error: the company \"" << code << "\" is not in the registry" << std::endl;
      return std::nullopt;
    }
    codes.push_back(*found);
  }
  return codes;
}

}  // namespace kv::cli
