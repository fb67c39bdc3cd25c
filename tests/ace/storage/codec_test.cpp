#include <gtest/gtest.h>

#include "ace/core/error.h"
#include "ace/storage/record_codec.h"

namespace ace::storage {
namespace {

// Stores value in a one-field record of the given field and reads it back; the error code when it is refused.
struct Stored {
  ResultCode code = 0;
  Value value;
};

Stored Store(FieldSpec spec, const Value& value) {
  TableHeader header = TableHeader::ForFields({spec});
  std::vector<std::uint8_t> payload(header.payloadSize, 0);
  try {
    WriteScalar(header.fields[0], payload.data(), value);
  } catch (const AceError& e) {
    return {e.Code(), {}};
  }
  return {0, ReadScalar(header.fields[0], payload.data())};
}

TEST(RecordCodec, ConversionsKeepTheValueOrRefuseIt) {
  const FieldSpec char3{"A", FieldType::Char, 3, 0};
  const FieldSpec money{"M", FieldType::CurDouble, 0, 2};
  const FieldSpec day{"D", FieldType::Date, 0, 0};
  const FieldSpec whole{"N", FieldType::Integer, 0, 0};
  struct Case { const char* what; FieldSpec field; Value in; ResultCode code; Value out; };
  const Case cases[] = {
      {"text is cut to the field", char3, Value::String("ABCDEFG"), 0, Value::String("ABC")},
      {"a number that fits", char3, Value::Integer(123), 0, Value::String("123")},
      {"a number cut would be another number", char3, Value::Integer(12345), code::kValueOutOfRange, {}},
      {"a fraction cut likewise", char3, Value::Double(1.23456), code::kValueOutOfRange, {}},
      {"empty text is a value, not NULL", char3, Value::String(""), 0, Value::String("")},
      {"plain decimal text", money, Value::String(" -12.50 "), 0, Value::Double(-12.5)},
      {"no exponents", money, Value::String("1e3"), code::kTypeMismatch, {}},
      {"no nan", money, Value::String("nan"), code::kTypeMismatch, {}},
      {"no inf", money, Value::String("inf"), code::kTypeMismatch, {}},
      {"four-digit years", day, Value::String("12/31/1999"), 0, Value::Date(kv::Date::FromYmd(1999, 12, 31))},
      {"ISO dates", day, Value::String("2026-02-28"), 0, Value::Date(kv::Date::FromYmd(2026, 2, 28))},
      {"two-digit years are not guessed", day, Value::String("12/31/99"), code::kTypeMismatch, {}},
      {"short ISO years likewise", day, Value::String("99-12-31"), code::kTypeMismatch, {}},
      {"no 30 February", day, Value::String("2026-02-30"), code::kTypeMismatch, {}},
      {"integers from text", whole, Value::String("42"), 0, Value::Integer(42)},
      {"out of range", whole, Value::Integer(1LL << 40), code::kValueOutOfRange, {}},
      {"no hexadecimal", whole, Value::String("0x10"), code::kTypeMismatch, {}},
      {"no thousands separators", money, Value::String("1,000"), code::kTypeMismatch, {}},
      {"blank text in a number field is empty", whole, Value::String(""), 0, Value::Null()},
      {"likewise a short integer", FieldSpec{"S", FieldType::ShortInt, 0, 0}, Value::String("   "), 0, Value::Null()},
      {"likewise a double", FieldSpec{"F", FieldType::Double, 0, 2}, Value::String(""), 0, Value::Null()},
      {"likewise money", money, Value::String(" "), 0, Value::Null()},
      {"likewise a time", FieldSpec{"T", FieldType::Time, 0, 0}, Value::String(""), 0, Value::Null()},
      {"likewise a timestamp", FieldSpec{"TS", FieldType::TimeStamp, 0, 0}, Value::String(""), 0, Value::Null()},
      {"likewise a date", day, Value::String(""), 0, Value::Null()},
      {"likewise a logical", FieldSpec{"L", FieldType::Logical, 0, 0}, Value::String(""), 0, Value::Null()},
      {"blank bytes are bytes", FieldSpec{"R", FieldType::Raw, 2, 0}, Value::String(""), 0, Value::Blob({0, 0})},
  };
  for (const Case& c : cases) {
    const Stored s = Store(c.field, c.in);
    EXPECT_EQ(s.code, c.code) << c.what;
    if (c.code == 0) {
      EXPECT_EQ(s.value, c.out) << c.what;
    }
  }
}

}  // namespace
}  // namespace ace::storage
