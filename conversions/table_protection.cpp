#include "conversions/table_protection.h"

#include <optional>
#include <string>
#include <vector>

#include "ace/ace_dictionary.h"
#include "upgrade/dictionary_routines.h"

namespace kv::conversions {

void EncryptTaxTables(const kv::upgrade::WindowObjects& w) {
  if (w.AdsConnection1.IsDictionary()) return;
  engine::TAdsTable& t = w.AdsTable1;
  for (const char* name : kTaxTables) {
    t.SetIndexFieldNames("");
    t.Close();
    t.SetTableName(name);
    // A company without one of them has nothing to protect there; it is no reason to end its upgrade.
    if (!t.Exists()) continue;
    t.Open();
    t.EnableEncryption(engine::kTablePassword);
    if (!t.IsTableEncrypted()) t.EncryptTable();
    t.Close();
  }
}

void RefreshDictionaryTables(const kv::upgrade::WindowObjects& w) {
  const std::string code = kv::upgrade::SwitchToDictionary(w);
  std::string table;
  std::optional<std::string> failure;
  // The text is copied and the handler left before it is shown, so that no engine error is alive meanwhile.
  try {
    std::vector<std::string> names;
    w.AdsDictionary1.TableNames(names);
    for (const std::string& name : names) {
      table = name;
      w.AdsDictionary1.SetTableProperty16(name, ace::dd_property::kAutoCreate, 0);
      w.AdsDictionary1.SetTableProperty16(name, ace::dd_property::kAutoCreate, 1);
    }
  } catch (const std::exception& e) {
    failure = e.what();
  }
  if (failure) w.ui.ShowMessage(kv::upgrade::ErrorInTable(table, *failure));
  kv::upgrade::SwitchBack(w, code);
}

}  // namespace kv::conversions
