#include "app/cli/restore_command.h"

#include <ostream>

#include "app/cli/runner.h"
#include "console/restore.h"

namespace kv::cli {

int RestoreFromBackup(kv::console::TForm1& form, const std::string& code, const std::string& archive,
                      std::ostream& out) {
  try {
    const kv::console::RestoreResult restored = kv::console::RestoreCompany(
        form.CompanyFolder(code), form.DataPath() + "BACKUP", code, archive, form.XceedZip1);
    out << "restore: company " << code << " restored from " << restored.archive.string() << " (" << restored.files
        << " files)" << std::endl;
    if (!restored.kept.empty())
      out << "restore: some files of the replaced folder could not be moved over; it is kept as "
          << restored.kept.string() << std::endl;
    return kCompleted;
  } catch (const std::exception& error) {
    out << "error: " << error.what() << std::endl;
    return kRunFailed;
  }
}

}  // namespace kv::cli
