#pragma once
// The command line of kv8mtn-demo. Exit status: 0 made, 1 failed while making (the folder then holds a partial
// installation), 2 bad arguments or a folder refused.

#include <ostream>
#include <string>
#include <vector>

namespace kv::demo {

int Main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kv::demo
