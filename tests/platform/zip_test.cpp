#include "platform/zip.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

#include "common/temp_folder.h"

namespace kv::zip {
namespace {

namespace stdfs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string ReadFile(const stdfs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const stdfs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::vector<std::string> FolderNames(const stdfs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : stdfs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Text that compresses about as well as table data: repeated record layouts with varying names and amounts.
std::string TableLikeData(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  static const char* const kNames[] = {"TAN AH KOW", "LIM SIEW LING", "MUHAMMAD BIN ALI", "RAJ KUMAR", "WONG MEI"};
  std::string data;
  while (data.size() < size) {
    char record[96];
    std::snprintf(record, sizeof record, "S%07uA%-24s%10.2f%8u ", static_cast<unsigned>(random() % 10000000),
                  kNames[random() % 5], static_cast<double>(random() % 900000) / 100.0,
                  static_cast<unsigned>(random() % 100000));
    data += record;
  }
  data.resize(size);
  return data;
}

struct ArchiveEntry {
  std::string name;
  std::string data;
  std::int64_t compressedSize = 0;
  std::uint16_t method = 0;
};

// What the archive holds, read with libzip directly.
std::vector<ArchiveEntry> ReadArchive(const stdfs::path& path) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
  if (archive == nullptr) throw std::runtime_error("test could not open " + path.string());
  std::vector<ArchiveEntry> entries;
  for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
    zip_stat_t st;
    zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st);
    ArchiveEntry entry{st.name, std::string(st.size, '\0'), static_cast<std::int64_t>(st.comp_size), st.comp_method};
    zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
    if (zip_fread(file, entry.data.data(), st.size) != static_cast<zip_int64_t>(st.size))
      throw std::runtime_error("test could not read " + entry.name);
    zip_fclose(file);
    entries.push_back(std::move(entry));
  }
  zip_discard(archive);
  return entries;
}

// An archive written entry by entry with libzip, names exactly as given (the component itself never writes such).
void WriteRawArchive(const stdfs::path& path, const std::vector<std::pair<std::string, std::string>>& entries,
                     bool store = false) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  for (const auto& [name, data] : entries) {
    zip_source_t* source = zip_source_buffer(archive, data.data(), data.size(), 0);
    const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_RAW);
    if (store) zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
  }
  if (zip_close(archive) != 0) throw std::runtime_error("test could not write " + path.string());
}

bool HaveTool(const std::string& name) { return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0; }

int UnzipTest(const stdfs::path& archive) {
  return std::system(("unzip -tqq '" + archive.string() + "' >/dev/null 2>&1").c_str());
}

int PythonTest(const stdfs::path& archive) {
  return std::system(("python3 -c \"import sys, zipfile; sys.exit(zipfile.ZipFile(sys.argv[1]).testzip() is not None)\" '" +
                      archive.string() + "' >/dev/null 2>&1")
                         .c_str());
}

class ZipTest : public ::testing::Test {
 protected:
  ZipTest() {
    dir_.Write("KV/COMPANY/ABC/EMPLOYEE.ADT", TableLikeData(200000, 1));
    dir_.Write("KV/COMPANY/ABC/EMPLOYEE.ADI", TableLikeData(30000, 2));
    dir_.Write("KV/COMPANY/ABC/paypara.adt", TableLikeData(5000, 3));
    dir_.Write("KV/COMPANY/ABC/notes.txt", "not a table");
    dir_.Write("KV/COMPANY/ABC/OLD/x.adt", "in a subfolder");
    dir_.Write("KV/BACKUP/keep.txt", "");
    company_ = dir_.SuitePath() + "KV\\COMPANY\\ABC\\";
    backupFolder_ = dir_.Path() / "KV/BACKUP";
  }

  // The backup's six masks, in the window's order.
  void AddBackupMasks(ZipComponent& zip) {
    for (const char* mask : {"*.adt", "*.adi", "*.adm", "*.add", "*.am", "*.ai"}) zip.AddFilesToProcess(company_ + mask);
  }

  testing::TempFolder dir_;
  std::string company_;
  stdfs::path backupFolder_;
};

TEST_F(ZipTest, BackupStoresEachMatchedFileOnceUnderItsBareNameAndStandardToolsAcceptIt) {
  ZipComponent zip;
  AddBackupMasks(zip);
  zip.AddFilesToProcess(company_ + "EMPLOYEE.ADT");  // named a second time: stored once
  zip.SetZipFilename(dir_.SuitePath() + "kv\\backup\\ABC 10 December 20260209 PM.zip");

  EXPECT_EQ(zip.Zip(), 3);

  const stdfs::path archive = backupFolder_ / "ABC 10 December 20260209 PM.zip";
  const auto entries = ReadArchive(archive);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "EMPLOYEE.ADT");
  EXPECT_EQ(entries[1].name, "paypara.adt");
  EXPECT_EQ(entries[2].name, "EMPLOYEE.ADI");
  EXPECT_EQ(entries[0].data, ReadFile(dir_.Path() / "KV/COMPANY/ABC/EMPLOYEE.ADT"));
  EXPECT_EQ(entries[2].data, ReadFile(dir_.Path() / "KV/COMPANY/ABC/EMPLOYEE.ADI"));
  EXPECT_EQ(entries[0].method, ZIP_CM_DEFLATE);
  EXPECT_LT(entries[0].compressedSize, 200000 / 2);
  EXPECT_THAT(FolderNames(backupFolder_), ElementsAre("ABC 10 December 20260209 PM.zip", "keep.txt"));

  if (HaveTool("unzip")) {
    EXPECT_EQ(UnzipTest(archive), 0);
  }
  if (HaveTool("python3")) {
    EXPECT_EQ(PythonTest(archive), 0);
  }
  if (!HaveTool("unzip") || !HaveTool("python3")) GTEST_SKIP() << "unzip or python3 missing: not all checks ran";
}

TEST_F(ZipTest, LevelZeroStoresAndAnOlderArchiveOfTheNameIsReplaced) {
  WriteFile(backupFolder_ / "ABC.zip", "an older archive");
  ZipComponent zip;
  zip.SetCompressionLevel(0);
  zip.AddFilesToProcess(company_ + "paypara.ADT");
  zip.SetZipFilename(dir_.SuitePath() + "KV\\BACKUP\\abc.zip");  // reaches ABC.zip without regard to case
  EXPECT_EQ(zip.Zip(), 1);
  const auto entries = ReadArchive(backupFolder_ / "ABC.zip");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].method, ZIP_CM_STORE);
  EXPECT_EQ(entries[0].data, ReadFile(dir_.Path() / "KV/COMPANY/ABC/paypara.adt"));
  EXPECT_THROW(zip.SetCompressionLevel(10), ZipError);
}

TEST_F(ZipTest, ProgressRisesSeveralTimesPerLargeFileAndEndsWithTheCompressedSize) {
  dir_.Write("KV/COMPANY/ABC/BIG.ADT", TableLikeData(6 << 20, 4));
  ZipComponent zip;
  zip.AddFilesToProcess(company_ + "BIG.ADT");
  zip.AddFilesToProcess(company_ + "paypara.adt");
  zip.SetZipFilename(dir_.SuitePath() + "KV\\BACKUP\\ABC.zip");
  std::vector<FileStatus> events;
  zip.OnFileStatus = [&](const FileStatus& status) { events.push_back(status); };
  ASSERT_EQ(zip.Zip(), 2);
  const auto entries = ReadArchive(backupFolder_ / "ABC.zip");

  for (const auto& [name, entry] : {std::pair{"BIG.ADT", entries[0]}, std::pair{"paypara.adt", entries[1]}}) {
    std::vector<FileStatus> mine;
    for (const auto& e : events)
      if (e.sFilename == name) mine.push_back(e);
    ASSERT_GE(mine.size(), 2u) << name;
    EXPECT_EQ(mine.front().nBytesPercent, 0) << name;
    for (std::size_t i = 1; i < mine.size(); ++i) EXPECT_GE(mine[i].nBytesPercent, mine[i - 1].nBytesPercent);
    const FileStatus& last = mine.back();
    EXPECT_TRUE(last.bFileCompleted) << name;
    EXPECT_EQ(std::count_if(mine.begin(), mine.end(), [](const FileStatus& e) { return e.bFileCompleted; }), 1);
    EXPECT_EQ(last.nBytesPercent, 100);
    EXPECT_EQ(last.lSize, static_cast<std::int64_t>(entry.data.size()));
    EXPECT_EQ(last.lBytesProcessed, last.lSize);
    EXPECT_EQ(last.lCompressedSize, entry.compressedSize) << name;
    EXPECT_EQ(last.nCompressionRatio, 100 - entry.compressedSize * 100 / last.lSize);
  }
  // The large file's events come before the small one's, several of them while it is read.
  EXPECT_EQ(events.front().sFilename, "BIG.ADT");
  EXPECT_GE(std::count_if(events.begin(), events.end(), [](const FileStatus& e) { return e.sFilename == "BIG.ADT"; }),
            6);

  // Extraction reports the same way.
  events.clear();
  zip.SetFilesToProcess({"big.adt"});
  zip.SetUnzipToFolder(dir_.SuitePath() + "KV\\KAVENTMP");
  EXPECT_EQ(zip.Unzip(), 1);
  EXPECT_GE(events.size(), 6u);
  EXPECT_TRUE(events.back().bFileCompleted);
  EXPECT_EQ(events.back().lCompressedSize, entries[0].compressedSize);
  EXPECT_EQ(ReadFile(dir_.Path() / "KV/KAVENTMP/BIG.ADT"), entries[0].data);
}

// Every failure of a compress: ZipError naming what failed, the older archive of the name untouched, and no
// temporary file left in the folder.
TEST_F(ZipTest, AFailedCompressLeavesTheOlderArchiveAndNoOtherFile) {
  struct Case {
    const char* what;
    std::function<void(ZipComponent&)> arrange;
    std::string expected;  // in the error text
  };
  const std::string gone = company_ + "paypara.adt";
  const std::vector<Case> cases = {
      {"a file vanishes while the archive is written",
       [&](ZipComponent& zip) {
         zip.OnFileStatus = [&](const FileStatus& status) {
           if (status.sFilename == "EMPLOYEE.ADT" && status.bFileCompleted) stdfs::remove(dir_.Path() / "KV/COMPANY/ABC/paypara.adt");
         };
       },
       "paypara.adt"},
      {"a file the system refuses to read",
       [](ZipComponent& zip) { zip.AddFilesToProcess("/proc/self/mem"); },  // reading it fails even for root
       "/proc/self/mem"},
      {"the disk fills up",
       [&](ZipComponent& zip) {
         dir_.Write("KV/COMPANY/ABC/BIG.ADT", std::string(1 << 20, '\0') + TableLikeData(3 << 20, 9));
         std::signal(SIGXFSZ, SIG_IGN);
         const rlimit limit{256 << 10, RLIM_INFINITY};  // writes past 256 KiB fail as on a full disk
         setrlimit(RLIMIT_FSIZE, &limit);
         zip.SetCompressionLevel(0);
       },
       "ABC.zip"},
      {"the progress handler raises", [](ZipComponent& zip) {
         zip.OnFileStatus = [](const FileStatus&) { throw ZipError("stopped by the window"); };
       },
       "stopped by the window"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    dir_.Write("KV/COMPANY/ABC/paypara.adt", "restored");
    WriteFile(backupFolder_ / "ABC.zip", "an older archive");
    ZipComponent zip;
    zip.AddFilesToProcess(company_ + "*.adt");
    zip.SetZipFilename(dir_.SuitePath() + "KV\\BACKUP\\ABC.zip");
    c.arrange(zip);
    try {
      zip.Zip();
      ADD_FAILURE() << "no error";
    } catch (const ZipError& e) {
      EXPECT_THAT(e.what(), HasSubstr(c.expected));
    }
    const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
    setrlimit(RLIMIT_FSIZE, &unlimited);
    EXPECT_EQ(ReadFile(backupFolder_ / "ABC.zip"), "an older archive");
    EXPECT_THAT(FolderNames(backupFolder_), ElementsAre("ABC.zip", "keep.txt"));
  }
}

TEST_F(ZipTest, CompressRefusesWhatItCannotDoSoundly) {
  dir_.Write("KV/COMPANY/XYZ/EMPLOYEE.ADT", "another company's table");
  const struct {
    const char* what;
    std::string archive;
    std::vector<std::string> files;
    std::string expected;
  } cases[] = {
      {"no archive name", "", {company_ + "*.adt"}, "ZipFilename is empty"},
      {"no files named", dir_.SuitePath() + "KV\\BACKUP\\A.zip", {}, "FilesToProcess is empty"},
      {"the archive's folder is missing", dir_.SuitePath() + "KV\\NOWHERE\\A.zip", {company_ + "*.adt"},
       "does not exist"},
      {"the archive's folder is a file", dir_.SuitePath() + "KV\\BACKUP\\keep.txt\\A.zip", {company_ + "*.adt"},
       "is a file, not a folder"},
      {"two files for one name", dir_.SuitePath() + "KV\\BACKUP\\A.zip",
       {company_ + "EMPLOYEE.ADT", dir_.SuitePath() + "KV\\COMPANY\\XYZ\\*.adt"}, "XYZ\\EMPLOYEE.ADT"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ZipComponent zip;
    zip.SetZipFilename(c.archive);
    zip.SetFilesToProcess(c.files);
    try {
      zip.Zip();
      ADD_FAILURE() << "no error";
    } catch (const ZipError& e) {
      EXPECT_THAT(e.what(), HasSubstr(c.expected));
    }
    EXPECT_THAT(FolderNames(backupFolder_), ElementsAre("keep.txt"));
  }
}

TEST_F(ZipTest, MasksThatMatchNothingGiveAValidEmptyArchive) {
  ZipComponent zip;
  zip.AddFilesToProcess(company_ + "*.add");
  zip.AddFilesToProcess(company_ + "*.am");
  zip.SetZipFilename(dir_.SuitePath() + "KV\\BACKUP\\EMPTY.zip");
  EXPECT_EQ(zip.Zip(), 0);
  EXPECT_TRUE(ReadArchive(backupFolder_ / "EMPTY.zip").empty());
  if (HaveTool("python3")) {
    EXPECT_EQ(PythonTest(backupFolder_ / "EMPTY.zip"), 0);
  }
  zip.SetFilesToProcess({"*"});
  zip.SetUnzipToFolder(dir_.SuitePath() + "KV\\KAVENTMP");
  EXPECT_EQ(zip.Unzip(), 0);
}

TEST_F(ZipTest, ExtractWritesTheRequestedEntriesByFileNameWithoutRegardToCase) {
  const stdfs::path archive = dir_.Path() / "KV/UPDATEKV8.ZIP";
  WriteRawArchive(archive, {{"eQuillon.aep", "library"}, {"WALLPAPER.JPG", "picture"}, {"RBITEM.ADT", "table"},
                            {"docs/", ""}, {"docs/readme.txt", "nested"}});
  WriteFile(dir_.Path() / "KV/Wallpaper.jpg", "old picture");
  ZipComponent zip;
  zip.SetZipFilename(archive.string());
  zip.SetUnzipToFolder(dir_.SuitePath() + "KV");
  // A backup's full-path masks left in the list pick nothing out of the archive.
  AddBackupMasks(zip);
  zip.AddFilesToProcess("wallpaper.jpg");
  zip.AddFilesToProcess("EQUILLON.AEP");
  zip.AddFilesToProcess("docs\\*.txt");

  EXPECT_EQ(zip.Unzip(), 3);

  EXPECT_EQ(ReadFile(dir_.Path() / "KV/eQuillon.aep"), "library");
  EXPECT_EQ(ReadFile(dir_.Path() / "KV/Wallpaper.jpg"), "picture");  // the existing file, replaced in place
  EXPECT_EQ(ReadFile(dir_.Path() / "KV/docs/readme.txt"), "nested");
  EXPECT_THAT(FolderNames(dir_.Path() / "KV"),
              ElementsAre("BACKUP", "COMPANY", "UPDATEKV8.ZIP", "Wallpaper.jpg", "docs", "eQuillon.aep"));
}

TEST_F(ZipTest, ExtractMakesAMissingLastFolderOnlyAndKeepsTheEntryTime) {
  ZipComponent zip;
  zip.AddFilesToProcess(company_ + "paypara.adt");
  zip.SetZipFilename(dir_.SuitePath() + "KV\\wallpaper.zip");
  const auto stamp = stdfs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
  stdfs::last_write_time(dir_.Path() / "KV/COMPANY/ABC/paypara.adt", stamp);
  ASSERT_EQ(zip.Zip(), 1);

  zip.SetFilesToProcess({"PAYPARA.ADT"});
  zip.SetUnzipToFolder(dir_.SuitePath() + "KV\\IMAGE");
  EXPECT_EQ(zip.Unzip(), 1);
  const stdfs::path written = dir_.Path() / "KV/IMAGE/paypara.adt";
  EXPECT_EQ(ReadFile(written), ReadFile(dir_.Path() / "KV/COMPANY/ABC/paypara.adt"));
  // Zip times have two-second steps.
  EXPECT_LE(std::chrono::abs(stdfs::last_write_time(written) - stamp), std::chrono::seconds(2));

  zip.SetUnzipToFolder(dir_.SuitePath() + "KV\\MISSING\\IMAGE");
  EXPECT_THROW(zip.Unzip(), ZipError);
  EXPECT_FALSE(stdfs::exists(dir_.Path() / "KV/MISSING"));
  for (const std::string& archive : {std::string(), dir_.SuitePath() + "KV\\NONE.zip", company_ + "notes.txt"}) {
    zip.SetZipFilename(archive);
    zip.SetUnzipToFolder(dir_.SuitePath() + "KV\\IMAGE");
    EXPECT_THROW(zip.Unzip(), ZipError) << archive;
  }
}

TEST_F(ZipTest, EntriesThatClimbOutOfTheFolderAreRefusedAndNamedAfterTheOthersAreWritten) {
  const stdfs::path base = dir_.Path() / "sandbox";
  stdfs::create_directories(base / "out");
  stdfs::create_directories(base / "elsewhere");
  stdfs::create_directory_symlink(base / "elsewhere", base / "out/link");
  const stdfs::path archive = base / "evil.zip";
  const std::vector<std::string> bad = {"../x.txt",  "/tmp/abs.txt", "C:evil.txt",     "c:\\win.txt",
                                        "..\\up.txt", "a/../../y.txt", "a\\..\\..\\z.txt", "link/through.txt"};
  std::vector<std::pair<std::string, std::string>> entries = {{"ok.txt", "fine"}};
  for (const std::string& name : bad) entries.emplace_back(name, "escaped");
  entries.emplace_back("sub/ok2.txt", "fine too");
  WriteRawArchive(archive, entries);

  ZipComponent zip;
  zip.SetZipFilename(archive.string());
  zip.SetUnzipToFolder((base / "out").string());
  zip.AddFilesToProcess("*.txt");
  try {
    zip.Unzip();
    ADD_FAILURE() << "no error";
  } catch (const ZipError& e) {
    for (const std::string& name : bad) EXPECT_THAT(e.what(), HasSubstr("\"" + name + "\""));
    EXPECT_THAT(e.what(), HasSubstr("2 other files were written"));
  }
  EXPECT_EQ(ReadFile(base / "out/ok.txt"), "fine");
  EXPECT_EQ(ReadFile(base / "out/sub/ok2.txt"), "fine too");
  EXPECT_THAT(FolderNames(base), ElementsAre("elsewhere", "evil.zip", "out"));
  EXPECT_THAT(FolderNames(base / "out"), ElementsAre("link", "ok.txt", "sub"));
  EXPECT_TRUE(FolderNames(base / "elsewhere").empty());
  EXPECT_FALSE(stdfs::exists("/tmp/abs.txt"));
}

TEST_F(ZipTest, ADamagedEntryRaisesAndLeavesNoPartOfItsFile) {
  const std::string data = TableLikeData(100000, 5);
  for (const bool store : {true, false}) {
    SCOPED_TRACE(store ? "stored: only the CRC shows the damage" : "deflated");
    const stdfs::path archive = dir_.Path() / "damaged.zip";
    WriteRawArchive(archive, {{"RBITEM.ADT", data}}, store);
    std::string bytes = ReadFile(archive);
    bytes[30 + 10 + 5000] ^= 0x55;  // inside the data, past the local header and the name
    WriteFile(archive, bytes);
    const stdfs::path out = dir_.Path() / (store ? "out1" : "out2");
    stdfs::create_directory(out);
    WriteFile(out / "RBITEM.ADT", "the previous table");

    ZipComponent zip;
    zip.SetZipFilename(archive.string());
    zip.SetUnzipToFolder(out.string());
    zip.AddFilesToProcess("rbitem.adt");
    try {
      zip.Unzip();
      ADD_FAILURE() << "no error";
    } catch (const ZipError& e) {
      EXPECT_THAT(e.what(), HasSubstr("RBITEM.ADT"));
      if (store) {
    EXPECT_THAT(e.what(), HasSubstr("CRC"));
  }
    }
    EXPECT_EQ(ReadFile(out / "RBITEM.ADT"), "the previous table");
    EXPECT_THAT(FolderNames(out), ElementsAre("RBITEM.ADT"));
  }
}

}  // namespace
}  // namespace kv::zip
