// Start-up: credentials, "KAVEN.ini", the registry connection and the registry table with its creation prompt.

#include <optional>
#include <string>

#include "catalogue/create_all.h"
#include "console/form.h"
#include "platform/fs.h"
#include "platform/ini.h"

namespace kv::console {

namespace {

constexpr const char* kExclusiveRightText =
    " This Function requires exclusive right to perform this function. Please ensure User logout the application.!";

}  // namespace

void TForm1::FormCreate() {
  for (engine::TAdsConnection* connection :
       {&AdsConnection2, &AdsConnection1, &AdsConnectionSetup, &AdsConnTmpl, &AdsConnectionSup}) {
    connection->Username = "ADSSYS";
    connection->Password = std::string(engine::kTablePassword);
  }
  AdsDictionary1.UserName = "ADSSYS";
  AdsDictionary1.Password = std::string(engine::kTablePassword);
  updateArchiveName_ = "UPDATEKV8.ZIP";
  ReadConfiguration();
  ConnectRegistry();
  OpenRegistry();
}

void TForm1::ReadConfiguration() {
  dataPath_ = programFolder_;
  const auto ini = kv::ini::IniFile::Load(programFolder_ + "KAVEN.ini");
  dictionarySetting_ = ini.ReadString("PATH", "DICTIONARY");
  ini.ReadString("SETTING", "SERVERTYPE");  // read as the suite does, and not used
  const std::string dir = ini.ReadString("PATH", "DIR");
  if (!dir.empty()) dataPath_ = dir;
}

void TForm1::ConnectRegistry() {
  std::optional<std::string> failure;
  try {
    AdsConnection2.Disconnect();
    AdsConnection2.SetConnectPath(dataPath_);
    AdsConnection2.Connect();
  } catch (const std::exception& e) {
    failure = e.what();
  }
  if (failure) ui_.ShowMessage(*failure + " AdsConnection2 " + AdsConnection2.ConnectPath());
}

void TForm1::OpenRegistry() {
  std::optional<std::string> failure;
  try {
    AdsTableCompany.Open();
  } catch (const std::exception& e) {
    failure = e.what();
  }
  if (!failure) return;
  ui_.ShowMessage(*failure + kExclusiveRightText);
  RegistryCreationPrompt();
  // A second failure is not caught: the window opens with an empty grid.
  AdsTableCompany.Open();
}

void TForm1::RegistryCreationPrompt() {
  if (!ui_.Confirm("Create mcompany.adt on the kv8 folder?", "Confirm")) return;
  kv::catalogue::CreateMcompanyTable(AdsConnection2.ConnectPath(), false, ui_);
  // A registry whose index file is gone gets its unique index back by SQL.
  if (kv::fs::FileExists(dataPath_ + "mcompany.ADT") && !kv::fs::FileExists(dataPath_ + "mcompany.ADI")) {
    AdsQuery1.SetAdsConnection(&AdsConnection2);
    AdsQuery1.SQL().Clear();
    AdsQuery1.SQL().Add("Create Unique Index \"PRIMARY\" on mcompany( COMPANY_CODE )");
    AdsQuery1.ExecSQL();
    AdsQuery1.CloseStatement();
    AdsQuery1.Close();
    AdsTableCompany.Close();
    AdsConnection2.Disconnect();
  }
}

}  // namespace kv::console
