#pragma once
// A fresh folder for one test, removed with everything in it when the test ends.

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace kv::testing {

class TempFolder {
 public:
  TempFolder() {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() / ("kv-test-" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The folder in the suite's form, ending with "\" as data paths do.
  std::string SuitePath() const { return path_.string() + "\\"; }

  void Write(const std::string& relative, const std::string& content) const {
    const auto target = path_ / relative;
    std::filesystem::create_directories(target.parent_path());
    std::ofstream(target, std::ios::binary) << content;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace kv::testing
