#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "calls/engine_fixture.h"

namespace ace::testing {
namespace {

// Runs body in a child process and returns its exit code (the child makes its own connection).
int InChild(const std::function<int()>& body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

class Sharing : public EngineTest {
 protected:
  int OpenInChild(std::uint32_t mode) {
    const std::string folder = dir.Path().string();
    return InChild([folder, mode] {
      AdsHandle c = 0, t = 0;
      if (AdsConnect60(folder, 3, "", "", 0, &c) != 0) return 2;
      const ResultCode r = AdsOpenTable(c, "T", "", 3, 1, 1, 1, mode, &t);
      return r == 0 ? 0 : (r == code::kTableInUse ? 1 : 3);
    });
  }
};

TEST_F(Sharing, ExclusiveAndSharedOpensAcrossProcesses) {
  ASSERT_ADS(AdsCloseTable(Create("T", "A,Char,5;")));
  AdsHandle shared = Open("T");
  EXPECT_EQ(OpenInChild(open_mode::kShared), 0);
  EXPECT_EQ(OpenInChild(open_mode::kExclusive), 1);
  AdsHandle t = 0;
  EXPECT_EQ(AdsOpenTable(connection, "T", "", 3, 1, 1, 1, open_mode::kExclusive, &t), code::kTableInUse);
  ASSERT_ADS(AdsCloseTable(shared));

  AdsHandle exclusive = Open("T", open_mode::kExclusive);
  EXPECT_EQ(OpenInChild(open_mode::kShared), 1);
  EXPECT_EQ(AdsOpenTable(connection, "T", "", 3, 1, 1, 1, open_mode::kShared, &t), code::kTableInUse);
  ASSERT_ADS(AdsCloseTable(exclusive));
  EXPECT_EQ(OpenInChild(open_mode::kExclusive), 0);
}

TEST_F(Sharing, ChangesOfAnotherProcessAreSeen) {
  AdsHandle t = Create("T", "A,Char,5;N,Integer;");
  ASSERT_ADS(AdsCreateIndex61(t, "", "A", "A", "", "", 2, 512, nullptr));
  Append(t, {{"A", Value::String("mine")}, {"N", Value::Integer(1)}});
  ASSERT_ADS(AdsCloseTable(t));
  t = Open("T");
  const std::string folder = dir.Path().string();
  const int child = InChild([folder] {
    AdsHandle c = 0, h = 0;
    if (AdsConnect60(folder, 3, "", "", 0, &c) != 0 || AdsOpenTable(c, "T", "", 3, 1, 1, 1, 0, &h) != 0) return 2;
    for (int i = 0; i < 50; ++i) {
      if (AdsAppendRecord(h) != 0 || AdsSetField(h, "A", Value::String("kid" + std::to_string(i))) != 0 ||
          AdsSetField(h, "N", Value::Integer(i)) != 0 || AdsWriteRecord(h) != 0)
        return 3;
    }
    return AdsCloseTable(h) == 0 ? 0 : 4;
  });
  ASSERT_EQ(child, 0);
  std::uint64_t count = 0;
  ASSERT_ADS(AdsGetRecordCount(t, &count));
  EXPECT_EQ(count, 51u);
  const Value key[] = {Value::String("kid42")};
  bool found = false;
  ASSERT_ADS(AdsSeek(Index(t, "A"), key, seek_type::kExact, &found));
  EXPECT_TRUE(found);
  EXPECT_EQ(Get(t, "N"), Value::Integer(42));
}

TEST_F(Sharing, AScanInRecordOrderSeesAnotherProcessChangingRecordsAhead) {
  AdsHandle t = Create("T", "A,Char,8;N,Integer;");
  for (int i = 1; i <= 10; ++i) Append(t, {{"A", Value::String("r" + std::to_string(i))}, {"N", Value::Integer(i)}});
  ASSERT_ADS(AdsCloseTable(t));
  t = Open("T");
  ASSERT_ADS(AdsGotoTop(t));
  ASSERT_ADS(AdsSkip(t, 1));  // record 2: records 3 to 10 are in this handle's read window by now
  EXPECT_EQ(Get(t, "N"), Value::Integer(2));
  const std::string folder = dir.Path().string();
  ASSERT_EQ(InChild([folder] {
              AdsHandle c = 0, h = 0;
              if (AdsConnect60(folder, 3, "", "", 0, &c) || AdsOpenTable(c, "T", "", 3, 1, 1, 1, 0, &h)) return 2;
              if (AdsGotoRecord(h, 3) || AdsSetField(h, "A", Value::String("changed")) || AdsWriteRecord(h)) return 3;
              if (AdsGotoRecord(h, 4) || AdsDeleteRecord(h)) return 4;
              return AdsCloseTable(h) == 0 ? 0 : 5;
            }),
            0);
  ASSERT_ADS(AdsSkip(t, 1));
  EXPECT_EQ(Text(t, "A"), "changed");
  ASSERT_ADS(AdsSkip(t, 1));
  EXPECT_EQ(Get(t, "N"), Value::Integer(5)) << "the record deleted by the other process is passed over";
}

TEST_F(Sharing, AScanInRecordOrderSeesRecordsAnotherProcessAppendsAndEmptiesBehindIt) {
  AdsHandle t = Create("T", "A,Char,8;N,Integer;");
  for (int i = 1; i <= 3; ++i) Append(t, {{"A", Value::String("r" + std::to_string(i))}, {"N", Value::Integer(i)}});
  ASSERT_ADS(AdsCloseTable(t));
  t = Open("T");
  ASSERT_ADS(AdsGotoTop(t));
  ASSERT_ADS(AdsSkip(t, 2));  // the last record, with the whole table in this handle's read window
  EXPECT_EQ(Get(t, "N"), Value::Integer(3));
  const std::string folder = dir.Path().string();
  const auto other = [folder](const std::function<bool(AdsHandle)>& change) {
    return InChild([folder, change] {
      AdsHandle c = 0, h = 0;
      if (AdsConnect60(folder, 3, "", "", 0, &c) || AdsOpenTable(c, "T", "", 3, 1, 1, 1, 0, &h)) return 2;
      if (!change(h)) return 3;
      return AdsCloseTable(h) == 0 ? 0 : 4;
    });
  };
  ASSERT_EQ(other([](AdsHandle h) {
              return AdsAppendRecord(h) == 0 && AdsSetField(h, "N", Value::Integer(4)) == 0 && AdsWriteRecord(h) == 0;
            }),
            0);
  ASSERT_ADS(AdsSkip(t, 1));
  bool eof = true;
  ASSERT_ADS(AdsAtEOF(t, &eof));
  ASSERT_FALSE(eof) << "the record appended by the other process is the next one";
  EXPECT_EQ(Get(t, "N"), Value::Integer(4));
  ASSERT_ADS(AdsGotoTop(t));  // records 1 to 4 in the read window now
  ASSERT_ADS(AdsSkip(t, 3));
  EXPECT_EQ(Get(t, "N"), Value::Integer(4));
  // The other process deletes every record but this one: a step back finds none before it.
  ASSERT_EQ(other([](AdsHandle h) {
              for (std::uint64_t r = 1; r <= 3; ++r)
                if (AdsGotoRecord(h, r) || AdsDeleteRecord(h)) return false;
              return true;
            }),
            0);
  ASSERT_ADS(AdsSkip(t, -1));
  bool bof = false;
  ASSERT_ADS(AdsAtBOF(t, &bof));
  EXPECT_TRUE(bof) << "records deleted by the other process are passed over going back, too";
}

}  // namespace
}  // namespace ace::testing
