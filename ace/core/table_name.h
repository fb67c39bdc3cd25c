#pragma once
// Table names as statements, passwords and dictionaries write them: "C:\DATA\EMPLOYEE.ADT", "EMPLOYEE.adt" and
// "EMPLOYEE" name one table. One place says how a name is cut down to the table it names.

#include <string>
#include <string_view>

#include "support/strings.h"

namespace ace {

// Whether a name ends in ".ADT" (in any case) after something else.
inline bool HasAdtExtension(std::string_view name) {
  return name.size() > 4 && kv::SameText(name.substr(name.size() - 4), ".ADT");
}

// The name without a trailing ".ADT".
inline std::string WithoutAdtExtension(std::string_view name) {
  return std::string(HasAdtExtension(name) ? name.substr(0, name.size() - 4) : name);
}

// The name without its folder (either kind of slash) and without ".ADT".
inline std::string TableStem(std::string_view name) {
  const auto sep = name.find_last_of("\\/");
  if (sep != std::string_view::npos) name.remove_prefix(sep + 1);
  return WithoutAdtExtension(name);
}

}  // namespace ace
