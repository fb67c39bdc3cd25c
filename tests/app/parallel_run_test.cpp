// Companies in processes of their own (kv8mtn-cli --jobs), against the serial run of the same installation, and
// the record each company's run leaves beside its backup (kv8mtn-cli --history).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/cli_options.h"
#include "app/cli/runner.h"
#include "app/demo/installation.h"
#include "app/survey/survey.h"
#include "common/temp_folder.h"

namespace kv::cli {
namespace {

namespace fs = std::filesystem;

struct Installation {
  Installation() {
    demo::DemoOptions options;
    options.dir = folder.Path().string();
    options.companies = 2;
    options.employees = 3;
    options.olderColumnLayouts = false;
    demo::MakeDemoInstallation(options);
  }

  int Start(std::vector<std::string> args, std::string* out, std::string* progress = nullptr) {
    std::string error;
    auto options = ParseCliOptions(args, &error);
    EXPECT_TRUE(options) << error;
    options->workerProgram = KV8MTN_CLI;
    std::ostringstream o, p;
    const int exit = RunHeadless(*options, (folder.Path() / "kv8mtn-cli").string(), o, p);
    *out = o.str();
    if (progress) *progress = p.str();
    return exit;
  }

  // What the survey shows of the companies, without the backups (their sizes vary with the times stored inside).
  std::string Tables() const {
    std::ostringstream out;
    EXPECT_TRUE(survey::SurveyInstallation(folder.Path().string(), out));
    std::istringstream lines(out.str());
    std::string kept;
    for (std::string line; std::getline(lines, line);)
      if (line.find("backup archive") == std::string::npos) kept += line + "\n";
    return kept;
  }

  std::vector<std::string> Records(const std::string& code) const {
    std::vector<std::string> records;
    for (const auto& entry : fs::directory_iterator(folder.Path() / "BACKUP")) {
      const std::string name = entry.path().filename().string();
      if (name.rfind(code + " ", 0) != 0 || entry.path().extension() != ".json") continue;
      std::ifstream in(entry.path());
      records.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
      EXPECT_TRUE(fs::exists(entry.path().parent_path() / (entry.path().stem().string() + ".zip"))) << name;
    }
    return records;
  }

  kv::testing::TempFolder folder;
};

TEST(ParallelRun, EndsWithTheTablesOfASerialRunAndARecordForEachCompany) {
  Installation serial, parallel;
  std::string out, progress;
  ASSERT_EQ(serial.Start({"--select-all", "--yes"}, &out), kCompleted) << out;
  ASSERT_EQ(parallel.Start({"--select-all", "--yes", "--jobs", "2"}, &out, &progress), kCompleted) << out;
  EXPECT_NE(out.find("confirm: Do you wish to proceed this function ? -> Yes"), std::string::npos) << out;
  for (const std::string code : {"DEMO01", "DEMO02"}) {
    EXPECT_NE(out.find(code + ": company: " + code + " completed"), std::string::npos) << out;
    EXPECT_NE(progress.find(code + ": edtdatabase: "), std::string::npos);
  }
  EXPECT_NE(out.find("run: completed, window closed"), std::string::npos) << out;

  const std::string tables = serial.Tables();
  EXPECT_NE(tables.find("data version: 9.07"), std::string::npos);
  EXPECT_EQ(parallel.Tables(), tables);
  // The run end ran once, after the companies: no company is left selected.
  ASSERT_EQ(parallel.Start({"--list", "--no-process"}, &out), kCompleted);
  EXPECT_EQ(out.find("| selected"), std::string::npos) << out;

  for (Installation* installation : {&serial, &parallel}) {
    for (const std::string code : {"DEMO01", "DEMO02"}) {
      const auto records = installation->Records(code);
      ASSERT_EQ(records.size(), 1u) << code;
      const std::string& record = records[0];
      EXPECT_NE(record.find("\"company\": \"" + code + "\""), std::string::npos) << record;
      EXPECT_NE(record.find("\"data version before\": 8.5,"), std::string::npos) << record;
      EXPECT_NE(record.find("\"data version after\": 9.07,"), std::string::npos) << record;
      EXPECT_NE(record.find("{\"step\": \"connect and back up\", \"seconds\": "), std::string::npos) << record;
      EXPECT_NE(record.find("\"outcome\": \"completed\""), std::string::npos) << record;
    }
  }
  ASSERT_EQ(serial.Start({"--history", "DEMO02"}, &out), kCompleted);
  EXPECT_NE(out.find("record: "), std::string::npos) << out;
  EXPECT_NE(out.find("\"company\": \"DEMO02\""), std::string::npos) << out;
}

TEST(ParallelRun, OptionsDoOneJobEach) {
  std::string error;
  EXPECT_FALSE(ParseCliOptions({"--jobs", "0"}, &error));
  EXPECT_EQ(error, "--jobs takes a number of processes from 1 to 999, not \"0\"");
  EXPECT_FALSE(ParseCliOptions({"--restore", "A", "--jobs", "2"}, &error));
  EXPECT_EQ(error, "--restore, --history, --check, --dry-run, --jobs and --one-company each do a job of their own: give one");
  const auto o = ParseCliOptions({"--select-all", "--jobs", "4"}, &error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->jobs, 4);
}

}  // namespace
}  // namespace kv::cli
