// A memo file read with references a damaged table record may hold: each is refused as damage, naming the block,
// and a claimed length is checked against the file before anything is reserved for it.

#include "ace/storage/memo_file.h"

#include <gtest/gtest.h>

#include <string>

#include "ace/core/error.h"
#include "common/temp_folder.h"

namespace ace::storage {
namespace {

TEST(MemoFile, ReferencesADamagedRecordMayHoldAreRefused) {
  kv::testing::TempFolder folder;
  const auto path = folder.Path() / "T.ADM";
  MemoRef good;
  {
    MemoFile memo = MemoFile::Create(path, 7);
    good = memo.Write("a memo value");
    memo.Sync();
  }
  const MemoFile memo = MemoFile::Open(path, 7, false);
  ASSERT_EQ(memo.Read(good), "a memo value");

  struct Case {
    const char* what;
    MemoRef ref;
    const char* message;
  };
  const Case cases[] = {
      {"a block inside the header", {1, 4}, "value at block 1 is missing"},
      {"a block past the end", {good.block + 1000, 4}, "is missing"},
      {"a length other than the value's", {good.block, good.length + 1}, "has the wrong length"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      memo.Read(c.ref);
      ADD_FAILURE() << "read";
    } catch (const AceError& e) {
      EXPECT_EQ(e.Code(), code::kCorruptFile);
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

TEST(MemoFile, AValueClaimingMoreThanTheFileHoldsIsTruncatedDamage) {
  // The value's head and the record agree on almost 1 GiB, but the file ends after a few blocks.
  kv::testing::TempFolder folder;
  const auto path = folder.Path() / "T.ADM";
  MemoRef ref;
  {
    MemoFile memo = MemoFile::Create(path, 7);
    ref = memo.Write("short");
  }
  const std::uint32_t claimed = MemoFile::kMaxValue - 1;
  {
    kv::fs::File file = kv::fs::File::Open(path, kv::fs::File::Mode::ReadWrite);
    file.WriteAt(ref.block * MemoFile::kBlockSize, &claimed, sizeof claimed);  // little-endian, as the format is
  }
  const MemoFile memo = MemoFile::Open(path, 7, false);
  try {
    memo.Read({ref.block, claimed});
    FAIL() << "read";
  } catch (const AceError& e) {
    EXPECT_EQ(e.Code(), code::kCorruptFile);
    EXPECT_NE(std::string(e.what()).find("is truncated"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace ace::storage
