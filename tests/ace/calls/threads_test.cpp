// The engine calls from several threads: each call runs alone, handles made on one thread work on another, and
// each thread reads its own last error.

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "calls/engine_fixture.h"

namespace ace::testing {
namespace {

class Threads : public EngineTest {};

TEST_F(Threads, CallsFromSeveralThreadsEachSeeTheirOwnTablesAndErrors) {
  constexpr int kThreads = 4;
  constexpr int kRows = 300;
  std::vector<std::uint64_t> counts(kThreads, 0);
  std::vector<std::string> errors(kThreads);
  std::vector<std::thread> workers;
  for (int w = 0; w < kThreads; ++w)
    workers.emplace_back([&, w] {
      const std::string name = "T" + std::to_string(w);
      AdsHandle t = 0;
      if (AdsCreateTable(connection, name, "", 3, 1, 1, 1, 0, "ID,Integer;NAME,Char,10;", &t) != 0) return;
      AdsCloseTable(t);
      // Every round makes and drops handles, so the threads change the handle registry all the time.
      for (int i = 0; i < kRows; ++i) {
        if (AdsOpenTable(connection, name, "", 3, 1, 1, 1, open_mode::kShared, &t) != 0) return;
        AdsAppendRecord(t);
        AdsSetField(t, "ID", Value::Integer(i));
        AdsSetField(t, "NAME", Value::String(name));
        AdsWriteRecord(t);
        // A failure on this thread only: every other thread's last error stays its own.
        if (w % 2 == 1 && i == kRows / 2) AdsGetField(t, "NO_SUCH_" + name, nullptr);
        if (i + 1 < kRows) AdsCloseTable(t);
      }
      AdsGetRecordCount(t, &counts[w]);
      AdsCloseTable(t);
      ResultCode code = 0;
      AdsGetLastError(&code, &errors[w]);
    });
  for (std::thread& worker : workers) worker.join();

  for (int w = 0; w < kThreads; ++w) {
    SCOPED_TRACE(w);
    EXPECT_EQ(counts[w], static_cast<std::uint64_t>(kRows));
    if (w % 2 == 1)
      EXPECT_NE(errors[w].find("NO_SUCH_T" + std::to_string(w)), std::string::npos) << errors[w];
    else
      EXPECT_EQ(errors[w], "");
    const AdsHandle t = Open("T" + std::to_string(w));
    EXPECT_EQ(Count(t), static_cast<std::uint64_t>(kRows));
    EXPECT_EQ(Column(t, t, "NAME").back(), "T" + std::to_string(w));
    AdsCloseTable(t);
  }
}

}  // namespace
}  // namespace ace::testing
