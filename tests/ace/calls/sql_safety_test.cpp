// A process killed in the middle of ALTER TABLE leaves the table as it was or as the statement made it, with
// every row, never a mixture and never a table that does not open.

#include <gtest/gtest.h>
#include <chrono>
#include <fstream>

#include "calls/kill_rounds.h"
#include "calls/sql_fixture.h"

namespace ace::testing {
namespace {

namespace stdfs = std::filesystem;

constexpr int kRows = 20000;

class AlterSafety : public SqlTest {
 protected:
  // Every row is there and found through the tag; the column X is there or not. Returns whether it is.
  bool ExpectAllRows() {
    const AdsHandle t = Open("HIST");
    std::uint64_t count = 0;
    EXPECT_ADS(AdsGetRecordCount(t, &count));
    EXPECT_EQ(count, static_cast<std::uint64_t>(kRows));
    std::uint16_t fields = 0;
    EXPECT_ADS(AdsGetNumFields(t, &fields));
    const AdsHandle byName = Index(t, "NAME");
    for (int i : {0, 1, 7777, kRows - 1}) {
      const Value key[] = {Value::String("EMP" + std::to_string(i))};
      bool found = false;
      EXPECT_ADS(AdsSeek(byName, key, seek_type::kExact, &found));
      EXPECT_TRUE(found) << i;
      EXPECT_EQ(Get(t, "PAY"), Value::Double(i));
      EXPECT_EQ(Get(t, "NOTE"), i % 10 == 0 ? Value::String("note " + std::to_string(i)) : Value::Null());
    }
    AdsCloseTable(t);
    EXPECT_TRUE(fields == 4 || fields == 5) << fields;
    return fields == 5;
  }
};

TEST_F(AlterSafety, KilledDuringAlterLeavesTheOldOrTheNewTable) {
  {
    const AdsHandle t = Create("HIST", "ID,AutoInc;NAME,Char,20;NOTE,Memo;PAY,CurDouble,2;");
    ASSERT_ADS(AdsCreateIndex61(t, "", "NAME", "NAME", "", "", 2, 512, nullptr));
    for (int i = 0; i < kRows; ++i)
      Append(t, {{"NAME", Value::String("EMP" + std::to_string(i))},
                 {"NOTE", Value::String(i % 10 == 0 ? "note " + std::to_string(i) : "")},
                 {"PAY", Value::Double(i)}});
    ASSERT_ADS(AdsCloseTable(t));
  }
  const std::string add = Lines({"ALTER TABLE \"HIST.ADT\"", "add column X char(4)"});
  const std::string drop = Lines({"ALTER TABLE \"HIST.ADT\" ", "DROP column \"X\""});
  // How long the two statements take here, to spread the kills over one of them.
  const auto start = std::chrono::steady_clock::now();
  ASSERT_ADS(Run(add));
  ASSERT_ADS(Run(drop));
  const auto twoAlters = std::chrono::steady_clock::now() - start;
  AdsCloseSQLStatement(statement);
  statement = 0;

  const std::string folder = dir.Path().string();
  bool hasX = false;      // as the table is before each round
  AdsHandle child = 0;    // the child's statement
  const KillOutcomes seen = KillRewrites(
      twoAlters / 2,
      [&] {
        AdsHandle c = 0;
        return AdsConnect60(folder, 3, "", "", 0, &c) || AdsCreateSQLStatement(c, &child) ? 1 : 0;
      },
      [&] { return static_cast<int>(AdsExecuteSQLDirect(child, hasX ? drop : add, nullptr)); },
      [&] {
        const bool nowX = ExpectAllRows();
        for (const char* leftover : {"HIST.ADT.new", "HIST.ADM.new", "HIST.ADI.new", "HIST.ADT.swap"})
          EXPECT_FALSE(stdfs::exists(dir.Path() / leftover)) << leftover;
        const bool changed = nowX != hasX;
        hasX = nowX;
        return changed;
      });
  EXPECT_GT(seen.oldTable, 0) << "no kill inside an ALTER left the old table in " << seen.rounds << " rounds";
  EXPECT_GT(seen.newTable, 0) << "no kill inside an ALTER left the new table in " << seen.rounds << " rounds";
}

// A crash after the commit marker was made durable but before its text was: the open finishes the change from
// the new files alone, and a memo file the new table no longer has goes (else it would stay beside the table).
// Also the roll back: new files without a marker leave the old table as it was.
TEST_F(AlterSafety, AnInterruptedDropOfTheLastMemoFinishesFromTheNewFiles) {
  const stdfs::path d = dir.Path();
  {
    const AdsHandle t = Create("HIST", "ID,AutoInc;NAME,Char,20;NOTE,Memo;PAY,CurDouble,2;");
    ASSERT_ADS(AdsCreateIndex61(t, "", "NAME", "NAME", "", "", 2, 512, nullptr));
    for (int i = 0; i < 50; ++i)
      Append(t, {{"NAME", Value::String("EMP" + std::to_string(i))}, {"NOTE", Value::String("n")}, {"PAY", Value::Double(i)}});
    ASSERT_ADS(AdsCloseTable(t));
  }
  for (const char* f : {"HIST.ADT", "HIST.ADM", "HIST.ADI"}) stdfs::copy_file(d / f, d / (std::string(f) + ".old"));
  ASSERT_ADS(Run("ALTER TABLE \"HIST.ADT\" DROP column \"NOTE\""));
  AdsCloseSQLStatement(statement);
  statement = 0;
  ASSERT_FALSE(stdfs::exists(d / "HIST.ADM"));
  // Lay out what the rewrite leaves just after its commit: the new files under their temporary names, the old
  // ones in place.
  const auto interrupted = [&](bool marker) {
    for (const char* f : {"HIST.ADT", "HIST.ADI"}) stdfs::rename(d / f, d / (std::string(f) + ".new"));
    for (const char* f : {"HIST.ADT", "HIST.ADM", "HIST.ADI"})
      stdfs::copy_file(d / (std::string(f) + ".old"), d / f, stdfs::copy_options::overwrite_existing);
    if (marker) std::ofstream(d / "HIST.ADT.swap").close();  // there, but empty
  };
  const auto fields = [&] {
    const AdsHandle t = Open("HIST");
    std::uint16_t n = 0;
    EXPECT_ADS(AdsGetNumFields(t, &n));
    std::uint64_t count = 0;
    EXPECT_ADS(AdsGetRecordCount(t, &count));
    EXPECT_EQ(count, 50u);
    const Value key[] = {Value::String("EMP42")};
    bool found = false;
    EXPECT_ADS(AdsSeek(Index(t, "NAME"), key, seek_type::kExact, &found));
    EXPECT_TRUE(found);
    EXPECT_EQ(Get(t, "PAY"), Value::Double(42));
    AdsCloseTable(t);
    for (const char* leftover : {"HIST.ADT.new", "HIST.ADM.new", "HIST.ADI.new", "HIST.ADT.swap"})
      EXPECT_FALSE(stdfs::exists(d / leftover)) << leftover;
    return n;
  };
  interrupted(true);
  EXPECT_EQ(fields(), 3) << "rolled forward";
  EXPECT_FALSE(stdfs::exists(d / "HIST.ADM")) << "the dropped memo file is gone";
  // The new table's files are in place again: the same state once more, without the marker.
  interrupted(false);
  EXPECT_EQ(fields(), 4) << "rolled back";
  EXPECT_TRUE(stdfs::exists(d / "HIST.ADM"));
}

}  // namespace
}  // namespace ace::testing
