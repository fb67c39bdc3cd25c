#include "platform/fs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "common/temp_folder.h"

namespace kv::fs {
namespace {

namespace stdfs = std::filesystem;

std::vector<std::string> Names(const std::vector<FindEntry>& entries) {
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.name);
  return names;
}

TEST(Resolve, MatchesEveryElementWithoutRegardToCase) {
  testing::TempFolder dir;
  dir.Write("DIR/COMPANY/ABC/PAYPARA1.adt", "x");
  const std::string root = dir.Path().string();
  const auto expected = dir.Path() / "DIR/COMPANY/ABC/PAYPARA1.adt";
  for (const std::string& written : {root + "\\DIR\\COMPANY\\ABC\\PAYPARA1.adt", root + "/dir/company/abc/paypara1.ADT",
                                     root + "\\dir/Company\\abc\\PayPara1.Adt"}) {
    EXPECT_EQ(Resolve(written), expected) << written;
    EXPECT_TRUE(FileExists(written)) << written;
  }
  EXPECT_FALSE(FolderExists(root + "\\dir\\company\\abc\\paypara1.adt"));
  EXPECT_TRUE(FolderExists(root + "\\dir\\COMPANY\\abc\\"));
}

TEST(Resolve, NewNamesKeepTheirSpellingAndExactSpellingWins) {
  testing::TempFolder dir;
  dir.Write("Data/x.adt", "1");
  dir.Write("Data/X.ADT", "2");
  EXPECT_EQ(Resolve(dir.Path().string() + "\\DATA\\X.ADT"), dir.Path() / "Data/X.ADT");
  EXPECT_EQ(Resolve(dir.Path().string() + "\\data\\x.adt"), dir.Path() / "Data/x.adt");
  EXPECT_EQ(Resolve(dir.Path().string() + "\\data\\NewTable.ADT"), dir.Path() / "Data/NewTable.ADT");
}

// The lookup keeps a folder's listing between calls; a file made, renamed or removed afterwards must be seen at
// once, whether the folder was quiet (its listing kept) or had just changed (read again).
TEST(FindEntryIgnoringCase, SeesEveryChangeToTheFolder) {
  testing::TempFolder dir;
  const auto folder = dir.Path() / "ABC";
  dir.Write("ABC/EMPLOYEE.ADT", "x");
  const auto quiet = [&] {  // as if the folder had not changed for an hour
    stdfs::last_write_time(folder, stdfs::file_time_type::clock::now() - std::chrono::hours(1));
  };
  EXPECT_EQ(FindEntryIgnoringCase(folder, "employee.adt"), "EMPLOYEE.ADT");
  EXPECT_EQ(FindEntryIgnoringCase(folder, "EMPLOYEE.ADM"), std::nullopt);
  // Changed within the same moment as the last read: found at once.
  dir.Write("ABC/employee.adm", "m");
  EXPECT_EQ(FindEntryIgnoringCase(folder, "EMPLOYEE.ADM"), "employee.adm");

  quiet();
  EXPECT_EQ(FindEntryIgnoringCase(folder, "EMPLOYEE.ADI"), std::nullopt);  // the listing is kept from here
  EXPECT_EQ(FindEntryIgnoringCase(folder, "Employee.Adm"), "employee.adm");
  dir.Write("ABC/Employee.ADI", "i");
  EXPECT_EQ(FindEntryIgnoringCase(folder, "EMPLOYEE.ADI"), "Employee.ADI");
  quiet();
  EXPECT_EQ(FindEntryIgnoringCase(folder, "employee.ADI"), "Employee.ADI");
  stdfs::rename(folder / "Employee.ADI", folder / "OTHER.ADI");
  EXPECT_EQ(FindEntryIgnoringCase(folder, "EMPLOYEE.ADI"), std::nullopt);
  EXPECT_EQ(FindEntryIgnoringCase(folder, "other.adi"), "OTHER.ADI");
  quiet();
  (void)FindEntryIgnoringCase(folder, "other.adi");
  stdfs::remove(folder / "employee.adm");
  EXPECT_EQ(FindEntryIgnoringCase(folder, "EMPLOYEE.ADM"), std::nullopt);
  // A folder put in place of another is read afresh, and a missing folder has no entries.
  quiet();
  (void)FindEntryIgnoringCase(folder, "x");
  stdfs::remove_all(folder);
  dir.Write("ABC/payroll.adt", "p");
  quiet();
  EXPECT_EQ(FindEntryIgnoringCase(folder, "PAYROLL.ADT"), "payroll.adt");
  EXPECT_EQ(FindEntryIgnoringCase(folder, "EMPLOYEE.ADT"), std::nullopt);
  EXPECT_EQ(FindEntryIgnoringCase(dir.Path() / "NONE", "EMPLOYEE.ADT"), std::nullopt);
}

TEST(Resolve, DriveLettersMapBelowTheDriveRoot) {
  testing::TempFolder dir;
  const auto previous = DriveRoot();
  SetDriveRoot(dir.Path());
  dir.Write("c/TEMP/photo.jpg", "x");
  EXPECT_EQ(Resolve("c:\\temp\\photo.jpg"), dir.Path() / "c/TEMP/photo.jpg");
  EXPECT_EQ(Resolve("C:\\temp\\new.bmp"), dir.Path() / "c/TEMP/new.bmp");
  EXPECT_TRUE(CreateFolders("c:\\temp\\photo\\"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "c/TEMP/photo"));
  SetDriveRoot(previous);
}

TEST(FindFiles, MasksFollowTheSuitesWildcardRules) {
  testing::TempFolder dir;
  for (const char* name : {"X.ADI", "TEMP_EMP.ADT", "EMPLOYEE.adt", "README", "emp.adm", ".hidden.adt"})
    dir.Write(name, "data");
  std::filesystem::create_directories(dir.Path() / "BACKUP");
  const std::string base = dir.SuitePath();
  EXPECT_EQ(Names(FindFiles(base + "*.adi")), std::vector<std::string>{"X.ADI"});
  EXPECT_EQ(Names(FindFiles(base + "TEMP_*.*")), std::vector<std::string>{"TEMP_EMP.ADT"});
  EXPECT_EQ(Names(FindFiles(base + "*.adt")), (std::vector<std::string>{".hidden.adt", "EMPLOYEE.adt", "TEMP_EMP.ADT"}));
  EXPECT_EQ(FindFiles(base + "*.*").size(), 7u);  // names without a dot and folders too
  EXPECT_EQ(Names(FindFiles(base + "*.")), (std::vector<std::string>{"BACKUP", "README"}));
  EXPECT_EQ(Names(FindFiles(base + "?.ad?")), std::vector<std::string>{"X.ADI"});
  const auto all = FindFiles(base + "*.*");
  const auto backup = std::find_if(all.begin(), all.end(), [](const FindEntry& e) { return e.name == "BACKUP"; });
  ASSERT_NE(backup, all.end());
  EXPECT_TRUE(backup->isFolder);
  const auto hidden = std::find_if(all.begin(), all.end(), [](const FindEntry& e) { return e.name == ".hidden.adt"; });
  EXPECT_TRUE(hidden->isHidden);
  EXPECT_EQ(hidden->size, 4u);
  EXPECT_TRUE(FindFiles(base + "missing\\*.*").empty());
}

TEST(MatchesMask, Cases) {
  struct Case { const char* name; const char* mask; bool match; };
  const Case cases[] = {{"a.adt", "*.ADT", true}, {"a.adt.bak", "*.adt", false}, {"abc", "a*c", true},
                        {"abc", "a?", false},     {"TEMP", "TEMP.*", true},      {"TEMPX", "TEMP.*", false},
                        {"x", "*.*", true},       {"x.y", "*.", false},          {"a.b", "*", true}};
  for (const Case& c : cases) EXPECT_EQ(MatchesMask(c.name, c.mask), c.match) << c.name << " " << c.mask;
}

TEST(Files, DeleteCreateAndModificationDate) {
  testing::TempFolder dir;
  dir.Write("A.ADT", "x");
  const std::string base = dir.SuitePath();
  EXPECT_GE(FileModified(base + "a.adt").DatePart().Year(), 2024);
  EXPECT_THROW(FileModified(base + "none.adt"), FsError);
  EXPECT_TRUE(DeleteFile(base + "a.ADT"));
  EXPECT_FALSE(FileExists(base + "A.ADT"));
  EXPECT_FALSE(DeleteFile(base + "A.ADT"));
  EXPECT_TRUE(CreateFolders(base + "KAVENTMP\\2026\\"));
  EXPECT_TRUE(FolderExists(base + "kaventmp\\2026"));
}

TEST(PathParts, SplitTheLastElement) {
  EXPECT_EQ(FileNamePart("X:\\A\\B.ADT"), "B.ADT");
  EXPECT_EQ(FolderPart("X:\\A\\B.ADT"), "X:\\A\\");
  EXPECT_EQ(FileNamePart("c:B.ADT"), "B.ADT");
  EXPECT_EQ(FolderPart("B.ADT"), "");
}

}  // namespace
}  // namespace kv::fs
