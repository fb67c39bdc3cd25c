// Encrypted files, damaged files, and files past 4 GiB.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ace/core/cipher.h"
#include "ace/index/format.h"
#include "ace/index/index_file.h"
#include "ace/index/index_test_util.h"
#include "common/temp_folder.h"
#include "platform/file.h"

namespace ace::index {
namespace {

using namespace ace::index::testing;
namespace fmt = ace::index::format;

constexpr std::size_t kPage = fmt::kPageBytes;

std::uint8_t* At(std::string& bytes, std::size_t offset) { return reinterpret_cast<std::uint8_t*>(bytes.data()) + offset; }

// Rewrites a clear page's checksum after a change, as a forger (or a bug) would leave it.
void Reseal(std::string& bytes, std::uint64_t page) {
  std::uint8_t* p = At(bytes, page * kPage);
  PutU32(p + kPage - 4, fmt::PageCrc(page, p, kPage - 4));
}

// Reads every entry of every tag both ways and seeks to every 50th, so that every page of every tree is read;
// then adds a tag, which takes a page from the free list and so reads its first page.
void ReadEverything(const std::filesystem::path& path, const Cipher* cipher) {
  auto file = IndexFile::Open(path, cipher);
  file.AddTag({"NEWTAG", "N", 0, 4, 512});
  for (const TagInfo& info : file.Tags()) {
    const TagId tag = *file.FindTag(info.name);
    const auto entries = Forward(file, tag, 100'000);
    EXPECT_EQ(entries.size(), file.EntryCount(tag));
    EXPECT_EQ(Backward(file, tag, 100'000), entries);
    auto cursor = file.OpenCursor(tag);
    for (std::size_t i = 0; i < entries.size(); i += 50) {
      ASSERT_TRUE(cursor.SeekEntry(entries[i].first, entries[i].second));
    }
  }
}

class DamageTest : public ::testing::Test {
 protected:
  std::filesystem::path File() const { return folder_.Path() / "EMPMISC.ADI"; }

  // Two tags of some thousands of entries (one built in bulk), and when asked a dropped tag's pages on the free
  // list (pages whose old bytes are never read again).
  std::vector<Entry> MakeFile(const Cipher* cipher, bool droppedTag = true) {
    auto file = IndexFile::Create(File(), cipher, 9);
    const TagId names = file.AddTag({"EMPNAME_TAG", "UPPER(EMP_NAME)", 0, 24, 512});
    std::vector<Entry> expected;
    for (std::uint64_t i = 0; i < 3000; ++i) {
      const Key key = K("TAN AH KOW " + Num(i * 17 % 3000, 5), 24);
      file.Insert(names, key, i);
      expected.emplace_back(key, i);
    }
    const TagId codes = file.AddTag({"EMPCODE_TAG", "EMP_CODE", index_option::kUnique, 12, 512});
    auto builder = file.BuildTag(codes, 64 << 10);
    for (std::uint64_t i = 0; i < 20000; ++i) builder.Add(K("S" + Num(i, 7) + "D", 12), i);
    builder.Finish();
    if (droppedTag) {
      const TagId spare = file.AddTag({"SPARE", "X", 0, 100, 512});
      for (std::uint64_t i = 0; i < 200; ++i) file.Insert(spare, K(Num(i, 100), 100), i);
      file.DropTag("SPARE");
    }
    file.MarkClean(10);
    std::sort(expected.begin(), expected.end());
    return expected;
  }

  kv::testing::TempFolder folder_;
};

TEST_F(DamageTest, EncryptedFileHidesKeysAndOpensOnlyWithItsCipher) {
  const Cipher::Salt salt = Cipher::NewSalt();
  const Cipher right = Cipher::Derive("MOLAR3816", salt);
  const Cipher wrong = Cipher::Derive("molar3816", salt);
  const auto expected = MakeFile(&right);

  const std::string bytes = ReadFile(File());
  for (const char* secret : {"TAN AH KOW", "S0001234D", "EMPNAME_TAG", "UPPER(EMP_NAME)"})
    EXPECT_EQ(bytes.find(secret), std::string::npos) << secret;

  {
    auto file = IndexFile::Open(File(), &right);
    EXPECT_TRUE(file.Encrypted());
    EXPECT_EQ(file.Stamp(), 10u);
    EXPECT_TRUE(file.WasClean());
    EXPECT_EQ(Forward(file, *file.FindTag("EMPNAME_TAG")), expected);
    auto cursor = file.OpenCursor(*file.FindTag("EMPCODE_TAG"));
    ASSERT_TRUE(cursor.SeekGE(Raw("S0001234")));
    EXPECT_EQ(cursor.Recno(), 1234u);
  }
  EXPECT_EQ(Catch([&] { IndexFile::Open(File(), &wrong); }).code, code::kWrongPassword);
  EXPECT_EQ(Catch([&] { IndexFile::Open(File(), nullptr); }).code, code::kPasswordRequired);

  const auto clear = folder_.Path() / "CLEAR.ADI";
  IndexFile::Create(clear, nullptr, 1).Close();
  EXPECT_EQ(Catch([&] { IndexFile::Open(clear, &right); }).code, code::kWrongPassword);
}

TEST_F(DamageTest, FilesThatAreNotSoundIndexFilesAreRefusedAtOpen) {
  MakeFile(nullptr);
  const std::string good = ReadFile(File());
  struct Case {
    const char* what;
    std::function<void(std::string&)> damage;
    const char* says;
  };
  const Case cases[] = {
      {"text",
       [](std::string& b) {
         b.clear();
         for (int i = 0; i < 400; ++i) b += "EMP_CODE;EMP_NAME\r\n";
       },
       "is not an index file"},
      {"empty", [](std::string& b) { b.clear(); }, "too short"},
      {"cut inside the header", [](std::string& b) { b.resize(100); }, "too short"},
      {"last page missing", [](std::string& b) { b.resize(b.size() - kPage); }, "truncated"},
      {"cut in half", [](std::string& b) { b.resize(b.size() / 2); }, "truncated"},
      {"another version",
       [](std::string& b) {
         PutU32(At(b, fmt::header::kVersion), 2);
         Reseal(b, 0);
       },
       "format version 2"},
      {"header byte changed", [](std::string& b) { b[fmt::header::kStamp] ^= 1; }, "header fails its checksum"},
  };
  for (const Case& c : cases) {
    std::string bytes = good;
    c.damage(bytes);
    WriteFile(File(), bytes);
    const Caught caught = Catch([&] { IndexFile::Open(File(), nullptr); });
    EXPECT_EQ(caught.code, code::kCorruptFile) << c.what;
    EXPECT_NE(caught.text.find(c.says), std::string::npos) << c.what << ": " << caught.text;
    EXPECT_NE(caught.text.find(File().string()), std::string::npos) << c.what << ": " << caught.text;
  }
  std::filesystem::remove(File());
  EXPECT_EQ(Catch([&] { IndexFile::Open(File(), nullptr); }).code, code::kFileNotFound);
}

class GarbledPageTest : public DamageTest, public ::testing::WithParamInterface<bool> {};

// One changed byte in any page, or a page swapped with another, is reported as damage naming that page.
TEST_P(GarbledPageTest, AnyChangedOrMovedPageIsDetected) {
  const bool encrypted = GetParam();
  const Cipher cipher = Cipher::Derive("PASS", Cipher::NewSalt());
  const Cipher* used = encrypted ? &cipher : nullptr;
  MakeFile(used, false);
  const std::string good = ReadFile(File());
  ReadEverything(File(), used);
  WriteFile(File(), good);
  const std::uint64_t pages = good.size() / kPage;
  ASSERT_GT(pages, 60u);

  for (std::uint64_t page = 1; page < pages; ++page) {
    std::string bytes = good;
    bytes[page * kPage + (page * 977) % kPage] ^= 0x20;
    WriteFile(File(), bytes);
    const Caught caught = Catch([&] { ReadEverything(File(), used); });
    ASSERT_EQ(caught.code, code::kCorruptFile) << "page " << page;
    EXPECT_NE(caught.text.find("page " + std::to_string(page) + " "), std::string::npos) << caught.text;
    EXPECT_NE(caught.text.find(File().string()), std::string::npos) << caught.text;
  }

  // Two leaves of one tag trade places: each is a sound leaf, only its place is wrong.
  std::vector<std::uint64_t> leaves;
  for (std::uint64_t page = 1; page < pages && leaves.size() < 2; ++page) {
    std::vector<std::uint8_t> body(kPage);
    const auto* raw = reinterpret_cast<const std::uint8_t*>(good.data()) + page * kPage;
    if (encrypted)
      ASSERT_TRUE(cipher.Open(raw, kPage, page, body.data()));
    else
      std::copy(raw, raw + kPage, body.begin());
    if (body[fmt::page::kType] == fmt::kLeaf && GetU32(body.data() + fmt::page::kSerial) == 2)
      leaves.push_back(page);
  }
  ASSERT_EQ(leaves.size(), 2u);
  std::string swapped = good;
  std::swap_ranges(swapped.begin() + static_cast<std::ptrdiff_t>(leaves[0] * kPage),
                   swapped.begin() + static_cast<std::ptrdiff_t>((leaves[0] + 1) * kPage),
                   swapped.begin() + static_cast<std::ptrdiff_t>(leaves[1] * kPage));
  WriteFile(File(), swapped);
  const Caught moved = Catch([&] { ReadEverything(File(), used); });
  EXPECT_EQ(moved.code, code::kCorruptFile);
  EXPECT_NE(moved.text.find("page " + std::to_string(leaves[0]) + " "), std::string::npos) << moved.text;
}

INSTANTIATE_TEST_SUITE_P(ClearAndEncrypted, GarbledPageTest, ::testing::Bool());

// Nonsense under a valid checksum (a bug, or a deliberate change): every count and page number read from disk
// is checked before it is used, so these give kCorruptFile too, never a crash or an endless scan.
TEST_F(DamageTest, NonsenseUnderAValidChecksumIsRefused) {
  MakeFile(nullptr);
  const std::string good = ReadFile(File());
  const std::uint64_t pages = good.size() / kPage;
  auto firstPage = [&](std::uint8_t type) {
    for (std::uint64_t p = 1; p < pages; ++p)
      if (static_cast<std::uint8_t>(good[p * kPage]) == type) return p;
    ADD_FAILURE() << "no page of type " << int{type};
    return std::uint64_t{1};
  };
  namespace pg = fmt::page;
  namespace h = fmt::header;
  struct Case {
    const char* what;
    std::uint8_t type;  // page type to change, 0 for the header
    std::size_t offset;
    std::uint64_t value;
    int width;  // bytes
  };
  const std::uint64_t aDirectoryPage = firstPage(fmt::kDirectory);
  constexpr std::uint64_t kOwnPage = ~std::uint64_t{0};
  const Case cases[] = {
      {"leaf count", fmt::kLeaf, pg::kCount, 0xFFFFFFFF, 4},
      {"leaf next beyond the file", fmt::kLeaf, pg::kLink1, 1ull << 50, 8},
      {"leaf next to itself", fmt::kLeaf, pg::kLink1, kOwnPage, 8},
      {"inner count zero", fmt::kInner, pg::kCount, 0, 4},
      {"inner child 0 to page 0", fmt::kInner, pg::kLink1, 0, 8},
      {"inner child 0 to a directory page", fmt::kInner, pg::kLink1, aDirectoryPage, 8},
      {"inner level", fmt::kInner, pg::kLevel, 7, 2},
      {"directory byte count", fmt::kDirectory, pg::kCount, 0xFFFFFF, 4},
      {"free-list count", fmt::kFreeTrunk, pg::kCount, 0xFFFFFFFF, 4},
      {"free-list page number", fmt::kFreeTrunk, pg::kItems, 1ull << 40, 8},
      {"tag count", 0, h::kTagCount, 51, 4},
      {"tag root", 0, h::kSlots + 8, 1ull << 40, 8},
      {"tag height", 0, h::kSlots + 4, 0, 2},
      {"free list head", 0, h::kFreeHead, 1ull << 40, 8},
      {"directory length", 0, h::kDirBytes, 1u << 30, 4},
      {"page count", 0, h::kPageCount, 0, 8},
  };
  for (const Case& c : cases) {
    std::string bytes = good;
    const std::uint64_t page = c.type == 0 ? 0 : firstPage(c.type);
    std::uint8_t* field = At(bytes, page * kPage + c.offset);
    const std::uint64_t value = c.value == kOwnPage ? page : c.value;
    for (int i = 0; i < c.width; ++i) field[i] = static_cast<std::uint8_t>(value >> (8 * i));
    Reseal(bytes, page);
    WriteFile(File(), bytes);
    const Caught caught = Catch([&] {
      ReadEverything(File(), nullptr);
      auto file = IndexFile::Open(File(), nullptr);  // changes read the free list
      const TagId tag = *file.FindTag("EMPNAME_TAG");
      for (std::uint64_t i = 0; i < 3000; ++i) file.Insert(tag, K("LIM " + Num(i, 5), 24), i);
    });
    EXPECT_EQ(caught.code, code::kCorruptFile) << c.what << ": " << caught.text;
  }
}

// Pages past the 4 GiB mark: the file is made to look as if it held 5 GiB of pages already (a sparse file), so
// every new page lands beyond it.
TEST(IndexFileLarge, PagesPastFourGiBRoundTrip) {
  kv::testing::TempFolder folder;
  const auto path = folder.Path() / "BIG.ADI";
  IndexFile::Create(path, nullptr, 1).Close();
  const std::uint64_t pages = (std::uint64_t{5} << 30) / kPage;
  {
    std::string header = ReadFile(path);
    PutU64(At(header, fmt::header::kPageCount), pages);
    Reseal(header, 0);
    auto raw = kv::fs::File::Open(path, kv::fs::File::Mode::ReadWrite);
    raw.WriteAt(0, header.data(), kPage);
    raw.Truncate(pages * kPage);
  }
  Model model;
  {
    auto file = IndexFile::Open(path, nullptr);
    const TagId tag = file.AddTag({"BIG", "B", 0, 32, 512});
    for (std::uint64_t i = 0; i < 3000; ++i) {
      const Key key = K(Num(i * 7 % 3000, 32), 32);
      file.Insert(tag, key, i);
      model.emplace(key, i);
    }
    file.MarkClean(2);
  }
  EXPECT_GT(std::filesystem::file_size(path), (std::uint64_t{5} << 30) + 10 * kPage);
  auto file = IndexFile::Open(path, nullptr);
  const TagId tag = *file.FindTag("BIG");
  EXPECT_EQ(Forward(file, tag), Sorted(model));
  EXPECT_EQ(Backward(file, tag), Sorted(model));
}

}  // namespace
}  // namespace ace::index
