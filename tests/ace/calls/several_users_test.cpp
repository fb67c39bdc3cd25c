// Several processes using one table at once: a change another user has under way is waited for, never taken for
// damage left by a crash.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <thread>
#include <vector>

#include "ace/storage/change_gate.h"
#include "ace/storage/journal.h"
#include "calls/sql_fixture.h"

namespace ace::testing {
namespace {

namespace stdfs = std::filesystem;

// Forks a child per body, each with a connection of its own to folder, and waits for all of them. A child's
// exit code is its body's answer; a child that did not exit gives 99.
std::vector<int> InChildren(const std::string& folder, const std::vector<std::function<int(AdsHandle)>>& bodies) {
  std::vector<pid_t> pids;
  for (const auto& body : bodies) {
    const pid_t pid = fork();
    if (pid == 0) {
      AdsHandle c = 0;
      if (AdsConnect60(folder, 3, "", "", 0, &c) != 0) _exit(98);
      _exit(body(c));
    }
    pids.push_back(pid);
  }
  std::vector<int> codes;
  for (const pid_t pid : pids) {
    int status = 0;
    waitpid(pid, &status, 0);
    codes.push_back(WIFEXITED(status) ? WEXITSTATUS(status) : 99);
  }
  return codes;
}

// Runs every text in turn on the connection: 0 when all went through, 1 when one failed with "was left in the
// middle of a change" or any damage, 2 for any other failure.
int RunAll(AdsHandle connection, const std::vector<std::string>& texts) {
  AdsHandle s = 0;
  if (AdsCreateSQLStatement(connection, &s) != 0) return 2;
  for (const std::string& text : texts) {
    AdsHandle cursor = 0;
    const ResultCode r = AdsExecuteSQLDirect(s, text, &cursor);
    if (cursor) AdsCloseTable(cursor);
    if (r == code::kCorruptFile) return 1;
    if (r != 0) return 2;
  }
  return 0;
}

class SeveralUsers : public SqlTest {};

TEST_F(SeveralUsers, TwoProcessesInsertingIntoOneTableBothKeepEveryRow) {
  Make({"T", "WHO,Char,1;N,Integer;", {}, {{"N", "N"}}});
  const auto inserts = [](const std::string& who) {
    return [who](AdsHandle c) {
      std::vector<std::string> texts;
      for (int i = 0; i < 300; ++i) texts.push_back("INSERT INTO T (WHO, N) VALUES ('" + who + "', " + std::to_string(i) + ")");
      return RunAll(c, texts);
    };
  };
  EXPECT_EQ(InChildren(dir.Path().string(), {inserts("A"), inserts("B")}), (std::vector<int>{0, 0}));
  const AdsHandle t = Open("T");
  std::set<std::string> rows;
  for (const std::string& row : RowsOf(t)) rows.insert(row);
  AdsCloseTable(t);
  EXPECT_EQ(rows.size(), 600u);
  EXPECT_TRUE(rows.count("A|0") && rows.count("A|299") && rows.count("B|0") && rows.count("B|299"));
}

TEST_F(SeveralUsers, WholeTableUpdatesFromTwoProcessesAllTakeEffect) {
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < 3000; ++i) rows.push_back({std::to_string(i), "0"});
  Make({"T", "ID,Integer;N,Integer;", rows, {{"ID", "ID"}}});
  const auto updates = [](AdsHandle c) { return RunAll(c, std::vector<std::string>(20, "UPDATE T SET N = N + 1")); };
  EXPECT_EQ(InChildren(dir.Path().string(), {updates, updates}), (std::vector<int>{0, 0}));
  AdsHandle cursor = 0;
  ASSERT_ADS(Run("SELECT COUNT(*) AS C FROM T WHERE N = 40", {}, &cursor));
  EXPECT_EQ(Get(cursor, "C"), Value::Integer(3000));
  AdsCloseTable(cursor);
}

// One process changes the table's layout, packs it and adds and drops an index, over and over; the other reads
// it all the while. The reader waits for each change made under its shared open (an index build, a pack) and is
// refused with "in use" while ALTER TABLE holds the table exclusively; the changer may find the reader in its
// way (a whole-table change needs the table alone) and then tries again. No one is ever told of damage.
TEST_F(SeveralUsers, AReaderBesideAlterPackAndIndexBuildsIsNeverToldOfDamage) {
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < 2000; ++i) rows.push_back({std::to_string(i), "name " + std::to_string(i)});
  Make({"T", "ID,Integer;NAME,Char,20;", rows});
  const auto changer = [](AdsHandle c) {
    int done = 0;  // changes that went through
    for (int round = 0; round < 40 && done < 12; ++round) {
      std::this_thread::sleep_for(std::chrono::milliseconds(3));
      AdsHandle t = 0;
      if (AdsOpenTable(c, "T", "", 3, 1, 1, 1, open_mode::kShared, &t) != 0) continue;
      AdsHandle index = 0;
      ResultCode r = AdsCreateIndex61(t, "", "BYNAME", "NAME", "", "", 0, 512, &index);
      if (r == 0) {
        ++done;
        r = AdsDeleteIndex(index);
      }
      if (r == 0 || r == code::kTableInUse) r = AdsPackTable(t);
      done += r == 0 ? 1 : 0;
      AdsCloseTable(t);
      if (r == code::kCorruptFile) return 1;
      for (const char* text : {"ALTER TABLE T ADD COLUMN X Char(4)", "ALTER TABLE T DROP COLUMN X"}) {
        AdsHandle s = 0;
        if (AdsCreateSQLStatement(c, &s) != 0) return 2;
        r = AdsExecuteSQLDirect(s, text, nullptr);
        AdsCloseSQLStatement(s);
        if (r == code::kCorruptFile) return 1;
        done += r == 0 ? 1 : 0;
      }
    }
    return done > 0 ? 0 : 3;
  };
  const auto reader = [](AdsHandle c) {
    AdsHandle s = 0;
    if (AdsCreateSQLStatement(c, &s) != 0) return 2;
    int read = 0;
    for (int i = 0; i < 150; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      AdsHandle cursor = 0;
      const ResultCode r = AdsExecuteSQLDirect(s, "SELECT COUNT(*) AS C FROM T WHERE ID >= 0", &cursor);
      if (r == code::kCorruptFile) return 1;
      if (r == code::kTableInUse) continue;  // ALTER TABLE opens the table exclusively: a clear "in use"
      if (r != 0) return 2;
      Value count;
      const bool all = AdsGetField(cursor, "C", &count) == 0 && count == Value::Integer(2000);
      AdsCloseTable(cursor);
      if (!all) return 4;
      ++read;
    }
    return read > 0 ? 0 : 3;
  };
  EXPECT_EQ(InChildren(dir.Path().string(), {changer, reader}), (std::vector<int>{0, 0}));
}

// An open during another process's UPDATE waits for it and sees every row changed; with a wait limit shorter
// than the statement it gives up saying the table is in use.
TEST_F(SeveralUsers, AnOpenWaitsForAnotherUsersStatementUpToTheLimit) {
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < 60000; ++i) rows.push_back({std::to_string(i), "0"});
  Make({"T", "ID,Integer;N,Integer;", rows, {{"ID", "ID"}}});
  ASSERT_ADS(Run("UPDATE T SET N = N + 1"));
  const auto journal = storage::Journal::PathFor(dir.Path() / "T.ADT");
  for (const bool patient : {true, false}) {
    storage::SetChangeWaitLimit(patient ? std::chrono::milliseconds(30000) : std::chrono::milliseconds(20));
    const std::string folder = dir.Path().string();
    const pid_t pid = fork();
    if (pid == 0) {
      AdsHandle c = 0, s = 0;
      if (AdsConnect60(folder, 3, "", "", 0, &c) || AdsCreateSQLStatement(c, &s)) _exit(2);
      _exit(AdsExecuteSQLDirect(s, "UPDATE T SET N = N + 1", nullptr) == 0 ? 0 : 3);
    }
    // The statement's journal lives exactly as long as its change: the open below meets the change under way,
    // however slowly the child got there on a busy machine.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!stdfs::exists(journal) && std::chrono::steady_clock::now() < giveUp)
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    ASSERT_TRUE(stdfs::exists(journal)) << "the other user's statement never began its change";
    AdsHandle t = 0;
    const ResultCode r = AdsOpenTable(connection, "T", "", 3, 1, 1, 1, open_mode::kShared, &t);
    const std::string text = LastErrorText();
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    if (patient) {
      ASSERT_ADS(r);
      EXPECT_EQ(Get(t, "N"), Value::Integer(2)) << "the open saw the table after the other user's statement";
      AdsCloseTable(t);
    } else {
      EXPECT_EQ(r, code::kTableInUse) << text;
      EXPECT_NE(text.find("is being changed by another user"), std::string::npos) << text;
    }
  }
  storage::SetChangeWaitLimit(std::chrono::milliseconds(10000));
}

}  // namespace
}  // namespace ace::testing
