#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "ace/index/index_file.h"
#include "ace/index/index_test_util.h"
#include "common/temp_folder.h"

namespace ace::index {
namespace {

using namespace ace::index::testing;

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

Key NumberKey(std::uint64_t v, std::size_t length) {
  Key key(length, ' ');
  const std::string digits = std::to_string(v);
  std::copy(digits.begin(), digits.end(), key.begin() + static_cast<std::ptrdiff_t>(length - digits.size()));
  return key;
}

class BulkBuildTest : public ::testing::Test {
 protected:
  std::filesystem::path File() const { return folder_.Path() / "P_HTRX.ADI"; }
  kv::testing::TempFolder folder_;
};

// 200k entries through a 64 KiB budget: over a hundred spilled runs, more than one merge pass.
TEST_F(BulkBuildTest, BuildEqualsInsertsAndTheTreeTakesChangesAfterwards) {
  std::mt19937_64 random(21);
  std::vector<Entry> entries;
  for (std::uint64_t r = 0; r < 200'000; ++r) entries.emplace_back(NumberKey(random() % 60'000, 10), r);

  auto file = IndexFile::Create(File(), nullptr, 1);
  const TagId built = file.AddTag({"BUILT", "EMPCODE;PPERIOD", index_option::kCompound, 10, 512});
  const TagId inserted = file.AddTag({"INSERTED", "EMPCODE;PPERIOD", index_option::kCompound, 10, 512});
  auto builder = file.BuildTag(built, 64 << 10);
  for (const auto& [key, recno] : entries) builder.Add(key, recno);
  builder.Finish();
  std::shuffle(entries.begin(), entries.end(), random);
  for (const auto& [key, recno] : entries) file.Insert(inserted, key, recno);

  EXPECT_EQ(FolderEntries(folder_.Path()), std::vector<std::string>{"P_HTRX.ADI"}) << "sort runs removed";
  EXPECT_EQ(file.EntryCount(built), 200'000u);
  const auto expected = Forward(file, inserted);
  ASSERT_EQ(Forward(file, built), expected);
  EXPECT_EQ(Backward(file, built), expected);

  // Changes after the build keep it in step with a sorted copy: the built tree splits and merges like any other.
  Model model(expected.begin(), expected.end());
  for (std::size_t i = 0; i < 15'000; ++i) {
    const Entry& gone = entries[i];  // shuffled above, so spread over the whole tree
    ASSERT_TRUE(file.Erase(built, gone.first, gone.second));
    model.erase(gone);
    const Entry added{NumberKey(random() % 60'000, 10), 200'000 + i};
    file.Insert(built, added.first, added.second);
    model.insert(added);
  }
  file.MarkClean(2);
  auto again = IndexFile::Open(File(), nullptr);
  EXPECT_EQ(Forward(again, built), Sorted(model));
}

struct SmallCase {
  std::uint16_t keyLength;
  std::uint64_t count;
};

class BulkBuildSizesTest : public BulkBuildTest, public ::testing::WithParamInterface<SmallCase> {};

// In-memory builds of every size from nothing to several levels (1 KiB keys: three to a page).
TEST_P(BulkBuildSizesTest, BuiltTagHoldsExactlyTheEntriesInOrder) {
  const auto [keyLength, count] = GetParam();
  auto file = IndexFile::Create(File(), nullptr, 1);
  const TagId tag = file.AddTag({"T", "T", index_option::kUnique, keyLength, 512});
  Model model;
  auto builder = file.BuildTag(tag);
  for (std::uint64_t i = 0; i < count; ++i) {
    const Key key = NumberKey(i * 7 % (count == 0 ? 1 : count), keyLength);
    builder.Add(key, i);
    model.emplace(key, i);
  }
  builder.Finish();
  EXPECT_EQ(file.EntryCount(tag), count);
  EXPECT_EQ(Forward(file, tag), Sorted(model));
  EXPECT_EQ(Backward(file, tag), Sorted(model));
  // Unique checks and erases work on the built tree.
  if (count > 0) {
    EXPECT_EQ(Catch([&] { file.Insert(tag, model.begin()->first, 999'999); }).code, code::kUniqueKeyViolation);
  }
  for (const auto& [key, recno] : model) ASSERT_TRUE(file.Erase(tag, key, recno));
  EXPECT_FALSE(file.OpenCursor(tag).First());
}

// 8-byte keys: 227 entries fill one leaf to 90%, 228 need two; 34732 need 154 leaves, one more than an inner
// node takes at 90%, so three levels.
INSTANTIATE_TEST_SUITE_P(Sizes, BulkBuildSizesTest,
                         ::testing::Values(SmallCase{8, 0}, SmallCase{8, 1}, SmallCase{8, 2}, SmallCase{8, 227},
                                           SmallCase{8, 228}, SmallCase{8, 34732}, SmallCase{1024, 2},
                                           SmallCase{1024, 8}, SmallCase{1024, 400}));

TEST_F(BulkBuildTest, UniqueViolationLeavesTheTagEmptyAndItsPagesFree) {
  auto file = IndexFile::Create(File(), nullptr, 1);
  const TagId tag = file.AddTag({"EMPCODE", "EMP_CODE", index_option::kUnique, 8, 512});
  auto build = [&](bool withDuplicate) {
    auto builder = file.BuildTag(tag, 64 << 10);
    for (std::uint64_t i = 0; i < 50'000; ++i) builder.Add(NumberKey(i, 8), i + 1);
    if (withDuplicate) builder.Add(NumberKey(31'337, 8), 90'000);
    builder.Finish();
  };
  const Caught caught = Catch([&] { build(true); });
  EXPECT_EQ(caught.code, code::kUniqueKeyViolation);
  EXPECT_NE(caught.text.find("EMPCODE"), std::string::npos) << caught.text;
  EXPECT_NE(caught.text.find("'   31337'"), std::string::npos) << caught.text;
  EXPECT_NE(caught.text.find("31338 and 90000"), std::string::npos) << caught.text;
  EXPECT_EQ(file.EntryCount(tag), 0u);
  EXPECT_FALSE(file.OpenCursor(tag).First());
  EXPECT_EQ(FolderEntries(folder_.Path()), std::vector<std::string>{"P_HTRX.ADI"});
  file.Flush();
  const auto afterFailure = std::filesystem::file_size(File());

  // A second failed build writes into the pages the first gave back instead of growing the file.
  EXPECT_EQ(Catch([&] { build(true); }).code, code::kUniqueKeyViolation);
  file.Flush();
  EXPECT_LE(std::filesystem::file_size(File()), afterFailure + 4096);

  build(false);
  EXPECT_EQ(file.EntryCount(tag), 50'000u);
  EXPECT_EQ(Forward(file, tag).size(), 50'000u);
}

TEST_F(BulkBuildTest, BadInputIsRefused) {
  auto file = IndexFile::Create(File(), nullptr, 1);
  const TagId tag = file.AddTag({"NAME", "EMP_NAME", 0, 6, 512});
  {
    auto builder = file.BuildTag(tag);
    EXPECT_EQ(Catch([&] { builder.Add(K("TOOLONG", 7), 1); }).code, code::kBadIndexKey);
    builder.Add(K("TAN", 6), 1);
    builder.Add(K("TAN", 6), 1);
    EXPECT_EQ(Catch([&] { builder.Finish(); }).code, code::kInvalidArgument) << "the same entry twice";
    EXPECT_EQ(Catch([&] { builder.Finish(); }).code, code::kInvalidArgument) << "finished already";
  }
  {
    auto builder = file.BuildTag(tag);
    builder.Add(K("LIM", 6), 2);
    // Dropped without Finish: nothing changes.
  }
  EXPECT_EQ(file.EntryCount(tag), 0u);
  file.Insert(tag, K("TEO", 6), 3);
  EXPECT_EQ(Catch([&] { file.BuildTag(tag); }).code, code::kInvalidArgument) << "the tag is not empty";
}

}  // namespace
}  // namespace ace::index
