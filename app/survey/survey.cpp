#include "app/survey/survey.h"

#include <exception>
#include <ostream>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "platform/fs.h"
#include "platform/ini.h"

namespace kv::survey {

namespace {

using kv::engine::TAdsConnection;
using kv::engine::TAdsTable;

std::string FieldText(const kv::engine::TField& field) {
  std::string text = field.FieldName() + " " + std::string(ace::FieldTypeWord(field.EngineType()));
  if (field.Size() > 0) text += "(" + std::to_string(field.Size()) + ")";
  return text;
}

// One table: rows, encryption, fields and indexes. Errors are reported on the table's line, never raised.
void SurveyTable(TAdsConnection& connection, const std::string& fileName, std::ostream& out) {
  TAdsTable table("SurveyTable");
  table.SetAdsConnection(&connection);
  table.AdsTableOptions.AdsRightsCheck = false;
  table.SetTableName(fileName);
  table.SetReadOnly(true);
  std::string failure;
  std::string line;
  std::vector<std::string> fieldLines, indexLines;
  try {
    table.Open();
    const bool encrypted = table.IsTableEncrypted();
    if (encrypted && !connection.IsDictionary()) table.EnableEncryption(kv::engine::kTablePassword);
    line = std::to_string(table.RecordCount()) + " rows" + (encrypted ? ", encrypted" : "");
    std::string fields;
    for (const auto& field : table.Fields()) fields += (fields.empty() ? "" : ", ") + FieldText(*field);
    fieldLines.push_back(std::to_string(table.Fields().size()) + " fields: " + fields);
    table.UpdateIndexDefs();
    for (const auto& index : table.IndexDefs) {
      std::string options;
      if (index.Options.Has(kv::engine::TIndexOption::ixUnique)) options += " unique";
      if (index.Options.Has(kv::engine::TIndexOption::ixDescending)) options += " descending";
      indexLines.push_back("index " + index.Name + " on " + index.Key() + options);
    }
  } catch (const std::exception& error) {
    failure = error.what();
  }
  if (table.Active()) {
    try {
      table.Close();
    } catch (const std::exception&) {
      // A read-only survey has nothing to lose on a failed close.
    }
  }
  if (!failure.empty()) {
    out << "  table " << fileName << ": unreadable: " << failure << "\n";
    return;
  }
  out << "  table " << fileName << ": " << line << "\n";
  for (const auto& f : fieldLines) out << "    " << f << "\n";
  for (const auto& i : indexLines) out << "    " << i << "\n";
}

std::string DataVersion(TAdsConnection& connection) {
  TAdsTable paypara("SurveyPaypara");
  paypara.SetAdsConnection(&connection);
  paypara.AdsTableOptions.AdsRightsCheck = false;
  paypara.SetTableName("PAYPARA");
  paypara.SetReadOnly(true);
  std::string version;
  try {
    paypara.Open();
    if (!connection.IsDictionary() && paypara.IsTableEncrypted()) paypara.EnableEncryption(kv::engine::kTablePassword);
    paypara.First();
    version = paypara.Eof() ? "(PAYPARA has no record)" : paypara.FieldByName("VERSION").AsCurrency().ToString();
  } catch (const std::exception& error) {
    version = std::string("(unreadable: ") + error.what() + ")";
  }
  if (paypara.Active()) {
    try {
      paypara.Close();
    } catch (const std::exception&) {
    }
  }
  return version;
}

void SurveyCompany(const std::string& dataPath, const std::string& code, std::ostream& out) {
  const std::string folder = dataPath + "COMPANY\\" + code;
  const std::string dictionary = folder + "\\" + code + ".add";
  const bool underDictionary = kv::fs::FileExists(dictionary);
  out << "company " << code << " (" << (underDictionary ? "dictionary" : "free tables") << ")\n";
  if (!kv::fs::FolderExists(folder)) {
    out << "  no company folder\n";
    return;
  }
  TAdsConnection connection("SurveyConnection");
  connection.SetConnectPath(underDictionary ? dictionary : folder);
  connection.Username = "ADSSYS";
  connection.Password = std::string(kv::engine::kTablePassword);
  std::string failure;
  try {
    connection.Connect();
  } catch (const std::exception& error) {
    failure = error.what();
  }
  if (!failure.empty()) {
    out << "  cannot connect: " << failure << "\n";
    return;
  }
  out << "  data version: " << DataVersion(connection) << "\n";
  for (const auto& entry : kv::fs::FindFiles(folder + "\\*.adt"))
    if (!entry.isFolder) SurveyTable(connection, entry.name, out);
  std::vector<std::string> others;
  for (const auto& entry : kv::fs::FindFiles(folder + "\\*.*")) {
    const std::string upper = [&] {
      std::string u = entry.name;
      for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      return u;
    }();
    const auto dot = upper.rfind('.');
    const std::string ext = dot == std::string::npos ? "" : upper.substr(dot);
    if (!entry.isFolder && ext != ".ADT" && ext != ".ADI" && ext != ".ADM") others.push_back(entry.name);
  }
  for (const auto& name : others) out << "  other file " << name << "\n";
  for (const auto& entry : kv::fs::FindFiles(dataPath + "BACKUP\\" + code + " *.zip"))
    out << "  backup archive (" << entry.size << " bytes)\n";
  try {
    connection.Disconnect();
  } catch (const std::exception&) {
  }
}

// Company codes in the registry's order, or nothing when the registry cannot be read.
bool RegistryCodes(const std::string& dataPath, std::vector<std::string>& codes, std::ostream& out) {
  TAdsConnection connection("SurveyRegistry");
  connection.SetConnectPath(dataPath);
  TAdsTable registry("SurveyCompany");
  registry.SetAdsConnection(&connection);
  registry.AdsTableOptions.AdsRightsCheck = false;
  registry.SetTableName("mcompany.ADT");
  registry.SetReadOnly(true);
  std::string failure;
  try {
    registry.Open();
    registry.SetIndexFieldNames("COMPANY_CODE");
    for (registry.First(); !registry.Eof(); registry.Next())
      codes.push_back(registry.FieldByName("COMPANY_CODE").AsString());
    registry.Close();
  } catch (const std::exception& error) {
    failure = error.what();
  }
  if (!failure.empty()) {
    out << "registry: unreadable: " << failure << "\n";
    return false;
  }
  return true;
}

}  // namespace

bool SurveyInstallation(const std::string& programDir, std::ostream& out) {
  std::string programFolder = programDir;
  if (programFolder.empty() || (programFolder.back() != '\\' && programFolder.back() != '/')) programFolder += "\\";
  const auto ini = kv::ini::IniFile::Load(programFolder + "KAVEN.ini");
  const std::string dir = ini.ReadString("PATH", "DIR");
  const std::string dataPath = dir.empty() ? programFolder : dir;
  std::vector<std::string> codes;
  if (!RegistryCodes(dataPath, codes, out)) return false;
  out << "registry: " << codes.size() << " companies\n";
  for (const auto& code : codes) SurveyCompany(dataPath, code, out);
  return true;
}

}  // namespace kv::survey
