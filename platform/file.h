#pragma once
// Raw files for the storage engine: positioned reads and writes at 64-bit offsets, durable syncs, byte-range
// locks that hold between handles of one process as well as between processes, and the atomic replacement of
// one file by another. Paths here are host paths (already resolved by kv::fs::Resolve).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "platform/fs.h"

namespace kv::fs {

// A read-only view of the first bytes of a file, shared with every other open of the file: what any process
// writes there through its own descriptor shows in the view at once (both are the system's cached pages of the
// file), so a small value kept there can be looked at again and again without a system call. Made by
// File::MapHead; valid while the file keeps at least one byte (a view of a file cut to nothing by someone else
// faults on reading). Closing the file does not end the view.
class FileHead {
 public:
  FileHead() = default;
  ~FileHead();
  FileHead(FileHead&& other) noexcept;
  FileHead& operator=(FileHead&& other) noexcept;
  FileHead(const FileHead&) = delete;
  FileHead& operator=(const FileHead&) = delete;

  bool IsMapped() const { return base_ != nullptr; }
  std::size_t Size() const { return size_; }
  // Copies size bytes at offset as they are in the file now; each call reads the memory afresh. Throws FsError
  // when the range is outside the view.
  void Read(std::size_t offset, void* out, std::size_t size) const;

 private:
  friend class File;
  void* base_ = nullptr;
  std::size_t size_ = 0;
};

class File {
 public:
  enum class Mode { ReadOnly, ReadWrite, CreateNew /* fails when the file exists */, CreateOrTruncate };

  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Throws FsError with the path and the system's reason when the file cannot be opened.
  static File Open(const std::filesystem::path& path, Mode mode);

  bool IsOpen() const { return fd_ >= 0; }
  const std::filesystem::path& Path() const { return path_; }

  // Reads up to size bytes at offset; returns how many were read (fewer only at the end of the file).
  std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const;
  // Reads exactly size bytes or throws FsError ("truncated").
  void ReadExactAt(std::uint64_t offset, void* buffer, std::size_t size) const;
  void WriteAt(std::uint64_t offset, const void* data, std::size_t size);
  std::uint64_t Size() const;
  void Truncate(std::uint64_t size);
  // Flushes data and metadata to the device.
  void Sync();
  // Asks the system to start writing the given range to the device now, without waiting for it: a later Sync
  // then has less left to do. Only a hint: it changes nothing that can be read, and a failure shows at the Sync.
  void StartWriteback(std::uint64_t offset, std::uint64_t size);
  void Close();
  // A shared view of the file's first size bytes (see FileHead); throws FsError when the file is shorter or the
  // system cannot map it.
  FileHead MapHead(std::size_t size) const;

  // Byte-range locks (open-file-description locks): a lock held through one File conflicts with a lock taken
  // through any other File on the same file, in this process or another. Released with Unlock or on Close.
  bool TryLock(std::uint64_t offset, std::uint64_t length, bool exclusive);
  // Waits until the lock is granted.
  void Lock(std::uint64_t offset, std::uint64_t length, bool exclusive);
  void Unlock(std::uint64_t offset, std::uint64_t length);
  // Device and inode: tells whether two opens reach the same file, and whether a path was replaced meanwhile.
  std::pair<std::uint64_t, std::uint64_t> Identity() const;

 private:
  int fd_ = -1;
  std::filesystem::path path_;
};

// Replaces target by source in one step (rename), then syncs the folder so the change survives a crash.
void AtomicReplace(const std::filesystem::path& source, const std::filesystem::path& target);
// Makes the folder's entries (new, renamed or removed files) durable.
void SyncFolder(const std::filesystem::path& folder);
// Removes a host file; true when it is gone afterwards.
bool RemoveHostFile(const std::filesystem::path& path);
bool HostFileExists(const std::filesystem::path& path);
// Device and inode of the file a path names now; (0, 0) when there is none.
std::pair<std::uint64_t, std::uint64_t> HostFileIdentity(const std::filesystem::path& path);

// A new private folder inside the process's scratch folder (process_scratch.h, under the host's temporary folder),
// named prefix followed by six random characters, and removed with everything in it when the object goes. Throws
// FsError when it cannot be made.
class ScratchFolder {
 public:
  explicit ScratchFolder(std::string_view prefix);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace kv::fs
