#include "console/restore.h"

#include <algorithm>
#include <system_error>

#include "ace/ace_files.h"
#include "console/backup.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "support/strings.h"

namespace kv::console {

namespace stdfs = std::filesystem;

namespace {

bool IsDatabaseFile(const std::string& name) {
  return std::any_of(std::begin(kBackupMasks), std::end(kBackupMasks),
                     [&](const char* mask) { return kv::fs::MatchesMask(name, mask); });
}

// Every table of the folder held as an exclusive open holds it: no other user has one open, and none can open
// one until the locks go with the files.
std::vector<ace::TableFileHold> HoldTables(const stdfs::path& folder, std::string_view code) {
  std::vector<ace::TableFileHold> held;
  if (!stdfs::is_directory(folder)) return held;
  for (const auto& entry : stdfs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_regular_file() || !kv::fs::MatchesMask(name, "*.adt")) continue;
    ace::TableFileHold hold;
    std::string why;
    const auto result = hold.Take(entry.path(), why);
    if (result == ace::code::kTableInUse)
      throw RestoreRefused("company " + std::string(code) + " is in use: table " + name +
                           " is open in another program. Close every program using the company and try again.");
    if (result != ace::code::kSuccess)
      throw RestoreRefused("company " + std::string(code) + " cannot be restored: " + why);
    held.push_back(std::move(hold));
  }
  return held;
}

// A name beside the company folder that nothing holds yet: ".CODE.restoring", ".CODE.replaced (2)", ...
stdfs::path FreeSibling(const stdfs::path& folder, const std::string& what) {
  const stdfs::path base = folder.parent_path() / ("." + folder.filename().string() + "." + what);
  stdfs::path name = base;
  for (int copy = 2; stdfs::exists(name); ++copy) name = base.string() + " (" + std::to_string(copy) + ")";
  return name;
}

stdfs::path ChooseArchive(std::string_view backupFolder, std::string_view code, std::string_view archive) {
  if (archive.empty()) {
    const auto archives = BackupArchives(backupFolder, code);
    if (archives.empty())
      throw RestoreRefused("company " + std::string(code) + " has no backup archive in " + std::string(backupFolder));
    return archives.back();
  }
  const bool bare = archive.find_first_of("\\/") == std::string_view::npos;
  const stdfs::path path =
      kv::fs::Resolve(bare ? std::string(backupFolder) + "\\" + std::string(archive) : std::string(archive));
  if (!stdfs::is_regular_file(path)) throw RestoreRefused("there is no backup archive " + path.string());
  // Another company's archive would put its tables and dictionary under this company's code.
  if (kv::UpperCase(path.filename().string()).rfind(kv::UpperCase(std::string(code)) + " ", 0) != 0)
    throw RestoreRefused(path.filename().string() + " is not a backup of company " + std::string(code));
  return path;
}

}  // namespace

std::vector<stdfs::path> BackupArchives(std::string_view backupFolder, std::string_view code) {
  return CompanyBackupFiles(backupFolder, code, ".zip");
}

RestoreResult RestoreCompany(std::string_view companyFolder, std::string_view backupFolder, std::string_view code,
                             std::string_view archive, kv::zip::ZipComponent& zip) {
  const stdfs::path target = kv::fs::Resolve(companyFolder);
  RestoreResult result;
  result.archive = ChooseArchive(backupFolder, code, archive);
  if (!stdfs::is_directory(target.parent_path()))
    throw RestoreRefused("there is no folder " + target.parent_path().string() + " to restore the company into");
  const std::vector<ace::TableFileHold> held = HoldTables(target, code);

  const stdfs::path staging = FreeSibling(target, "restoring");
  stdfs::create_directory(staging);
  try {
    zip.SetZipFilename(result.archive.string());
    zip.SetUnzipToFolder(staging.string());
    zip.SetFilesToProcess({"*.*"});
    zip.Tag = 0;
    zip.Unzip();
    for (const auto& entry : stdfs::directory_iterator(staging))
      if (entry.is_regular_file() && IsDatabaseFile(entry.path().filename().string())) ++result.files;
    if (result.files == 0) throw RestoreRefused(result.archive.filename().string() + " holds no database file");
  } catch (const RestoreRefused&) {
    stdfs::remove_all(staging);
    throw;
  } catch (const std::exception& e) {
    stdfs::remove_all(staging);
    throw RestoreRefused("company " + std::string(code) + " was not restored: " + e.what());
  }

  // The swap: two renames in one folder. Should the second fail, the first is undone.
  stdfs::path replaced;
  if (stdfs::exists(target)) {
    replaced = FreeSibling(target, "replaced");
    stdfs::rename(target, replaced);
  }
  try {
    stdfs::rename(staging, target);
  } catch (...) {
    if (!replaced.empty()) stdfs::rename(replaced, target);
    throw;
  }
  kv::fs::SyncFolder(target.parent_path());
  if (replaced.empty()) return result;

  // What the backup does not hold stays the company's: it moves over, and the old folder goes once it is empty of
  // anything but the replaced database files. A file that cannot move keeps the old folder, so nothing is lost.
  std::vector<stdfs::path> others;
  for (const auto& entry : stdfs::directory_iterator(replaced))
    if (!entry.is_regular_file() || !IsDatabaseFile(entry.path().filename().string())) others.push_back(entry.path());
  bool everythingMoved = true;
  for (const stdfs::path& other : others) {
    std::error_code ec;
    if (!stdfs::exists(target / other.filename())) stdfs::rename(other, target / other.filename(), ec);
    if (ec || stdfs::exists(other)) everythingMoved = false;
  }
  if (everythingMoved)
    stdfs::remove_all(replaced);
  else
    result.kept = replaced;
  return result;
}

}  // namespace kv::console
