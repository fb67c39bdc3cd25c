#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

#include "calls/engine_fixture.h"
#include "calls/kill_rounds.h"

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
  // How long one encryption takes here, to aim the kills at it.
  const auto start = std::chrono::steady_clock::now();
  {
    AdsHandle t = Open("HIST", open_mode::kExclusive);
    ASSERT_ADS(AdsEnableEncryption(t, "pw"));
    ASSERT_ADS(AdsEncryptTable(t));
    ASSERT_ADS(AdsDecryptTable(t));
    ASSERT_ADS(AdsCloseTable(t));
  }
  const auto oneRewrite = (std::chrono::steady_clock::now() - start) / 2;
  bool encrypted = false;  // as the table is before each round
  AdsHandle child = 0;     // the child's table handle
  const KillOutcomes seen = KillRewrites(
      oneRewrite,
      [&] {
        AdsHandle c = 0;
        if (AdsConnect60(folder, 3, "", "", 0, &c) || AdsOpenTable(c, "HIST", "", 3, 1, 1, 1, 1, &child)) return 1;
        return static_cast<int>(AdsEnableEncryption(child, "pw"));
      },
      [&] { return static_cast<int>(encrypted ? AdsDecryptTable(child) : AdsEncryptTable(child)); },
      [&] {
        ExpectAllRows("HIST", "pw");
        for (const char* leftover : {"HIST.ADT.new", "HIST.ADM.new", "HIST.ADI.new", "HIST.ADT.swap"})
          EXPECT_FALSE(stdfs::exists(dir.Path() / leftover)) << leftover;
        AdsHandle t = Open("HIST");
        bool now = false;
        EXPECT_ADS(AdsIsTableEncrypted(t, &now));
        AdsCloseTable(t);
        const bool changed = now != encrypted;
        encrypted = now;
        return changed;
      });
  EXPECT_GT(seen.oldTable, 0) << "no kill inside a rewrite left the old table in " << seen.rounds << " rounds";
  EXPECT_GT(seen.newTable, 0) << "no kill inside a rewrite left the new table in " << seen.rounds << " rounds";
}

TEST_F(Safety, DamagedOrStaleIndexIsRebuilt) {
  MakeTable("HIST");
  const std::string staleCopy = FileBytes("HIST.ADI");
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

// The suite's reindex: delete the index file, open the table alone, add the indexes again.
TEST_F(Safety, AMissingIndexFileTakesItsTagsWithIt) {
  {
    AdsHandle t = Create("SUPVRTBL", "EMP_NO,Char,12;EMP_NAME,Char,40;TYPE,Char,2;DATABASE,Char,8;");
    ASSERT_ADS(AdsCreateIndex61(t, "", "EMP_NO", "EMP_NO", "", "", index_option::kUnique, 512, nullptr));
    ASSERT_ADS(AdsCreateIndex61(t, "", "EMP_NAME", "EMP_NAME", "", "", 0, 512, nullptr));
    for (const char* no : {"S1", "S2", "S3"}) Append(t, {{"EMP_NO", Value::String(no)}, {"EMP_NAME", Value::String(std::string("N") + no)}});
    ASSERT_ADS(AdsCloseTable(t));
  }
  const auto tagCount = [&](std::uint32_t mode) {
    AdsHandle t = Open("SUPVRTBL", mode);
    std::uint16_t n = 99;
    EXPECT_ADS(AdsGetNumIndexes(t, &n));
    EXPECT_EQ(Count(t), 3u) << "every record stays";
    AdsCloseTable(t);
    return n;
  };
  const stdfs::path adi = dir.Path() / "SUPVRTBL.ADI";

  // While another process has the table open (and may be keeping the deleted file's entries), it is refused.
  int ready[2], release[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(release), 0);
  const std::string folder = dir.Path().string();
  const pid_t pid = fork();
  if (pid == 0) {
    AdsHandle c = 0, t = 0;
    const char ok = AdsConnect60(folder, 3, "", "", 0, &c) || AdsOpenTable(c, "SUPVRTBL", "", 3, 1, 1, 1, 0, &t) ? 'F' : 'K';
    char go = 0;
    if (write(ready[1], &ok, 1) != 1 || read(release[0], &go, 1) != 1) _exit(1);
    _exit(0);
  }
  char ok = 0;
  ASSERT_EQ(read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, 'K');
  stdfs::remove(adi);
  AdsHandle t = 0;
  EXPECT_EQ(AdsOpenTable(connection, "SUPVRTBL", "", 3, 1, 1, 1, 0, &t), code::kCorruptFile);
  EXPECT_NE(LastErrorText().find("SUPVRTBL has lost its index file"), std::string::npos) << LastErrorText();
  ASSERT_EQ(write(release[1], "x", 1), 1);
  int status = 0;
  waitpid(pid, &status, 0);
  for (int fd : {ready[0], ready[1], release[0], release[1]}) close(fd);

  // Alone, it opens with no indexes, and the table file says so from now on: a crash before the indexes are
  // added again leaves a table that opens.
  EXPECT_EQ(tagCount(open_mode::kExclusive), 0);
  EXPECT_EQ(tagCount(open_mode::kShared), 0);
  EXPECT_FALSE(stdfs::exists(adi));

  t = Open("SUPVRTBL", open_mode::kExclusive);
  ASSERT_ADS(AdsCreateIndex61(t, "", "EMP_NO", "EMP_NO", "", "", index_option::kUnique, 512, nullptr));
  ASSERT_ADS(AdsCreateIndex61(t, "", "EMP_NAME", "EMP_NAME", "", "", 0, 512, nullptr));
  ASSERT_ADS(AdsAppendRecord(t));
  ASSERT_ADS(AdsSetField(t, "EMP_NO", Value::String("S2")));
  EXPECT_EQ(AdsWriteRecord(t), code::kUniqueKeyViolation) << "the new unique index holds";
  ASSERT_ADS(AdsCancelUpdate(t));
  const Value key[] = {Value::String("NS3")};
  bool found = false;
  ASSERT_ADS(AdsSeek(Index(t, "EMP_NAME"), key, seek_type::kExact, &found));
  EXPECT_TRUE(found);
  EXPECT_EQ(Text(t, "EMP_NO"), "S3");
  ASSERT_ADS(AdsCloseTable(t));
  EXPECT_EQ(tagCount(open_mode::kShared), 2);

  // The same through SQL, as the registry's index is made at start-up.
  stdfs::remove(adi);
  AdsHandle s = 0;
  ASSERT_ADS(AdsCreateSQLStatement(connection, &s));
  ASSERT_ADS(AdsExecuteSQLDirect(s, "Create Unique Index \"EMP_NO\" on SUPVRTBL( EMP_NO )", nullptr));
  ASSERT_ADS(AdsCloseSQLStatement(s));
  EXPECT_EQ(tagCount(open_mode::kShared), 1);
}

// What a crash can leave of the tag list while a tag is added or dropped (its 8-byte head, count and checksum, is
// written last, in one sector): each state opens, with every record.
TEST_F(Safety, ATagListCutOffByACrashOpens) {
  {
    AdsHandle t = Create("T", "A,Char,8;B,Char,8;C,Char,8;");
    ASSERT_ADS(AdsCreateIndex61(t, "", "A", "A", "", "", 0, 512, nullptr));
    ASSERT_ADS(AdsCreateIndex61(t, "", "B", "B", "", "", 0, 512, nullptr));
    for (const char* v : {"x", "y"}) Append(t, {{"A", Value::String(v)}, {"B", Value::String(v)}, {"C", Value::String(v)}});
    ASSERT_ADS(AdsCloseTable(t));
  }
  constexpr std::size_t kHead = 128 + 160 * 3;  // the tag list follows the three field descriptors
  const std::string twoTags = FileBytes("T.ADT");
  AdsHandle t = Open("T", open_mode::kExclusive);
  ASSERT_ADS(AdsCreateIndex61(t, "", "C", "C", "", "", 0, 512, nullptr));
  ASSERT_ADS(AdsCloseTable(t));
  const std::string threeTags = FileBytes("T.ADT");
  struct Case { const char* what; std::string head; std::uint16_t tags; };
  const Case cases[] = {
      {"added: the entries written, the head not", twoTags.substr(kHead, 8), 2},
      {"dropped: the head says no tags", std::string(8, '\0'), 0},
  };
  for (const Case& c : cases) {
    std::string bytes = threeTags;
    bytes.replace(kHead, 8, c.head);
    std::ofstream(dir.Path() / "T.ADT", std::ios::binary | std::ios::trunc) << bytes;
    t = 0;
    ASSERT_ADS(AdsOpenTable(connection, "T", "", 3, 1, 1, 1, 0, &t)) << c.what;
    std::uint16_t n = 99;
    EXPECT_ADS(AdsGetNumIndexes(t, &n));
    EXPECT_EQ(n, c.tags) << c.what;
    EXPECT_EQ(Count(t), 2u) << c.what;
    if (n > 0) {
      const Value key[] = {Value::String("y")};
      bool found = false;
      EXPECT_ADS(AdsSeek(Index(t, "B"), key, seek_type::kExact, &found));
      EXPECT_TRUE(found) << c.what << ": the index file, which has one tag more, is rebuilt";
    }
    ASSERT_ADS(AdsCloseTable(t));
  }
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
  // A memo file of another table in its place is refused when a memo is read, never shown.
  ASSERT_ADS(AdsCloseTable(Create("OTHER", "NOTE,Memo;")));
  stdfs::copy_file(dir.Path() / "OTHER.ADM", dir.Path() / "HIST.ADM", stdfs::copy_options::overwrite_existing);
  std::ofstream(dir.Path() / "HIST.ADT", std::ios::binary | std::ios::trunc) << good;
  AdsHandle t = Open("HIST");
  Value v;
  EXPECT_EQ(AdsGetField(t, "NOTE", &v), code::kCorruptFile);
}

}  // namespace
}  // namespace ace::testing
