#pragma once
// The record of one company's run: written as JSON beside the company's backup archive in "BACKUP" (the archive's
// name with ".json" for ".zip"; a run without a backup takes the name a backup would have had), one file a run
// and company, so an administrator can see afterwards what each run did.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/calendar.h"

namespace kv::console {

// What the run changed in the company's tables, from a survey of every table before and after it.
struct TableChanges {
  struct Rows {
    std::string table;
    std::uint64_t before = 0, after = 0;
  };
  std::vector<std::string> tablesCreated;   // "CPFNEW2"
  std::vector<std::string> tablesDeleted;
  std::vector<std::string> columnsAdded;    // "GLCOST.GL_TYPE char(20)"
  std::vector<std::string> columnsAltered;  // "PASS.PRINTER char(2) -> char(4)"
  std::vector<std::string> columnsDropped;  // "CLAIMGRP.DESC"
  std::vector<std::string> indexesMade;     // "RPTRX.PAYCODE on EMPCODE;PAYCODE;PERIOD;CYCLE"
  std::vector<Rows> rows;                   // tables whose row count changed (a new table's from 0)
};

struct RunRecord {
  struct Step {
    std::string name;  // the progress line naming it ("UPDATE TABLE : CPFNEW2.ADT"), or "connect and back up"
    double seconds = 0;
  };
  std::string company;
  kv::DateTime started, ended;
  std::optional<std::int64_t> versionBefore, versionAfter;  // PAYPARA's VERSION x 10000, when it could be read
  std::string backup;                                      // the archive's file name, empty without a backup
  std::vector<Step> steps;
  std::vector<std::string> messages;  // every message and confirmation shown, in order
  std::string outcome;                // "completed", or "error: TEXT" for an error that ended the run
  std::optional<TableChanges> changes;  // unset when the tables could not be surveyed
};

std::string RunRecordJson(const RunRecord& record);

// The record's file for a run whose backup is backupArchive (suite path; empty: none was written): the archive's
// name with ".json", else a free "CODE <stamp>.json" in backupFolder.
std::string RunRecordFile(std::string_view backupFolder, const RunRecord& record, std::string_view backupArchive);

// The company's records in backupFolder, oldest first by the time they were written.
std::vector<std::filesystem::path> RunRecords(std::string_view backupFolder, std::string_view code);

}  // namespace kv::console
