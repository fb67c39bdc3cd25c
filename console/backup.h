#pragma once
// The name of a company's backup archive.

#include <string>
#include <string_view>

#include "support/calendar.h"

namespace kv::console {

// The company folder's database files a backup takes: tables, indexes, memo files, the dictionary and its index
// and memo. A restore replaces exactly these and keeps every other file of the folder.
inline constexpr const char* kBackupMasks[] = {"*.adt", "*.adi", "*.adm", "*.add", "*.am", "*.ai"};

// data path + "BACKUP\" + code + " " + the stamp "ddddddhhss AMPM" + ".zip". The stamp has no minutes, so two
// backups of one company in the same hour can meet the same second; an archive already there is never
// replaced: the new one gets " (2)" before ".zip", or " (3)" and so on, the first name that is free.
std::string BackupArchiveName(std::string_view dataPath, std::string_view code, kv::DateTime when);

}  // namespace kv::console
