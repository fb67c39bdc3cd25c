// The external sort of ORDER BY: past its memory budget it writes sorted runs beside the result and merges
// them. What a user sees is the order of the rows, and an error (not a crash) when a run on disk is damaged.

#include "ace/sql/row_sorter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ace/core/error.h"
#include "ace/core/scratch_secret.h"
#include "ace/sql/eval.h"
#include "platform/file.h"
#include "common/temp_folder.h"

namespace ace::sql::exec {
namespace {

RowSorter::Less Ascending() {
  return [](const std::vector<Value>& a, const std::vector<Value>& b) { return OrderCompare(a[0], b[0]) < 0; };
}

// Rows of key (i * 7) % keys, each carrying its arrival number and a filler that makes it weigh about 1 KiB.
void AddRows(RowSorter& sorter, int rows, int keys) {
  std::string filler;
  while (filler.size() < 1000) filler += "S1234567D ";
  for (int i = 0; i < rows; ++i) {
    RowSorter::Row row;
    row.keys.push_back(Value::Integer((i * 7) % keys));
    row.values = {Value::Integer((i * 7) % keys), Value::Integer(i), Value::String(filler)};
    sorter.Add(std::move(row));
  }
}

std::vector<std::filesystem::path> Runs(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> runs;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().extension() == ".RUN") runs.push_back(entry.path());
  return runs;
}

TEST(RowSorter, GivesRowsInKeyOrderKeepingArrivalOrderWithinAKey) {
  // 200 rows stay in memory; 40,000 rows of about 1 KiB pass the 16 MiB budget and go through runs on disk,
  // clear or sealed (rows of an encrypted table: then no run holds a value as it is).
  for (const int rows : {200, 40000}) for (const Cipher* seal : {static_cast<const Cipher*>(nullptr), &ScratchCipher()}) {
    SCOPED_TRACE(std::to_string(rows) + (seal ? " sealed" : " clear"));
    kv::testing::TempFolder folder;
    std::vector<std::pair<std::int64_t, std::int64_t>> seen;  // key, arrival
    {
      RowSorter sorter(folder.Path(), Ascending(), seal);
      AddRows(sorter, rows, 97);
      EXPECT_EQ(Runs(folder.Path()).empty(), rows == 200);
      for (const auto& run : Runs(folder.Path())) {
        std::ifstream in(run, std::ios::binary);
        const std::string bytes(std::istreambuf_iterator<char>(in), {});
        EXPECT_EQ(bytes.find("S1234567D") == std::string::npos, seal != nullptr) << run;
      }
      sorter.Finish([&](const std::vector<Value>& v) { seen.emplace_back(v[0].AsInteger(), v[1].AsInteger()); });
    }
    ASSERT_EQ(seen.size(), static_cast<std::size_t>(rows));
    for (std::size_t i = 1; i < seen.size(); ++i) {
      ASSERT_LE(seen[i - 1].first, seen[i].first) << "row " << i;
      if (seen[i - 1].first == seen[i].first) {
        ASSERT_LT(seen[i - 1].second, seen[i].second) << "row " << i;
      }
    }
    EXPECT_TRUE(Runs(folder.Path()).empty()) << "the runs are removed with the sorter";
  }
}

TEST(RowSorter, ADamagedRunIsAnErrorNotACrash) {
  // A run whose first record claims a length far past the end of the file: it must fail as a damaged run, and
  // not reserve memory for the length it claims.
  kv::testing::TempFolder folder;
  RowSorter sorter(folder.Path(), Ascending(), nullptr);
  AddRows(sorter, 40000, 97);
  const auto runs = Runs(folder.Path());
  ASSERT_FALSE(runs.empty());
  {
    kv::fs::File run = kv::fs::File::Open(runs.front(), kv::fs::File::Mode::ReadWrite);
    const std::uint64_t huge = std::uint64_t{1} << 60;
    run.WriteAt(0, &huge, sizeof huge);
  }
  try {
    sorter.Finish([](const std::vector<Value>&) {});
    FAIL() << "a damaged run was read";
  } catch (const AceError& e) {
    EXPECT_EQ(e.Code(), code::kIoError);
    EXPECT_NE(std::string(e.what()).find("sort run"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace ace::sql::exec
