// Backups, extractions, zip progress and work-file clean-up, called as the run calls them.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include "console/backup.h"
#include "console_fixture.h"

namespace kv::console::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const kv::DateTime kWhen(kv::Date::FromYmd(2026, 3, 2), 9, 41, 30);

class Backups : public Installation {
 protected:
  void SetUp() override {
    MakeRegistry({{"A", "AY", ""}});
    MakeCompany("A");
    kv::fs::CreateFolders(DataPath() + "BACKUP");
    form = StartedForm();
    form->Clock = [] { return kWhen; };
  }
  std::unique_ptr<TForm1> form;
};

TEST_F(Backups, TwoBackupsInTheSameSecondKeepBothArchives) {
  const std::string first = DataPath() + "BACKUP\\A 02 March 20260930 AM.zip";
  EXPECT_EQ(BackupArchiveName(DataPath(), "A", kWhen), first);
  form->Backup("A");
  AppendRows(Connect("A"), "QUERY", {{{"CODE", "NEW"}}});
  form->Backup("A");
  form->Backup("A");
  std::vector<std::string> names;
  for (const auto& e : kv::fs::FindFiles(DataPath() + "BACKUP\\*.zip")) names.push_back(e.name);
  EXPECT_THAT(names, ElementsAre("A 02 March 20260930 AM (2).zip", "A 02 March 20260930 AM (3).zip",
                                 "A 02 March 20260930 AM.zip"));
  // The first archive is still the company as it was before the row was added.
  kv::testing::TempFolder restored;
  ArchiveFiles(first, restored.Path());
  engine::TAdsConnection old;
  old.SetConnectPath(restored.SuitePath());
  EXPECT_THAT(RowsOf(old, "QUERY", {"CODE"}), IsEmpty());
  EXPECT_EQ(form->XceedZip1.Tag, 1);
  EXPECT_THAT(form->XceedZip1.FilesToProcess(),
              ElementsAre(CompanyPath("A") + "\\*.adt", CompanyPath("A") + "\\*.adi", CompanyPath("A") + "\\*.adm",
                          CompanyPath("A") + "\\*.add", CompanyPath("A") + "\\*.am", CompanyPath("A") + "\\*.ai"));
}

TEST_F(Backups, AFreeTableCompanysArchiveHoldsItsTablesOnly) {
  dir.Write("COMPANY/A/README.TXT", "not a table");
  form->Backup("A");
  kv::testing::TempFolder restored;
  std::vector<std::string> expected;
  for (const auto& e : kv::fs::FindFiles(CompanyPath("A") + "\\*.AD?"))
    if (e.name != "README.TXT") expected.push_back(e.name);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(ArchiveFiles(DataPath() + "BACKUP\\A 02 March 20260930 AM.zip", restored.Path()), expected);
}

TEST_F(Backups, ProgressNamesZippingOnlyForTagOne) {
  kv::zip::FileStatus status;
  status.sFilename = "EMPLOYEE.ADT";
  status.nBytesPercent = 42;
  const std::size_t repaints = ui.Repaints();
  struct Case {
    int tag;
    const char* text;
  };
  for (const Case c : {Case{0, "unZipping : EMPLOYEE.ADT Percentage : 42"},
                       Case{1, "Zipping : EMPLOYEE.ADT Percentage : 42"},
                       Case{2, "unZipping : EMPLOYEE.ADT Percentage : 42"}}) {
    form->XceedZip1.Tag = c.tag;
    form->XceedZip1FileStatus(status);
    EXPECT_EQ(form->Edit1.Text(), c.text);
  }
  EXPECT_EQ(ui.Repaints(), repaints + 3);
}

TEST_F(Backups, TheUpdateArchiveIsLookedForInTheWorkingFolderAndGivesOnlyTheNamedFile) {
  struct Cwd {
    std::filesystem::path was = std::filesystem::current_path();
    ~Cwd() { std::filesystem::current_path(was); }
  } restore;
  kv::testing::TempFolder work;
  std::filesystem::current_path(work.Path());
  form->ExtractArchiveFile("eQuillon.aep");
  EXPECT_THAT(ui.Messages(), ElementsAre("UPDATEKV8.ZIP not existed in directory "));

  work.Write("src/eQuillon.aep", "library");
  work.Write("src/EMPLOYEE.ADT", "shipped table");
  MakeArchive(work.SuitePath() + "UPDATEKV8.ZIP", work.SuitePath() + "src\\", {"eQuillon.aep", "EMPLOYEE.ADT"});
  form->Backup("A");  // leaves its masks in the list
  form->ExtractArchiveFile("eQuillon.aep");
  EXPECT_EQ(ui.Messages().size(), 1u);
  EXPECT_TRUE(kv::fs::FileExists(DataPath() + "eQuillon.aep"));
  EXPECT_FALSE(kv::fs::FileExists(DataPath() + "EMPLOYEE.ADT"));
  EXPECT_EQ(ui.ScreenCursor(), kv::ui::Cursor::Hourglass);
}

TEST_F(Backups, WorkFileCleanUpDeletesBakTildeAndTempFilesOnly) {
  std::vector<std::string> tables;
  for (const auto& e : kv::fs::FindFiles(CompanyPath("A") + "\\*.*")) tables.push_back(e.name);
  for (const char* name : {"EMPLOYEE.ADT.BAK", "employee.adi.bak", "PAYPARA.ADT.~1", "TEMP_EMP.ADT", "temp_x.adi",
                           "BAKERY.ADT", "MYTEMP.ADT", "TEMPX.ADT"})
    dir.Write(std::string("COMPANY/A/") + name, "x");
  dir.Write("COMPANY/A/SUB.BAK/INNER.BAK", "x");
  form->CleanUpWorkFiles("A");
  std::vector<std::string> left;
  for (const auto& e : kv::fs::FindFiles(CompanyPath("A") + "\\*.*"))
    if (std::find(tables.begin(), tables.end(), e.name) == tables.end()) left.push_back(e.name);
  EXPECT_THAT(left, ElementsAre("BAKERY.ADT", "MYTEMP.ADT", "SUB.BAK", "TEMPX.ADT"));
  EXPECT_TRUE(kv::fs::FileExists(CompanyPath("A") + "\\SUB.BAK\\INNER.BAK"));
}

}  // namespace
}  // namespace kv::console::testing
