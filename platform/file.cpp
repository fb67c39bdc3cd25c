#include "platform/file.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/process_scratch.h"

namespace kv::fs {

namespace {

[[noreturn]] void Fail(const std::string& what, const std::filesystem::path& path, int error) {
  throw FsError(what + " " + path.string() + ": " + std::strerror(error));
}

}  // namespace

File::~File() { Close(); }

File::File(File&& other) noexcept : fd_(other.fd_), path_(std::move(other.path_)) { other.fd_ = -1; }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    path_ = std::move(other.path_);
    other.fd_ = -1;
  }
  return *this;
}

File File::Open(const std::filesystem::path& path, Mode mode) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case Mode::ReadOnly: flags |= O_RDONLY; break;
    case Mode::ReadWrite: flags |= O_RDWR; break;
    case Mode::CreateNew: flags |= O_RDWR | O_CREAT | O_EXCL; break;
    case Mode::CreateOrTruncate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
  }
  const int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0) Fail("cannot open", path, errno);
  File file;
  file.fd_ = fd;
  file.path_ = path;
  return file;
}

std::size_t File::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const {
  std::size_t done = 0;
  auto* out = static_cast<char*>(buffer);
  while (done < size) {
    const ssize_t n = ::pread(fd_, out + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail("cannot read", path_, errno);
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

void File::ReadExactAt(std::uint64_t offset, void* buffer, std::size_t size) const {
  if (ReadAt(offset, buffer, size) != size)
    throw FsError("file " + path_.string() + " is truncated: " + std::to_string(size) + " bytes at offset " +
                  std::to_string(offset) + " are missing");
}

void File::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
  std::size_t done = 0;
  const auto* in = static_cast<const char*>(data);
  while (done < size) {
    const ssize_t n = ::pwrite(fd_, in + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail("cannot write", path_, errno);
    }
    done += static_cast<std::size_t>(n);
  }
}

std::uint64_t File::Size() const {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) Fail("cannot stat", path_, errno);
  return static_cast<std::uint64_t>(info.st_size);
}

void File::Truncate(std::uint64_t size) {
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) Fail("cannot truncate", path_, errno);
}

void File::Sync() {
  if (::fsync(fd_) != 0) Fail("cannot sync", path_, errno);
}

void File::StartWriteback(std::uint64_t offset, std::uint64_t size) {
  if (fd_ >= 0) (void)::sync_file_range(fd_, static_cast<off_t>(offset), static_cast<off_t>(size), SYNC_FILE_RANGE_WRITE);
}

FileHead::~FileHead() {
  if (base_ != nullptr) ::munmap(base_, size_);
}

FileHead::FileHead(FileHead&& other) noexcept : base_(other.base_), size_(other.size_) {
  other.base_ = nullptr;
  other.size_ = 0;
}

FileHead& FileHead::operator=(FileHead&& other) noexcept {
  if (this != &other) {
    if (base_ != nullptr) ::munmap(base_, size_);
    base_ = other.base_;
    size_ = other.size_;
    other.base_ = nullptr;
    other.size_ = 0;
  }
  return *this;
}

void FileHead::Read(std::size_t offset, void* out, std::size_t size) const {
  if (base_ == nullptr || offset > size_ || size > size_ - offset)
    throw FsError("a file view of " + std::to_string(size_) + " bytes has no " + std::to_string(size) +
                  " bytes at offset " + std::to_string(offset));
  // Volatile loads: the bytes change under the program's feet (other processes write the file), so every call
  // must really read them rather than reuse what an earlier call read.
  const volatile std::uint8_t* in = static_cast<const volatile std::uint8_t*>(base_) + offset;
  auto* to = static_cast<std::uint8_t*>(out);
  std::size_t i = 0;
  if (reinterpret_cast<std::uintptr_t>(in) % alignof(std::uint64_t) == 0) {
    const volatile std::uint64_t* words = reinterpret_cast<const volatile std::uint64_t*>(in);
    for (; i + sizeof(std::uint64_t) <= size; i += sizeof(std::uint64_t)) {
      const std::uint64_t word = words[i / sizeof(std::uint64_t)];
      std::memcpy(to + i, &word, sizeof word);
    }
  }
  for (; i < size; ++i) to[i] = in[i];
  std::atomic_thread_fence(std::memory_order_acquire);
}

FileHead File::MapHead(std::size_t size) const {
  if (size == 0 || Size() < size)
    throw FsError("file " + path_.string() + " is shorter than the " + std::to_string(size) + " bytes to map");
  void* base = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd_, 0);
  if (base == MAP_FAILED) Fail("cannot map", path_, errno);
  FileHead head;
  head.base_ = base;
  head.size_ = size;
  return head;
}

void File::Close() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

bool File::TryLock(std::uint64_t offset, std::uint64_t length, bool exclusive) {
  struct flock lock {};
  lock.l_type = exclusive ? F_WRLCK : F_RDLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = static_cast<off_t>(offset);
  lock.l_len = static_cast<off_t>(length);
  if (::fcntl(fd_, F_OFD_SETLK, &lock) == 0) return true;
  // EBADF: an exclusive lock asked through a descriptor opened for reading only, which can never get it.
  if (errno == EAGAIN || errno == EACCES || (errno == EBADF && exclusive && fd_ >= 0)) return false;
  Fail("cannot lock", path_, errno);
}

void File::Lock(std::uint64_t offset, std::uint64_t length, bool exclusive) {
  struct flock lock {};
  lock.l_type = exclusive ? F_WRLCK : F_RDLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = static_cast<off_t>(offset);
  lock.l_len = static_cast<off_t>(length);
  while (::fcntl(fd_, F_OFD_SETLKW, &lock) != 0) {
    if (errno != EINTR) Fail("cannot lock", path_, errno);
  }
}

std::pair<std::uint64_t, std::uint64_t> File::Identity() const {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) Fail("cannot stat", path_, errno);
  return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

std::pair<std::uint64_t, std::uint64_t> HostFileIdentity(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {0, 0};
  return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

void File::Unlock(std::uint64_t offset, std::uint64_t length) {
  struct flock lock {};
  lock.l_type = F_UNLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = static_cast<off_t>(offset);
  lock.l_len = static_cast<off_t>(length);
  if (::fcntl(fd_, F_OFD_SETLK, &lock) != 0) Fail("cannot unlock", path_, errno);
}

void SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) Fail("cannot open folder", folder, errno);
  const int result = ::fsync(fd);
  const int error = errno;
  ::close(fd);
  if (result != 0) Fail("cannot sync folder", folder, error);
}

void AtomicReplace(const std::filesystem::path& source, const std::filesystem::path& target) {
  if (::rename(source.c_str(), target.c_str()) != 0) Fail("cannot replace " + target.string() + " by", source, errno);
  SyncFolder(target.parent_path());
}

bool RemoveHostFile(const std::filesystem::path& path) {
  if (::unlink(path.c_str()) == 0) return true;
  return errno == ENOENT;
}

ScratchFolder::ScratchFolder(std::string_view prefix) {
  // Inside the process's own scratch folder, so that what a killed process leaves is found and removed.
  const std::filesystem::path base = ProcessScratchRoot();
  std::string pattern = (base / (std::string(prefix) + "XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr)
    throw FsError("cannot make a scratch folder in " + base.string() + ": " + std::strerror(errno));
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

bool HostFileExists(const std::filesystem::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace kv::fs
