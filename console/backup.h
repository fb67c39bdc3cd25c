#pragma once
// The name of a company's backup archive.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "support/calendar.h"

namespace kv::console {

// The company folder's database files a backup takes: tables, indexes, memo files, the dictionary and its index
// and memo. A restore replaces exactly these and keeps every other file of the folder.
inline constexpr const char* kBackupMasks[] = {"*.adt", "*.adi", "*.adm", "*.add", "*.am", "*.ai"};

// data path + "BACKUP\" + code + " " + the stamp "ddddddhhss AMPM" + ".zip". The stamp has no minutes, so two
// backups of one company in the same hour can meet the same second; an archive already there is never
// replaced: the new one gets " (2)" before ".zip", or " (3)" and so on, the first name that is free.
// The company's files in the backup folder named "CODE *" + extension (".zip" archives, ".json" run records), as
// host paths, oldest first by the time they were written.
std::vector<std::filesystem::path> CompanyBackupFiles(std::string_view backupFolder, std::string_view code,
                                                      std::string_view extension);

std::string BackupArchiveName(std::string_view dataPath, std::string_view code, kv::DateTime when);

}  // namespace kv::console
