#pragma once
// The program file the window is told it runs from. Its folder is the program's folder: "KAVEN.ini" is read
// there and it is the data path when "KAVEN.ini" names none. By default that is the executable's own folder;
// "--program-dir DIR" names another, as the headless runner takes it.

#include <optional>
#include <string>
#include <vector>

namespace kv::gui {

struct ProgramArguments {
  std::string programFile;  // a host path
  bool help = false;
};

// args: the command line after the program's name, with the toolkit's own options already taken out.
// executable: the running program's path. Nothing on bad arguments or a folder that is not there, with the
// reason in *error.
std::optional<ProgramArguments> ParseProgramArguments(const std::vector<std::string>& args,
                                                      const std::string& executable, std::string* error);

std::string ProgramUsage();

}  // namespace kv::gui
