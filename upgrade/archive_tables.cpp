#include "upgrade/archive_tables.h"

#include <algorithm>

#include <optional>
#include <stdexcept>
#include <vector>

#include "platform/fs.h"
#include "upgrade/dictionary_routines.h"
#include "upgrade/step_failure.h"

namespace kv::upgrade {

namespace {

using Kind = Reregistration::Kind;

// ---- "UPDATEKV8.ZIP" ----
constexpr std::string_view kUpdateAlways[] = {"PUBLIC.*"};
// BONUS is taken out under both names it may be registered with, and never extracted.
constexpr ArchiveTable kUpdateTakenOut[] = {
    {"UPDATETBL"}, {"OUTDSK_D"}, {"BONUS.ADT", false}, {"BONUS", false}, {"OUTDSK_H"}, {"GTABLE"},
    {"GLOCHG"},    {"SETCODE"},  {"GLPARA"},           {"OUTGL_D"},      {"CHECKCODE"}, {"PASSDEF"},
};
constexpr std::string_view kUpdateFreePatterns[] = {"OUTDSK_D.*", "OUTDSK_H.*", "GTABLE.*",
                                                    "PASSDEF.*",  "SETCODE.*",  "CHECKCODE.*"};
constexpr Reregistration kUpdateReregistered[] = {
    {Kind::Add, "GLPARA"},       {Kind::Add, "GTABLE"},    {Kind::Add, "GLOCHG"},
    {Kind::Add, "PASSDEF"},      {Kind::Add, "CHECKCODE"}, {Kind::Add, "OUTDSK_D"},
    {Kind::Add, "OUTDSK_H"},     {Kind::Add, "BONUS"},     {Kind::Add, "UPDATETBL"},
    {Kind::Rights, "UPDATETBL"}, {Kind::Rights, "GTABLE"}, {Kind::Rights, "GLOCHG"},
    {Kind::Rights, "PASSDEF"},   {Kind::Rights, "CHECKCODE"}, {Kind::Rights, "GLPARA"},
    {Kind::Rights, "OUTDSK_D"},  {Kind::Rights, "OUTDSK_H"},  {Kind::Rights, "BONUS"},
    {Kind::AddWithRights, "OUTGL_D"},
    {Kind::AddWithRights, "SETCODE", true},
};

// ---- "RPTDATA.ZIP" ----
constexpr ArchiveTable kReportTakenOut[] = {{"RBFIELD"}, {"RBTABLE"}, {"RBJOIN"}};
constexpr std::string_view kReportFreePatterns[] = {"RBTABLE.*", "RBFIELD.*", "RBJOIN.*"};
// Encrypted after the extraction: by the dictionary, or with the table password. RBJOIN stays as shipped.
constexpr std::string_view kReportEncrypted[] = {"RBFIELD", "RBTABLE"};
// Taken out of the dictionary with the other two, and registered again (as shipped, not encrypted): left out, the
// report writer of a dictionary company could no longer open its joins.
constexpr std::string_view kReportJoins = "RBJOIN";

std::string CompanyCodeOf(const WindowObjects& w) { return w.AdsTableCompany.FieldByName("COMPANY_CODE").AsString(); }

std::string CompanyFolderOf(const WindowObjects& w, const std::string& code) {
  return w.dataPath + "COMPANY\\" + code;
}

// Dictionary mode: the registered tables of the set leave the dictionary (their files kept) and go on the
// extraction list. The dictionary stays connected, the company connection disconnected, for the registration
// after the extraction. A failure is shown with the table being handled and passed on, once the company
// connection is back.
void TakeOutOfDictionary(const WindowObjects& w, const ArchiveTableSet& set, const std::string& code,
                         std::vector<std::string>& extraction) {
  engine::TAdsDictionary& d = w.AdsDictionary1;
  std::string handled;
  const auto failure = StepFailure([&] {
    SwitchToDictionary(w);
    for (std::string_view pattern : set.alwaysExtracted) extraction.emplace_back(pattern);
    for (const ArchiveTable& table : set.takenOut) {
      handled = table.registeredName;
      std::vector<std::string> names;
      if (!TableInDictionary(d, names, table.registeredName)) continue;
      d.RemoveTable(table.registeredName, false);
      if (table.extracted) extraction.push_back(std::string(table.registeredName) + ".*");
    }
  });
  if (!failure) return;
  if (!handled.empty()) w.ui.ShowMessage(*failure + " " + handled);
  SwitchBack(w, code);
  throw std::runtime_error(*failure);
}

// The archive's entries of the list into the company folder; what it raises is returned, not raised, so that
// the tables taken out of a dictionary are registered again all the same.
std::optional<std::string> Extract(const ArchiveObjects& o, const std::string& folder,
                                   const std::vector<std::string>& extraction) {
  const kv::ui::ScopedScreenCursor hourglass(o.window.ui, kv::ui::Cursor::Hourglass, kv::ui::Cursor::Default);
  o.XceedZip1.SetUnzipToFolder(folder);
  for (const std::string& entry : extraction) o.XceedZip1.AddFilesToProcess(entry);
  o.XceedZip1.Tag = 2;
  return StepFailure([&] { o.XceedZip1.Unzip(); });
}

// A table that is neither registered nor on disk cannot be registered; trying would end the registrations and
// leave the tables after it out of the dictionary, where the suite could no longer open them.
void AddIfPresent(const WindowObjects& w, const std::string& folder, std::string_view table) {
  std::vector<std::string> names;
  if (!kv::fs::FileExists(folder + "\\" + std::string(table) + ".ADT") && !TableInDictionary(w.AdsDictionary1, names, table))
    return;
  w.AdsDictionary1.AddTable(table, std::string(table) + ".ADT", "", "", engine::TAdsTableTypes::ttAdsADT,
                            engine::TAdsCharTypes::ANSI);
}

void Reregister(const WindowObjects& w, const ArchiveTableSet& set, const std::string& folder) {
  for (const Reregistration& step : set.reregistered) {
    const auto run = [&] {
      if (step.kind != Kind::Rights) AddIfPresent(w, folder, step.table);
      if (step.kind != Kind::Add) GrantStandardRights(w, step.table, false);
    };
    if (step.silent)
      (void)StepFailure(run);
    else
      run();
  }
}

}  // namespace

const ArchiveTableSet& UpdateArchiveTables() {
  static const ArchiveTableSet set{kUpdateAlways, kUpdateTakenOut, kUpdateFreePatterns, kUpdateReregistered};
  return set;
}

const ArchiveTableSet& ReportWriterTables() {
  static const ArchiveTableSet set{{}, kReportTakenOut, kReportFreePatterns, {}};
  return set;
}

void ExtractArchiveTables(const ArchiveObjects& o, std::string_view archive) {
  const WindowObjects& w = o.window;
  o.XceedZip1.SetZipFilename(w.dataPath + std::string(archive));
  if (!kv::fs::FileExists(o.XceedZip1.ZipFilename())) return;
  const std::string code = CompanyCodeOf(w);
  const std::string folder = CompanyFolderOf(w, code);
  const ArchiveTableSet& set = UpdateArchiveTables();
  std::vector<std::string> extraction;
  if (w.AdsConnection1.IsDictionary())
    TakeOutOfDictionary(w, set, code, extraction);
  else
    for (std::string_view pattern : set.freeTablePatterns) o.XceedZip1.AddFilesToProcess(std::string(pattern));

  o.XceedZip1.SetZipFilename(w.dataPath + std::string(archive));
  std::optional<std::string> failure;
  if (kv::fs::FileExists(o.XceedZip1.ZipFilename())) failure = Extract(o, folder, extraction);
  if (!w.AdsDictionary1.IsConnected()) {
    if (failure) throw std::runtime_error(*failure);
    return;
  }
  const auto registration = StepFailure([&] { Reregister(w, set, folder); });
  if (!failure) failure = registration;
  SwitchBack(w, code);
  if (failure) throw std::runtime_error(*failure);
}

void ExtractReportWriterTables(const ArchiveObjects& o, std::string_view archive) {
  const WindowObjects& w = o.window;
  const std::string path = w.dataPath + std::string(archive);
  if (!kv::fs::FileExists(path)) {
    w.ui.ShowMessage(path + " not existed in directory ");
    return;
  }
  o.XceedZip1.Tag = 2;
  const std::string code = CompanyCodeOf(w);
  const std::string folder = CompanyFolderOf(w, code);
  const ArchiveTableSet& set = ReportWriterTables();
  std::vector<std::string> extraction;
  if (w.AdsConnection1.IsDictionary()) {
    TakeOutOfDictionary(w, set, code, extraction);
  } else {
    for (std::string_view pattern : set.freeTablePatterns) o.XceedZip1.AddFilesToProcess(std::string(pattern));
    // Every entry of the archive, in place of the three.
    o.XceedZip1.SetFilesToProcess({"*.*"});
  }
  o.XceedZip1.SetZipFilename(path);
  std::optional<std::string> failure = Extract(o, folder, extraction);

  // The tables are encrypted again also after a failed extraction: whatever was written of them is in clear.
  const bool dictionaryMode = w.AdsDictionary1.IsConnected();
  const auto encryption = StepFailure([&] {
    engine::TAdsTable& t = w.AdsTable1;
    t.Close();
    for (std::string_view table : kReportEncrypted) {
      if (dictionaryMode) {
        ReattachToDictionary(w, table, true);
        t.Close();
        continue;
      }
      t.SetIndexFieldNames("");
      t.SetTableName(std::string(table));
      t.Open();
      t.EnableEncryption(engine::kTablePassword);
      t.EncryptTable();
      t.Close();
    }
    if (dictionaryMode && std::find(extraction.begin(), extraction.end(), std::string(kReportJoins) + ".*") !=
                              extraction.end()) {
      ReattachToDictionary(w, kReportJoins, false);
      t.Close();
    }
  });
  if (!failure) failure = encryption;
  SwitchBack(w, code);
  if (failure) throw std::runtime_error(*failure);
}

}  // namespace kv::upgrade
