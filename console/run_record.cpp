#include "console/run_record.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "console/backup.h"
#include "console/form.h"
#include "console/table_survey.h"
#include "engine/failure_of.h"
#include "platform/fs.h"

namespace kv::console {

namespace stdfs = std::filesystem;

namespace {

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

// 85000 gives 8.5, 90700 gives 9.07: the version as a JSON number, exactly.
std::string Version(const std::optional<std::int64_t>& scaled) {
  if (!scaled) return "null";
  const std::int64_t whole = *scaled / 10000, fraction = std::llabs(*scaled % 10000);
  std::string text = (*scaled < 0 && whole == 0 ? "-" : "") + std::to_string(whole);
  if (fraction != 0) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04lld", static_cast<long long>(fraction));
    std::string tail = digits;
    tail.erase(tail.find_last_not_of('0') + 1);
    text += "." + tail;
  }
  return text;
}

// Hears the window while one company runs: the progress line naming each step, every message shown, and the
// data version once the company is connected.
class CompanyRunRecorder {
 public:
  CompanyRunRecorder(TForm1& form, MessageTap& tap, const std::string& code, const std::function<void()>& readBefore)
      : form_(form), tap_(tap) {
    record_.company = code;
    record_.started = form.Clock();
    Begin("connect and back up");
    stepListener_ = form.Edit2.Subscribe([this](const std::string& text) { Begin(text); });
    connectListener_ = form.edtdatabase.Subscribe([readBefore](const std::string&) { readBefore(); });
    tap_.OnShown = [this](const std::string& text) { record_.messages.push_back(text); };
  }
  ~CompanyRunRecorder() {
    form_.Edit2.Unsubscribe(stepListener_);
    form_.edtdatabase.Unsubscribe(connectListener_);
    tap_.OnShown = nullptr;
  }
  CompanyRunRecorder(const CompanyRunRecorder&) = delete;
  CompanyRunRecorder& operator=(const CompanyRunRecorder&) = delete;

  RunRecord& Record() { return record_; }
  // A step of the record's own, such as the survey of the tables at the end.
  void Step(const std::string& name) { Begin(name); }

  // Closes the last step and writes the file; a record that cannot be written is told, and the run goes on.
  void Finish(const std::string& outcome, const std::string& backupFolder, const std::string& backupArchive) {
    Begin("");
    record_.outcome = outcome;
    record_.ended = form_.Clock();
    if (!backupArchive.empty()) record_.backup = kv::fs::FileNamePart(backupArchive);
    const std::string file = RunRecordFile(backupFolder, record_, backupArchive);
    std::ofstream out(kv::fs::Resolve(file));
    out << RunRecordJson(record_);
    out.close();
    if (!out) tap_.ShowMessage("The record of this run could not be written: " + file);
  }

 private:
  void Begin(const std::string& name) {
    const auto now = std::chrono::steady_clock::now();
    if (!record_.steps.empty() && open_)
      record_.steps.back().seconds = std::chrono::duration<double>(now - since_).count();
    open_ = !name.empty();
    if (open_) record_.steps.push_back({name, 0});
    since_ = now;
  }

  TForm1& form_;
  MessageTap& tap_;
  RunRecord record_;
  std::size_t stepListener_ = 0, connectListener_ = 0;
  bool open_ = false;
  std::chrono::steady_clock::time_point since_;
};

std::string List(const std::vector<std::string>& items) {
  std::string json = "[";
  for (std::size_t i = 0; i < items.size(); ++i) json += std::string(i ? "," : "") + "\n      " + Quoted(items[i]);
  return json + (items.empty() ? "]" : "\n    ]");
}

std::string ChangesJson(const std::optional<TableChanges>& changes) {
  if (!changes) return "null";
  std::string json = "{\n";
  json += "    \"tables created\": " + List(changes->tablesCreated) + ",\n";
  json += "    \"tables deleted\": " + List(changes->tablesDeleted) + ",\n";
  json += "    \"columns added\": " + List(changes->columnsAdded) + ",\n";
  json += "    \"columns altered\": " + List(changes->columnsAltered) + ",\n";
  json += "    \"columns dropped\": " + List(changes->columnsDropped) + ",\n";
  json += "    \"indexes made\": " + List(changes->indexesMade) + ",\n";
  json += "    \"rows\": [";
  for (std::size_t i = 0; i < changes->rows.size(); ++i) {
    const TableChanges::Rows& r = changes->rows[i];
    json += std::string(i ? "," : "") + "\n      {\"table\": " + Quoted(r.table) +
            ", \"before\": " + std::to_string(r.before) + ", \"after\": " + std::to_string(r.after) + "}";
  }
  json += changes->rows.empty() ? "]\n" : "\n    ]\n";
  return json + "  }";
}

}  // namespace

std::string RunRecordJson(const RunRecord& record) {
  std::string json = "{\n";
  json += "  \"company\": " + Quoted(record.company) + ",\n";
  json += "  \"started\": " + Quoted(kv::FormatIsoDateTime(record.started)) + ",\n";
  json += "  \"ended\": " + Quoted(kv::FormatIsoDateTime(record.ended)) + ",\n";
  json += "  \"data version before\": " + Version(record.versionBefore) + ",\n";
  json += "  \"data version after\": " + Version(record.versionAfter) + ",\n";
  json += "  \"backup\": " + (record.backup.empty() ? std::string("null") : Quoted(record.backup)) + ",\n";
  json += "  \"steps\": [";
  for (std::size_t i = 0; i < record.steps.size(); ++i) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", record.steps[i].seconds);
    json += std::string(i ? "," : "") + "\n    {\"step\": " + Quoted(record.steps[i].name) + ", \"seconds\": " + seconds + "}";
  }
  json += record.steps.empty() ? "],\n" : "\n  ],\n";
  json += "  \"messages\": [";
  for (std::size_t i = 0; i < record.messages.size(); ++i)
    json += std::string(i ? "," : "") + "\n    " + Quoted(record.messages[i]);
  json += record.messages.empty() ? "],\n" : "\n  ],\n";
  json += "  \"changes\": " + ChangesJson(record.changes) + ",\n";
  json += "  \"outcome\": " + Quoted(record.outcome) + "\n}\n";
  return json;
}

std::string RunRecordFile(std::string_view backupFolder, const RunRecord& record, std::string_view backupArchive) {
  if (!backupArchive.empty()) {
    std::string name(backupArchive);
    return name.substr(0, name.size() - 4) + ".json";
  }
  const std::string base = std::string(backupFolder) + "\\" + record.company + " " +
                           kv::FormatBackupStamp(record.started);
  std::string name = base + ".json";
  for (int copy = 2; kv::fs::FileExists(name); ++copy) name = base + " (" + std::to_string(copy) + ").json";
  return name;
}

std::vector<stdfs::path> RunRecords(std::string_view backupFolder, std::string_view code) {
  return CompanyBackupFiles(backupFolder, code, ".json");
}

void TForm1::ProcessCompany(const std::string& code) {
  lastBackup_.clear();
  std::unique_ptr<CompanyRunRecorder> recorder;
  // The version is read once the company is connected; a company without PAYPARA has none to show.
  const auto readVersion = [this]() -> std::optional<std::int64_t> {
    std::optional<std::int64_t> version;
    try {
      version = ReadDataVersion();
    } catch (const std::exception&) {
    }
    return version;
  };
  // The tables as they stand once the company is connected, and again after its run: what the run changed.
  const auto survey = [this, &code]() -> std::optional<TableSurvey> {
    std::optional<TableSurvey> tables;
    (void)engine::FailureOf([&] { tables = SurveyTables(code, CompanyFolder(code), AdsConnection1.IsDictionary()); });
    return tables;
  };
  std::optional<TableSurvey> before;
  bool connected = false;
  recorder = std::make_unique<CompanyRunRecorder>(*this, messageTap_, code, [&] {
    if (connected) return;
    connected = true;
    recorder->Record().versionBefore = readVersion();
    before = survey();
  });
  const std::string backupFolder = dataPath_ + "BACKUP";
  try {
    ProcessCompanySteps(code);
  } catch (const std::exception& error) {
    // No engine call here: while the engine's error exists, a failing call would raise nothing.
    recorder->Finish(std::string("error: ") + error.what(), backupFolder, lastBackup_);
    throw;
  }
  recorder->Record().versionAfter = readVersion();
  if (before) {
    recorder->Step("survey of the tables");
    if (const auto after = survey()) recorder->Record().changes = CompareSurveys(*before, *after);
  }
  recorder->Finish("completed", backupFolder, lastBackup_);
}

}  // namespace kv::console
