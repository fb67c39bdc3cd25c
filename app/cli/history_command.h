#pragma once
// kv8mtn-cli --history CODE: the records of the company's runs, with no run.

#include <iosfwd>
#include <string>

#include "console/form.h"

namespace kv::cli {

// Prints every record of the company in the data path's "BACKUP", oldest first; returns the exit status.
int PrintHistory(kv::console::TForm1& form, const std::string& code, std::ostream& out);

}  // namespace kv::cli
