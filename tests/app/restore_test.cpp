// kv8mtn-cli --restore: a company put back from its backup archive on a demo installation, and the cases where
// it must refuse and leave the company as it is.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/cli_options.h"
#include "app/cli/runner.h"
#include "app/demo/installation.h"
#include "common/temp_folder.h"
#include "console/backup.h"
#include "engine/engine.h"
#include "platform/fs.h"
#include "platform/zip.h"

namespace kv::cli {
namespace {

namespace fs = std::filesystem;

// Every file of a folder with its bytes, subfolders by their names.
std::map<std::string, std::string> Contents(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    files[entry.path().filename().string()] =
        entry.is_directory() ? "<folder>" : std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

class Restore : public ::testing::Test {
 protected:
  void SetUp() override {
    demo::DemoOptions options;
    options.dir = folder_.Path().string();
    options.companies = 2;
    options.employees = 3;
    options.dictionaries = 0;
    options.olderColumnLayouts = false;
    demo::MakeDemoInstallation(options);
    fs::create_directories(folder_.Path() / "BACKUP");
  }

  fs::path Company(const std::string& code) const { return folder_.Path() / "COMPANY" / code; }

  // An archive of the company's database files, as the run's backup writes it.
  fs::path BackUp(const std::string& code, const std::string& stamp) {
    kv::zip::ZipComponent zip;
    for (const char* mask : kv::console::kBackupMasks) zip.AddFilesToProcess(Company(code).string() + "/" + mask);
    const fs::path archive = folder_.Path() / "BACKUP" / (code + " " + stamp + ".zip");
    zip.SetZipFilename(archive.string());
    zip.Zip();
    return archive;
  }

  std::string Start(const std::vector<std::string>& args, int expectedExit) {
    std::string error;
    const auto options = ParseCliOptions(args, &error);
    EXPECT_TRUE(options) << error;
    std::ostringstream out, progress;
    EXPECT_EQ(RunHeadless(*options, (folder_.Path() / "kv8mtn-cli").string(), out, progress), expectedExit)
        << out.str();
    return out.str();
  }

  kv::testing::TempFolder folder_;
};

// The hidden folders a restore makes beside the company folder (".DEMO01.restoring", ".DEMO01.replaced"):
// none may be left once it has ended, whether it swapped the company in or refused.
std::vector<std::string> RestoreLeftovers(const fs::path& companies) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(companies)) {
    const std::string name = entry.path().filename().string();
    if (!name.empty() && name[0] == '.') names.push_back(name);
  }
  return names;
}

TEST_F(Restore, PutsBackExactlyWhatTheNewestBackupHoldsAndKeepsOtherFiles) {
  // The older archive is written last: the newest is the one written latest, whatever its name says.
  BackUp("DEMO01", "2 January 20260101 AM");
  const auto backedUp = Contents(Company("DEMO01"));
  std::ofstream(Company("DEMO01") / "PAYPARA.ADT", std::ios::app) << "older";
  fs::last_write_time(BackUp("DEMO01", "1 January 20260101 AM"),
                      fs::file_time_type::clock::now() - std::chrono::hours(1));
  const auto others = Contents(Company("DEMO02"));

  // After the backup: a table changed, a table added, a table dropped, and files the backup never takes.
  std::ofstream(Company("DEMO01") / "PAYPARA.ADT", std::ios::app) << "changed";
  std::ofstream(Company("DEMO01") / "NEWTABLE.ADT") << "made by a run";
  fs::remove(Company("DEMO01") / "EMPLOYEE.ADT");
  std::ofstream(Company("DEMO01") / "photo.jpg") << "picture";
  fs::create_directories(Company("DEMO01") / "REPORTS");

  const std::string out = Start({"--restore", "DEMO01"}, kCompleted);
  EXPECT_NE(out.find("restore: company DEMO01 restored from "), std::string::npos) << out;
  EXPECT_NE(out.find("DEMO01 2 January 20260101 AM.zip"), std::string::npos) << out;

  auto expected = backedUp;
  expected["photo.jpg"] = "picture";
  expected["REPORTS"] = "<folder>";
  EXPECT_EQ(Contents(Company("DEMO01")), expected);
  EXPECT_EQ(Contents(Company("DEMO02")), others);
  // Neither the extraction folder nor the replaced folder is left beside the company.
  EXPECT_EQ(RestoreLeftovers(folder_.Path() / "COMPANY"), std::vector<std::string>{});
}

TEST_F(Restore, FromANamedArchiveAndIntoAMissingFolder) {
  BackUp("DEMO02", "1 January 20260101 AM");
  // With the folder gone, only what the archive holds comes back: the database files.
  auto backedUp = Contents(Company("DEMO02"));
  std::erase_if(backedUp, [](const auto& file) {
    for (const char* mask : kv::console::kBackupMasks)
      if (kv::fs::MatchesMask(file.first, mask)) return false;
    return true;
  });
  BackUp("DEMO02", "3 January 20260101 AM");
  fs::remove_all(Company("DEMO02"));
  Start({"--restore", "DEMO02", "--from", "DEMO02 1 January 20260101 AM.zip"}, kCompleted);
  EXPECT_EQ(Contents(Company("DEMO02")), backedUp);
}

TEST_F(Restore, RefusesAndLeavesTheCompanyAsItIs) {
  const fs::path archive = BackUp("DEMO01", "1 January 20260101 AM");
  std::ofstream(Company("DEMO01") / "PAYPARA.ADT", std::ios::app) << "changed";
  const auto before = Contents(Company("DEMO01"));
  const fs::path damaged = folder_.Path() / "BACKUP" / "DEMO01 damaged.zip";
  fs::copy_file(archive, damaged);
  fs::resize_file(damaged, fs::file_size(damaged) / 2);

  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"--restore", "DEMO02"}, "error: company DEMO02 has no backup archive in "},
      {{"--restore", "DEMO02", "--from", archive.string()}, "is not a backup of company DEMO02"},
      {{"--restore", "DEMO01", "--from", "DEMO01 none.zip"}, "error: there is no backup archive "},
      {{"--restore", "DEMO01", "--from", damaged.string()}, "error: company DEMO01 was not restored: "},
  };
  for (const auto& c : cases) {
    const std::string out = Start(c.args, kRunFailed);
    EXPECT_NE(out.find(c.message), std::string::npos) << out;
  }

  // Another user has a table of the company open: the engine's open holds the table against exclusive users.
  {
    engine::TAdsConnection connection;
    connection.SetConnectPath(Company("DEMO01").string());
    connection.Connect();
    engine::TAdsTable table;
    table.SetAdsConnection(&connection);
    table.SetTableName("PAYPARA");
    table.Open();
    const std::string out = Start({"--restore", "DEMO01"}, kRunFailed);
    EXPECT_NE(out.find("error: company DEMO01 is in use: table PAYPARA.ADT is open in another program."),
              std::string::npos)
        << out;
    table.Close();
    connection.Disconnect();
  }
  EXPECT_EQ(Contents(Company("DEMO01")), before);
  EXPECT_EQ(RestoreLeftovers(folder_.Path() / "COMPANY"), std::vector<std::string>{});
}

TEST(RestoreOptions, FromNeedsRestore) {
  std::string error;
  EXPECT_FALSE(ParseCliOptions({"--from", "X.zip"}, &error));
  EXPECT_EQ(error, "--from goes with --restore");
  const auto o = ParseCliOptions({"--restore", "ABC", "--from", "ABC 1.zip"}, &error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->restore, "ABC");
  EXPECT_EQ(o->from, "ABC 1.zip");
}

}  // namespace
}  // namespace kv::cli
