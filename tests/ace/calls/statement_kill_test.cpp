// A process killed in the middle of an UPDATE or DELETE leaves the table exactly as it was before the statement
// or as the statement made it: every row, its memo, and an index that finds them, never a mixture.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <thread>

#include "calls/sql_fixture.h"

namespace ace::testing {
namespace {

namespace stdfs = std::filesystem;

constexpr int kRows = 60000;

class StatementKill : public SqlTest {
 protected:
  // PAY: ID, PAY (ID + 1000 × the statement's state), NOTE (a memo telling the state), FLAG ('Y' on every third
  // row), with a tag on PAY.
  void MakePay() {
    const AdsHandle t = Create("PAY", "ID,Integer;PAY,Integer;NOTE,Memo;FLAG,Char,1;");
    for (int i = 1; i <= kRows; ++i)
      Append(t, {{"ID", Value::Integer(i)}, {"PAY", Value::Integer(i)}, {"NOTE", Value::String("down")},
                 {"FLAG", Value::String(i % 3 == 0 ? "Y" : "N")}});
    ASSERT_ADS(AdsCreateIndex61(t, "", "PAY", "PAY", "", "", 0, 512, nullptr));
    ASSERT_ADS(AdsCloseTable(t));
  }

  std::uint64_t Size(const char* file) const { return stdfs::file_size(dir.Path() / file); }
  bool JournalThere() const { return stdfs::exists(dir.Path() / "PAY.ADT.jrn"); }

  // Runs text in a child, kills it `delay` after it began the statement; true when it had finished by then.
  bool RunAndKill(const std::string& text, std::chrono::microseconds delay) {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    const std::string folder = dir.Path().string();
    const pid_t pid = fork();
    if (pid == 0) {
      close(fds[0]);
      AdsHandle c = 0, s = 0;
      if (AdsConnect60(folder, 3, "", "", 0, &c) || AdsCreateSQLStatement(c, &s)) _exit(2);
      if (write(fds[1], "B", 1) != 1) _exit(4);
      const ResultCode r = AdsExecuteSQLDirect(s, text, nullptr);
      if (write(fds[1], "D", 1) != 1) _exit(4);
      _exit(r == 0 ? 0 : 3);
    }
    close(fds[1]);
    char c = 0;
    EXPECT_EQ(read(fds[0], &c, 1), 1);
    std::this_thread::sleep_for(delay);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    bool finished = false;
    while (read(fds[0], &c, 1) == 1) finished = finished || c == 'D';
    close(fds[0]);
    if (WIFEXITED(status)) {
      EXPECT_EQ(WEXITSTATUS(status), 0) << text;
    }
    return finished;
  }

  // The records met walking the handle's order from the top.
  std::uint64_t Walk(AdsHandle navigate, AdsHandle table) {
    std::uint64_t n = 0;
    bool eof = false;
    EXPECT_ADS(AdsGotoTop(navigate));
    for (; AdsAtEOF(table, &eof) == 0 && !eof; ++n)
      if (AdsSkip(navigate, 1) != 0) break;
    return n;
  }

  std::chrono::microseconds Timed(const std::function<void()>& body) {
    const auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  }
};

// The UPDATE moves every row's PAY up or down by 1000 and rewrites its memo. Each kill must leave all rows in
// one state, the memo file no longer than that state needs, and the tag finding every row by its PAY.
TEST_F(StatementKill, AKilledUpdateLeavesEveryRowBeforeOrAfter) {
  MakePay();
  const std::string up = "UPDATE PAY SET PAY = PAY + 1000, NOTE = 'up'";
  const std::string down = "UPDATE PAY SET PAY = PAY - 1000, NOTE = 'down'";
  // The state of every row, 0 or 1; fails on a mixture.
  const auto state = [&]() -> int {
    const AdsHandle t = Open("PAY");
    std::set<std::pair<std::int64_t, std::string>> seen;
    bool eof = false;
    std::uint64_t rows = 0;
    EXPECT_ADS(AdsGotoTop(t));
    for (; AdsAtEOF(t, &eof) == 0 && !eof; ++rows) {
      seen.insert({Get(t, "PAY").AsInteger() - Get(t, "ID").AsInteger(), Text(t, "NOTE")});
      if (AdsSkip(t, 1) != 0) break;
    }
    EXPECT_EQ(rows, static_cast<std::uint64_t>(kRows));
    EXPECT_EQ(seen.size(), 1u) << "a mixture of states";
    const int s = seen.empty() || seen.begin()->first == 0 ? 0 : 1;
    EXPECT_EQ(seen.begin()->second, s == 0 ? "down" : "up");
    // The index agrees: a seek finds a row by its new PAY, and the tag holds every row.
    const AdsHandle byPay = Index(t, "PAY");
    const Value key[] = {Value::Integer(777 + s * 1000)};
    bool found = false;
    EXPECT_ADS(AdsSeek(byPay, key, seek_type::kExact, &found));
    EXPECT_TRUE(found);
    EXPECT_EQ(Get(t, "ID"), Value::Integer(777));
    EXPECT_EQ(Walk(byPay, t), static_cast<std::uint64_t>(kRows));
    AdsCloseTable(t);
    return s;
  };
  const auto length = Timed([&] {
    ASSERT_ADS(Run(up));
    ASSERT_ADS(Run(down));
  }) / 2;
  AdsCloseSQLStatement(statement);
  statement = 0;

  int now = state(), rolledBack = 0, kept = 0;
  constexpr int kTrials = 8;
  for (int trial = 0; trial < kTrials; ++trial) {
    const std::uint64_t memoBefore = Size("PAY.ADM");
    const bool finished = RunAndKill(now == 0 ? up : down, length * 2 * (trial + 1) / kTrials);
    const bool journal = JournalThere();
    const int after = state();
    EXPECT_FALSE(JournalThere()) << "the open removes the journal";
    if (finished) {
      EXPECT_NE(after, now) << "a statement that returned is kept, trial " << trial;
    }
    if (after == now) {
      EXPECT_EQ(Size("PAY.ADM"), memoBefore) << "the memo values the statement wrote go with it";
      rolledBack += journal ? 1 : 0;
    } else {
      ++kept;
    }
    now = after;
  }
  EXPECT_GT(rolledBack, 0) << "no kill landed in the writing of the statement";
  EXPECT_GT(kept, 0) << "no statement got to its end";
}

// The DELETE takes every third row. Each trial starts from the same table; a kill leaves all of them or none.
TEST_F(StatementKill, AKilledDeleteLeavesAllTheRowsOrNoneOfThem) {
  MakePay();
  for (const char* f : {"PAY.ADT", "PAY.ADM", "PAY.ADI"}) stdfs::copy_file(dir.Path() / f, dir.Path() / (std::string(f) + ".first"));
  const auto restore = [&] {
    for (const char* f : {"PAY.ADT", "PAY.ADM", "PAY.ADI"})
      stdfs::copy_file(dir.Path() / (std::string(f) + ".first"), dir.Path() / f, stdfs::copy_options::overwrite_existing);
  };
  const std::string text = "DELETE FROM PAY WHERE FLAG = 'Y'";
  const auto length = Timed([&] { ASSERT_ADS(Run(text)); });
  AdsCloseSQLStatement(statement);
  statement = 0;
  // Whether the rows are gone; fails unless exactly all or none are.
  const auto deleted = [&] {
    const AdsHandle t = Open("PAY");
    std::uint64_t count = 0, flagged = 0, rows = 0;
    EXPECT_ADS(AdsGetRecordCount(t, &count));
    bool eof = false;
    EXPECT_ADS(AdsGotoTop(t));
    for (; AdsAtEOF(t, &eof) == 0 && !eof; ++rows) {
      flagged += Text(t, "FLAG") == "Y" ? 1 : 0;
      if (AdsSkip(t, 1) != 0) break;
    }
    const std::uint64_t inTag = Walk(Index(t, "PAY"), t);
    AdsCloseTable(t);
    EXPECT_EQ(count, rows);
    EXPECT_EQ(inTag, rows);
    EXPECT_TRUE(flagged == 0 || flagged == kRows / 3) << flagged << " of " << kRows / 3 << " rows left";
    EXPECT_EQ(rows, flagged == 0 ? kRows - kRows / 3 : kRows);
    return flagged == 0;
  };

  int rolledBack = 0, kept = 0;
  constexpr int kTrials = 8;
  for (int trial = 0; trial < kTrials; ++trial) {
    restore();
    const bool finished = RunAndKill(text, length * 2 * (trial + 1) / kTrials);
    const bool journal = JournalThere();
    const bool gone = deleted();
    if (finished) {
      EXPECT_TRUE(gone) << "a statement that returned is kept, trial " << trial;
    }
    if (gone) ++kept;
    else rolledBack += journal ? 1 : 0;
  }
  EXPECT_GT(rolledBack, 0) << "no kill landed in the writing of the statement";
  EXPECT_GT(kept, 0) << "no statement got to its end";
}

// A statement that the disk refuses part way (here the files may grow no further, so its memo values stop
// being written after about a hundred records) changes nothing, and its process can go on using the table.
TEST_F(StatementKill, AStatementThatFailsPartWayChangesNothing) {
  MakePay();
  const std::uint64_t memoBefore = Size("PAY.ADM");
  ASSERT_GT(memoBefore, Size("PAY.ADT") + Size("PAY.ADI"));  // the journal is smaller than the memo file
  const std::string up = "UPDATE PAY SET PAY = PAY + 1000, NOTE = 'up'";
  const std::string folder = dir.Path().string();
  // The child's answer: 0 when the UPDATE failed (and, with retry, succeeded once the files may grow again).
  const auto child = [&](bool retry) {
    const pid_t pid = fork();
    if (pid == 0) {
      signal(SIGXFSZ, SIG_IGN);
      rlimit limit{};
      getrlimit(RLIMIT_FSIZE, &limit);
      const rlim_t unlimited = limit.rlim_cur;
      limit.rlim_cur = memoBefore + 100 * 64;
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(2);
      AdsHandle c = 0, s = 0;
      if (AdsConnect60(folder, 3, "", "", 0, &c) || AdsCreateSQLStatement(c, &s)) _exit(2);
      if (AdsExecuteSQLDirect(s, up, nullptr) == 0) _exit(5);
      if (!retry) _exit(0);
      limit.rlim_cur = unlimited;
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(2);
      _exit(AdsExecuteSQLDirect(s, up, nullptr) == 0 ? 0 : 6);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
  };
  const auto payOf = [&](int recno) {
    const AdsHandle t = Open("PAY");
    EXPECT_ADS(AdsGotoRecord(t, recno));
    const Value v = Get(t, "PAY");
    EXPECT_EQ(Walk(Index(t, "PAY"), t), static_cast<std::uint64_t>(kRows));
    AdsCloseTable(t);
    return v;
  };
  ASSERT_EQ(child(false), 0);
  EXPECT_FALSE(JournalThere());
  EXPECT_EQ(Size("PAY.ADM"), memoBefore);
  EXPECT_EQ(payOf(1), Value::Integer(1)) << "the records the statement had changed are as before";
  AdsHandle cursor = 0;
  ASSERT_ADS(Run("SELECT COUNT(*) AS C FROM PAY WHERE PAY = ID", {}, &cursor));
  EXPECT_EQ(Get(cursor, "C"), Value::Integer(kRows));
  AdsCloseTable(cursor);

  ASSERT_EQ(child(true), 0);
  EXPECT_EQ(payOf(1), Value::Integer(1001));
  EXPECT_EQ(payOf(kRows), Value::Integer(kRows + 1000));
}

// A user who had the table open when another process died in the middle of its UPDATE is told so at the next
// read rather than shown half the rows changed; alone, the next open rolls the statement back.
TEST_F(StatementKill, AUserWhoHasTheTableOpenIsNotShownAKilledStatementHalfDone) {
  MakePay();
  const std::string up = "UPDATE PAY SET PAY = PAY + 1000, NOTE = 'up'";
  const auto length = Timed([&] { ASSERT_ADS(Run(up)); });
  ASSERT_ADS(Run("UPDATE PAY SET PAY = PAY - 1000, NOTE = 'down'"));
  AdsCloseSQLStatement(statement);
  statement = 0;
  bool landed = false;
  for (int attempt = 0; attempt < 8 && !landed; ++attempt) {
    const AdsHandle t = Open("PAY");
    ASSERT_ADS(AdsGotoRecord(t, 5));
    EXPECT_EQ(Get(t, "PAY"), Value::Integer(5));
    RunAndKill(up, length * (4 + attempt % 4) / 8);
    landed = JournalThere();
    if (landed) {
      Value v;
      ResultCode r = AdsGotoRecord(t, kRows);
      if (r == 0) r = AdsGetField(t, "PAY", &v);
      EXPECT_EQ(r, code::kCorruptFile) << "read " << storage::ValueToText(v);
      EXPECT_NE(LastErrorText().find("was left in the middle of a change"), std::string::npos) << LastErrorText();
    }
    AdsCloseTable(t);
    // Alone again: back to the state before (or after, when the kill came late), every row alike.
    const AdsHandle again = Open("PAY");
    ASSERT_ADS(AdsGotoRecord(again, kRows));
    const Value last = Get(again, "PAY");
    if (landed) {
      EXPECT_EQ(last, Value::Integer(kRows));
    }
    AdsCloseTable(again);
    if (last != Value::Integer(kRows)) {
      ASSERT_ADS(Run("UPDATE PAY SET PAY = PAY - 1000, NOTE = 'down'"));
    }
    AdsCloseSQLStatement(statement);
    statement = 0;
  }
  EXPECT_TRUE(landed) << "no kill landed in the writing of the statement";
}

}  // namespace
}  // namespace ace::testing
