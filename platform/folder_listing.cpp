// Case-blind lookup of a folder's entries, with the folder's listing kept between lookups.
//
// Every table open asks for the table's memo and index files without regard to case, and most tables have no
// memo file: without a kept listing each such question reads the whole folder (a company folder holds some 250
// files, and one company's run asks thousands of times). A listing is reused only while the folder is provably
// unchanged since it was read: the same folder (device and inode) with the same modification time, and that time
// far enough before the reading that no later change can have been stamped with the same time. A change made in
// the same clock tick as the reading could otherwise go unnoticed; until the folder has been quiet for longer
// than its file system's timestamp step, it is read again at every question.

#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <system_error>
#include <unordered_map>

#include "platform/fs.h"
#include "support/strings.h"

namespace stdfs = std::filesystem;

namespace kv::fs {

namespace {

constexpr std::int64_t kNanos = 1'000'000'000;
// Local file systems stamp with the kernel's coarse clock (a few milliseconds a step).
constexpr std::int64_t kFineQuiet = 50'000'000;
// File systems that keep whole seconds (or FAT's two) need the folder quiet for longer.
constexpr std::int64_t kCoarseQuiet = 3 * kNanos;
constexpr std::size_t kMostFolders = 256;

struct FolderStamp {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t modified = 0;  // nanoseconds since the epoch
  bool operator==(const FolderStamp&) const = default;
};

struct Listing {
  FolderStamp stamp;
  // Upper-cased name -> the entry's own spelling; the smallest spelling when several differ only in case.
  std::unordered_map<std::string, std::string> byUpperName;
};

std::mutex g_mutex;
std::unordered_map<std::string, Listing> g_listings;

bool StampOf(const stdfs::path& folder, FolderStamp& stamp) {
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
  stamp.device = info.st_dev;
  stamp.inode = info.st_ino;
  stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * kNanos + info.st_mtim.tv_nsec;
  return true;
}

std::int64_t Now() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<std::int64_t>(now.tv_sec) * kNanos + now.tv_nsec;
}

// Whether no change after `readAt` can carry the folder's present modification time.
bool Settled(const FolderStamp& stamp, std::int64_t readAt) {
  const bool wholeSeconds = stamp.modified % kNanos == 0;
  return readAt - stamp.modified > (wholeSeconds ? kCoarseQuiet : kFineQuiet);
}

Listing Read(const stdfs::path& folder, const FolderStamp& stamp) {
  Listing listing;
  listing.stamp = stamp;
  std::error_code ec;
  for (stdfs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    auto [slot, added] = listing.byUpperName.try_emplace(UpperCase(name), name);
    if (!added && name < slot->second) slot->second = std::move(name);
  }
  return listing;
}

std::optional<std::string> Look(const Listing& listing, std::string_view name) {
  const auto found = listing.byUpperName.find(UpperCase(name));
  if (found == listing.byUpperName.end()) return std::nullopt;
  return found->second;
}

}  // namespace

std::optional<std::string> FindEntryIgnoringCase(const stdfs::path& folder, std::string_view name) {
  std::error_code ec;
  if (stdfs::exists(folder / stdfs::path(name), ec)) return std::string(name);
  FolderStamp stamp;
  if (!StampOf(folder, stamp)) return std::nullopt;
  const std::string key = folder.lexically_normal().string();
  {
    std::lock_guard lock(g_mutex);
    const auto kept = g_listings.find(key);
    if (kept != g_listings.end() && kept->second.stamp == stamp) return Look(kept->second, name);
  }
  const std::int64_t readAt = Now();
  Listing listing = Read(folder, stamp);
  std::optional<std::string> found = Look(listing, name);
  FolderStamp after;
  // Kept only when the folder did not change while it was read, and has been quiet long enough.
  if (StampOf(folder, after) && after == stamp && Settled(stamp, readAt)) {
    std::lock_guard lock(g_mutex);
    if (g_listings.size() >= kMostFolders) g_listings.clear();
    g_listings[key] = std::move(listing);
  }
  return found;
}

}  // namespace kv::fs
