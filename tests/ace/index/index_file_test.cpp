#include "ace/index/index_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "ace/index/index_test_util.h"
#include "common/temp_folder.h"
#include "support/strings.h"

namespace ace::index {
namespace {

using namespace ace::index::testing;
using namespace std::literals;

class IndexFileTest : public ::testing::Test {
 protected:
  std::filesystem::path File() const { return folder_.Path() / "EMPLOYEE.ADI"; }
  kv::testing::TempFolder folder_;
};

TEST_F(IndexFileTest, TagsEntriesStampAndCleanFlagSurviveReopening) {
  const std::vector<TagInfo> infos = {
      {"EMPCODE", "EMP_CODE", index_option::kUnique, 12, 512},
      {"PeriodEmp", "PPERIOD;EMPCODE", index_option::kCompound, 20, 1024},
      {"NameDesc", "UPPER(EMP_NAME)", index_option::kDescending, 40, 2048},
  };
  std::mt19937_64 random(7);
  std::vector<Model> models(infos.size());
  {
    auto file = IndexFile::Create(File(), nullptr, 77);
    EXPECT_TRUE(file.WasClean());
    EXPECT_EQ(file.Stamp(), 77u);
    for (std::size_t t = 0; t < infos.size(); ++t) {
      const TagId id = file.AddTag(infos[t]);
      for (std::uint64_t i = 0; i < 3000; ++i) {
        const std::uint64_t value = t == 0 ? i : random() % 500;  // the unique tag gets distinct keys
        const Key key = K("K" + Num(value, 7), infos[t].keyLength);
        const std::uint64_t recno = random() % 1'000'000;
        if (models[t].emplace(key, recno).second) file.Insert(id, key, recno);
      }
    }
    EXPECT_FALSE(file.WasClean());
    file.MarkClean(78);
  }
  {
    auto file = IndexFile::Open(File(), nullptr);
    EXPECT_EQ(file.Tags(), infos);
    EXPECT_TRUE(file.WasClean());
    EXPECT_EQ(file.Stamp(), 78u);
    for (std::size_t t = 0; t < infos.size(); ++t) {
      const auto id = file.FindTag(kv::LowerCase(infos[t].name));
      ASSERT_TRUE(id.has_value());
      EXPECT_EQ(file.Info(*id), infos[t]);
      EXPECT_EQ(file.EntryCount(*id), models[t].size());
      EXPECT_EQ(Forward(file, *id), Sorted(models[t]));
    }
    // A change after a clean open clears the flag on disk at once; without MarkClean it stays cleared.
    file.Insert(*file.FindTag("EMPCODE"), K("LATE", 12), 5);
    file.Flush();
  }
  auto file = IndexFile::Open(File(), nullptr);
  EXPECT_FALSE(file.WasClean());
  EXPECT_EQ(file.Stamp(), 78u);
  auto cursor = file.OpenCursor(*file.FindTag("empcode"));
  ASSERT_TRUE(cursor.SeekEntry(K("LATE", 12), 0));
  EXPECT_EQ(cursor.Recno(), 5u);
}

TEST_F(IndexFileTest, FiftyTagsLiveSideBySideAndNamesAreChecked) {
  std::vector<TagId> ids;
  {
    auto file = IndexFile::Create(File(), nullptr, 1);
    for (std::size_t t = 0; t < kMaxTags; ++t) {
      const std::string name = "TAG" + Num(t, 2) + std::string(t == 49 ? 120 : 0, 'X');  // one 125-character name
      ids.push_back(file.AddTag({name, "F" + std::to_string(t), 0, static_cast<std::uint16_t>(1 + t), 512}));
      for (std::uint64_t r = 0; r < 40; ++r) file.Insert(ids.back(), K(Num(r * 7 % 40, 2), 1 + t), t * 1000 + r);
    }
    EXPECT_EQ(Catch([&] { file.AddTag({"ONEMORE", "", 0, 4, 512}); }).code, code::kInvalidArgument);
    file.MarkClean(2);
  }
  auto file = IndexFile::Open(File(), nullptr);
  ASSERT_EQ(file.Tags().size(), kMaxTags);
  for (std::size_t t = 0; t < kMaxTags; ++t) {
    const auto got = Forward(file, ids[t]);
    ASSERT_EQ(got.size(), 40u) << t;
    for (std::size_t r = 0; r < got.size(); ++r) {
      EXPECT_EQ(got[r].first, K(Num(r, 2), 1 + t)) << t;
      EXPECT_EQ(got[r].second / 1000, t);
    }
  }

  // Names match without regard to case; a taken name is kIndexExists, a missing one kIndexNotFound.
  file.DropTag("tag07");
  EXPECT_FALSE(file.FindTag("TAG07"));
  EXPECT_EQ(Catch([&] { file.EntryCount(ids[7]); }).code, code::kIndexNotFound);
  EXPECT_EQ(Catch([&] { file.DropTag("TAG07"); }).code, code::kIndexNotFound);
  const Caught taken = Catch([&] { file.AddTag({"tag08", "", 0, 4, 512}); });
  EXPECT_EQ(taken.code, code::kIndexExists);
  EXPECT_NE(taken.text.find("tag08"), std::string::npos);
  const TagId fresh = file.AddTag({"Tag07", "NEW", 0, 4, 512});
  EXPECT_EQ(std::count(ids.begin(), ids.end(), fresh), 0) << "a dropped tag's id is not given again";
  EXPECT_EQ(file.Tags().back().name, "Tag07");

  struct Bad {
    TagInfo info;
    ResultCode code;
  };
  const Bad bad[] = {
      {{"", "", 0, 4, 512}, code::kInvalidArgument},
      {{std::string(129, 'N'), "", 0, 4, 512}, code::kInvalidArgument},
      {{"LONGEXPR", std::string(kMaxExpressionLength + 1, 'E'), 0, 4, 512}, code::kInvalidArgument},
      {{"NOKEY", "", 0, 0, 512}, code::kBadIndexKey},
      {{"WIDEKEY", "", 0, 1025, 512}, code::kBadIndexKey},
  };
  file.DropTag("TAG00");
  for (const Bad& b : bad) EXPECT_EQ(Catch([&] { file.AddTag(b.info); }).code, b.code) << b.info.name;
  EXPECT_EQ(Catch([&] { file.Insert(ids[1], K("A", 3), 1); }).code, code::kBadIndexKey);
}

TEST_F(IndexFileTest, EntriesFollowUnsignedByteOrderThenRecordNumber) {
  auto file = IndexFile::Create(File(), nullptr, 1);
  const TagId tag = file.AddTag({"RAW", "RAWKEY", 0, 3, 512});
  const std::vector<Entry> given = {
      {Raw("\x80\x00\x00"sv), 1}, {Raw("\x00\xFF\xFF"sv), 3}, {Raw("ABC"sv), 9},
      {Raw("ABC"sv), 2},          {Raw("ABC"sv), 1ull << 40}, {Raw("AB\x00"sv), 7},
      {Raw("\xFF\x00\x00"sv), 0}, {Raw("ABC"sv), 0},
  };
  for (const auto& [key, recno] : given) file.Insert(tag, key, recno);
  const std::vector<Entry> expected = {
      {Raw("\x00\xFF\xFF"sv), 3}, {Raw("AB\x00"sv), 7}, {Raw("ABC"sv), 0},
      {Raw("ABC"sv), 2},          {Raw("ABC"sv), 9},    {Raw("ABC"sv), 1ull << 40},
      {Raw("\x80\x00\x00"sv), 1}, {Raw("\xFF\x00\x00"sv), 0},
  };
  EXPECT_EQ(Forward(file, tag), expected);
  EXPECT_EQ(Backward(file, tag), expected);
}

TEST_F(IndexFileTest, PrefixSeeksFindTheFirstAndLastMatchingEntries) {
  auto file = IndexFile::Create(File(), nullptr, 1);
  const TagId tag = file.AddTag({"PERIOD", "PPERIOD;EMPCODE", index_option::kCompound, 6, 512});
  for (const auto& [key, recno] : std::vector<std::pair<std::string, std::uint64_t>>{
           {"AA0001", 1}, {"AA0002", 2}, {"AB0001", 4}, {"AB0001", 3}, {"AC9999", 5}, {"B00000", 6}})
    file.Insert(tag, K(key, 6), recno);

  struct Case {
    std::string prefix;
    std::string geKey;  // "" = nothing found
    std::uint64_t geRecno;
    std::string leKey;
    std::uint64_t leRecno;
  };
  const Case cases[] = {
      {"", "AA0001", 1, "B00000", 6},     {"A", "AA0001", 1, "AC9999", 5},  {"AB", "AB0001", 3, "AB0001", 4},
      {"AA5", "AB0001", 3, "AA0002", 2},  {"AB0001", "AB0001", 3, "AB0001", 4},
      {"0", "AA0001", 1, "", 0},          {"Z", "", 0, "B00000", 6},       {"AD", "B00000", 6, "AC9999", 5},
  };
  auto cursor = file.OpenCursor(tag);
  for (const Case& c : cases) {
    const Key prefix = Raw(c.prefix);
    ASSERT_EQ(cursor.SeekGE(prefix), !c.geKey.empty()) << c.prefix;
    if (!c.geKey.empty()) {
      EXPECT_EQ(Text(cursor.Key()), c.geKey) << c.prefix;
      EXPECT_EQ(cursor.Recno(), c.geRecno) << c.prefix;
    }
    ASSERT_EQ(cursor.SeekLE(prefix), !c.leKey.empty()) << c.prefix;
    if (!c.leKey.empty()) {
      EXPECT_EQ(Text(cursor.Key()), c.leKey) << c.prefix;
      EXPECT_EQ(cursor.Recno(), c.leRecno) << c.prefix;
    }
  }
  ASSERT_TRUE(cursor.SeekEntry(K("AB0001", 6), 4));
  EXPECT_EQ(cursor.Recno(), 4u);
  ASSERT_TRUE(cursor.SeekEntry(K("AB0001", 6), 5));
  EXPECT_EQ(Text(cursor.Key()), "AC9999");
  EXPECT_EQ(Catch([&] { cursor.SeekGE(K("AB00011", 7)); }).code, code::kBadIndexKey);
  EXPECT_EQ(Catch([&] { cursor.SeekEntry(K("AB", 2), 1); }).code, code::kBadIndexKey);
}

// Against a sorted copy, over a tree of many pages: seeks whose answer lies at a page edge or on the next page.
TEST_F(IndexFileTest, PrefixSeeksAgreeWithASortedCopyAcrossPages) {
  auto file = IndexFile::Create(File(), nullptr, 1);
  const TagId tag = file.AddTag({"CODE", "CODE", 0, 5, 512});
  std::mt19937_64 random(11);
  Model model;
  auto randomText = [&](std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) text += static_cast<char>('A' + random() % 6);
    return text;
  };
  while (model.size() < 20000) {
    const Key key = K(randomText(5), 5);
    const std::uint64_t recno = random() % 50;
    if (model.emplace(key, recno).second) file.Insert(tag, key, recno);
  }
  const std::vector<Entry> sorted = Sorted(model);
  auto cursor = file.OpenCursor(tag);
  for (int i = 0; i < 3000; ++i) {
    const Key prefix = Raw(randomText(random() % 6));
    // Keys cut to the prefix length are in order too, so the answers are partition points of the copy.
    auto cut = [&](const Entry& e) { return Key(e.first.begin(), e.first.begin() + prefix.size()); };
    const auto ge = std::partition_point(sorted.begin(), sorted.end(), [&](const Entry& e) { return cut(e) < prefix; });
    ASSERT_EQ(cursor.SeekGE(prefix), ge != sorted.end());
    if (ge != sorted.end()) {
      ASSERT_EQ(Entry(Key(cursor.Key().begin(), cursor.Key().end()), cursor.Recno()), *ge);
    }
    const auto above = std::partition_point(sorted.begin(), sorted.end(), [&](const Entry& e) { return cut(e) <= prefix; });
    ASSERT_EQ(cursor.SeekLE(prefix), above != sorted.begin());
    if (above != sorted.begin()) {
      ASSERT_EQ(Entry(Key(cursor.Key().begin(), cursor.Key().end()), cursor.Recno()), *std::prev(above));
    }
  }
}

class CursorWalkTest : public IndexFileTest, public ::testing::WithParamInterface<std::uint16_t> {};

TEST_P(CursorWalkTest, NextAndPrevCrossPageBoundariesBothWays) {
  const std::uint16_t keyLength = GetParam();
  auto file = IndexFile::Create(File(), nullptr, 1);
  const TagId tag = file.AddTag({"T", "T", 0, keyLength, 512});
  const std::uint64_t n = keyLength > 100 ? 400 : 6000;  // 400 keys of 1 KiB fill over a hundred leaves
  Model model;
  std::mt19937_64 random(3);
  std::vector<std::uint64_t> order(n);
  for (std::uint64_t i = 0; i < n; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), random);
  for (const std::uint64_t i : order) {
    const Key key = K(Num(i / 2, 6), keyLength);  // pairs of equal keys
    file.Insert(tag, key, i);
    model.emplace(key, i);
  }
  const std::vector<Entry> sorted = Sorted(model);
  EXPECT_EQ(Forward(file, tag), sorted);
  EXPECT_EQ(Backward(file, tag), sorted);

  // Zigzag: one step forward and back again lands on the same entry, at every position.
  auto cursor = file.OpenCursor(tag);
  ASSERT_TRUE(cursor.First());
  EXPECT_FALSE(IndexFile::Cursor(cursor).Prev());
  for (std::size_t i = 0; i + 1 < sorted.size(); ++i) {
    ASSERT_TRUE(cursor.Next());
    ASSERT_EQ(cursor.Recno(), sorted[i + 1].second);
    ASSERT_TRUE(cursor.Prev());
    ASSERT_EQ(cursor.Recno(), sorted[i].second);
    ASSERT_TRUE(cursor.Next());
  }
  EXPECT_FALSE(cursor.Next());
  EXPECT_FALSE(cursor.Valid());
  EXPECT_FALSE(cursor.Prev()) << "past the end the cursor must be positioned again";
  EXPECT_EQ(Catch([&] { cursor.Key(); }).code, code::kNoCurrentRecord);
}

INSTANTIATE_TEST_SUITE_P(KeyLengths, CursorWalkTest, ::testing::Values(4, 1024));

TEST_F(IndexFileTest, CursorKeepsItsPlaceThroughChangesAroundIt) {
  auto file = IndexFile::Create(File(), nullptr, 1);
  const TagId tag = file.AddTag({"NO", "EMPNO", 0, 5, 512});
  for (std::uint64_t i = 0; i < 1000; ++i) file.Insert(tag, K(Num(i, 5), 5), 1);
  auto cursor = file.OpenCursor(tag);
  auto other = file.OpenCursor(tag);
  ASSERT_TRUE(cursor.SeekEntry(K("00500", 5), 1));
  ASSERT_TRUE(other.SeekGE(K("00700", 5)));

  file.Insert(tag, K("00500", 5), 2);  // right behind the cursor
  ASSERT_TRUE(cursor.Next());
  EXPECT_EQ(Text(cursor.Key()), "00500");
  EXPECT_EQ(cursor.Recno(), 2u);
  ASSERT_TRUE(cursor.Prev());
  EXPECT_EQ(cursor.Recno(), 1u);

  // The entry under the cursor goes: the cursor still shows it, and steps on from where it was.
  ASSERT_TRUE(file.Erase(tag, K("00500", 5), 1));
  EXPECT_EQ(Text(cursor.Key()), "00500");
  EXPECT_EQ(cursor.Recno(), 1u);
  ASSERT_TRUE(cursor.Next());
  EXPECT_EQ(cursor.Recno(), 2u);

  // Many erases before it (leaves merge) and many inserts (leaves split): the steps are still the right ones.
  for (std::uint64_t i = 400; i < 500; ++i) ASSERT_TRUE(file.Erase(tag, K(Num(i, 5), 5), 1));
  ASSERT_TRUE(cursor.Prev());
  EXPECT_EQ(Text(cursor.Key()), "00399");
  for (std::uint64_t r = 10; r < 1010; ++r) file.Insert(tag, K("00399", 5), r);
  ASSERT_TRUE(cursor.Next());
  EXPECT_EQ(Text(cursor.Key()), "00399");
  EXPECT_EQ(cursor.Recno(), 10u);
  ASSERT_TRUE(other.Prev());
  EXPECT_EQ(Text(other.Key()), "00699");

  // After another process's change the cursor re-finds its place too.
  file.Flush();
  file.InvalidateCache();
  ASSERT_TRUE(other.Next());
  EXPECT_EQ(Text(other.Key()), "00700");

  file.ClearTag(tag);
  EXPECT_EQ(file.EntryCount(tag), 0u);
  EXPECT_FALSE(cursor.Next());
  EXPECT_FALSE(other.First());
}

// Two handles on one file stand for two processes taking turns under the table's lock.
TEST_F(IndexFileTest, ChangesThroughAnotherHandleShowAfterInvalidateCache) {
  auto first = IndexFile::Create(File(), nullptr, 1);
  const TagId tag = first.AddTag({"NO", "EMPNO", 0, 8, 512});
  for (std::uint64_t i = 0; i < 100; ++i) first.Insert(tag, K(Num(i * 2, 8), 8), i);
  first.Flush();

  auto second = IndexFile::Open(File(), nullptr);
  auto cursor = second.OpenCursor(tag);
  ASSERT_TRUE(cursor.First());
  for (std::uint64_t i = 0; i < 5000; ++i) first.Insert(tag, K(Num(i * 2 + 1, 8), 8), 1000 + i);  // splits
  const TagId other = first.AddTag({"OTHER", "X", index_option::kUnique, 4, 512});
  first.Insert(other, K("ONE", 4), 1);
  first.Flush();

  second.InvalidateCache();
  EXPECT_EQ(second.Tags(), first.Tags());
  EXPECT_EQ(second.EntryCount(tag), 5100u);
  EXPECT_EQ(Forward(second, tag), Forward(first, tag));
  ASSERT_TRUE(cursor.Next());
  EXPECT_EQ(Text(cursor.Key()), Num(1, 8));
  EXPECT_EQ(Catch([&] { second.Insert(other, K("ONE", 4), 2); }).code, code::kUniqueKeyViolation);

  second.Insert(other, K("TWO", 4), 2);
  second.Flush();
  first.InvalidateCache();
  EXPECT_EQ(Forward(first, other), (std::vector<Entry>{{K("ONE", 4), 1}, {K("TWO", 4), 2}}));
}

TEST_F(IndexFileTest, UniqueTagsRefuseASecondEqualKey) {
  auto file = IndexFile::Create(File(), nullptr, 1);
  const TagId unique = file.AddTag({"EMPCODE", "EMP_CODE", index_option::kUnique, 10, 512});
  const TagId plain = file.AddTag({"NAME", "EMP_NAME", 0, 10, 512});
  for (std::uint64_t i = 0; i < 2000; ++i) file.Insert(unique, K("S" + Num(i * 3, 7), 10), i);

  const Caught caught = Catch([&] { file.Insert(unique, K("S0000300", 10), 4711); });
  EXPECT_EQ(caught.code, code::kUniqueKeyViolation);
  EXPECT_NE(caught.text.find("EMPCODE"), std::string::npos) << caught.text;
  EXPECT_NE(caught.text.find("'S0000300'"), std::string::npos) << caught.text;
  EXPECT_NE(caught.text.find("record 100"), std::string::npos) << caught.text;
  // Every key refused, wherever in its leaf it sits, with a lower or a higher record number.
  for (std::uint64_t i = 0; i < 2000; ++i) {
    ASSERT_EQ(Catch([&] { file.Insert(unique, K("S" + Num(i * 3, 7), 10), i + 1); }).code,
              code::kUniqueKeyViolation);
    if (i > 0) {
      ASSERT_EQ(Catch([&] { file.Insert(unique, K("S" + Num(i * 3, 7), 10), 0); }).code,
                code::kUniqueKeyViolation);
    }
  }
  EXPECT_EQ(file.EntryCount(unique), 2000u);
  file.Insert(unique, K("S0000301", 10), 9);  // a neighbouring key is fine

  const Key odd = Raw("AB\x01'\\     "sv);  // shown with its unprintable bytes spelled out, trailing blanks cut
  file.Insert(unique, odd, 1);
  const Caught oddCaught = Catch([&] { file.Insert(unique, odd, 2); });
  EXPECT_NE(oddCaught.text.find("'AB\\x01\\x27\\x5C'"), std::string::npos) << oddCaught.text;

  file.Insert(plain, K("TAN", 10), 1);
  file.Insert(plain, K("TAN", 10), 2);
  EXPECT_EQ(file.EntryCount(plain), 2u);
  EXPECT_EQ(Catch([&] { file.Insert(plain, K("TAN", 10), 2); }).code, code::kInvalidArgument)
      << "the same entry twice";
}

TEST_F(IndexFileTest, ErasingAMissingEntryChangesNothing) {
  auto file = IndexFile::Create(File(), nullptr, 1);
  const TagId tag = file.AddTag({"NAME", "EMP_NAME", 0, 8, 512});
  EXPECT_FALSE(file.Erase(tag, K("TAN", 8), 1));
  file.Insert(tag, K("TAN", 8), 1);
  file.Insert(tag, K("LIM", 8), 2);
  file.MarkClean(3);
  EXPECT_FALSE(file.Erase(tag, K("TAN", 8), 2)) << "key there, other record";
  EXPECT_FALSE(file.Erase(tag, K("TEO", 8), 1));
  EXPECT_TRUE(file.WasClean()) << "nothing erased, nothing changed";
  EXPECT_TRUE(file.Erase(tag, K("TAN", 8), 1));
  EXPECT_FALSE(file.Erase(tag, K("TAN", 8), 1));
  EXPECT_EQ(file.EntryCount(tag), 1u);
  EXPECT_EQ(Forward(file, tag), (std::vector<Entry>{{K("LIM", 8), 2}}));
}

TEST_F(IndexFileTest, DroppedAndClearedTagsGiveTheirPagesBack) {
  auto fill = [](IndexFile& file, TagId tag) {
    for (std::uint64_t i = 0; i < 20000; ++i) file.Insert(tag, K(Num(i * 7919 % 20000, 16), 16), i);
  };
  auto file = IndexFile::Create(File(), nullptr, 1);
  fill(file, file.AddTag({"FIRST", "A", 0, 16, 512}));
  file.Flush();
  const auto full = std::filesystem::file_size(File());
  EXPECT_GT(full, 100u * 4096);

  file.DropTag("FIRST");
  const TagId second = file.AddTag({"SECOND", "B", 0, 16, 512});
  fill(file, second);
  file.Flush();
  EXPECT_LE(std::filesystem::file_size(File()), full + 2 * 4096);

  file.ClearTag(second);
  EXPECT_FALSE(file.OpenCursor(second).First());
  fill(file, second);
  file.MarkClean(2);
  EXPECT_LE(std::filesystem::file_size(File()), full + 2 * 4096);

  auto again = IndexFile::Open(File(), nullptr);
  const auto entries = Forward(again, second);
  ASSERT_EQ(entries.size(), 20000u);
  EXPECT_EQ(entries.front().first, K(Num(0, 16), 16));
  EXPECT_EQ(entries.back().first, K(Num(19999, 16), 16));
}

TEST_F(IndexFileTest, KeysAddedInOrderFillTheirPages) {
  auto file = IndexFile::Create(File(), nullptr, 1);
  const TagId tag = file.AddTag({"SEQ", "RECNO", 0, 16, 512});
  for (std::uint64_t i = 0; i < 20000; ++i) file.Insert(tag, K(Num(i, 16), 16), i);
  file.Flush();
  // 20000 entries of 24 bytes, 169 to a full page: 119 leaves. Half-full pages would take twice that.
  EXPECT_LE(std::filesystem::file_size(File()), (119 + 5) * 4096u);
  EXPECT_EQ(Forward(file, tag).size(), 20000u);
}

// Random inserts and erases against an ordered set, with a cache far smaller than the file so pages are
// written and read back all the time; key length 1 gives long runs of equal keys.
class RandomChangesTest : public IndexFileTest, public ::testing::WithParamInterface<std::uint16_t> {};

TEST_P(RandomChangesTest, TreeMatchesAnOrderedSet) {
  const std::uint16_t keyLength = GetParam();
  const std::size_t smallCache = 64 << 10;
  const int steps = keyLength > 100 ? 3000 : 12000;
  std::mt19937_64 random(keyLength);
  Model model;
  auto makeKey = [&] {
    Key key(keyLength, 0);
    const std::uint64_t v = random() % 3000;
    for (std::size_t i = 0; i < keyLength && i < 8; ++i) key[i] = static_cast<std::uint8_t>(v >> (8 * (7 - i)));
    if (keyLength == 1) key[0] = static_cast<std::uint8_t>(v % 7);
    return key;
  };
  auto file = IndexFile::Create(File(), nullptr, 1, smallCache);
  const TagId tag = file.AddTag({"T", "T", 0, keyLength, 512});
  for (int step = 0; step < steps; ++step) {
    // Grow for the first half, then shrink, so merges happen as much as splits.
    const bool grow = step < steps / 2 ? random() % 10 < 7 : random() % 10 < 3;
    if (grow || model.empty()) {
      const Key key = makeKey();
      const std::uint64_t recno = random() % 100;
      if (model.emplace(key, recno).second)
        file.Insert(tag, key, recno);
      else
        ASSERT_EQ(Catch([&] { file.Insert(tag, key, recno); }).code, code::kInvalidArgument);
    } else {
      auto it = model.begin();
      std::advance(it, static_cast<std::ptrdiff_t>(random() % model.size()));
      ASSERT_TRUE(file.Erase(tag, it->first, it->second));
      ASSERT_FALSE(file.Erase(tag, it->first, it->second + 1000));
      model.erase(it);
    }
    if (step % 1500 == 0) {
      ASSERT_EQ(Forward(file, tag), Sorted(model)) << "step " << step;
      ASSERT_EQ(file.EntryCount(tag), model.size());
    }
  }
  file.Sync();
  file = IndexFile::Open(File(), nullptr, IndexFile::Access::ReadWrite, smallCache);
  EXPECT_EQ(Forward(file, tag), Sorted(model));
  EXPECT_EQ(Backward(file, tag), Sorted(model));
  for (const auto& [key, recno] : model) ASSERT_TRUE(file.Erase(tag, key, recno));
  EXPECT_EQ(file.EntryCount(tag), 0u);
  EXPECT_FALSE(file.OpenCursor(tag).Last());
}

INSTANTIATE_TEST_SUITE_P(KeyLengths, RandomChangesTest, ::testing::Values(1, 9, 200, 1024));

TEST_F(IndexFileTest, ReadOnlyOpenRefusesChanges) {
  {
    auto file = IndexFile::Create(File(), nullptr, 5);
    file.Insert(file.AddTag({"T", "T", 0, 4, 512}), K("ABCD", 4), 1);
    file.MarkClean(6);
  }
  auto file = IndexFile::Open(File(), nullptr, IndexFile::Access::ReadOnly);
  const TagId tag = *file.FindTag("T");
  EXPECT_EQ(Forward(file, tag), (std::vector<Entry>{{K("ABCD", 4), 1}}));
  EXPECT_EQ(Catch([&] { file.Insert(tag, K("EFGH", 4), 2); }).code, code::kReadOnly);
  EXPECT_EQ(Catch([&] { file.MarkDirty(); }).code, code::kReadOnly);
  EXPECT_EQ(Catch([&] { file.BuildTag(tag); }).code, code::kReadOnly);
  EXPECT_TRUE(file.WasClean());
}

}  // namespace
}  // namespace ace::index
