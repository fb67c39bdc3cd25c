// kv8mtn-cli: the upgrade tool without a window. See --help.

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/cli_options.h"
#include "app/cli/runner.h"
#include "platform/fs.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  auto options = kv::cli::ParseCliOptions(args, &error);
  if (!options) {
    std::cerr << "kv8mtn-cli: " << error << "\n" << "Try kv8mtn-cli --help.\n";
    return kv::cli::kBadUse;
  }
  if (options->help) {
    std::cout << kv::cli::CliUsage();
    return kv::cli::kCompleted;
  }

  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  std::filesystem::path programFile = ec ? std::filesystem::absolute(argv[0]) : self;
  if (!options->programDir.empty()) {
    const std::filesystem::path folder = std::filesystem::absolute(options->programDir);
    if (!std::filesystem::is_directory(folder)) {
      std::cerr << "kv8mtn-cli: --program-dir " << options->programDir << " is not a folder\n";
      return kv::cli::kBadUse;
    }
    // The window takes the program's folder from the program file's path; the file itself need not be there.
    programFile = folder / programFile.filename();
  }
  // --jobs starts this program again for each company.
  options->workerProgram = ec ? std::filesystem::absolute(argv[0]).string() : self.string();
  if (!options->driveRoot.empty()) {
    const std::filesystem::path root = std::filesystem::absolute(options->driveRoot);
    if (!std::filesystem::is_directory(root)) {
      std::cerr << "kv8mtn-cli: --drive-root " << options->driveRoot << " is not a folder\n";
      return kv::cli::kBadUse;
    }
    kv::fs::SetDriveRoot(root);
  }
  return kv::cli::RunHeadless(*options, programFile.string(), std::cout, std::cerr);
}
