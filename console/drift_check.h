#pragma once
// The drift check: how a company differs from what a complete run makes of it, found without changing anything
// (tables opened shared and read-only, no backup, nothing written to the registry or the dictionary).
//
// It compares the company with the run's own data: the catalogue's tables, the columns lists D, B and N leave
// (upgrade/wanted_columns.h), the index upgrade's wanted indexes (by their key fields, as the run looks for
// them), on free-table companies the encryption of the tables the run encrypts, and on dictionary companies the
// registration of the catalogue's tables, the standard rights and the auto-create property of every table.

#include <string>
#include <vector>

namespace kv::console {

class TForm1;

// One line per difference, e.g. "column PASS.PRINTER is char(2), wanted char(4)"; none when the company is as
// a complete run leaves it. folder is the company folder (suite path); dictionary says whether the run takes
// the company in dictionary mode (through folder\CODE.add).
std::vector<std::string> CompanyDrift(const std::string& code, const std::string& folder, bool dictionary);

// The same for a registered company of the window's installation, in the mode the run would take it.
std::vector<std::string> CompanyDrift(const TForm1& form, const std::string& code);

}  // namespace kv::console
