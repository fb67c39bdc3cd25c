#include "platform/process_scratch.h"

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>

#include "platform/file.h"

namespace kv::fs {

namespace {

constexpr std::string_view kPrefix = "kv-scratch-";
constexpr char kLockName[] = "owner.lock";
constexpr auto kUnlockedGrace = std::chrono::minutes(1);

struct Root {
  pid_t owner = 0;
  std::filesystem::path path;
  std::optional<File> lock;
  ~Root() {
    // A forked child that never made a folder of its own leaves its parent's alone.
    if (owner != ::getpid() || path.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

std::mutex g_mutex;
Root g_root;

std::filesystem::path TempBase() {
  std::error_code ec;
  std::filesystem::path base = std::filesystem::temp_directory_path(ec);
  return ec ? std::filesystem::path("/tmp") : base;
}

bool OwnerIsGone(const std::filesystem::path& folder) {
  const std::filesystem::path lockPath = folder / kLockName;
  if (!HostFileExists(lockPath)) {
    std::error_code ec;
    const auto changed = std::filesystem::last_write_time(folder, ec);
    return !ec && std::filesystem::file_time_type::clock::now() - changed > kUnlockedGrace;
  }
  try {
    File lock = File::Open(lockPath, File::Mode::ReadWrite);
    return lock.TryLock(0, 1, true);
  } catch (const FsError&) {
    return false;  // cannot tell: left alone
  }
}

}  // namespace

std::size_t SweepDeadScratch(const std::filesystem::path& base) {
  std::size_t removed = 0;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code kindError;
    if (name.rfind(kPrefix, 0) != 0 || !it->is_directory(kindError) || it->path() == g_root.path) continue;
    if (!OwnerIsGone(it->path())) continue;
    std::error_code removeError;
    std::filesystem::remove_all(it->path(), removeError);
    if (!removeError) ++removed;
  }
  return removed;
}

std::filesystem::path ProcessScratchRoot() {
  std::lock_guard lock(g_mutex);
  if (g_root.owner == ::getpid()) return g_root.path;
  const std::filesystem::path base = TempBase();
  SweepDeadScratch(base);
  // Another process's sweep could take the lock file between its making and its locking and remove the folder:
  // then it is made again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::string pattern = (base / (std::string(kPrefix) + std::to_string(::getpid()) + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
      throw FsError("cannot make a scratch folder in " + base.string() + ": " + std::strerror(errno));
    const std::filesystem::path folder = pattern;
    File owner = File::Open(folder / kLockName, File::Mode::CreateNew);
    if (!owner.TryLock(0, 1, true) || !HostFileExists(folder / kLockName)) continue;
    g_root.lock = std::move(owner);  // an inherited one of the parent is closed: the parent still holds its own
    g_root.path = folder;
    g_root.owner = ::getpid();
    return folder;
  }
  throw FsError("cannot make a scratch folder in " + base.string() + ": it keeps being removed");
}

}  // namespace kv::fs
