// The headless runner: its command line, and whole runs on a demo installation as an administrator would start
// them from a script (exit status, what is printed, the backups and data versions left on disk).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/cli_options.h"
#include "app/cli/runner.h"
#include "app/demo/installation.h"
#include "app/survey/survey.h"
#include "common/temp_folder.h"
#include "engine/dictionary.h"
#include "support/strings.h"

namespace kv::cli {
namespace {

namespace fs = std::filesystem;

TEST(CliOptions, ParsesWhatItIsGiven) {
  std::string error;
  const auto o = ParseCliOptions({"--program-dir", "/srv/kv8", "--tick", "CheckBoxRight", "--untick",
                                  "CheckBoxbackup", "--select", "ABC", "--select", "XYZ", "--answer", "yes",
                                  "--answer", "no", "--yes", "--list", "--no-process"},
                                 &error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->programDir, "/srv/kv8");
  EXPECT_EQ(o->tick, std::vector<std::string>{"CheckBoxRight"});
  EXPECT_EQ(o->untick, std::vector<std::string>{"CheckBoxbackup"});
  EXPECT_EQ(o->select, (std::vector<std::string>{"ABC", "XYZ"}));
  EXPECT_EQ(o->answers, (std::vector<bool>{true, false}));
  EXPECT_TRUE(o->yes && o->list && o->noProcess);
  EXPECT_FALSE(o->selectAll || o->help);
}

TEST(CliOptions, RefusesBadArguments) {
  const struct {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{"--program-dir"}, "--program-dir needs a value"},
      {{"--tick", "--yes"}, "--tick needs a value"},
      {{"--select", ""}, "--select needs a value"},
      {{"--answer", "maybe"}, "--answer takes yes or no, not \"maybe\""},
      {{"--yes", "extra"}, "unknown argument \"extra\""},
      {{"-y"}, "unknown argument \"-y\""},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseCliOptions(c.args, &error)) << c.error;
    EXPECT_EQ(error, c.error);
  }
}

struct RunResult {
  int exit = -1;
  std::string out, progress;
};

class HeadlessRun : public ::testing::Test {
 protected:
  void MakeInstallation(int companies) {
    demo::DemoOptions options;
    options.dir = folder_.Path().string();
    options.companies = companies;
    options.employees = 8;
    options.dictionaries = 1;
    options.olderColumnLayouts = false;  // these tests follow the driver, not the column lists' work
    demo::MakeDemoInstallation(options);
  }

  RunResult Start(const std::vector<std::string>& args) {
    std::string error;
    const auto options = ParseCliOptions(args, &error);
    EXPECT_TRUE(options) << error;
    std::ostringstream out, progress;
    RunResult run;
    run.exit = RunHeadless(*options, (folder_.Path() / "kv8mtn-cli").string(), out, progress);
    run.out = out.str();
    run.progress = progress.str();
    return run;
  }

  std::vector<fs::path> Backups() const {
    std::vector<fs::path> found;
    const fs::path backup = folder_.Path() / "BACKUP";
    if (fs::is_directory(backup)) {
      for (const auto& entry : fs::directory_iterator(backup))
        if (entry.path().extension() == ".zip") found.push_back(entry.path());
    }
    return found;
  }

  std::string Survey() const {
    std::ostringstream out;
    EXPECT_TRUE(survey::SurveyInstallation(folder_.Path().string(), out));
    return out.str();
  }

  static int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }

  kv::testing::TempFolder folder_;
};

bool HaveUnzip() { return std::system("command -v unzip > /dev/null 2>&1") == 0; }

// The tables of DEMO01's dictionary, each with the rights the standard accessors hold on it: "T readuser=RI ...".
std::vector<std::string> RightsInDictionary(const fs::path& installation) {
  engine::TAdsDictionary dictionary;
  dictionary.SetConnectPath((installation / "COMPANY" / "DEMO01" / "DEMO01.add").string());
  dictionary.UserName = "ADSSYS";
  dictionary.Password = std::string(engine::kTablePassword);
  dictionary.Connect();
  std::vector<std::string> tables;
  dictionary.TableNames(tables);
  std::vector<std::string> held;
  for (const std::string& table : tables) {
    std::string line = table;
    for (const char* accessor : {"readuser", "KAVENPAY8", "USER88", "UTC"}) {
      std::string rights;
      ace::AdsDDGetObjectAccessRights(dictionary.Handle(), table, accessor, &rights);
      line += " " + std::string(accessor) + "=" + rights;
    }
    held.push_back(line);
  }
  dictionary.Disconnect();
  return held;
}

bool EveryTableHasTheStandardRights(const std::vector<std::string>& held) {
  for (const std::string& line : held)
    if (line.find(" readuser=RI KAVENPAY8=RWI USER88=RWI UTC=RWI") == std::string::npos) return false;
  return !held.empty();
}

TEST_F(HeadlessRun, UpgradesEverySelectedCompanyAndBacksEachUp) {
  MakeInstallation(2);
  ASSERT_EQ(Count(Survey(), "data version: 8.5\n"), 2);

  const RunResult first = Start({"--select-all", "--yes"});
  EXPECT_EQ(first.exit, kCompleted) << first.out;
  EXPECT_NE(first.out.find("confirm: Do you wish to proceed this function ? -> Yes"), std::string::npos);
  EXPECT_NE(first.out.find("run: completed, window closed"), std::string::npos) << first.out;
  EXPECT_EQ(first.out.find("error:"), std::string::npos) << first.out;
  EXPECT_NE(first.progress.find("Edit1: Zipping : "), std::string::npos);

  const std::string after = Survey();
  EXPECT_EQ(Count(after, "data version: 9.07\n"), 2) << after;
  // The dictionary company ends with the standard rights on every table, "UTC" included.
  const std::vector<std::string> rights = RightsInDictionary(folder_.Path());
  EXPECT_TRUE(EveryTableHasTheStandardRights(rights)) << ::testing::PrintToString(rights);
  // Tables registered under their file name ("TRANSFER.ADT", "SYSCONT.ADT") are registered under their bare name.
  for (const std::string& line : rights) EXPECT_EQ(UpperCase(line).find(".ADT "), std::string::npos) << line;
  EXPECT_TRUE(std::any_of(rights.begin(), rights.end(), [](const std::string& l) { return l.rfind("TRANSFER ", 0) == 0; }));
  const auto archives = Backups();
  ASSERT_EQ(archives.size(), 2u);
  for (const fs::path& archive : archives) {
    const std::string name = archive.filename().string();
    EXPECT_TRUE(name.rfind("DEMO01 ", 0) == 0 || name.rfind("DEMO02 ", 0) == 0) << name;
    EXPECT_EQ(archive.extension(), ".zip");
    if (HaveUnzip()) {
      EXPECT_EQ(std::system(("unzip -tqq '" + archive.string() + "' > /dev/null 2>&1").c_str()), 0) << name;
    }
  }

  // A second run over upgraded companies completes too, backs each up again and keeps the version.
  const RunResult second = Start({"--select-all", "--yes"});
  EXPECT_EQ(second.exit, kCompleted) << second.out;
  EXPECT_EQ(Backups().size(), 4u);
  EXPECT_EQ(Count(Survey(), "data version: 9.07\n"), 2);
}

TEST_F(HeadlessRun, OnlyTheSelectedCompanyIsTouched) {
  MakeInstallation(2);
  const RunResult run = Start({"--select", "DEMO02", "--yes", "--list"});
  EXPECT_EQ(run.exit, kCompleted) << run.out;
  EXPECT_NE(run.out.find("company: DEMO02 | "), std::string::npos);
  EXPECT_NE(run.out.find(" | selected"), std::string::npos);
  const auto archives = Backups();
  ASSERT_EQ(archives.size(), 1u);
  EXPECT_EQ(archives[0].filename().string().rfind("DEMO02 ", 0), 0u);
  const std::string after = Survey();
  EXPECT_EQ(Count(after, "data version: 8.5\n"), 1) << after;
  EXPECT_EQ(Count(after, "data version: 9.07\n"), 1) << after;
}

TEST_F(HeadlessRun, EndsWithStatusTwoOnAConfirmationNobodyAnswered) {
  MakeInstallation(1);
  const RunResult run = Start({"--select-all"});
  EXPECT_EQ(run.exit, kBadUse);
  EXPECT_NE(run.out.find("error: no answer was given for the confirmation \"Do you wish to proceed this function ?\""),
            std::string::npos)
      << run.out;
  EXPECT_TRUE(Backups().empty());
  EXPECT_EQ(Count(Survey(), "data version: 8.5\n"), 1);
}

TEST_F(HeadlessRun, AnsweringNoChangesNothing) {
  MakeInstallation(1);
  const RunResult run = Start({"--select-all", "--answer", "no"});
  EXPECT_EQ(run.exit, kCompleted) << run.out;
  EXPECT_NE(run.out.find("-> No"), std::string::npos);
  EXPECT_TRUE(Backups().empty());
  EXPECT_EQ(Count(Survey(), "data version: 8.5\n"), 1);
}

TEST_F(HeadlessRun, EndsWithStatusThreeWhenTheBackupCannotBeWritten) {
  MakeInstallation(1);
  // A file where the backup folder belongs: the archive cannot be written, and the run must end before the
  // company is changed.
  std::ofstream(folder_.Path() / "BACKUP") << "not a folder";
  const RunResult run = Start({"--select-all", "--yes"});
  EXPECT_EQ(run.exit, kRunFailed) << run.out;
  EXPECT_NE(run.out.find("error: Cannot write the archive "), std::string::npos) << run.out;
  EXPECT_EQ(Count(Survey(), "data version: 8.5\n"), 1);
}

TEST_F(HeadlessRun, UnknownOptionOrCompanyIsBadUse) {
  MakeInstallation(1);
  const RunResult option = Start({"--tick", "CheckBoxNoSuch", "--yes"});
  EXPECT_EQ(option.exit, kBadUse);
  EXPECT_NE(option.out.find("error: there is no option named \"CheckBoxNoSuch\""), std::string::npos);
  const RunResult company = Start({"--select", "NOPE", "--yes"});
  EXPECT_EQ(company.exit, kBadUse);
  EXPECT_NE(company.out.find("error: the company \"NOPE\" is not in the registry"), std::string::npos);
  EXPECT_TRUE(Backups().empty());
}

TEST_F(HeadlessRun, RebuildTableRightsTakesOnlyTheDictionaryCompany) {
  MakeInstallation(2);  // DEMO01 under its dictionary, DEMO02 as free tables
  ASSERT_FALSE(EveryTableHasTheStandardRights(RightsInDictionary(folder_.Path())));  // no "UTC" yet
  const RunResult run = Start({"--select-all", "--yes", "--tick", "CheckBoxRight"});
  EXPECT_EQ(run.exit, kCompleted) << run.out;
  EXPECT_EQ(run.out.find("error:"), std::string::npos) << run.out;

  // Every table of the dictionary has the standard rights, the tool's own user "UTC" included.
  const std::vector<std::string> held = RightsInDictionary(folder_.Path());
  ASSERT_GT(held.size(), 10u);
  EXPECT_TRUE(EveryTableHasTheStandardRights(held)) << ::testing::PrintToString(held);
  for (const std::string& line : held) {
    const std::string table = line.substr(0, line.find(' '));
    EXPECT_NE(run.progress.find("Edit1: rebuild Database " + table + "\n"), std::string::npos) << table;
  }
  EXPECT_EQ(Count(run.progress, "Edit1: rebuild Database "), static_cast<int>(held.size()));

  // Both were backed up; only the free-table company went through the upgrade.
  EXPECT_EQ(Backups().size(), 2u);
  const std::string after = Survey();
  EXPECT_EQ(Count(after, "data version: 8.5\n"), 1) << after;
  EXPECT_EQ(Count(after, "data version: 9.07\n"), 1) << after;
}

}  // namespace
}  // namespace kv::cli
