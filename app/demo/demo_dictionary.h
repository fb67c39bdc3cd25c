#pragma once
// Puts a company made as free tables under a data dictionary "<code>.add" in its folder, as the suite's set-up
// does for a company that uses one: the dictionary is created with the administrator's password, the suite's
// users are added, and every table is registered with auto-create on, the suite's rights for those users, and
// the dictionary's encryption where the company keeps the table encrypted. A few tables are registered under
// their file name ("TRANSFER.ADT"), as older set-ups did.

#include <string>
#include <string_view>
#include <vector>

#include "app/demo/company_tables.h"

namespace kv::demo {

struct DictionaryUser {
  std::string_view name, password, description, rights;
};
// The suite's users and the passwords the demo gives them.
std::vector<DictionaryUser> DemoDictionaryUsers();

// Returns the dictionary's path (folder + "\" + code + ".add").
std::string PutUnderDictionary(const std::string& folder, const std::string& code, const CompanyContent& content);

}  // namespace kv::demo
