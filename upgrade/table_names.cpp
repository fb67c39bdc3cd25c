#include "upgrade/table_names.h"

#include <cstdint>
#include <string>
#include <vector>

#include "ace/ace_dictionary.h"
#include "support/strings.h"
#include "upgrade/dictionary_routines.h"
#include "upgrade/step_failure.h"

namespace kv::upgrade {

void StripTableNameExtensions(const WindowObjects& w) {
  const engine::TAdsConnection* connection = w.AdsTable1.AdsConnection();
  if (connection == nullptr || !connection->IsDictionary()) return;
  engine::TAdsDictionary& d = w.AdsDictionary1;
  std::string handled;
  const auto failure = StepFailure([&] {
    const std::string code = SwitchToDictionary(w);
    std::vector<std::string> names;
    d.TableNames(names);
    for (const std::string& name : names) {
      handled = kv::UpperCase(name);
      const std::string bare = kv::ReplaceAll(handled, ".ADT", "");
      w.showProgress("Updating ADT Table " + bare);
      w.ui.ProcessMessages();
      if (handled.find(".ADT") == std::string::npos) continue;
      // Taking a table out of the dictionary decrypts its files; the dictionary encrypts them again under the
      // new name, so that the table does not leave this step in clear.
      const std::uint16_t encrypted = d.GetTableProperty16(handled, ace::dd_property::kEncryption);
      d.RemoveTable(handled, false);
      d.AddTable(bare, handled, "", "", engine::TAdsTableTypes::ttAdsADT, engine::TAdsCharTypes::ANSI);
      if (encrypted == 1) d.SetTableProperty16(bare, ace::dd_property::kEncryption, 1);
      GrantStandardRights(w, bare, false);
    }
    // The registry stays open through the run: it is opened only when something closed it.
    if (!w.AdsTableCompany.Active()) w.AdsTableCompany.Open();
    SwitchBack(w, code);
  });
  if (!failure) return;
  w.ui.ShowMessage(*failure + "Remove ADT Ext Table Name " + handled);
  // The next steps work on the company: the connection goes back to it.
  (void)StepFailure([&] { d.Disconnect(); });
  (void)StepFailure([&] { w.AdsConnection1.Connect(); });
}

}  // namespace kv::upgrade
