// kv8mtn-cli --check and --dry-run on a demo installation: the differences a run will mend before it, none
// (but the known gaps of the run and the demo) after it, nothing changed by looking; and a dry run that tells
// what the real run then does, leaving the company and the registry as they were.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/cli_options.h"
#include "app/cli/runner.h"
#include "app/demo/installation.h"
#include "common/temp_folder.h"

namespace kv::cli {
namespace {

namespace fs = std::filesystem;

struct Installation {
  Installation() {
    demo::DemoOptions options;
    options.dir = folder.Path().string();
    options.companies = 2;  // DEMO01 under a dictionary, DEMO02 of free tables
    options.employees = 3;
    demo::MakeDemoInstallation(options);
  }

  int Start(std::vector<std::string> args, std::string* out) {
    std::string error;
    auto options = ParseCliOptions(args, &error);
    EXPECT_TRUE(options) << error;
    std::ostringstream o, p;
    const int exit = RunHeadless(*options, (folder.Path() / "kv8mtn-cli").string(), o, p);
    *out = o.str();
    return exit;
  }

  // Every file of the installation (but the backups and run records, with backups) with a hash of its bytes.
  std::map<std::string, std::size_t> Checksums(bool withBackups = true) const {
    std::map<std::string, std::size_t> sums;
    for (const auto& entry : fs::recursive_directory_iterator(folder.Path())) {
      if (!entry.is_regular_file()) continue;
      if (!withBackups && entry.path().parent_path().filename() == "BACKUP") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      sums[fs::relative(entry.path(), folder.Path()).string()] = std::hash<std::string>{}(bytes);
    }
    return sums;
  }

  // The company's run records in BACKUP, oldest first.
  std::vector<std::string> Records(const std::string& code) const {
    std::vector<std::string> records;
    if (!fs::is_directory(folder.Path() / "BACKUP")) return records;
    for (const auto& entry : fs::directory_iterator(folder.Path() / "BACKUP")) {
      const std::string name = entry.path().filename().string();
      if (name.rfind(code + " ", 0) != 0 || entry.path().extension() != ".json") continue;
      std::ifstream in(entry.path());
      records.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return records;
  }

  kv::testing::TempFolder folder;
};

// The record's "changes" section: what the run changed in the company's tables.
std::string ChangesOf(const std::string& record) {
  const std::size_t from = record.find("  \"changes\": {"), to = record.find("  \"outcome\": ", from);
  return from == std::string::npos || to == std::string::npos ? "" : record.substr(from, to - from);
}

// The lines of text that start with the prefix, without it.
std::vector<std::string> LinesAfter(const std::string& text, const std::string& prefix) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (line.rfind(prefix, 0) == 0) lines.push_back(line.substr(prefix.size()));
  return lines;
}

// The steps of a run record, but the one named by the company's folder (the copy's lies elsewhere).
std::vector<std::string> StepsOf(const std::string& record) {
  std::vector<std::string> steps;
  for (const std::string& step : LinesAfter(record, "    {\"step\": "))
    if (step.find("COMPANY") == std::string::npos) steps.push_back(step.substr(0, step.find(", \"seconds\"")));
  return steps;
}

std::vector<std::string> CheckLines(const std::string& out) {
  std::vector<std::string> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);)
    if (line.rfind("check: DEMO", 0) == 0) lines.push_back(line);
  return lines;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(DriftCheck, ShowsWhatARunMendsAndChangesNothing) {
  Installation demo;
  const auto before = demo.Checksums();
  std::string out;
  ASSERT_EQ(demo.Start({"--check"}, &out), kDiffers) << out;
  EXPECT_EQ(demo.Checksums(), before) << "the check changed a file";
  const std::vector<std::string> lines = CheckLines(out);
  for (const char* line : {
           // A table of the catalogue the older release lacks.
           "check: DEMO01: table CPFNEW2 missing",
           // Columns: added, resized.
           "check: DEMO02: column GLCOST.GL_TYPE missing (added as char(20))",
           "check: DEMO02: column EMPLOYEE.ORIGINAL_HIRED_DATE missing (added as ftDate)",
           "check: DEMO01: column PASS.PRINTER is char(2), wanted char(4)",
           // Encryption of free tables, the dictionary's names, the tool's user the run makes.
           "check: DEMO02: table PASS not encrypted",
           "check: DEMO01: table TRANSFER.ADT registered under its file name",
           "check: DEMO01: rights of UTC on EMPLOYEE cannot be read (engine code 5141)",
       })
    EXPECT_TRUE(Has(lines, line)) << line << "\n" << out;
  // Encryption is a free-table company's concern, rights a dictionary company's.
  EXPECT_FALSE(Has(lines, "check: DEMO01: table PASS not encrypted"));
  EXPECT_NE(out.find("check: 2 of 2 companies differ"), std::string::npos) << out;

  ASSERT_EQ(demo.Start({"--check", "--select", "DEMO02"}, &out), kDiffers) << out;
  EXPECT_EQ(out.find("check: DEMO01"), std::string::npos) << out;
  EXPECT_NE(out.find("check: 1 of 1 companies differ"), std::string::npos) << out;
  ASSERT_EQ(demo.Start({"--check", "--select", "NOSUCH"}, &out), kBadUse) << out;
  EXPECT_NE(out.find("error: the company \"NOSUCH\" is not in the registry"), std::string::npos) << out;
  // A check selects nothing in the registry.
  EXPECT_EQ(demo.Checksums(), before) << "the check changed a file";

  // The dry run: the company's whole run on a copy; only a fresh backup is added to the installation.
  const auto beforeDryRun = demo.Checksums(false);
  ASSERT_EQ(demo.Start({"--dry-run", "--select", "DEMO02", "--tick", "CheckBoxAdv", "--yes"}, &out), kCompleted)
      << out;
  const std::string dryRun = out;
  EXPECT_EQ(demo.Checksums(false), beforeDryRun) << "the dry run changed the company or the registry";
  EXPECT_TRUE(demo.Records("DEMO02").empty()) << "the copy's record belongs to the copy";
  EXPECT_NE(dryRun.find("dry run: DEMO02: a copy from the fresh backup DEMO02 "), std::string::npos) << dryRun;
  EXPECT_NE(dryRun.find("\"data version after\": 9.07"), std::string::npos) << dryRun;
  EXPECT_NE(dryRun.find("\"outcome\": \"completed\""), std::string::npos) << dryRun;
  EXPECT_EQ(dryRun.find("DEMO01"), std::string::npos) << dryRun;
  // What the copy's run changed, table by table.
  const std::string changes = ChangesOf(dryRun);
  for (const char* change : {"\"CPFNEW2\"", "\"GLCOST.GL_TYPE char(20)\"", "\"PASS.PRINTER char(2) -> char(4)\"",
                             "\"CLAIMGRP.DESC\"", "\"RPTRX.PAYCODE on EMPCODE;PAYCODE;PERIOD;CYCLE\"",
                             "{\"table\": \"CPFNEW2\", \"before\": 0, \"after\": 88}"})
    EXPECT_NE(changes.find(change), std::string::npos) << change << "\n" << changes;

  ASSERT_EQ(demo.Start({"--select-all", "--tick", "CheckBoxAdv", "--yes"}, &out), kCompleted) << out;
  EXPECT_EQ(demo.Start({"--check"}, &out), kCompleted) << "after a complete run:\n" << out;
  for (const char* code : {"DEMO01", "DEMO02"})
    EXPECT_TRUE(Has(CheckLines(out), std::string("check: ") + code + ": as a complete run leaves it")) << out;
  EXPECT_EQ(CheckLines(out).size(), 2u) << out;
  // What the dry run told is what the real run did: its steps, and what is left different afterwards.
  const auto records = demo.Records("DEMO02");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(StepsOf(dryRun), StepsOf(records[0]));
  EXPECT_EQ(ChangesOf(dryRun), ChangesOf(records[0]));
  EXPECT_FALSE(StepsOf(records[0]).empty());
  EXPECT_EQ(LinesAfter(dryRun, "dry run: DEMO02: after the run: "), LinesAfter(out, "check: DEMO02: "));
}

}  // namespace
}  // namespace kv::cli
