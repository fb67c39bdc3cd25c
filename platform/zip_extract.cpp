// ZipComponent::Unzip: writes the requested entries into UnzipToFolder, each through a hidden temporary file
// that is synced and renamed into place only when its data has passed libzip's CRC check. Entry names that would
// lead outside the folder are refused and reported after the others are written.

#include <zip.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

#include "platform/file.h"
#include "platform/fs.h"
#include "platform/zip.h"
#include "platform/zip_internal.h"

namespace stdfs = std::filesystem;

namespace kv::zip {

namespace {

struct ArchiveReader {
  zip_t* archive = nullptr;
  ~ArchiveReader() {
    if (archive != nullptr) zip_discard(archive);
  }
};

struct EntryReader {
  zip_file_t* file = nullptr;
  ~EntryReader() {
    if (file != nullptr) zip_fclose(file);
  }
};

// The folder that receives the files. A missing last element is made (callers name a folder of the
// installation, such as the data path's "IMAGE", that a fresh installation may lack); a missing parent is not,
// so a mistyped data path does not grow a tree of new folders.
stdfs::path PrepareFolder(const std::string& folder) {
  const stdfs::path host = fs::Resolve(folder);
  std::error_code ec;
  if (stdfs::is_directory(host, ec)) return host;
  if (stdfs::exists(host, ec)) throw ZipError("Cannot extract into " + folder + ": it is a file, not a folder");
  if (!stdfs::is_directory(host.parent_path(), ec) || !stdfs::create_directory(host, ec) || ec)
    throw ZipError("Cannot extract into " + folder + ": the folder does not exist and cannot be made" +
                   (ec ? " (" + ec.message() + ")" : ""));
  return host;
}

bool IsInside(const stdfs::path& path, const stdfs::path& root) {
  auto p = path.begin();
  for (auto r = root.begin(); r != root.end(); ++r, ++p)
    if (p == path.end() || *p != *r) return false;
  return true;
}

class Extractor {
 public:
  Extractor(zip_t* archive, const std::string& archiveName, const std::string& folder, const stdfs::path& root,
            const ZipComponent::FileStatusHandler& handler)
      : archive_(archive), archiveName_(archiveName), folder_(folder), canonicalRoot_(stdfs::canonical(root)), handler_(handler), buffer_(detail::kBlockSize) {}

  // Writes one entry; false when its place turns out to lie outside the folder (through a linked subfolder).
  bool Extract(zip_uint64_t index, const detail::EntryName& entry, const zip_stat_t& st) {
    std::string suitePath = folder_;
    for (const std::string& element : entry.elements) suitePath += "\\" + element;
    const stdfs::path target = fs::Resolve(suitePath);
    std::error_code ec;
    // The name has no ".." element, but a subfolder already there may be a link to elsewhere.
    const stdfs::path real = stdfs::weakly_canonical(target.parent_path(), ec);
    if (ec || !IsInside(real, canonicalRoot_)) return false;
    stdfs::create_directories(target.parent_path(), ec);
    if (ec) throw ZipError("Cannot extract " + entry.stored + ": cannot make its folder (" + ec.message() + ")");
    if (stdfs::is_directory(target, ec))
      throw ZipError("Cannot extract " + entry.stored + " into " + folder_ + ": a folder of that name exists");

    EntryReader reader;
    reader.file = zip_fopen_index(archive_, index, 0);
    if (reader.file == nullptr)
      throw ZipError("Cannot extract " + entry.stored + " from " + archiveName_ + ": " + zip_strerror(archive_));
    const std::int64_t size = (st.valid & ZIP_STAT_SIZE) ? static_cast<std::int64_t>(st.size) : 0;
    detail::ProgressMeter meter(handler_, entry.stored, size);
    meter.Start();

    detail::TempFile temp(detail::TempPathBeside(target));
    try {
      fs::File out = fs::File::Open(temp.Path(), fs::File::Mode::CreateNew);
      std::uint64_t written = 0;
      for (;;) {
        const zip_int64_t got = zip_fread(reader.file, buffer_.data(), buffer_.size());
        if (got < 0)
          throw ZipError("Cannot extract " + entry.stored + " from " + archiveName_ + ": " +
                         zip_file_strerror(reader.file) + "; nothing of it was written");
        if (got == 0) break;
        out.WriteAt(written, buffer_.data(), static_cast<std::size_t>(got));
        written += static_cast<std::uint64_t>(got);
        meter.Advance(static_cast<std::int64_t>(written));
      }
      if (zip_fclose(reader.file) != 0) {
        reader.file = nullptr;
        throw ZipError("Cannot extract " + entry.stored + " from " + archiveName_ + ": the data is damaged");
      }
      reader.file = nullptr;
      out.Sync();
      out.Close();
    } catch (const fs::FsError& e) {
      throw ZipError("Cannot extract " + entry.stored + " into " + folder_ + ": " + e.what());
    }
    if (st.valid & ZIP_STAT_MTIME) {
      const struct timespec times[2] = {{0, UTIME_OMIT}, {st.mtime, 0}};
      ::utimensat(AT_FDCWD, temp.Path().c_str(), times, 0);
    }
    try {
      fs::AtomicReplace(temp.Path(), target);
    } catch (const fs::FsError& e) {
      throw ZipError("Cannot extract " + entry.stored + " into " + folder_ + ": " + e.what());
    }
    temp.Keep();
    meter.Complete((st.valid & ZIP_STAT_COMP_SIZE) ? static_cast<std::int64_t>(st.comp_size) : 0);
    return true;
  }

 private:
  zip_t* archive_;
  const std::string& archiveName_;
  const std::string& folder_;
  stdfs::path canonicalRoot_;
  const ZipComponent::FileStatusHandler& handler_;
  std::vector<char> buffer_;
};

}  // namespace

int ZipComponent::Unzip() {
  if (zipFilename_.empty()) throw ZipError("No archive name is set (ZipFilename is empty); nothing was extracted");
  if (filesToProcess_.empty())
    throw ZipError("No files are named to extract from " + zipFilename_ + " (FilesToProcess is empty)");
  if (unzipToFolder_.empty())
    throw ZipError("No folder is set to extract " + zipFilename_ + " into (UnzipToFolder is empty)");
  const stdfs::path archivePath = fs::Resolve(zipFilename_);
  std::error_code ec;
  if (!stdfs::is_regular_file(archivePath, ec)) throw ZipError("The archive " + zipFilename_ + " does not exist");
  const stdfs::path root = PrepareFolder(unzipToFolder_);

  ArchiveReader reader;
  int error = 0;
  reader.archive = zip_open(archivePath.c_str(), ZIP_RDONLY, &error);
  if (reader.archive == nullptr) {
    zip_error_t details;
    zip_error_init_with_code(&details, error);
    const std::string text = zip_error_strerror(&details);
    zip_error_fini(&details);
    throw ZipError("Cannot read the archive " + zipFilename_ + ": " + text);
  }

  Extractor extractor(reader.archive, zipFilename_, unzipToFolder_, root, OnFileStatus);
  std::vector<std::string> refused;
  int written = 0;
  const zip_int64_t count = zip_get_num_entries(reader.archive, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    const auto index = static_cast<zip_uint64_t>(i);
    zip_stat_t st;
    if (zip_stat_index(reader.archive, index, 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME))
      throw ZipError("Cannot read entry " + std::to_string(i + 1) + " of " + zipFilename_ + ": " +
                     zip_strerror(reader.archive));
    const detail::EntryName entry = detail::ParseEntryName(st.name);
    if (entry.isFolder || !detail::IsRequested(entry, filesToProcess_)) continue;
    if (!entry.safe || !extractor.Extract(index, entry, st)) {
      refused.push_back("\"" + entry.stored + "\"");
      continue;
    }
    ++written;
  }
  if (!refused.empty()) {
    std::string names;
    for (const std::string& name : refused) names += (names.empty() ? "" : ", ") + name;
    throw ZipError("Refused to extract from " + zipFilename_ + " " + std::to_string(refused.size()) +
                   (refused.size() == 1 ? " entry" : " entries") + " whose name leads outside " + unzipToFolder_ +
                   ": " + names + " (" + std::to_string(written) + " other files were written)");
  }
  return written;
}

}  // namespace kv::zip
