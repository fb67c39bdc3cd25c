#pragma once
// The name of a company's backup archive.

#include <string>
#include <string_view>

#include "support/calendar.h"

namespace kv::console {

// data path + "BACKUP\" + code + " " + the stamp "ddddddhhss AMPM" + ".zip". The stamp has no minutes, so two
// backups of one company in the same hour can meet the same second; an archive already there is never
// replaced: the new one gets " (2)" before ".zip", or " (3)" and so on, the first name that is free.
std::string BackupArchiveName(std::string_view dataPath, std::string_view code, kv::DateTime when);

}  // namespace kv::console
