#include "app/cli/dry_run_command.h"

#include <ostream>

#include "app/cli/company_codes.h"
#include "app/cli/runner.h"
#include "console/dry_run.h"
#include "platform/fs.h"

namespace kv::cli {

int PrintDryRun(kv::console::TForm1& form, const std::vector<std::string>& codes, kv::ui::UserInterface& ui,
                std::ostream& out) {
  const auto companies = CompanyCodes(form, codes, out);
  if (!companies) return kBadUse;
  int status = kCompleted;
  for (const std::string& code : *companies) {
    const std::string head = "dry run: " + code + ": ";
    const kv::console::DryRunResult result = kv::console::DryRunCompany(form, code, ui);
    out << head << "a copy from the fresh backup " << kv::fs::FileNamePart(result.archive) << std::endl;
    if (!result.failure.empty()) {
      out << head << "the run ended on an error: " << result.failure << std::endl;
      status = kRunFailed;
    }
    out << head << "record of the run:" << std::endl << result.record;
    for (const std::string& line : result.drift) out << head << "after the run: " << line << std::endl;
    if (result.drift.empty()) out << head << "after the run: as a complete run leaves it" << std::endl;
  }
  out << "dry run: nothing of the installation changed but the backups in "
      << form.DataPath() << "BACKUP" << std::endl;
  return status;
}

}  // namespace kv::cli
