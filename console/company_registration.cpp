// Companies that exist as folders under "COMPANY" but not in the registry: each is offered for registration,
// named after its folder and the company name of its last payroll parameter record. A registered company is
// not selected, so the run that registers it does not process it.

#include <string>

#include "console/form.h"
#include "platform/fs.h"
#include "support/strings.h"

namespace kv::console {

namespace {

// The registry's codes are 8 characters; a longer folder name could only be registered cut short, as another
// company's code.
constexpr std::size_t kCompanyCodeLength = 8;

}  // namespace

// Only folders are offered: a plain file under "COMPANY" is no company, and one named like "ABC.OLD" (a copy
// put aside) never is either.
void TForm1::RegisterCompaniesFromFolders(const std::string& dataPath) {
  if (!AdsTableCompany.Active()) AdsTableCompany.Open();
  for (const kv::fs::FindEntry& entry : kv::fs::FindFiles(dataPath + "COMPANY\\*.*")) {
    if (entry.isHidden || !entry.isFolder || entry.name.find('.') != std::string::npos) continue;
    const std::string code = kv::UpperCase(entry.name);
    if (code.size() > kCompanyCodeLength) continue;
    if (AdsTableCompany.FindKey({code})) continue;
    if (!ui_.Confirm("Do you want to create company code " + entry.name + " ?", "Confirm")) continue;
    const std::string folder = dataPath + "COMPANY\\" + code;
    const std::string dictionary = folder + "\\" + code + ".ADD";
    AdsConnectionSetup.Disconnect();
    AdsConnectionSetup.SetConnectPath(kv::fs::FileExists(dictionary) ? dictionary : folder);
    TableCompany.Open();
    if (!AdsConnectionSetup.IsDictionary()) TableCompany.EnableEncryption(engine::kTablePassword);
    TableCompany.Last();
    const std::string name = TableCompany.FieldByName("company").AsString();
    AdsTableCompany.Append();
    AdsTableCompany.FieldByName("COMPANY_NAME").SetAsString(name);
    AdsTableCompany.FieldByName("company_code").SetAsString(code);
    AdsTableCompany.FieldByName("payroll_access_no").SetAsInteger(0);
    AdsTableCompany.Post();
    TableCompany.Close();
    AdsConnectionSetup.Disconnect();
  }
}

}  // namespace kv::console
