#include "app/cli/history_command.h"

#include <fstream>
#include <ostream>

#include "app/cli/runner.h"
#include "console/run_record.h"

namespace kv::cli {

int PrintHistory(kv::console::TForm1& form, const std::string& code, std::ostream& out) {
  const auto records = kv::console::RunRecords(form.DataPath() + "BACKUP", code);
  if (records.empty()) out << "history: company " << code << " has no record of a run" << std::endl;
  for (const auto& path : records) {
    out << "record: " << path.string() << std::endl;
    std::ifstream in(path);
    out << in.rdbuf();
  }
  return kCompleted;
}

}  // namespace kv::cli
