#include "app/gui/program_file.h"

#include <filesystem>

namespace kv::gui {

std::optional<ProgramArguments> ParseProgramArguments(const std::vector<std::string>& args,
                                                      const std::string& executable, std::string* error) {
  ProgramArguments parsed;
  std::filesystem::path programFile = std::filesystem::absolute(executable);
  std::optional<std::string> folder;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      parsed.help = true;
    } else if (a == "--program-dir") {
      if (i + 1 >= args.size()) {
        *error = "--program-dir needs a folder";
        return std::nullopt;
      }
      folder = args[++i];
    } else {
      *error = "unknown argument \"" + a + "\"";
      return std::nullopt;
    }
  }
  if (folder) {
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::absolute(*folder, ec);
    if (ec || !std::filesystem::is_directory(dir, ec)) {
      *error = "--program-dir " + *folder + " is not a folder";
      return std::nullopt;
    }
    // Only the folder is taken from this path; the file need not be there (the caption then has no date).
    programFile = dir / programFile.filename();
  }
  parsed.programFile = programFile.lexically_normal().string();
  return parsed;
}

std::string ProgramUsage() {
  return R"(Usage: kv8mtn [--program-dir DIR]

Opens the KV8 MTN 9.07 upgrade window.

  --program-dir DIR  the folder taken as the program's folder: KAVEN.ini is read there, and it is the data path
                     when KAVEN.ini names none (default: the folder of this program)
  --help             this text

Qt's own options (-platform offscreen, ...) are taken as well.
)";
}

}  // namespace kv::gui
