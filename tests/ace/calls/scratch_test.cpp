// Scratch files of statements: rows of an encrypted table never lie in clear outside its files, and the scratch
// a killed process leaves is removed by the next process that makes its own.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "calls/sql_fixture.h"
#include "platform/file.h"
#include "platform/process_scratch.h"

namespace ace::testing {
namespace {

namespace stdfs = std::filesystem;

// Every file under this process's scratch folder, with its bytes.
std::vector<std::pair<stdfs::path, std::string>> ScratchFiles() {
  std::vector<std::pair<stdfs::path, std::string>> files;
  for (const auto& entry : stdfs::recursive_directory_iterator(kv::fs::ProcessScratchRoot())) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files.emplace_back(entry.path(), std::string(std::istreambuf_iterator<char>(in), {}));
  }
  return files;
}

class Scratch : public SqlTest {};

// Enough rows (about 30 MB of sort rows) that ORDER BY spills sorted runs to disk beside the result table on
// its way.
TEST_F(Scratch, SortedSelectOverAnEncryptedTableLeavesNoClearValueInScratch) {
  for (const bool encrypted : {false, true}) {
    SCOPED_TRACE(encrypted ? "encrypted" : "clear");
    const std::string name = encrypted ? "SECRET" : "OPEN";
    AdsHandle t = Create(name, "ID,Integer;NRIC,Char,200;NOTE,Memo;");
    if (encrypted) {
      ASSERT_ADS(AdsEnableEncryption(t, "MOLAR3816"));
      ASSERT_ADS(AdsEncryptTable(t));
    }
    const std::string nric = "S1234567D" + std::string(190, '#');
    for (int i = 0; i < 30000; ++i)
      Append(t, {{"ID", Value::Integer(i)}, {"NRIC", Value::String(nric)}, {"NOTE", Value::String("CONFIDENTIAL REMARK")}});
    ASSERT_ADS(AdsCloseTable(t));
    if (encrypted) {
      ASSERT_ADS(AdsStmtSetTablePassword(Statement(), name, "MOLAR3816"));
    }

    AdsHandle cursor = 0;
    ASSERT_ADS(Run("SELECT ID, NRIC, NOTE FROM " + name + " ORDER BY ID DESC", {}, &cursor));
    ASSERT_NE(cursor, 0u);
    EXPECT_EQ(Text(cursor, "NRIC"), nric);  // the user reads the rows as ever
    EXPECT_EQ(Text(cursor, "NOTE"), "CONFIDENTIAL REMARK");
    EXPECT_EQ(Get(cursor, "ID").AsInteger(), 29999);
    // Clear rows show in the result's table and its memo file; sealed ones nowhere. (The sort's runs are gone
    // by now: row_sorter_test looks into them.)
    int holdingValue = 0, holdingMemo = 0;
    for (const auto& [path, bytes] : ScratchFiles()) {
      const bool value = bytes.find("S1234567D") != std::string::npos;
      const bool memo = bytes.find("CONFIDENTIAL") != std::string::npos;
      holdingValue += value;
      holdingMemo += memo;
      if (encrypted) {
        EXPECT_FALSE(value || memo) << path;
      }
    }
    if (!encrypted) {
      EXPECT_EQ(holdingValue, 1);  // RESULT.ADT
      EXPECT_EQ(holdingMemo, 1);   // RESULT.ADM
    }
    ASSERT_ADS(AdsCloseTable(cursor));
  }
}

// A process killed with its scratch folder in use leaves it behind; the next process's first use removes it,
// and never a folder whose owner still runs.
TEST(ScratchFolders, TheFolderOfAKilledProcessIsRemovedAtTheNextStart) {
  kv::testing::TempFolder temp;
  const char* before = std::getenv("TMPDIR");
  const std::string saved = before ? before : "";
  ::setenv("TMPDIR", temp.Path().c_str(), 1);
  int pipes[2];
  ASSERT_EQ(::pipe(pipes), 0);
  // The first child makes its scratch with a file in it, says so, and waits to be killed.
  const pid_t killed = ::fork();
  if (killed == 0) {
    kv::fs::ScratchFolder result("kv-ace-result-");
    std::ofstream(result.Path() / "RESULT.ADT") << "rows";
    const char ready = 'k';
    if (::write(pipes[1], &ready, 1) != 1) ::_exit(2);
    ::pause();
    ::_exit(0);
  }
  // The second keeps running with a scratch folder of its own.
  const pid_t alive = ::fork();
  if (alive == 0) {
    kv::fs::ProcessScratchRoot();
    const char ready = 'a';
    if (::write(pipes[1], &ready, 1) != 1) ::_exit(2);
    ::pause();
    ::_exit(0);
  }
  char got[2];
  ASSERT_EQ(::read(pipes[0], got, 1), 1);
  ASSERT_EQ(::read(pipes[0], got + 1, 1), 1);
  ::kill(killed, SIGKILL);
  ::waitpid(killed, nullptr, 0);
  const auto folderOf = [&](pid_t pid) {
    for (const auto& entry : stdfs::directory_iterator(temp.Path()))
      if (entry.path().filename().string().rfind("kv-scratch-" + std::to_string(pid) + "-", 0) == 0) return entry.path();
    return stdfs::path();
  };
  const stdfs::path left = folderOf(killed), running = folderOf(alive);
  ASSERT_FALSE(left.empty());
  ASSERT_FALSE(running.empty());

  // The next start: a new process's first scratch.
  const pid_t next = ::fork();
  if (next == 0) {
    kv::fs::ScratchFolder mine("kv-ace-result-");
    ::_exit(stdfs::exists(left) ? 3 : (stdfs::exists(running) ? 0 : 4));
  }
  int status = 0;
  ::waitpid(next, &status, 0);
  ::kill(alive, SIGKILL);
  ::waitpid(alive, nullptr, 0);
  if (before) ::setenv("TMPDIR", saved.c_str(), 1);
  else ::unsetenv("TMPDIR");
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "3: the killed process's folder stayed; 4: the running one's went";
  EXPECT_FALSE(stdfs::exists(left));
}

// An index build killed part way leaves its sort runs beside the index; the rebuild that follows removes them.
TEST_F(Scratch, AnInterruptedIndexBuildsSortRunsGoWithTheRebuild) {
  AdsHandle t = Create("EMP", "NAME,Char,10;");
  ASSERT_ADS(AdsCreateIndex61(t, "", "NAME", "NAME", "", "", 2, 512, nullptr));
  Append(t, {{"NAME", Value::String("ANN")}});
  ASSERT_ADS(AdsCloseTable(t));
  for (const char* left : {"EMP.ADI.sort1-0.tmp", "EMP.ADI.new.sort1-2.tmp", "EMP.ADI.keep"})
    std::ofstream(dir.Path() / left) << "sorted keys";
  {
    std::fstream index(dir.Path() / "EMP.ADI", std::ios::in | std::ios::out | std::ios::binary);
    index.write("not an index file", 17);  // damaged: rebuilt by the next sole open
  }
  t = Open("EMP", open_mode::kExclusive);
  bool found = false;
  const Value key[] = {Value::String("ANN")};
  ASSERT_ADS(AdsSeek(Index(t, "NAME"), key, seek_type::kExact, &found));
  EXPECT_TRUE(found);
  EXPECT_FALSE(stdfs::exists(dir.Path() / "EMP.ADI.sort1-0.tmp"));
  EXPECT_FALSE(stdfs::exists(dir.Path() / "EMP.ADI.new.sort1-2.tmp"));
  EXPECT_TRUE(stdfs::exists(dir.Path() / "EMP.ADI.keep"));  // not a sort run
}

}  // namespace
}  // namespace ace::testing
