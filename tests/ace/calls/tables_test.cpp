#include <gtest/gtest.h>

#include <fstream>

#include "ace/ace_files.h"
#include "calls/engine_fixture.h"

namespace ace::testing {
namespace {

constexpr const char* kEveryType =
    "NAME,Char,10;SHORT,ShortInt;NUM,Integer;FLAG,Logical;RATE,Double,4;PAY,CurDouble,6;BORN,Date;"
    "START,Time;STAMP,TimeStamp;TAG,Raw,4;PHOTO,Binary;ID,AutoInc;NOTE,Memo;PIC,Image;";

class Tables : public EngineTest {};

TEST_F(Tables, EveryFieldTypeRoundTripsThroughReopen) {
  AdsHandle t = Create("ALLTYPES", kEveryType);
  const kv::Date born = kv::Date::FromYmd(1980, 2, 29);
  const kv::DateTime stamp(kv::Date::FromYmd(2026, 12, 10), 14, 5, 9, 250);
  Append(t, {{"NAME", Value::String("TAN AH KOW")}, {"SHORT", Value::Integer(-12)}, {"NUM", Value::Integer(2147483647)},
             {"FLAG", Value::Boolean(true)}, {"RATE", Value::Double(0.205)}, {"PAY", Value::Double(4500.75)},
             {"BORN", Value::Date(born)}, {"START", Value::Time({9 * 3600000 + 30 * 60000})},
             {"STAMP", Value::TimeStamp(stamp)}, {"TAG", Value::Blob({1, 2, 3, 4})},
             {"PHOTO", Value::Blob(ByteVector(100000, 0xAB))}, {"NOTE", Value::String(std::string(3000, 'n'))},
             {"PIC", Value::Blob({9, 8, 7})}});
  Append(t, {{"NAME", Value::String("second")}});
  ASSERT_ADS(AdsCloseTable(t));

  t = Open("alltypes");  // the name matches without regard to case, and ".ADT" is added
  std::uint64_t count = 0;
  ASSERT_ADS(AdsGetRecordCount(t, &count));
  EXPECT_EQ(count, 2u);
  ASSERT_ADS(AdsGotoTop(t));
  EXPECT_EQ(Get(t, "name"), Value::String("TAN AH KOW"));
  EXPECT_EQ(Get(t, "SHORT"), Value::Integer(-12));
  EXPECT_EQ(Get(t, "NUM"), Value::Integer(2147483647));
  EXPECT_EQ(Get(t, "FLAG"), Value::Boolean(true));
  EXPECT_EQ(Get(t, "RATE"), Value::Double(0.205));
  EXPECT_EQ(Get(t, "PAY"), Value::Double(4500.75));
  EXPECT_EQ(Get(t, "BORN"), Value::Date(born));
  EXPECT_EQ(Get(t, "START"), Value::Time({9 * 3600000 + 30 * 60000}));
  EXPECT_EQ(Get(t, "STAMP"), Value::TimeStamp(stamp));
  EXPECT_EQ(Get(t, "TAG"), Value::Blob({1, 2, 3, 4}));
  EXPECT_EQ(Get(t, "PHOTO"), Value::Blob(ByteVector(100000, 0xAB)));
  EXPECT_EQ(Get(t, "ID"), Value::Integer(1));
  EXPECT_EQ(Get(t, "NOTE"), Value::String(std::string(3000, 'n')));
  EXPECT_EQ(Get(t, "PIC"), Value::Blob({9, 8, 7}));
  ASSERT_ADS(AdsSkip(t, 1));
  EXPECT_EQ(Get(t, "ID"), Value::Integer(2));
  for (const char* field : {"SHORT", "NUM", "FLAG", "RATE", "PAY", "BORN", "START", "STAMP", "PHOTO", "NOTE", "PIC"}) {
    bool empty = false;
    ASSERT_ADS(AdsIsEmpty(t, field, &empty));
    EXPECT_TRUE(empty) << field;
  }
  // Reported sizes and types: Char k is k + 1, CurDouble 8; type 4 is a character field.
  std::uint32_t length = 0;
  ASSERT_ADS(AdsGetFieldLength(t, "NAME", &length));
  EXPECT_EQ(length, 11u);
  ASSERT_ADS(AdsGetFieldLength(t, "PAY", &length));
  EXPECT_EQ(length, 8u);
  std::uint16_t type = 0;
  ASSERT_ADS(AdsGetFieldType(t, "name", &type));
  EXPECT_EQ(type, 4);
  EXPECT_EQ(AdsGetFieldType(t, "NOPE", &type), code::kFieldNotFound);
  ASSERT_ADS(AdsCloseTable(t));
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / "ALLTYPES.ADM"));
}

TEST_F(Tables, FieldDefinitionStringsKeepOddNamesAndRefuseBadOnes) {
  AdsHandle t = Create("ODD", "  LINE,Char,6;PCT%,Double,2;A.B,Integer;WITH BLANK,Char,3;");
  std::string name;
  ASSERT_ADS(AdsGetFieldName(t, 1, &name));
  EXPECT_EQ(name, "  LINE");
  ASSERT_ADS(AdsGetFieldName(t, 2, &name));
  EXPECT_EQ(name, "PCT%");
  Append(t, {{"A.B", Value::Integer(7)}, {"WITH BLANK", Value::String("xyzzy")}});
  EXPECT_EQ(Get(t, "WITH BLANK"), Value::String("xyz"));  // cut to the field's length
  ASSERT_ADS(AdsCloseTable(t));

  struct Case { const char* fields; const char* says; };
  const Case cases[] = {{"A,Char;", "length"},      {"A,Num,6,0;", "not a field type"}, {"A,Char,5;a,Integer;", "twice"},
                        {"", "no field"},           {"A;", "name and a type"},         {"A,Integer,4;", "no length"}};
  for (const Case& c : cases) {
    AdsHandle bad = 0;
    EXPECT_EQ(AdsCreateTable(connection, "BAD", "", 3, 1, 1, 1, 0, c.fields, &bad), code::kBadFieldDefinition) << c.fields;
    EXPECT_NE(LastErrorText().find(c.says), std::string::npos) << LastErrorText();
  }
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "BAD.ADT"));
}

TEST_F(Tables, CreateRefusesAnExistingTableAndOtherTypes) {
  ASSERT_ADS(AdsCloseTable(Create("T", "A,Char,2;")));
  AdsHandle t = 0;
  EXPECT_EQ(AdsCreateTable(connection, "t", "", 3, 1, 1, 1, 0, "B,Integer;", &t), code::kFileExists);
  EXPECT_EQ(AdsCreateTable(connection, "U", "", 2, 1, 1, 1, 0, "B,Integer;", &t), code::kInvalidArgument);
  EXPECT_EQ(AdsOpenTable(connection, "MISSING", "", 3, 1, 1, 1, 0, &t), code::kFileNotFound);
}

TEST_F(Tables, PackRemovesDeletedRecordsAndKeepsAutoIncrement) {
  AdsHandle t = Create("EMP", "ID,AutoInc;NAME,Char,10;NOTE,Memo;");
  ASSERT_ADS(AdsCreateIndex61(t, "", "BYNAME", "NAME", "", "", 2, 512, nullptr));
  for (const char* name : {"A", "B", "C", "D"}) Append(t, {{"NAME", Value::String(name)}, {"NOTE", Value::String(std::string("memo of ") + name)}});
  ASSERT_ADS(AdsGotoTop(t));
  ASSERT_ADS(AdsSkip(t, 3));
  ASSERT_ADS(AdsDeleteRecord(t));  // D, the highest number
  ASSERT_ADS(AdsGotoTop(t));
  ASSERT_ADS(AdsDeleteRecord(t));  // A
  std::uint64_t count = 0;
  ASSERT_ADS(AdsGetRecordCount(t, &count));
  EXPECT_EQ(count, 2u);
  ASSERT_ADS(AdsPackTable(t));
  ASSERT_ADS(AdsCloseTable(t));

  t = Open("EMP");
  EXPECT_EQ(Column(t, t, "NAME"), (std::vector<std::string>{"B", "C"}));
  ASSERT_ADS(AdsGotoTop(t));
  EXPECT_EQ(Text(t, "NOTE"), "memo of B");
  Append(t, {{"NAME", Value::String("E")}});
  EXPECT_EQ(Get(t, "ID"), Value::Integer(5));  // not 3: numbers given once are never given again
  EXPECT_EQ(Column(Index(t, "BYNAME"), t, "NAME"), (std::vector<std::string>{"B", "C", "E"}));
  ASSERT_ADS(AdsZapTable(t));
  ASSERT_ADS(AdsGetRecordCount(t, &count));
  EXPECT_EQ(count, 0u);
  Append(t, {{"NAME", Value::String("F")}});
  EXPECT_EQ(Get(t, "ID"), Value::Integer(6));
  ASSERT_ADS(AdsDeleteTable(t));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "EMP.ADT"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "EMP.ADM"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "EMP.ADI"));
}

TEST_F(Tables, EditingLocksTheRecordAgainstOtherHandles) {
  ASSERT_ADS(AdsCloseTable(Create("T", "A,Char,5;")));
  AdsHandle a = Open("T");
  AdsHandle b = Open("T");
  Append(a, {{"A", Value::String("one")}});
  ASSERT_ADS(AdsGotoTop(b));
  EXPECT_EQ(Text(b, "A"), "one");  // the other handle sees the new record
  ASSERT_ADS(AdsLockRecord(a, 0));
  EXPECT_EQ(AdsLockRecord(b, 0), code::kRecordLocked);
  EXPECT_EQ(AdsSetField(b, "A", Value::String("two")), code::kRecordLocked);
  ASSERT_ADS(AdsSetField(a, "A", Value::String("three")));
  ASSERT_ADS(AdsWriteRecord(a));
  ASSERT_ADS(AdsUnlockRecord(a, 0));
  ASSERT_ADS(AdsLockRecord(b, 0));
  EXPECT_EQ(Text(b, "A"), "three");
  AdsCloseTable(a);
  AdsCloseTable(b);
}

TEST_F(Tables, ALockAskedForDuringAnEditOutlivesTheWrite) {
  ASSERT_ADS(AdsCloseTable(Create("T", "A,Char,5;")));
  AdsHandle a = Open("T");
  AdsHandle b = Open("T");
  Append(a, {{"A", Value::String("one")}});
  ASSERT_ADS(AdsGotoTop(b));
  ASSERT_ADS(AdsSetField(a, "A", Value::String("two")));  // locks the record for this edit
  ASSERT_ADS(AdsLockRecord(a, 0));
  ASSERT_ADS(AdsWriteRecord(a));
  EXPECT_EQ(AdsLockRecord(b, 0), code::kRecordLocked);
  ASSERT_ADS(AdsUnlockRecord(a, 0));
  ASSERT_ADS(AdsLockRecord(b, 0));
  EXPECT_EQ(Text(b, "A"), "two");
  AdsCloseTable(a);
  AdsCloseTable(b);
}

// A hold on a table's file (a restore swapping a company folder) is refused while a user has the table open, and
// keeps every user out while it lasts, without reading the table.
TEST_F(Tables, AFileHoldAndAnOpenKeepEachOtherOut) {
  ASSERT_ADS(AdsCloseTable(Create("T", "A,Char,5;")));
  const auto file = dir.Path() / "T.ADT";
  std::string why;
  {
    AdsHandle t = Open("T");
    TableFileHold hold;
    EXPECT_EQ(hold.Take(file, why), code::kTableInUse);
    EXPECT_EQ(why, "the table is open in another program");
    ASSERT_ADS(AdsCloseTable(t));
  }
  {
    TableFileHold hold;
    ASSERT_EQ(hold.Take(file, why), code::kSuccess);
    AdsHandle t = 0;
    EXPECT_EQ(AdsOpenTable(connection, "T", "", 3, 1, 1, 1, open_mode::kShared, &t), code::kTableInUse);
  }
  AdsHandle t = Open("T");  // the hold went with its object
  ASSERT_ADS(AdsCloseTable(t));
  TableFileHold missing;
  EXPECT_EQ(missing.Take(dir.Path() / "NONE.ADT", why), code::kFileNotFound);
}

TEST_F(Tables, DisconnectClosesTheTablesOfTheConnection) {
  AdsHandle t = Create("T", "A,Char,5;");
  ASSERT_ADS(AdsDisconnect(connection));
  std::uint16_t type = 0;
  EXPECT_EQ(AdsGetHandleType(t, &type), code::kInvalidHandle);
  ASSERT_ADS(AdsConnect60(dir.Path().string(), 3, "", "", 0, &connection));
  AdsHandle again = Open("T", open_mode::kExclusive);  // nothing holds the table any more
  EXPECT_NE(again, 0u);
  ASSERT_ADS(AdsGetHandleType(connection, &type));
  EXPECT_EQ(type, handle_type::kConnection);
}

}  // namespace
}  // namespace ace::testing
