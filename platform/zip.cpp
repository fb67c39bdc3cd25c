#include "platform/zip.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <unistd.h>

#include "platform/file.h"
#include "platform/fs.h"
#include "platform/zip_internal.h"

namespace kv::zip {

void ZipComponent::SetCompressionLevel(int level) {
  if (level < 0 || level > 9)
    throw ZipError("Compression level " + std::to_string(level) + " is outside 0 (store) to 9");
  level_ = level;
}

namespace detail {

std::filesystem::path TempPathBeside(const std::filesystem::path& target) {
  static std::atomic<unsigned> counter{0};
  const std::string name = "." + target.filename().string() + ".kvtmp." + std::to_string(::getpid()) + "." +
                           std::to_string(counter.fetch_add(1));
  return target.parent_path() / name;
}

TempFile::~TempFile() {
  if (!kept_ && !path_.empty()) fs::RemoveHostFile(path_);
}

ProgressMeter::ProgressMeter(const ZipComponent::FileStatusHandler& handler, std::string name, std::int64_t size)
    : handler_(handler) {
  status_.sFilename = std::move(name);
  status_.lSize = size;
}

void ProgressMeter::Start() { Send(); }

void ProgressMeter::Advance(std::int64_t bytesProcessed) {
  status_.lBytesProcessed = bytesProcessed;
  if (status_.lSize <= 0) return;
  const int percent = static_cast<int>(std::min<std::int64_t>(99, bytesProcessed * 100 / status_.lSize));
  // 100 is kept for the final event, which also carries the compressed size.
  if (percent > status_.nBytesPercent) {
    status_.nBytesPercent = percent;
    Send();
  }
}

void ProgressMeter::Complete(std::int64_t compressedSize) {
  status_.lBytesProcessed = status_.lSize;
  status_.lCompressedSize = compressedSize;
  status_.nBytesPercent = 100;
  if (status_.lSize > 0 && compressedSize < status_.lSize)
    status_.nCompressionRatio = static_cast<int>(100 - compressedSize * 100 / status_.lSize);
  status_.bFileCompleted = true;
  Send();
}

void ProgressMeter::Send() {
  if (handler_) handler_(status_);
}

EntryName ParseEntryName(const std::string& stored) {
  EntryName entry;
  entry.stored = stored;
  entry.isFolder = !stored.empty() && (stored.back() == '/' || stored.back() == '\\');
  bool climbs = false;
  std::string current;
  const auto flush = [&] {
    if (current == "..") climbs = true;
    if (!current.empty() && current != ".") entry.elements.push_back(current);
    current.clear();
  };
  for (char c : stored) {
    if (c == '/' || c == '\\') {
      flush();
    } else {
      current += c;
    }
  }
  flush();
  const bool absolute = !stored.empty() && (stored[0] == '/' || stored[0] == '\\');
  const bool drive = stored.size() >= 2 && stored[1] == ':' && std::isalpha(static_cast<unsigned char>(stored[0]));
  entry.safe = !entry.elements.empty() && !absolute && !drive && !climbs;
  return entry;
}

bool IsRequested(const EntryName& entry, const std::vector<std::string>& filesToProcess) {
  if (entry.elements.empty()) return false;
  std::string whole;
  for (const std::string& element : entry.elements) whole += (whole.empty() ? "" : "\\") + element;
  const std::string fileName = fs::FileNamePart(entry.elements.back());
  for (const std::string& pattern : filesToProcess) {
    const bool hasFolder = pattern.find_first_of("\\/") != std::string::npos ||
                           (pattern.size() >= 2 && pattern[1] == ':');
    if (!hasFolder) {
      if (fs::MatchesMask(fileName, pattern)) return true;
      continue;
    }
    std::string normal = pattern;
    for (char& c : normal)
      if (c == '/') c = '\\';
    if (fs::MatchesMask(whole, normal)) return true;
  }
  return false;
}

}  // namespace detail
}  // namespace kv::zip
