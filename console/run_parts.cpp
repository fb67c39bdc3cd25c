// The run behind Process taken apart, so that each company can run in a process of its own: one process does the
// run start and the run end, and each company's process drives the same company part of the run driver.

#include <stdexcept>
#include <string>

#include "console/form.h"
#include "support/strings.h"

namespace kv::console {

bool TForm1::ProcessStart() {
  if (!BitBtn1.enabled.Get()) return false;
  return RunStart();
}

void TForm1::ProcessOneCompany(const std::string& code) {
  if (!BitBtn1.enabled.Get()) return;
  // The wallpaper, the shared folders and the shared supervisor table are the run start's, done once.
  PrepareWindowForRun();
  wwDBGrid1.enabled.Set(false);
  // The steps read the company being processed from the registry's current record, as in the company loop.
  for (AdsTableCompany.First(); !AdsTableCompany.Eof(); AdsTableCompany.Next())
    if (kv::UpperCase(CompanyCode()) == kv::UpperCase(code)) break;
  if (AdsTableCompany.Eof()) throw std::runtime_error("the company \"" + code + "\" is not in the registry");
  ProcessCompany(CompanyCode());
}

void TForm1::ProcessEnd() { RunEnd(); }

}  // namespace kv::console
