// Damaged or mismatched files never give a wrong answer without a word: an index file that is not the table's
// own is rebuilt, a table file cut short or a status byte out of step is reported as damage (5013), and so is a
// memo reference past its file's end.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "ace/core/bytes.h"
#include "ace/core/checksum.h"
#include "calls/sql_fixture.h"

namespace ace::testing {
namespace {

namespace stdfs = std::filesystem;

constexpr int kRows = 12;

class Damage : public SqlTest {
 protected:
  // NAME Char(10) is at payload offset 1 and NOTE's memo reference (block u64, length u32) at 11.
  void MakeTable(const std::string& name, const std::string& prefix) {
    AdsHandle t = Create(name, "NAME,Char,10;NOTE,Memo;");
    ASSERT_NE(t, 0u);
    for (int i = 0; i < kRows; ++i)
      Append(t, {{"NAME", Value::String(prefix + std::to_string(i))}, {"NOTE", Value::String("note " + prefix)}});
    ASSERT_ADS(AdsCreateIndex61(t, "", "NAME", "NAME", "", "", 2, 512, nullptr));
    ASSERT_ADS(AdsCloseTable(t));
  }
  std::uint32_t U32At(const std::string& file, std::size_t offset) {
    const std::string bytes = FileBytes(file);
    return GetU32(reinterpret_cast<const std::uint8_t*>(bytes.data()) + offset);
  }
  std::uint64_t SlotOffset(const std::string& file, std::uint64_t recno) {
    return U32At(file, 12) + (recno - 1) * U32At(file, 24);
  }
  void Write(const std::string& file, std::uint64_t offset, const void* bytes, std::size_t size) {
    std::fstream f(dir.Path() / file, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(offset));
    f.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
  }
  void Put(const std::string& file, const std::string& bytes) {
    std::ofstream(dir.Path() / file, std::ios::binary | std::ios::trunc) << bytes;
  }
  // The names met walking the NAME tag from the top, or the code the walk stopped with.
  std::pair<ResultCode, std::vector<std::string>> WalkNames(const std::string& table, const std::string& password = "") {
    AdsHandle t = Open(table);
    if (!password.empty()) {
      EXPECT_ADS(AdsEnableEncryption(t, password));
    }
    AdsHandle tag = Index(t, "NAME");
    std::vector<std::string> names;
    ResultCode code = AdsGotoTop(tag);
    for (bool eof = false; code == 0 && AdsAtEOF(t, &eof) == 0 && !eof; code = AdsSkip(tag, 1))
      names.push_back(Text(t, "NAME").substr(0, Text(t, "NAME").find(' ')));
    AdsCloseTable(t);
    return {code, names};
  }
  static std::vector<std::string> Names(const std::string& prefix, std::initializer_list<int> except = {}) {
    std::vector<std::string> names;
    for (int i = 0; i < kRows; ++i)
      if (std::find(except.begin(), except.end(), i) == except.end()) names.push_back(prefix + std::to_string(i));
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(Damage, AnIndexFileOfAnotherTableIsRebuiltNotUsed) {
  // Same fields, tag and number of changes: only the identity the two files carry tells them apart.
  MakeTable("A", "A");
  MakeTable("B", "B");
  stdfs::copy_file(dir.Path() / "B.ADI", dir.Path() / "A.ADI", stdfs::copy_options::overwrite_existing);
  EXPECT_EQ(WalkNames("A"), std::make_pair(ResultCode{0}, Names("A")));

  // A table file made before tables carried an identity gets one at its next sole open, and an index to match.
  const std::uint8_t none[8] = {};
  Write("A.ADT", 120, none, sizeof none);
  stdfs::copy_file(dir.Path() / "B.ADI", dir.Path() / "A.ADI", stdfs::copy_options::overwrite_existing);
  EXPECT_EQ(WalkNames("A"), std::make_pair(ResultCode{0}, Names("A")));
  const std::string table = FileBytes("A.ADT"), index = FileBytes("A.ADI");
  EXPECT_NE(table.substr(120, 8), std::string(8, '\0'));
  EXPECT_EQ(index.substr(96, 8), table.substr(120, 8));
  EXPECT_NE(FileBytes("B.ADI").substr(96, 8), table.substr(120, 8));
}

TEST_F(Damage, AnIndexFileOfTheOtherCipherStateIsRebuilt) {
  MakeTable("C", "C");
  const std::string clearIndex = FileBytes("C.ADI");
  AdsHandle t = Open("C", open_mode::kExclusive);
  ASSERT_ADS(AdsEnableEncryption(t, "secret"));
  ASSERT_ADS(AdsEncryptTable(t));
  ASSERT_ADS(AdsCloseTable(t));
  const std::string sealedIndex = FileBytes("C.ADI");
  Put("C.ADI", clearIndex);
  EXPECT_EQ(WalkNames("C", "secret"), std::make_pair(ResultCode{0}, Names("C")));
  EXPECT_EQ(WalkNames("C", "secret"), std::make_pair(ResultCode{0}, Names("C")));  // and it stays usable

  t = Open("C", open_mode::kExclusive);
  ASSERT_ADS(AdsEnableEncryption(t, "secret"));
  ASSERT_ADS(AdsDecryptTable(t));
  ASSERT_ADS(AdsCloseTable(t));
  Put("C.ADI", sealedIndex);
  EXPECT_EQ(WalkNames("C"), std::make_pair(ResultCode{0}, Names("C")));
}

TEST_F(Damage, ATableFileCutShortIsReportedAndKeptAsItIs) {
  MakeTable("T", "T");
  const std::string good = FileBytes("T.ADT");
  const std::uint64_t slot = U32At("T.ADT", 24);
  for (const std::uint64_t cut : {3 * slot, slot + 5, std::uint64_t{7}}) {
    Put("T.ADT", good.substr(0, good.size() - cut));
    AdsHandle t = 0;
    EXPECT_EQ(AdsOpenTable(connection, "T", "", 3, 1, 1, 1, 0, &t), code::kCorruptFile) << cut;
    EXPECT_NE(LastErrorText().find("cut short"), std::string::npos) << LastErrorText();
    EXPECT_EQ(stdfs::file_size(dir.Path() / "T.ADT"), good.size() - cut) << "the open changed the cut file";
  }
  // A crash in the middle of an append leaves the counters marked busy, counting the records before it: its
  // torn record is dropped.
  Put("T.ADT", good.substr(0, good.size() - 7));
  std::uint8_t counters[40];
  std::memcpy(counters, good.data() + 80, sizeof counters);
  PutU64(counters, kRows - 1);
  PutU64(counters + 8, kRows - 1);
  PutU32(counters + 32, GetU32(counters + 32) | 1);
  PutU32(counters + 36, Crc32({counters, 36}));
  Write("T.ADT", 80, counters, sizeof counters);
  EXPECT_EQ(WalkNames("T"), std::make_pair(ResultCode{0}, Names("T", {11})));
}

TEST_F(Damage, AStatusByteOutOfStepIsReportedNotCountedDifferently) {
  MakeTable("S", "S");
  AdsHandle t = Open("S");
  ASSERT_ADS(AdsGotoRecord(t, 4));
  ASSERT_ADS(AdsDeleteRecord(t));  // S3
  ASSERT_ADS(AdsCloseTable(t));
  const std::string good = FileBytes("S.ADT");
  struct Case {
    const char* what;
    std::uint64_t recno;
    char status;
    ResultCode walk;  // the tag walk: 0 when it agrees with the header's count
  };
  const Case cases[] = {
      {"a live record marked deleted", 6, '*', code::kCorruptFile},
      {"a deleted record marked live", 4, ' ', 0},
      {"a status byte garbled", 8, 'X', code::kCorruptFile},
  };
  for (const Case& c : cases) {
    Put("S.ADT", good);
    Write("S.ADT", SlotOffset("S.ADT", c.recno), &c.status, 1);
    t = Open("S");
    EXPECT_EQ(Count(t), std::uint64_t{kRows - 1}) << c.what;
    AdsCloseTable(t);
    EXPECT_EQ(Run("SELECT COUNT(*) AS N FROM S"), code::kCorruptFile) << c.what;
    EXPECT_NE(LastErrorText().find("S.ADT is damaged"), std::string::npos) << LastErrorText();
    const auto walk = WalkNames("S");
    EXPECT_EQ(walk.first, c.walk) << c.what;
    if (c.walk == 0) {
      EXPECT_EQ(walk.second, Names("S", {3})) << c.what;
    }
  }
}

TEST_F(Damage, AMemoReferencePastTheFileIsDamageNotAnIoError) {
  MakeTable("M", "M");
  const std::string good = FileBytes("M.ADT");
  const std::uint64_t pastEnd = stdfs::file_size(dir.Path() / "M.ADM") / 64 + 1;
  for (const std::uint64_t block : {(std::uint64_t{1} << 57) + 1, std::uint64_t{1} << 40, pastEnd}) {
    Put("M.ADT", good);
    std::uint8_t reference[8];
    PutU64(reference, block);
    Write("M.ADT", SlotOffset("M.ADT", 2) + 1 + 11, reference, sizeof reference);
    AdsHandle t = Open("M");
    ASSERT_ADS(AdsGotoRecord(t, 2));
    Value v;
    EXPECT_EQ(AdsGetField(t, "NOTE", &v), code::kCorruptFile) << block;
    EXPECT_NE(LastErrorText().find("memo file"), std::string::npos) << LastErrorText();
    AdsCloseTable(t);
  }
}

}  // namespace
}  // namespace ace::testing
