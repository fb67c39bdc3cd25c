#include "upgrade/dictionary_routines.h"

#include <optional>
#include <stdexcept>

#include "ace/ace_dictionary.h"
#include "support/strings.h"

namespace kv::upgrade {

namespace {

using engine::TAdsCharTypes;
using engine::TAdsTableTypes;
constexpr std::uint16_t kEncryption = ace::dd_property::kEncryption;
constexpr std::uint16_t kAutoCreate = ace::dd_property::kAutoCreate;

std::string CompanyCodeOf(const WindowObjects& w) { return w.AdsTableCompany.FieldByName("COMPANY_CODE").AsString(); }

std::string CompanyFolderOf(const WindowObjects& w, const std::string& code) {
  return w.dataPath + "COMPANY\\" + code;
}

std::string DictionaryPathOf(const WindowObjects& w, const std::string& code) {
  return CompanyFolderOf(w, code) + "\\" + code + ".add";
}

// The registry back on the company the routine started from.
void FindCompany(const WindowObjects& w, const std::string& code) {
  if (!w.AdsTableCompany.FindKey({engine::TKeyValue(code)})) throw std::runtime_error("Company code not found !");
}

void AddAdtTable(engine::TAdsDictionary& d, std::string_view table) {
  d.AddTable(table, std::string(table) + ".ADT", "", "", TAdsTableTypes::ttAdsADT, TAdsCharTypes::ANSI);
}

// Runs a dictionary step and returns the text of its failure. The text is copied and the handler left before
// anything else happens, so that no engine error is alive (which would silence later failures) while the
// routine shows it and goes on.
template <typename Step>
std::optional<std::string> FailureOf(Step&& step) {
  try {
    step();
  } catch (const std::exception& e) {
    return std::string(e.what());
  }
  return std::nullopt;
}

enum class Registration { Detach, Attach };

bool ChangeRegistration(const WindowObjects& w, std::string_view table, bool encrypted, Registration mode) {
  engine::TAdsConnection& c = w.AdsConnection1;
  engine::TAdsDictionary& d = w.AdsDictionary1;
  c.Disconnect();
  d.Disconnect();
  const bool dictionaryMode = c.Tag() == kDictionaryModeTag;
  const std::string code = CompanyCodeOf(w);
  const std::string dictionaryPath = DictionaryPathOf(w, code);
  if (mode == Registration::Attach && dictionaryMode) c.SetConnectPath(dictionaryPath);

  bool wasEncrypted = false;
  const auto failure = FailureOf([&] {
    d.SetConnectPath(c.ConnectPath());
    d.Connect();
    std::vector<std::string> names;
    const bool registered = TableInDictionary(d, names, table);
    if (mode == Registration::Detach && registered) {
      wasEncrypted = d.GetTableProperty16(table, kEncryption) == 1;
      if (wasEncrypted) d.SetTableProperty16(table, kEncryption, 0);
      d.RemoveTable(table, false);
    } else if (mode == Registration::Attach && !registered) {
      w.AdsTable1.SetTableName(std::string(table));
      AddAdtTable(d, table);
      c.Disconnect();
      d.Connect();
      if (encrypted && d.GetTableProperty16(table, kEncryption) == 0) d.SetTableProperty16(table, kEncryption, 1);
      d.SetTableProperty16(table, kAutoCreate, 1);
      GrantStandardRights(w, table, true);
    } else if (mode == Registration::Attach && encrypted) {
      // Still registered: its removal failed after the dictionary had decrypted it. It must not stay so.
      if (d.GetTableProperty16(table, kEncryption) == 0) d.SetTableProperty16(table, kEncryption, 1);
    }
  });
  if (failure) w.ui.ShowMessage("<#100> " + ErrorInTable(table, *failure));

  d.Disconnect();
  c.Disconnect();
  if (mode == Registration::Detach)
    c.SetConnectPath(CompanyFolderOf(w, code));
  else if (dictionaryMode)
    c.SetConnectPath(dictionaryPath);
  c.Connect();
  FindCompany(w, code);
  return wasEncrypted;
}

}  // namespace

std::string SwitchToDictionary(const WindowObjects& w) {
  std::string code = CompanyCodeOf(w);
  w.AdsConnection1.Disconnect();
  w.AdsDictionary1.Disconnect();
  w.AdsDictionary1.SetConnectPath(w.AdsConnection1.ConnectPath());
  w.AdsDictionary1.Connect();
  return code;
}

void SwitchBack(const WindowObjects& w, const std::string& code) {
  w.AdsDictionary1.Disconnect();
  w.AdsConnection1.Connect();
  FindCompany(w, code);
}

std::string ErrorInTable(std::string_view table, const std::string& text) {
  return "Error in " + std::string(table) + "  " + text + "Press any key to continue.";
}

const std::vector<StandardRight>& StandardRights() {
  static const std::vector<StandardRight> rights{
      {"readuser", "RI"},
      {"KAVENPAY8", "RWI"},
      {"USER88", "RWI"},
      {kToolUser, "RWI"},
  };
  return rights;
}

bool TableInDictionary(engine::TAdsDictionary& dictionary, std::vector<std::string>& list, std::string_view table) {
  dictionary.TableNames(list);
  const std::string wanted = kv::UpperCase(table);
  for (const std::string& name : list)
    if (kv::UpperCase(name) == wanted) return true;
  return false;
}

bool DictionaryUserExists(engine::TAdsDictionary& dictionary, std::string_view user) {
  std::vector<std::string> users;
  dictionary.UserNames(users);
  for (const std::string& name : users)
    if (name == user) return true;
  return false;
}

void GrantStandardRights(const WindowObjects& window, std::string_view table, bool switchToDictionary) {
  std::string code;
  if (switchToDictionary) code = SwitchToDictionary(window);
  engine::TAdsDictionary& d = window.AdsDictionary1;
  // The suite's set-up makes the accessors; a dictionary that lacks one simply gets fewer grants, and nothing
  // is said about it.
  (void)FailureOf([&] {
    if (!DictionaryUserExists(d, kToolUser)) d.CreateUser("", kToolUser, kToolUserPassword, kToolUserDescription);
    for (const StandardRight& right : StandardRights()) d.SetObjectAccessRights(table, right.accessor, right.rights);
    d.SetTableProperty16(table, kAutoCreate, 1);
  });
  if (switchToDictionary) SwitchBack(window, code);
}

bool DetachFromDictionary(const WindowObjects& window, std::string_view table, bool encrypted) {
  return ChangeRegistration(window, table, encrypted, Registration::Detach);
}

void AttachToDictionary(const WindowObjects& window, std::string_view table, bool encrypted) {
  ChangeRegistration(window, table, encrypted, Registration::Attach);
}

void ReattachToDictionary(const WindowObjects& window, std::string_view table, bool encrypt) {
  engine::TAdsDictionary& d = window.AdsDictionary1;
  const std::string code = SwitchToDictionary(window);
  const auto registerAgain = [&] {
    window.AdsConnection1.Disconnect();
    d.Connect();
    if (encrypt) d.SetTableProperty16(table, kEncryption, 1);
    d.SetTableProperty16(table, kAutoCreate, 1);
    GrantStandardRights(window, table, true);
  };
  const auto failure = FailureOf([&] {
    std::vector<std::string> names;
    if (TableInDictionary(d, names, table)) {
      const std::uint16_t encryption = d.GetTableProperty16(table, kEncryption);
      const std::uint16_t autoCreate = d.GetTableProperty16(table, kAutoCreate);
      if (encryption != 0 && autoCreate != 0) return;
      d.SetTableProperty16(table, kAutoCreate, 0);
      d.RemoveTable(table, false);
      AddAdtTable(d, table);
      d.Disconnect();
      window.AdsTable1.SetTableName(std::string(table));
      registerAgain();
    } else {
      window.AdsTable1.SetTableName(std::string(table));
      AddAdtTable(d, table);
      registerAgain();
    }
  });
  if (failure) window.ui.ShowMessage(ErrorInTable(table, *failure));
  SwitchBack(window, code);
}

void DecryptInDictionary(const WindowObjects& window, std::string_view table) {
  const engine::TAdsConnection* connection = window.AdsTable1.AdsConnection();
  if (connection == nullptr || !connection->IsDictionary()) return;
  engine::TAdsDictionary& d = window.AdsDictionary1;
  const std::string code = SwitchToDictionary(window);
  const auto failure = FailureOf([&] {
    std::vector<std::string> names;
    if (TableInDictionary(d, names, table) && d.GetTableProperty16(table, kEncryption) == 1)
      d.SetTableProperty16(table, kEncryption, 0);
  });
  if (failure) window.ui.ShowMessage(ErrorInTable(table, *failure));
  SwitchBack(window, code);
}

void RebuildTableRights(const WindowObjects& window) {
  engine::TAdsDictionary& d = window.AdsDictionary1;
  d.Disconnect();
  d.SetConnectPath(DictionaryPathOf(window, CompanyCodeOf(window)));
  d.Connect();
  std::vector<std::string> names;
  d.TableNames(names);
  for (const std::string& name : names) {
    if (const auto failure = FailureOf([&] { GrantStandardRights(window, name, false); }))
      window.ui.ShowMessage(*failure + " Table Name " + name + " Press any key to continue.");
    window.showProgress("rebuild Database " + name);
    window.ui.ProcessMessages();
  }
  d.Disconnect();
}

}  // namespace kv::upgrade
