#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "calls/engine_fixture.h"

namespace ace::testing {
namespace {

namespace stdfs = std::filesystem;

constexpr int kRows = 20000;

class Safety : public EngineTest {
 protected:
  void MakeTable(const std::string& name) {
    AdsHandle t = Create(name, "ID,AutoInc;NAME,Char,20;NOTE,Memo;PAY,CurDouble,2;");
    ASSERT_ADS(AdsCreateIndex61(t, "", "NAME", "NAME", "", "", 2, 512, nullptr));
    for (int i = 0; i < kRows; ++i)
      Append(t, {{"NAME", Value::String("EMP" + std::to_string(i))},
                 {"NOTE", Value::String(i % 10 == 0 ? "note " + std::to_string(i) : "")},
                 {"PAY", Value::Double(i)}});
    ASSERT_ADS(AdsCloseTable(t));
  }
  void Corrupt(const std::string& file, std::uint64_t offset, const std::string& bytes) {
    std::fstream f(dir.Path() / file, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(offset));
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  // Opens the table (with the password when it turns out encrypted) and checks every row through the tag.
  void ExpectAllRows(const std::string& name, const std::string& password) {
    AdsHandle t = 0;
    ASSERT_ADS(AdsOpenTable(connection, name, "", 3, 1, 1, 1, 0, &t));
    bool encrypted = false;
    ASSERT_ADS(AdsIsTableEncrypted(t, &encrypted));
    if (encrypted) {
      ASSERT_ADS(AdsEnableEncryption(t, password));
    }
    std::uint64_t count = 0;
    ASSERT_ADS(AdsGetRecordCount(t, &count));
    ASSERT_EQ(count, static_cast<std::uint64_t>(kRows));
    const AdsHandle byName = Index(t, "NAME");
    for (int i : {0, 1, 4999, 12340, kRows - 1}) {
      const Value key[] = {Value::String("EMP" + std::to_string(i))};
      bool found = false;
      ASSERT_ADS(AdsSeek(byName, key, seek_type::kExact, &found));
      ASSERT_TRUE(found) << i;
      EXPECT_EQ(Get(t, "PAY"), Value::Double(i));
      EXPECT_EQ(Get(t, "NOTE"), i % 10 == 0 ? Value::String("note " + std::to_string(i)) : Value::Null());
    }
    ASSERT_ADS(AdsCloseTable(t));
  }
};

TEST_F(Safety, KilledDuringARewriteLeavesTheOldOrTheNewTable) {
  MakeTable("HIST");
  const std::string folder = dir.Path().string();
  // How long one encryption takes here, to spread the kills over it.
  const auto start = std::chrono::steady_clock::now();
  {
    AdsHandle t = Open("HIST", open_mode::kExclusive);
    ASSERT_ADS(AdsEnableEncryption(t, "pw"));
    ASSERT_ADS(AdsEncryptTable(t));
    ASSERT_ADS(AdsDecryptTable(t));
    ASSERT_ADS(AdsCloseTable(t));
  }
  const auto twoRewrites = std::chrono::steady_clock::now() - start;
  int sawOld = 0, sawNew = 0;
  for (int round = 0; round < 8; ++round) {
    const pid_t pid = fork();
    if (pid == 0) {
      AdsHandle c = 0, t = 0;
      if (AdsConnect60(folder, 3, "", "", 0, &c) || AdsOpenTable(c, "HIST", "", 3, 1, 1, 1, 1, &t)) _exit(2);
      AdsEnableEncryption(t, "pw");
      bool encrypted = false;
      AdsIsTableEncrypted(t, &encrypted);
      const ResultCode r = encrypted ? AdsDecryptTable(t) : AdsEncryptTable(t);
      _exit(r == 0 ? 0 : 3);
    }
    std::this_thread::sleep_for(twoRewrites * round / 14);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ExpectAllRows("HIST", "pw");
    for (const char* leftover : {"HIST.ADT.new", "HIST.ADM.new", "HIST.ADI.new", "HIST.ADT.swap"})
      EXPECT_FALSE(stdfs::exists(dir.Path() / leftover)) << leftover << " in round " << round;
    (WIFSIGNALED(status) ? sawOld : sawNew)++;
  }
  EXPECT_GT(sawOld, 0) << "no kill landed inside a rewrite";
}

TEST_F(Safety, MissingDamagedOrStaleIndexIsRebuilt) {
  MakeTable("HIST");
  const std::string staleCopy = FileBytes("HIST.ADI");
  stdfs::remove(dir.Path() / "HIST.ADI");
  ExpectAllRows("HIST", "");
  Corrupt("HIST.ADI", 9000, std::string(3000, '\x5A'));
  ExpectAllRows("HIST", "");
  // An index file from before a change: a record appended since is in the table but not in the old file.
  AdsHandle t = Open("HIST");
  ASSERT_ADS(AdsGotoTop(t));
  ASSERT_ADS(AdsDeleteRecord(t));
  Append(t, {{"NAME", Value::String("EMP0")}, {"NOTE", Value::String("note 0")}, {"PAY", Value::Double(0)}});
  ASSERT_ADS(AdsCloseTable(t));
  std::ofstream(dir.Path() / "HIST.ADI", std::ios::binary | std::ios::trunc) << staleCopy;
  ExpectAllRows("HIST", "");
}

TEST_F(Safety, DamagedTableFilesGiveClearErrors) {
  MakeTable("HIST");
  const std::string good = FileBytes("HIST.ADT");
  struct Case { const char* what; std::function<void()> damage; ResultCode open; };
  const Case cases[] = {
      {"header garbled", [&] { Corrupt("HIST.ADT", 200, "garbage!"); }, code::kCorruptFile},
      {"truncated inside the header", [&] { stdfs::resize_file(dir.Path() / "HIST.ADT", 100); }, code::kCorruptFile},
      {"not a table at all", [&] { std::ofstream(dir.Path() / "HIST.ADT", std::ios::trunc) << "hello"; }, code::kCorruptFile},
      {"empty file", [&] { std::ofstream(dir.Path() / "HIST.ADT", std::ios::trunc); }, code::kCorruptFile},
  };
  for (const Case& c : cases) {
    std::ofstream(dir.Path() / "HIST.ADT", std::ios::binary | std::ios::trunc) << good;
    c.damage();
    AdsHandle t = 0;
    EXPECT_EQ(AdsOpenTable(connection, "HIST", "", 3, 1, 1, 1, 0, &t), c.open) << c.what;
    EXPECT_NE(LastErrorText().find("HIST"), std::string::npos) << LastErrorText();
  }
  // A record cut off by a crash in the middle of an append is dropped; every whole record stays.
  std::ofstream(dir.Path() / "HIST.ADT", std::ios::binary | std::ios::trunc) << good.substr(0, good.size() - 7);
  AdsHandle t = Open("HIST");
  std::uint64_t count = 0;
  ASSERT_ADS(AdsGetRecordCount(t, &count));
  EXPECT_EQ(count, static_cast<std::uint64_t>(kRows - 1));
  ASSERT_ADS(AdsCloseTable(t));
  // A memo file of another table in its place is refused when a memo is read, never shown.
  ASSERT_ADS(AdsCloseTable(Create("OTHER", "NOTE,Memo;")));
  stdfs::copy_file(dir.Path() / "OTHER.ADM", dir.Path() / "HIST.ADM", stdfs::copy_options::overwrite_existing);
  t = Open("HIST");
  Value v;
  EXPECT_EQ(AdsGetField(t, "NOTE", &v), code::kCorruptFile);
}

}  // namespace
}  // namespace ace::testing
