// Appends to a table opened exclusively reach its file in batches: every read sees them before the close, and a
// batch that cannot be written is reported (by the write that sent it, or by the close), never lost in silence.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <functional>

#include "ace/storage/append_batch.h"
#include "calls/engine_fixture.h"

namespace ace::testing {
namespace {

// N,Integer;A,Char,20: a slot is the status byte, one byte of empty marks and 24 of values.
constexpr const char* kFields = "N,Integer;A,Char,20;";
constexpr std::uint64_t kSlot = 26;
constexpr std::uint64_t kPerBatch = (storage::AppendBatch::kBytes + kSlot - 1) / kSlot;

std::string Name(std::uint64_t n) { return "name " + std::to_string(n); }

class Appends : public EngineTest {
 protected:
  // The table T, empty, with a tag on N; gives the size of its file (the header).
  std::uint64_t MakeTable() {
    AdsHandle t = Create("T", kFields);
    EXPECT_ADS(AdsCreateIndex61(t, "", "N", "N", "", "", 2, 512, nullptr));
    EXPECT_ADS(AdsCloseTable(t));
    return std::filesystem::file_size(dir.Path() / "T.ADT");
  }
  // Every record in record order holds its own number and name; gives how many there are.
  std::uint64_t CheckRecords(AdsHandle t) {
    std::uint64_t n = 0;
    EXPECT_ADS(AdsGotoTop(t));
    bool eof = false;
    while (AdsAtEOF(t, &eof) == 0 && !eof) {
      ++n;
      std::uint64_t recno = 0;
      EXPECT_ADS(AdsGetRecordNum(t, &recno));
      EXPECT_EQ(Get(t, "N"), Value::Integer(static_cast<std::int64_t>(recno)));
      EXPECT_EQ(Text(t, "A"), Name(recno));
      if (AdsSkip(t, 1) != 0) break;
    }
    return n;
  }
  bool Seek(AdsHandle t, std::int64_t n) {
    const Value key[] = {Value::Integer(n)};
    bool found = false;
    EXPECT_ADS(AdsSeek(Index(t, "N"), key, seek_type::kExact, &found));
    return found;
  }
};

TEST_F(Appends, EveryReadSeesTheBatchedRecordsBeforeTheClose) {
  const std::uint64_t header = MakeTable();
  AdsHandle t = Open("T", open_mode::kExclusive);
  const std::uint64_t total = 2 * kPerBatch + 100;
  for (std::uint64_t n = 1; n <= total; ++n)
    Append(t, {{"N", Value::Integer(static_cast<std::int64_t>(n))}, {"A", Value::String(Name(n))}});
  // The last records are still in memory: a jump to one, a seek, an edit and a delete all find them.
  ASSERT_ADS(AdsGotoRecord(t, total - 1));
  EXPECT_EQ(Text(t, "A"), Name(total - 1));
  EXPECT_TRUE(Seek(t, static_cast<std::int64_t>(total)));
  EXPECT_EQ(Text(t, "A"), Name(total));
  Append(t, {{"N", Value::Integer(static_cast<std::int64_t>(total + 1))}, {"A", Value::String("to be deleted")}});
  ASSERT_ADS(AdsDeleteRecord(t));
  Append(t, {{"N", Value::Integer(static_cast<std::int64_t>(total + 2))}, {"A", Value::String("draft")}});
  ASSERT_ADS(AdsSetField(t, "A", Value::String(Name(total + 2))));
  ASSERT_ADS(AdsWriteRecord(t));
  EXPECT_EQ(Count(t), total + 1);
  ASSERT_ADS(AdsCloseTable(t));

  t = Open("T");
  EXPECT_EQ(Count(t), total + 1);
  EXPECT_EQ(CheckRecords(t), total + 1) << "record " << total + 1 << " is deleted, the others all there";
  EXPECT_FALSE(Seek(t, static_cast<std::int64_t>(total + 1)));
  EXPECT_TRUE(Seek(t, static_cast<std::int64_t>(total + 2)));
  EXPECT_EQ(std::filesystem::file_size(dir.Path() / "T.ADT"), header + (total + 2) * kSlot);
}

// What a child that appended under a limit on the size of the files it may write saw.
struct Outcome {
  int failedAt = 0;          // the record whose AdsWriteRecord failed first (0: none)
  unsigned writeCode = 0;    // its code
  unsigned closeCode = 0;    // AdsCloseTable's (or AdsDisconnect's) code
  std::uint64_t firstLost = 0;  // the first record the first failure named
  bool retried = false;      // the failed write was made again after the limit was lifted, and went through
};

struct Case {
  const char* what;
  std::uint64_t room;      // whole slots the file may grow by (plus half a slot, torn off by the repair)
  std::uint64_t appended;  // records the child appends
  bool lift;               // after the first failure the limit is lifted and the write made again
  bool disconnect;         // the child ends with AdsDisconnect instead of AdsCloseTable
};

std::uint64_t FirstNamedRecord(const std::string& text) {
  unsigned long long first = 0;
  const auto at = text.find("records ");
  if (at == std::string::npos || std::sscanf(text.c_str() + at, "records %llu", &first) != 1) return 0;
  return first;
}

Outcome AppendInChild(const std::string& folder, std::uint64_t limit, const Case& c) {
  int channel[2];
  if (pipe(channel) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    close(channel[0]);
    std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG instead of ending the process
    rlimit r{};
    getrlimit(RLIMIT_FSIZE, &r);
    const rlim_t old = r.rlim_cur;
    r.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &r);
    Outcome o;
    AdsHandle cn = 0, t = 0;
    if (AdsConnect60(folder, 3, "", "", 0, &cn) != 0 || AdsOpenTable(cn, "T", "", 3, 1, 1, 1, 1, &t) != 0) _exit(2);
    const auto note = [&o] {
      ResultCode code = 0;
      std::string text;
      AdsGetLastError(&code, &text);
      if (o.firstLost == 0) o.firstLost = FirstNamedRecord(text);
    };
    for (std::uint64_t n = 1; n <= c.appended; ++n) {
      if (AdsAppendRecord(t) != 0 || AdsSetField(t, "N", Value::Integer(static_cast<std::int64_t>(n))) != 0 ||
          AdsSetField(t, "A", Value::String(Name(n))) != 0)
        _exit(3);
      const ResultCode rc = AdsWriteRecord(t);
      if (rc == 0) continue;
      o.failedAt = static_cast<int>(n);
      o.writeCode = rc;
      note();
      if (!c.lift) break;
      r.rlim_cur = old;
      setrlimit(RLIMIT_FSIZE, &r);
      o.retried = AdsWriteRecord(t) == 0;
      if (!o.retried) break;
    }
    o.closeCode = c.disconnect ? AdsDisconnect(cn) : AdsCloseTable(t);
    if (o.closeCode != 0) note();
    if (write(channel[1], &o, sizeof o) != static_cast<ssize_t>(sizeof o)) _exit(4);
    _exit(0);
  }
  close(channel[1]);
  Outcome o;
  const bool got = read(channel[0], &o, sizeof o) == static_cast<ssize_t>(sizeof o);
  close(channel[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(got && WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child did not report";
  return o;
}

TEST_F(Appends, ABatchThatCannotBeWrittenIsReportedAndTheTableKeepsWhatReachedItsFile) {
  const Case cases[] = {
      // The last batch waits for the close, which cannot write it all.
      {"close", kPerBatch + kPerBatch / 2, kPerBatch + kPerBatch * 3 / 4, false, false},
      {"disconnect", kPerBatch + kPerBatch / 2, kPerBatch + kPerBatch * 3 / 4, false, true},
      // The second batch is written by the append that finds it full, which fails and stops the child.
      {"append", kPerBatch + kPerBatch / 2, 3 * kPerBatch, false, false},
      // Room again after the failure: the same write made again takes the batch and the record.
      {"retry", kPerBatch + kPerBatch / 2, 3 * kPerBatch, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(dir.Path() / "T.ADT");
    std::filesystem::remove(dir.Path() / "T.ADI");
    const std::uint64_t header = MakeTable();
    const Outcome o = AppendInChild(dir.Path().string(), header + c.room * kSlot + kSlot / 2, c);
    AdsHandle t = Open("T", open_mode::kExclusive);  // alone: repaired when the child left it mid-change
    if (c.lift) {
      EXPECT_EQ(o.writeCode, code::kIoError);
      EXPECT_TRUE(o.retried);
      EXPECT_EQ(o.closeCode, 0u);
      EXPECT_EQ(Count(t), c.appended);
      EXPECT_EQ(CheckRecords(t), c.appended);
      EXPECT_TRUE(Seek(t, static_cast<std::int64_t>(c.appended)));
    } else {
      // Told, and told which records: nothing before the first one named is missing.
      if (std::string(c.what) == "append") {
        EXPECT_EQ(o.writeCode, code::kIoError);
        EXPECT_EQ(o.failedAt, static_cast<int>(2 * kPerBatch + 1));
      } else {
        EXPECT_EQ(o.failedAt, 0) << "every append went into a batch";
      }
      EXPECT_EQ(o.closeCode, code::kIoError);
      EXPECT_EQ(o.firstLost, kPerBatch + 1);
      EXPECT_EQ(Count(t), c.room) << "the whole slots that reached the file, the torn one dropped";
      EXPECT_EQ(CheckRecords(t), c.room);
      EXPECT_TRUE(Seek(t, static_cast<std::int64_t>(c.room)));
      EXPECT_FALSE(Seek(t, static_cast<std::int64_t>(c.room + 1))) << "the index was rebuilt without the lost records";
    }
    ASSERT_ADS(AdsCloseTable(t));
  }
}

}  // namespace
}  // namespace ace::testing
