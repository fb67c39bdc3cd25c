// Sealed records of an encrypted table are bound to their slot and to their status byte: moving a record, hiding
// it by its status byte or bringing a deleted one back is reported as damage, never answered as if it were so.

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "ace/core/bytes.h"
#include "ace/core/cipher.h"
#include "ace/storage/slot_seal.h"
#include "ace/storage/table_format.h"
#include "ace/storage/table_header.h"
#include "calls/engine_fixture.h"

namespace ace::testing {
namespace {

namespace fmt = ace::storage::table_format;
constexpr char kPassword[] = "MOLAR3816";

class RecordBinding : public EngineTest {
 public:
  // PAY holds 1000, 2000, 3000 in records 1, 2, 3; record 4 (4000) is deleted.
  void MakeTable() {
    AdsHandle t = Create("PAY", "EMP,Char,10;AMT,Integer;");
    ASSERT_ADS(AdsCreateIndex61(t, "", "EMP", "EMP", "", "", 2, 512, nullptr));
    ASSERT_ADS(AdsEnableEncryption(t, kPassword));
    ASSERT_ADS(AdsEncryptTable(t));
    for (int i = 1; i <= 4; ++i) Append(t, {{"EMP", Value::String("E" + std::to_string(i))}, {"AMT", Value::Integer(i * 1000)}});
    ASSERT_ADS(AdsGotoBottom(t));
    ASSERT_ADS(AdsDeleteRecord(t));
    ASSERT_ADS(AdsCloseTable(t));
    std::string bytes = FileBytes("PAY.ADT");
    headerSize = GetU32(reinterpret_cast<const std::uint8_t*>(bytes.data()) + fmt::header::kHeaderSize);
    slotSize = GetU32(reinterpret_cast<const std::uint8_t*>(bytes.data()) + fmt::header::kSlotSize);
  }
  std::uint64_t SlotAt(std::uint64_t recno) const { return headerSize + (recno - 1) * slotSize; }
  std::string ReadBytes(std::uint64_t offset, std::size_t size) const { return FileBytes("PAY.ADT").substr(offset, size); }
  void WriteBytes(std::uint64_t offset, const std::string& bytes) {
    std::fstream f(dir.Path() / "PAY.ADT", std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(offset));
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  AdsHandle OpenWithPassword() {
    AdsHandle t = Open("PAY");
    EXPECT_ADS(AdsEnableEncryption(t, kPassword));
    return t;
  }
  // Walks the table in record order (or through tag EMP) and returns the first failure, 0 when none.
  ResultCode Walk(AdsHandle handle, AdsHandle table, std::vector<std::int64_t>& amounts) {
    if (ResultCode rc = AdsGotoTop(handle)) return rc;
    for (bool eof = false; AdsAtEOF(table, &eof) == 0 && !eof;) {
      Value v;
      if (ResultCode rc = AdsGetField(table, "AMT", &v)) return rc;
      amounts.push_back(v.AsInteger());
      if (ResultCode rc = AdsSkip(handle, 1)) return rc;
    }
    return 0;
  }

  std::uint32_t headerSize = 0;
  std::uint32_t slotSize = 0;
};

TEST_F(RecordBinding, IntactTableReadsAllLiveRecordsInBothOrders) {
  MakeTable();
  AdsHandle t = OpenWithPassword();
  std::vector<std::int64_t> natural, byEmp;
  ASSERT_ADS(Walk(t, t, natural));
  ASSERT_ADS(Walk(Index(t, "EMP"), t, byEmp));
  EXPECT_EQ(natural, (std::vector<std::int64_t>{1000, 2000, 3000}));
  EXPECT_EQ(byEmp, natural);
}

TEST_F(RecordBinding, TamperedSlotsAreReportedAsDamage) {
  struct Case {
    const char* what;
    std::function<void(RecordBinding&)> tamper;
    bool tagReachesIt;  // a walk through the tag meets the tampered slot (the index never held a deleted record)
  };
  const std::vector<Case> cases = {
      {"two records swapped",
       [](RecordBinding& f) {
         const std::string one = f.ReadBytes(f.SlotAt(1), f.slotSize), two = f.ReadBytes(f.SlotAt(2), f.slotSize);
         f.WriteBytes(f.SlotAt(1), two);
         f.WriteBytes(f.SlotAt(2), one);
       },
       true},
      {"a live record hidden by its status byte", [](RecordBinding& f) { f.WriteBytes(f.SlotAt(2), "*"); }, true},
      {"a deleted record brought back by its status byte", [](RecordBinding& f) { f.WriteBytes(f.SlotAt(4), " "); },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MakeTable();
    c.tamper(*this);
    for (bool throughTag : {false, true}) {
      AdsHandle t = OpenWithPassword();
      std::vector<std::int64_t> amounts;
      const ResultCode rc = Walk(throughTag ? Index(t, "EMP") : t, t, amounts);
      if (throughTag && !c.tagReachesIt) {
        EXPECT_EQ(rc, 0u);
        EXPECT_EQ(amounts, (std::vector<std::int64_t>{1000, 2000, 3000}));
      } else {
        EXPECT_EQ(rc, code::kCorruptFile) << (throughTag ? "through the tag" : "in record order") << ", read "
                                          << amounts.size() << " records";
      }
      ASSERT_ADS(AdsCloseTable(t));
    }
    ASSERT_ADS(AdsDisconnect(connection));
    std::filesystem::remove_all(dir.Path());
    std::filesystem::create_directories(dir.Path());
    ASSERT_ADS(AdsConnect60(dir.Path().string(), 3, "", "", 0, &connection));
  }
}

// Tables sealed before the status byte was bound open as they are, and their next rewrite binds it.
TEST_F(RecordBinding, TableOfTheEarlierLayoutOpensAndTakesTheNewOneWhenPacked) {
  MakeTable();
  // Turn the file into one of the earlier layout: a key derived with the whole salt, records sealed with the
  // record number only, no flags but "encrypted", the earlier check value. Its index (sealed with the other key)
  // goes: the table then has no tags.
  const std::string headBytes = ReadBytes(0, headerSize);
  bool countersValid = false;
  storage::TableHeader h = storage::TableHeader::Decode(
      std::vector<std::uint8_t>(headBytes.begin(), headBytes.end()), dir.Path() / "PAY.ADT", countersValid);
  ASSERT_TRUE(h.statusBound);
  ASSERT_TRUE(h.splitSalt);
  const Cipher current = storage::TableCipher(kPassword, h);
  const Cipher cipher = Cipher::Derive(kPassword, h.salt);
  for (std::uint64_t r = 1; r <= h.counters.slots; ++r) {
    std::string slot = ReadBytes(SlotAt(r), slotSize);
    std::vector<std::uint8_t> payload(h.payloadSize);
    ASSERT_TRUE(storage::OpenSlot(current, true, r, reinterpret_cast<const std::uint8_t*>(slot.data()), h.payloadSize,
                                  payload.data()));
    storage::SealSlot(cipher, false, r, static_cast<std::uint8_t>(slot[0]), payload.data(), payload.size(),
                      reinterpret_cast<std::uint8_t*>(slot.data()) + 1);
    WriteBytes(SlotAt(r), slot);
  }
  h.statusBound = false;
  h.splitSalt = false;
  h.tags.clear();
  h.check = storage::TableKeyCheck(cipher, false);
  const std::vector<std::uint8_t> legacy = h.Encode();
  WriteBytes(0, std::string(legacy.begin(), legacy.end()));
  std::filesystem::remove(dir.Path() / "PAY.ADI");

  AdsHandle t = OpenWithPassword();
  std::vector<std::int64_t> amounts;
  ASSERT_ADS(Walk(t, t, amounts));
  EXPECT_EQ(amounts, (std::vector<std::int64_t>{1000, 2000, 3000}));
  ASSERT_ADS(AdsGotoTop(t));
  ASSERT_ADS(AdsDeleteRecord(t));
  ASSERT_ADS(AdsCloseTable(t));
  EXPECT_EQ(static_cast<std::uint8_t>(ReadBytes(fmt::header::kFlags, 1)[0]), fmt::header::kFlagEncrypted);

  t = Open("PAY", open_mode::kExclusive);
  ASSERT_ADS(AdsEnableEncryption(t, kPassword));
  ASSERT_ADS(AdsPackTable(t));
  ASSERT_ADS(AdsCloseTable(t));
  EXPECT_EQ(static_cast<std::uint8_t>(ReadBytes(fmt::header::kFlags, 1)[0]),
            fmt::header::kFlagEncrypted | fmt::header::kFlagStatusBound);  // the key stays: the salt is not split
  t = OpenWithPassword();
  amounts.clear();
  ASSERT_ADS(Walk(t, t, amounts));
  EXPECT_EQ(amounts, (std::vector<std::int64_t>{2000, 3000}));
  ASSERT_ADS(AdsCloseTable(t));

  // Clearing the mark again, to pass the table off as one of the earlier layout, does not go unnoticed.
  const std::string packedHead = ReadBytes(0, headerSize);
  storage::TableHeader packed = storage::TableHeader::Decode(
      std::vector<std::uint8_t>(packedHead.begin(), packedHead.end()), dir.Path() / "PAY.ADT", countersValid);
  packed.statusBound = false;
  const std::vector<std::uint8_t> downgraded = packed.Encode();
  WriteBytes(0, std::string(downgraded.begin(), downgraded.end()));
  t = Open("PAY");
  EXPECT_EQ(AdsEnableEncryption(t, kPassword), code::kCorruptFile) << LastErrorText();
  EXPECT_EQ(AdsEnableEncryption(t, "wrong"), code::kWrongPassword);
}

// Tables encrypted with one password share the work of deriving its key, not the key: a record copied from one
// into the same place of another (same layout) does not open there.
TEST_F(RecordBinding, TablesOfOnePasswordHaveKeysOfTheirOwn) {
  for (const char* name : {"A", "B"}) {
    AdsHandle t = Create(name, "AMT,Integer;");
    ASSERT_ADS(AdsEnableEncryption(t, kPassword));
    ASSERT_ADS(AdsEncryptTable(t));
    Append(t, {{"AMT", Value::Integer(name[0] == 'A' ? 111 : 222)}});
    ASSERT_ADS(AdsCloseTable(t));
  }
  const std::string a = FileBytes("A.ADT"), b = FileBytes("B.ADT");
  ASSERT_EQ(a.size(), b.size());
  const std::size_t header = GetU32(reinterpret_cast<const std::uint8_t*>(a.data()) + fmt::header::kHeaderSize);
  EXPECT_EQ(a.substr(fmt::header::kSalt, 8), b.substr(fmt::header::kSalt, 8));  // the shared half
  EXPECT_NE(a.substr(fmt::header::kCheck, 16), b.substr(fmt::header::kCheck, 16));
  std::ofstream(dir.Path() / "B.ADT", std::ios::binary) << b.substr(0, header) + a.substr(header);
  AdsHandle t = Open("B");
  ASSERT_ADS(AdsEnableEncryption(t, kPassword));
  Value v;
  EXPECT_EQ(AdsGetField(t, "AMT", &v), code::kCorruptFile);
}

}  // namespace
}  // namespace ace::testing
