#pragma once
// Putting a company back from one of its backup archives in "BACKUP".
//
// The archive is extracted in full into a hidden folder beside the company folder; only when every file is there
// is the company folder renamed aside and the new one renamed into its place, so a failed extraction changes
// nothing. The folder renamed aside is kept until the swap is done; the files of the old folder that a backup does
// not take (pictures, reports, subfolders) are then moved into the restored folder, and the old folder goes.
// While the restore runs it holds every table of the company exclusively, through the lock the engine takes for
// an exclusive open, so it is refused while any process has a table of the company open and no process can open
// one meanwhile.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/zip.h"

namespace kv::console {

// The restore cannot start, or failed before the company folder was touched; the text says why for a person.
class RestoreRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The company's backup archives in backupFolder ("CODE <stamp>.zip", "CODE <stamp> (2).zip"), oldest first by
// the time they were written.
std::vector<std::filesystem::path> BackupArchives(std::string_view backupFolder, std::string_view code);

struct RestoreResult {
  std::filesystem::path archive;
  int files = 0;  // database files put back
  // The old folder, when a file of it that the backup does not hold could not be moved over (else empty).
  std::filesystem::path kept;
};

// Restores the company whose folder is companyFolder (suite or host path) from archive, or from the newest of its
// archives in backupFolder when archive is empty. A bare archive name is looked for in backupFolder. zip does the
// extraction (its progress event fires meanwhile). Throws RestoreRefused when there is no archive, the archive
// belongs to another company or holds no database file, a table of the company is open, or the extraction fails.
RestoreResult RestoreCompany(std::string_view companyFolder, std::string_view backupFolder, std::string_view code,
                             std::string_view archive, kv::zip::ZipComponent& zip);

}  // namespace kv::console
