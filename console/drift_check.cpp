#include "console/drift_check.h"

#include "console/drift_view.h"
#include "console/form.h"
#include "platform/fs.h"

namespace kv::console {

std::vector<std::string> CompanyDrift(const std::string& code, const std::string& folder, bool dictionary) {
  CompanyView company(code, folder, dictionary);
  std::vector<std::string> lines;
  TableDrift(company, lines);
  ColumnDrift(company, lines);
  IndexDrift(company, lines);
  EncryptionDrift(company, lines);
  DictionaryDrift(company, lines);
  company.UnreadableTables(lines);
  return lines;
}

std::vector<std::string> CompanyDrift(const TForm1& form, const std::string& code) {
  const std::string folder = form.CompanyFolder(code);
  // As the run connects the company: its dictionary when the folder holds one, or when KAVEN.ini says so.
  const bool dictionary = kv::fs::FileExists(folder + "\\" + code + ".add") || form.DictionarySetting() == "YES";
  return CompanyDrift(code, folder, dictionary);
}

}  // namespace kv::console
