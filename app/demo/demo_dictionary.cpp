#include "app/demo/demo_dictionary.h"

#include <stdexcept>
#include <string_view>

#include "ace/ace.h"
#include "engine/dictionary.h"
#include "engine/errors.h"

namespace kv::demo {

namespace {

// Tables an older set-up registered under their file name; the upgrade registers them under their bare name.
// Beside these, the tables made with an extension ("SYSCONT.ADT") are registered as named.
constexpr std::string_view kRegisteredWithExtension[] = {"TRANSFER"};

std::string RegisteredName(const std::string& table) {
  for (std::string_view name : kRegisteredWithExtension)
    if (table == name) return table + ".ADT";
  return table;
}

}  // namespace

std::vector<DictionaryUser> DemoDictionaryUsers() {
  // The accounts are the suite's own; the passwords are the demo's choice (the suite's set-up asks for them).
  return {{"readuser", "read8", "Read-only reports", "RI"},
          {"KAVENPAY8", "kaven8pay", "KV8 payroll application", "RWI"},
          {"USER88", "user88", "KV8 payroll users", "RWI"}};
}

std::string PutUnderDictionary(const std::string& folder, const std::string& code, const CompanyContent& content) {
  const std::string path = folder + "\\" + code + ".add";
  ace::AdsHandle created = 0;
  if (const ace::ResultCode rc = ace::AdsDDCreate(path, engine::kTablePassword, code + " payroll", &created); rc != 0) {
    ace::ResultCode lastCode = 0;
    std::string text;
    ace::AdsGetLastError(&lastCode, &text);
    throw std::runtime_error("cannot create the dictionary " + path + ": " + text);
  }
  ace::AdsDisconnect(created);

  engine::TAdsDictionary dictionary;
  dictionary.SetConnectPath(path);
  dictionary.UserName = "ADSSYS";
  dictionary.Password = std::string(engine::kTablePassword);
  dictionary.Connect();
  const std::vector<DictionaryUser> users = DemoDictionaryUsers();
  for (const DictionaryUser& u : users) dictionary.CreateUser("", u.name, u.password, u.description);
  for (const std::string& table : content.tables) {
    const bool hasExtension = table.find('.') != std::string::npos;
    const std::string name = RegisteredName(table);
    dictionary.AddTable(name, hasExtension ? table : table + ".ADT", "", "", engine::TAdsTableTypes::ttAdsADT,
                        engine::TAdsCharTypes::ANSI);
    dictionary.SetTableProperty16(name, ace::dd_property::kAutoCreate, 1);
    for (const std::string& e : content.encrypted)
      if (e == table) dictionary.SetTableProperty16(name, ace::dd_property::kEncryption, 1);
    for (const DictionaryUser& u : users) dictionary.SetObjectAccessRights(name, u.name, u.rights);
  }
  dictionary.Disconnect();
  return path;
}

}  // namespace kv::demo
