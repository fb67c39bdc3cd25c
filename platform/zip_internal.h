#pragma once
// Pieces shared by the zip component's compress and extract sides; not for use outside platform/zip*.cpp.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/zip.h"

namespace kv::zip::detail {

// Files are read and written in blocks of this size, so the per-byte path stays a memcpy and deflate.
inline constexpr std::size_t kBlockSize = 1 << 20;

// A name beside target that nothing else uses: hidden (leading "."), so the suite's masks such as "*.adt" never
// pick it up, and unique per process and call.
std::filesystem::path TempPathBeside(const std::filesystem::path& target);

// Removes the file on destruction unless Keep() was called: a failed call leaves no half-written file behind.
class TempFile {
 public:
  explicit TempFile(std::filesystem::path path) : path_(std::move(path)) {}
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  void Keep() { kept_ = true; }

 private:
  std::filesystem::path path_;
  bool kept_ = false;
};

// Sends FileStatus events for one file: a first one at 0 %, one each time the whole percent rises, and a final
// one with bFileCompleted. Nothing is sent when there is no handler.
class ProgressMeter {
 public:
  ProgressMeter(const ZipComponent::FileStatusHandler& handler, std::string name, std::int64_t size);
  void Start();
  void Advance(std::int64_t bytesProcessed);
  void Complete(std::int64_t compressedSize);

 private:
  void Send();
  const ZipComponent::FileStatusHandler& handler_;
  FileStatus status_;
};

// Rules for the names of archive entries on extraction.
struct EntryName {
  std::string stored;                 // as in the archive
  std::vector<std::string> elements;  // split at "/" and "\", "." and empty elements dropped
  bool isFolder = false;              // ends with a separator
  bool safe = false;                  // relative, no drive, no ".." element: stays inside the target folder
};
EntryName ParseEntryName(const std::string& stored);

// Whether an archive entry is one of those FilesToProcess asks for. An entry of the list without a folder part
// ("wallpaper.jpg", "*.adt") matches the entry's file name; one with a folder part matches the entry's whole
// stored name, so a full suite path such as "C:\KV\COMPANY\ABC\*.adt" (left in the list by a backup) never picks
// entries out of an update archive.
bool IsRequested(const EntryName& entry, const std::vector<std::string>& filesToProcess);

}  // namespace kv::zip::detail
