// ZipComponent::Zip: gathers the files FilesToProcess names, streams each through a source of our own (which
// reads in large blocks, counts the bytes for the progress event and names the file in every failure), lets
// libzip deflate them into a hidden temporary file beside the archive, syncs it and renames it over ZipFilename.

#include <zip.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <map>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file.h"
#include "platform/fs.h"
#include "platform/zip.h"
#include "platform/zip_internal.h"
#include "support/strings.h"

namespace stdfs = std::filesystem;

namespace kv::zip {

namespace {

struct Input {
  std::string shownName;  // suite form, for messages: the entry's folder part + the name found
  stdfs::path host;
  std::string entryName;  // bare name in the archive
  mode_t mode = 0644;
};

// The files each entry of the list matches, in list order, each file once. Two different files that would be
// stored under one bare name are refused: keeping either would silently drop the other from the archive.
std::vector<Input> CollectInputs(const std::vector<std::string>& entries, const stdfs::path& archive) {
  std::vector<Input> inputs;
  std::set<std::string> seenHosts;
  std::map<std::string, std::size_t> byName;  // upper-cased entry name -> index in inputs
  for (const std::string& entry : entries) {
    const std::string folderText = fs::FolderPart(entry);
    const stdfs::path folder = folderText.empty() ? stdfs::current_path() : fs::Resolve(folderText);
    for (const fs::FindEntry& found : fs::FindFiles(entry)) {
      if (found.isFolder) continue;
      Input input{folderText + found.name, folder / found.name, found.name};
      struct stat info {};
      // Pipes, sockets and dangling links hold nothing to store.
      if (::stat(input.host.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
      std::error_code ec;
      if (stdfs::equivalent(input.host, archive, ec)) continue;  // never the archive into itself
      if (!seenHosts.insert(input.host.lexically_normal().string()).second) continue;
      input.mode = info.st_mode;
      const auto [at, added] = byName.emplace(UpperCase(found.name), inputs.size());
      if (!added && inputs[at->second].host.parent_path() != input.host.parent_path())
        throw ZipError("Two files would be stored under one name in " + archive.filename().string() + ": " +
                       inputs[at->second].shownName + " and " + input.shownName);
      inputs.push_back(std::move(input));
    }
  }
  return inputs;
}

// State shared by the file sources of one Zip call. libzip reads the sources one after another inside zip_close,
// so one read buffer serves them all.
struct Job {
  zip_source_t* archiveOut = nullptr;  // the archive's own output, to learn how many bytes each file took
  const ZipComponent::FileStatusHandler* handler = nullptr;
  std::vector<char> buffer;
  std::string failure;                 // first failure, naming the file
  std::exception_ptr handlerError;     // an exception from the progress handler, raised again after clean-up
  std::string current;                 // file being compressed when the archive could not be written
};

struct FileSource {
  Job* job = nullptr;
  const Input* input = nullptr;
  zip_error_t error{};
  int fd = -1;
  std::int64_t size = -1;  // as reported to libzip; a file whose length changes meanwhile is refused
  std::int64_t read = 0;
  std::size_t bufferPos = 0;
  std::size_t bufferLen = 0;
  time_t mtime = 0;
  zip_int64_t dataStart = 0;
  bool atEnd = false;
  std::unique_ptr<detail::ProgressMeter> meter;

  zip_int64_t Fail(int zipCode, int systemError, const std::string& text) {
    zip_error_set(&error, zipCode, systemError);
    if (job->failure.empty()) job->failure = text;
    return -1;
  }

  zip_int64_t FailReading(int systemError) {
    return Fail(ZIP_ER_READ, systemError, "Cannot read " + input->shownName + ": " + std::strerror(systemError));
  }

  // Runs the progress handler; an exception it raises stops the archive and is raised again by Zip.
  template <typename F>
  bool Report(F&& send) {
    try {
      send();
      return true;
    } catch (...) {
      if (!job->handlerError) job->handlerError = std::current_exception();
      Fail(ZIP_ER_INTERNAL, 0, "");
      return false;
    }
  }

  zip_int64_t Stat(void* data, zip_uint64_t len) {
    auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, len, &error);
    if (st == nullptr) return -1;
    if (size < 0) {
      struct stat info {};
      if (::stat(input->host.c_str(), &info) != 0) return FailReading(errno);
      size = info.st_size;
      mtime = info.st_mtime;
    }
    zip_stat_init(st);
    st->size = static_cast<zip_uint64_t>(size);
    st->mtime = mtime;
    st->valid |= ZIP_STAT_SIZE | ZIP_STAT_MTIME;
    return sizeof(zip_stat_t);
  }

  zip_int64_t Open() {
    fd = ::open(input->host.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return FailReading(errno);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    job->current = input->shownName;
    read = 0;
    bufferPos = bufferLen = 0;
    atEnd = false;
    dataStart = zip_source_tell_write(job->archiveOut);
    meter = std::make_unique<detail::ProgressMeter>(*job->handler, input->entryName, size);
    return Report([&] { meter->Start(); }) ? 0 : -1;
  }

  zip_int64_t Read(void* data, zip_uint64_t len) {
    if (bufferPos == bufferLen) {
      ssize_t got;
      do {
        got = ::read(fd, job->buffer.data(), job->buffer.size());
      } while (got < 0 && errno == EINTR);
      if (got < 0) return FailReading(errno);
      if (got == 0) {
        if (read != size) return Changed();
        atEnd = true;
        return 0;
      }
      bufferPos = 0;
      bufferLen = static_cast<std::size_t>(got);
      if (read + got > size) return Changed();
    }
    const std::size_t n = std::min<std::size_t>(len, bufferLen - bufferPos);
    std::memcpy(data, job->buffer.data() + bufferPos, n);
    bufferPos += n;
    read += static_cast<std::int64_t>(n);
    if (!Report([&] { meter->Advance(read); })) return -1;
    return static_cast<zip_int64_t>(n);
  }

  zip_int64_t Changed() {
    return Fail(ZIP_ER_READ, 0, "File " + input->shownName + " changed while it was being compressed");
  }

  zip_int64_t Close() {
    if (fd >= 0) ::close(fd);
    fd = -1;
    // By the time libzip closes the source, the compressed data of this file is all written to the archive.
    if (atEnd) {
      const zip_int64_t end = zip_source_tell_write(job->archiveOut);
      const std::int64_t compressed = end >= dataStart ? end - dataStart : 0;
      if (!Report([&] { meter->Complete(compressed); })) return -1;
    }
    return 0;
  }
};

zip_int64_t SourceCallback(void* userdata, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
  auto* source = static_cast<FileSource*>(userdata);
  switch (cmd) {
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                            ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    case ZIP_SOURCE_STAT: return source->Stat(data, len);
    case ZIP_SOURCE_OPEN: return source->Open();
    case ZIP_SOURCE_READ: return source->Read(data, len);
    case ZIP_SOURCE_CLOSE: return source->Close();
    case ZIP_SOURCE_ERROR: return zip_error_to_data(&source->error, data, len);
    case ZIP_SOURCE_FREE:
      if (source->fd >= 0) ::close(source->fd);
      source->fd = -1;
      return 0;
    default:
      zip_error_set(&source->error, ZIP_ER_OPNOTSUPP, 0);
      return -1;
  }
}

// Frees what libzip holds if Zip leaves early: the archive handle (discarding its changes, which also removes
// libzip's own temporary file) and our reference to the output source.
struct ArchiveGuard {
  zip_t* archive = nullptr;
  zip_source_t* out = nullptr;
  ~ArchiveGuard() {
    if (archive != nullptr) zip_discard(archive);
    if (out != nullptr) zip_source_free(out);
  }
};

std::string ErrorText(zip_error_t* error) {
  std::string text = zip_error_strerror(error);
  zip_error_fini(error);
  return text;
}

// A valid archive with no entries: only the end of central directory record. libzip writes no file at all for
// an archive without entries.
void WriteEmptyArchive(const stdfs::path& path) {
  const unsigned char record[22] = {'P', 'K', 5, 6};
  fs::File file = fs::File::Open(path, fs::File::Mode::CreateNew);
  file.WriteAt(0, record, sizeof record);
  file.Sync();
}

void WriteArchive(const stdfs::path& path, const std::string& archiveName, const std::vector<Input>& inputs,
                  int level, const ZipComponent::FileStatusHandler& handler) {
  Job job;
  job.handler = &handler;
  job.buffer.resize(detail::kBlockSize);
  std::vector<std::unique_ptr<FileSource>> sources;

  zip_error_t error;
  zip_error_init(&error);
  ArchiveGuard guard;
  zip_source_t* out = zip_source_file_create(path.c_str(), 0, -1, &error);
  if (out == nullptr) throw ZipError("Cannot create the archive " + archiveName + ": " + ErrorText(&error));
  guard.archive = zip_open_from_source(out, ZIP_CREATE | ZIP_EXCL, &error);
  if (guard.archive == nullptr) {
    zip_source_free(out);
    throw ZipError("Cannot create the archive " + archiveName + ": " + ErrorText(&error));
  }
  zip_source_keep(out);
  guard.out = out;
  job.archiveOut = out;

  for (const Input& input : inputs) {
    auto source = std::make_unique<FileSource>();
    source->job = &job;
    source->input = &input;
    zip_error_init(&source->error);
    zip_source_t* src = zip_source_function(guard.archive, SourceCallback, source.get());
    if (src == nullptr) throw ZipError("Cannot add " + input.shownName + ": " + zip_strerror(guard.archive));
    sources.push_back(std::move(source));
    const zip_int64_t index = zip_file_add(guard.archive, input.entryName.c_str(), src, ZIP_FL_ENC_GUESS);
    if (index < 0) {
      zip_source_free(src);
      throw ZipError("Cannot add " + input.shownName + " to " + archiveName + ": " + zip_strerror(guard.archive));
    }
    const auto at = static_cast<zip_uint64_t>(index);
    if (zip_set_file_compression(guard.archive, at, level == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                 static_cast<zip_uint32_t>(level)) != 0 ||
        zip_file_set_external_attributes(guard.archive, at, 0, ZIP_OPSYS_UNIX,
                                         static_cast<zip_uint32_t>(input.mode & 0xFFFF) << 16) != 0)
      throw ZipError("Cannot add " + input.shownName + " to " + archiveName + ": " + zip_strerror(guard.archive));
  }

  if (zip_close(guard.archive) == 0) {
    guard.archive = nullptr;
  } else {
    const std::string reason = zip_strerror(guard.archive);
    if (job.handlerError) std::rethrow_exception(job.handlerError);
    if (!job.failure.empty()) throw ZipError(job.failure + "; the archive " + archiveName + " was not written");
    throw ZipError("Cannot write the archive " + archiveName +
                   (job.current.empty() ? "" : " (while compressing " + job.current + ")") + ": " + reason);
  }
}

}  // namespace

int ZipComponent::Zip() {
  if (zipFilename_.empty()) throw ZipError("No archive name is set (ZipFilename is empty); nothing was compressed");
  if (filesToProcess_.empty())
    throw ZipError("No files are named to compress into " + zipFilename_ + " (FilesToProcess is empty)");
  const stdfs::path target = fs::Resolve(zipFilename_);
  std::error_code ec;
  if (!stdfs::is_directory(target.parent_path(), ec))
    throw ZipError("Cannot write the archive " + zipFilename_ + ": its folder " + target.parent_path().string() +
                   (stdfs::exists(target.parent_path(), ec) ? " is a file, not a folder" : " does not exist"));
  if (stdfs::is_directory(target, ec))
    throw ZipError("Cannot write the archive " + zipFilename_ + ": a folder of that name exists");

  const std::vector<Input> inputs = CollectInputs(filesToProcess_, target);
  detail::TempFile temp(detail::TempPathBeside(target));
  try {
    if (inputs.empty()) {
      WriteEmptyArchive(temp.Path());
    } else {
      WriteArchive(temp.Path(), zipFilename_, inputs, level_, OnFileStatus);
      fs::File written = fs::File::Open(temp.Path(), fs::File::Mode::ReadOnly);
      written.Sync();
    }
    fs::AtomicReplace(temp.Path(), target);
  } catch (const fs::FsError& e) {
    throw ZipError("Cannot write the archive " + zipFilename_ + ": " + e.what());
  }
  temp.Keep();
  return static_cast<int>(inputs.size());
}

}  // namespace kv::zip
