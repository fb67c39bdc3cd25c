// Company backups, the archive extractions of the run, zip progress and the clean-up of work files.

#include "console/backup.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <utility>

#include "console/form.h"
#include "platform/fs.h"
#include "support/strings.h"

namespace kv::console {

std::vector<std::filesystem::path> CompanyBackupFiles(std::string_view backupFolder, std::string_view code,
                                                      std::string_view extension) {
  const std::string folder(backupFolder);
  std::vector<std::pair<std::filesystem::file_time_type, std::filesystem::path>> found;
  for (const kv::fs::FindEntry& entry :
       kv::fs::FindFiles(folder + "\\" + std::string(code) + " *" + std::string(extension))) {
    if (entry.isFolder) continue;
    const std::filesystem::path path = kv::fs::Resolve(folder + "\\" + entry.name);
    std::error_code ec;
    found.emplace_back(std::filesystem::last_write_time(path, ec), path);
  }
  std::sort(found.begin(), found.end());
  std::vector<std::filesystem::path> files;
  for (auto& [when, path] : found) files.push_back(std::move(path));
  return files;
}

std::string BackupArchiveName(std::string_view dataPath, std::string_view code, kv::DateTime when) {
  const std::string base =
      std::string(dataPath) + "BACKUP\\" + std::string(code) + " " + kv::FormatBackupStamp(when);
  std::string name = base + ".zip";
  for (int copy = 2; kv::fs::FileExists(name); ++copy) name = base + " (" + std::to_string(copy) + ").zip";
  return name;
}

void TForm1::Backup(const std::string& code) {
  XceedZip1.SetFilesToProcess({});
  for (const char* mask : kBackupMasks) XceedZip1.AddFilesToProcess(CompanyFolder(code) + "\\" + mask);
  XceedZip1.SetZipFilename(BackupArchiveName(dataPath_, code, Clock()));
  XceedZip1.Tag = 1;
  // A backup that cannot be written completely raises and ends the run: no company is upgraded without one.
  XceedZip1.Zip();
  lastBackup_ = XceedZip1.ZipFilename();
}

// The two extractions take exactly the file they name: the list is cleared first, so that masks a backup left
// in it never bring other files of the archive into the data path.
void TForm1::ExtractWallpaper() {
  XceedZip1.SetZipFilename(dataPath_ + "wallpaper.zip");
  const std::string archive = XceedZip1.ZipFilename();
  if (!kv::fs::FileExists(archive)) return;
  ui_.SetScreenCursor(kv::ui::Cursor::Hourglass);
  XceedZip1.SetUnzipToFolder(dataPath_ + "IMAGE");
  XceedZip1.SetFilesToProcess({});
  XceedZip1.AddFilesToProcess("wallpaper.jpg");
  XceedZip1.Unzip();
}

void TForm1::ExtractArchiveFile(const std::string& fileName) {
  // The bare name: looked for in the current working folder.
  XceedZip1.SetZipFilename(updateArchiveName_);
  const std::string archive = XceedZip1.ZipFilename();
  if (!kv::fs::FileExists(archive)) {
    ui_.ShowMessage(archive + " not existed in directory ");
    return;
  }
  ui_.SetScreenCursor(kv::ui::Cursor::Hourglass);
  XceedZip1.SetUnzipToFolder(dataPath_);
  XceedZip1.SetFilesToProcess({});
  XceedZip1.AddFilesToProcess(fileName);
  XceedZip1.Unzip();
}

// Restructuring leaves "X.ADT.BAK", editor copies "X.ADT.~1" and work tables "TEMP_X.ADT" in the company folder.
// Files that cannot be deleted (in use) stay; subfolders are not searched.
void TForm1::CleanUpWorkFiles(const std::string& code) {
  const std::string folder = CompanyFolder(code) + "\\";
  for (const kv::fs::FindEntry& entry : kv::fs::FindFiles(folder + "*.*")) {
    if (entry.isFolder) continue;
    const std::string name = kv::UpperCase(entry.name);
    if (name.find(".BAK") != std::string::npos || name.find(".~") != std::string::npos)
      kv::fs::DeleteFile(folder + entry.name);
  }
  for (const kv::fs::FindEntry& entry : kv::fs::FindFiles(folder + "TEMP_*.*")) {
    if (entry.isFolder) continue;
    if (kv::UpperCase(entry.name).find("TEMP_") != std::string::npos) kv::fs::DeleteFile(folder + entry.name);
  }
}

// The time-stamped table copies of "KAVENTMP": its tables and indexes go, other files stay.
void TForm1::CleanUpWorkFolder() {
  const std::string folder = dataPath_ + "KAVENTMP\\";
  if (kv::UpperCase(folder).find("KAVENTMP") == std::string::npos || !kv::fs::FolderExists(folder)) return;
  for (const char* mask : {"*.ADT", "*.ADI"})
    for (const kv::fs::FindEntry& entry : kv::fs::FindFiles(folder + mask))
      if (!entry.isFolder) kv::fs::DeleteFile(folder + entry.name);
}

}  // namespace kv::console
