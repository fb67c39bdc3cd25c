// Field objects: the engine data size, blank text in fields that hold no text, and numbers read from text.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace kv::engine::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;
using FT = TFieldType;

class Fields : public FreeTables {
 protected:
  void SetUp() override {
    FreeTables::SetUp();
    table.SetAdsConnection(&connection);
  }
  TAdsTable table;
};

TEST_F(Fields, DataSizeIsTheEnginesForEveryType) {
  MakeTable("ALLTYPES", [](TFieldDefs& f) {
    f.Add("NAME", FT::ftString, 40);
    f.Add("SHORT", FT::ftSmallint);
    f.Add("WHOLE", FT::ftInteger);
    f.Add("RATE", FT::ftFloat);
    f.Add("PAY", FT::ftCurrency);
    f.Add("DAY", FT::ftDate);
    f.Add("CLOCK", FT::ftTime);
    f.Add("STAMP", FT::ftDateTime);
    f.Add("PAID", FT::ftBoolean);
    f.Add("KEY", FT::ftBytes, 16);
    f.Add("ID", FT::ftAutoInc);
    f.Add("NOTE", FT::ftMemo);
    f.Add("DOC", FT::ftBlob);
    f.Add("PHOTO", FT::ftGraphic);
  });
  table.SetTableName("ALLTYPES");
  table.Open();
  struct Size { const char* field; int dataSize; int size; };
  const Size sizes[] = {
      {"NAME", 41, 40}, {"SHORT", 2, 0}, {"WHOLE", 4, 0}, {"RATE", 8, 0}, {"PAY", 8, 0},
      {"DAY", 4, 0},    {"CLOCK", 4, 0}, {"STAMP", 8, 0}, {"PAID", 1, 0}, {"KEY", 16, 16},
      {"ID", 4, 0},     {"NOTE", 12, 0}, {"DOC", 12, 0},  {"PHOTO", 12, 0},
  };
  for (const Size& s : sizes) {
    EXPECT_EQ(table.FieldByName(s.field).DataSize(), s.dataSize) << s.field;
    EXPECT_EQ(table.FieldByName(s.field).Size(), s.size) << s.field;
  }
  // The column upgrade's money test: a CurDouble column has data size 8 and so counts as length 7.
  EXPECT_EQ(table.FieldByName("PAY").DataSize() - 1, 7);
}

TEST_F(Fields, BlankTextEmptiesEveryFieldThatHoldsNoText) {
  MakeTable("FW_LEVY", [](TFieldDefs& f) {
    f.Add("CODE", FT::ftString, 6);
    f.Add("SHORT", FT::ftSmallint);
    f.Add("WHOLE", FT::ftInteger);
    f.Add("RATE", FT::ftFloat);
    f.Add("LEVY", FT::ftCurrency);
    f.Add("DAY", FT::ftDate);
    f.Add("CLOCK", FT::ftTime);
    f.Add("STAMP", FT::ftDateTime);
    f.Add("PAID", FT::ftBoolean);
  });
  const char* const numbersAndDates[] = {"SHORT", "WHOLE", "RATE", "LEVY", "DAY", "CLOCK", "STAMP", "PAID"};
  table.SetTableName("FW_LEVY");
  table.Open();

  // A new record whose amounts come as empty texts is posted, not refused.
  table.Append();
  table.FieldByName("CODE").SetAsString("");
  for (const char* f : numbersAndDates) table.FieldByName(f).SetAsString("");
  table.Post();
  EXPECT_EQ(table.RecordCount(), 1u);
  for (const char* f : numbersAndDates) EXPECT_TRUE(table.FieldByName(f).IsNull()) << f;

  // Values that were there are emptied by blank text, and read empty at once.
  table.Edit();
  const std::pair<const char*, const char*> values[] = {
      {"CODE", "R1"},         {"SHORT", "7"},       {"WHOLE", "2013"},
      {"RATE", "0.17"},       {"LEVY", "265.00"},   {"DAY", "2013-07-01"},
      {"CLOCK", "08:30:00"},  {"STAMP", "2013-07-01"}, {"PAID", "T"},
  };
  for (const auto& [f, text] : values) table.FieldByName(f).SetAsString(text);
  table.Post();
  for (const char* f : numbersAndDates) ASSERT_FALSE(table.FieldByName(f).IsNull()) << f;
  table.Edit();
  table.FieldByName("CODE").SetAsString("");
  for (const char* f : numbersAndDates) {
    table.FieldByName(f).SetAsString(" ");
    EXPECT_TRUE(table.FieldByName(f).IsNull()) << f << " before Post";
  }
  EXPECT_EQ(table.FieldByName("LEVY").AsCurrency(), kv::Currency());
  EXPECT_EQ(table.FieldByName("DAY").AsDateTime(), kv::DateTime());
  const auto trace = Traced([&] { table.Post(); });
  EXPECT_THAT(CallsOf(trace, "AdsSetField"), ElementsAre(::testing::HasSubstr("\"CODE\"")));
  EXPECT_EQ(CallsOf(trace, "AdsSetEmpty").size(), std::size(numbersAndDates));

  TAdsTable other;
  other.SetAdsConnection(&connection);
  other.SetTableName("FW_LEVY");
  other.Open();
  for (const char* f : numbersAndDates) {
    EXPECT_TRUE(other.FieldByName(f).IsNull()) << f;
    EXPECT_EQ(other.FieldByName(f).AsString(), "") << f;
  }
  EXPECT_FALSE(other.FieldByName("CODE").IsNull());  // blank text is a character field's value
  EXPECT_EQ(other.FieldByName("CODE").AsString(), "");
}

TEST_F(Fields, CharacterFieldsReadAsNumbersByTheEnginesRule) {
  MakeTable("RTABLE", [](TFieldDefs& f) { f.Add("WIDTH", FT::ftString, 40); });
  table.SetTableName("RTABLE");
  table.Open();
  table.Append();
  table.FieldByName("WIDTH").SetAsString("0");
  table.Post();
  const auto store = [&](const std::string& text) {
    table.Edit();
    table.FieldByName("WIDTH").SetAsString(text);
    table.Post();
  };
  const TField& width = table.FieldByName("WIDTH");
  const auto floatError = [&] { return MessageOf<EADSDatabaseError>([&] { width.AsFloat(); }); };
  const auto integerError = [&] { return MessageOf<EADSDatabaseError>([&] { width.AsInteger(); }); };

  struct Number { const char* text; double asFloat; std::int64_t asInteger; };
  const Number numbers[] = {
      {"  20", 20, 20},
      {"-12.50", -12.5, -13},  // AsInteger rounds, halves away from zero
      {"+7.", 7, 7},
      {"", 0, 0},  // blank text reads as 0, as an empty field does
      {"9223372036854775807", 9223372036854775807.0, 9223372036854775807LL},  // exact, not through a double
  };
  for (const Number& n : numbers) {
    store(n.text);
    EXPECT_EQ(width.AsFloat(), n.asFloat) << "'" << n.text << "'";
    EXPECT_EQ(width.AsInteger(), n.asInteger) << "'" << n.text << "'";
  }
  for (const char* text : {"1e3", "inf", "nan", "0x10", "1,000", "abc"}) {
    store(text);
    EXPECT_EQ(floatError(), std::string("'") + text + "' is not a valid floating point value for field WIDTH");
    EXPECT_EQ(integerError(), std::string("'") + text + "' is not a valid integer value for field WIDTH");
  }
  // A long digit string is a number, but past 64 bits no integer.
  store("123456789012345678901234567890");
  EXPECT_EQ(width.AsFloat(), 123456789012345678901234567890.0);
  EXPECT_EQ(integerError(), "'123456789012345678901234567890' is not a valid integer value for field WIDTH");
}

}  // namespace
}  // namespace kv::engine::testing
