#include "ace/storage/record_codec.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "ace/core/error.h"
#include "ace/core/number_text.h"
#include "ace/core/bytes.h"
#include "ace/core/checksum.h"
#include "support/strings.h"

namespace ace::storage {

namespace {

[[noreturn]] void Mismatch(const FieldDescriptor& f, const Value& v) {
  static constexpr const char* kKinds[] = {"empty",    "logical", "integer",   "double", "currency",
                                           "date",     "time",    "timestamp", "text",   "binary"};
  Fail(code::kTypeMismatch, std::string("a ") + kKinds[static_cast<int>(v.GetKind())] + " value cannot be stored in " +
                                std::string(FieldTypeWord(f.type)) + " field '" + f.name + "'");
}

[[noreturn]] void OutOfRange(const FieldDescriptor& f, const std::string& shown) {
  Fail(code::kValueOutOfRange, "value " + shown + " does not fit " + std::string(FieldTypeWord(f.type)) + " field '" +
                                   f.name + "'");
}

bool NumberOf(const Value& v, double& out) {
  switch (v.GetKind()) {
    case Value::Kind::Integer: out = static_cast<double>(v.AsInteger()); return true;
    case Value::Kind::Double: out = v.AsDouble(); return true;
    case Value::Kind::Currency: out = v.AsCurrency().ToDouble(); return true;
    case Value::Kind::Boolean: out = v.AsBoolean() ? 1 : 0; return true;
    case Value::Kind::String: {
      const std::optional<double> number = NumberFromText(v.AsString());
      if (number) out = *number;
      return number.has_value();
    }
    default: return false;
  }
}

std::int64_t WholeNumber(const FieldDescriptor& f, const Value& v, std::int64_t low, std::int64_t high) {
  if (v.GetKind() == Value::Kind::Integer) {
    if (v.AsInteger() < low || v.AsInteger() > high) OutOfRange(f, std::to_string(v.AsInteger()));
    return v.AsInteger();
  }
  double d = 0;
  if (!NumberOf(v, d)) Mismatch(f, v);
  if (!std::isfinite(d)) OutOfRange(f, ValueToText(v));
  const double r = std::trunc(d);  // the fraction is dropped, as a numeric conversion does
  if (r < static_cast<double>(low) || r > static_cast<double>(high)) OutOfRange(f, ValueToText(v));
  return static_cast<std::int64_t>(r);
}

bool ParseTimeText(std::string_view text, std::int32_t& ms) {
  int h = 0, m = 0, s = 0, milli = 0;
  const std::string t(kv::TrimBlanks(text));
  int n = 0;
  if (std::sscanf(t.c_str(), "%d:%d:%d.%d%n", &h, &m, &s, &milli, &n) == 4 && n == static_cast<int>(t.size())) {
  } else if (std::sscanf(t.c_str(), "%d:%d:%d%n", &h, &m, &s, &n) == 3 && n == static_cast<int>(t.size())) {
    milli = 0;
  } else if (std::sscanf(t.c_str(), "%d:%d%n", &h, &m, &n) == 2 && n == static_cast<int>(t.size())) {
    s = milli = 0;
  } else {
    return false;
  }
  if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59 || milli < 0 || milli > 999) return false;
  ms = ((h * 60 + m) * 60 + s) * 1000 + milli;
  return true;
}

std::string FormatDouble(double d) {
  char text[64];
  std::snprintf(text, sizeof text, "%.15g", d);
  return text;
}

}  // namespace

bool ParseDateText(std::string_view text, kv::Date& out) {
  const std::string t(kv::TrimBlanks(text));
  int y = 0, m = 0, d = 0, n = 0;
  // Years are written with four digits: "12/31/99" is refused rather than read as the year 99.
  const auto fourDigitYear = [&t](std::size_t from, std::size_t to) {
    if (to - from != 4) return false;
    for (std::size_t i = from; i < to; ++i)
      if (t[i] < '0' || t[i] > '9') return false;
    return true;
  };
  const std::size_t dash = t.find('-'), slash = t.rfind('/');
  if ((dash != std::string::npos && fourDigitYear(0, dash) &&
       std::sscanf(t.c_str(), "%4d-%2d-%2d%n", &y, &m, &d, &n) == 3 && n == static_cast<int>(t.size())) ||
      (slash != std::string::npos && fourDigitYear(slash + 1, t.size()) &&
       std::sscanf(t.c_str(), "%2d/%2d/%4d%n", &m, &d, &y, &n) == 3 && n == static_cast<int>(t.size()))) {
    if (!kv::Date::IsValidYmd(y, m, d)) return false;
    out = kv::Date::FromYmd(y, m, d);
    return true;
  }
  if (t.size() == 8 && std::sscanf(t.c_str(), "%4d%2d%2d%n", &y, &m, &d, &n) == 3 && n == 8) {
    if (!kv::Date::IsValidYmd(y, m, d)) return false;
    out = kv::Date::FromYmd(y, m, d);
    return true;
  }
  return false;
}

std::string ValueToText(const Value& v) {
  switch (v.GetKind()) {
    case Value::Kind::Null: return "";
    case Value::Kind::Boolean: return v.AsBoolean() ? "T" : "F";
    case Value::Kind::Integer: return std::to_string(v.AsInteger());
    case Value::Kind::Double: return FormatDouble(v.AsDouble());
    case Value::Kind::Currency: return v.AsCurrency().ToString();
    case Value::Kind::Date: return kv::FormatIsoDate(v.AsDate());
    case Value::Kind::Time: {
      char text[32];
      const std::int32_t ms = v.AsTime().ms;
      std::snprintf(text, sizeof text, "%02d:%02d:%02d", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60);
      return text;
    }
    case Value::Kind::TimeStamp: return kv::FormatIsoDateTime(v.AsTimeStamp());
    case Value::Kind::String: return v.AsString();
    case Value::Kind::Bytes: return std::string(v.AsBytes().begin(), v.AsBytes().end());
  }
  return "";
}

bool IsNull(const FieldDescriptor& f, const std::uint8_t* payload) {
  return (payload[f.nullBit / 8] >> (f.nullBit % 8)) & 1;
}

void SetNull(const FieldDescriptor& f, std::uint8_t* payload, bool isNull) {
  const std::uint8_t mask = static_cast<std::uint8_t>(1u << (f.nullBit % 8));
  if (isNull) payload[f.nullBit / 8] |= mask;
  else payload[f.nullBit / 8] &= static_cast<std::uint8_t>(~mask);
}

Value ReadScalar(const FieldDescriptor& f, const std::uint8_t* payload) {
  if (IsNull(f, payload)) return Value::Null();
  const std::uint8_t* p = payload + f.offset;
  switch (f.type) {
    case FieldType::Char: {
      std::size_t n = f.length;
      while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == 0)) --n;
      return Value::String(std::string(reinterpret_cast<const char*>(p), n));
    }
    case FieldType::Raw: return Value::Blob(ByteVector(p, p + f.length));
    case FieldType::Logical: return Value::Boolean(p[0] == 'T');
    case FieldType::ShortInt: return Value::Integer(static_cast<std::int16_t>(GetU16(p)));
    case FieldType::Integer: return Value::Integer(static_cast<std::int32_t>(GetU32(p)));
    case FieldType::AutoInc: return Value::Integer(GetU32(p));
    case FieldType::Double:
    case FieldType::CurDouble: return Value::Double(GetF64(p));
    case FieldType::Date: return Value::Date(kv::Date::FromSerial(static_cast<std::int32_t>(GetU32(p))));
    case FieldType::Time: return Value::Time(TimeOfDay{static_cast<std::int32_t>(GetU32(p))});
    case FieldType::TimeStamp:
      return Value::TimeStamp(kv::DateTime::FromMilliseconds(
          static_cast<std::int64_t>(static_cast<std::int32_t>(GetU32(p))) * kv::DateTime::kMsPerDay + GetU32(p + 4)));
    case FieldType::Memo:
    case FieldType::Binary:
    case FieldType::Image: break;
  }
  Fail(code::kInternal, "field '" + f.name + "' is kept in the memo file");
}

// One switch over the field types, each case what that type takes and how it is stored; split by type, the
// conversions (text to number, date or time) would be spread over as many functions as there are types.
void WriteScalar(const FieldDescriptor& f, std::uint8_t* payload, const Value& v) {
  std::uint8_t* p = payload + f.offset;
  // Blank text in a field that holds no text is no value: amounts, dates and times are copied as text, and an
  // empty one is an empty field, not a failed write. Char and Raw fields keep blank text as their value.
  const bool blankText = v.GetKind() == Value::Kind::String && BlankTextIsEmpty(f.type) &&
                         kv::TrimBlanks(v.AsString()).empty();
  if (v.IsNull() || blankText) {
    std::memset(p, f.type == FieldType::Char ? ' ' : 0, FieldValueSize(f));
    SetNull(f, payload, true);
    return;
  }
  switch (f.type) {
    case FieldType::Char: {
      if (v.GetKind() == Value::Kind::String) {  // the common case, without a copy of the text
        const std::string& text = v.AsString();
        const std::size_t n = std::min<std::size_t>(text.size(), f.length);  // a longer text is cut to the field
        std::memcpy(p, text.data(), n);
        std::memset(p + n, ' ', f.length - n);
        SetNull(f, payload, false);
        return;
      }
      std::string text = v.GetKind() == Value::Kind::Double ? FormatDouble(v.AsDouble()) : ValueToText(v);
      if (v.GetKind() == Value::Kind::Bytes) Mismatch(f, v);
      // A number or date cut to the field's width would be another value: refuse it. Only text is cut.
      if (text.size() > f.length) OutOfRange(f, text);
      std::memset(p, ' ', f.length);
      std::memcpy(p, text.data(), text.size());
      SetNull(f, payload, false);
      return;
    }
    case FieldType::Raw: {
      std::string bytes;
      if (v.GetKind() == Value::Kind::Bytes) bytes.assign(v.AsBytes().begin(), v.AsBytes().end());
      else if (v.GetKind() == Value::Kind::String) bytes = v.AsString();
      else Mismatch(f, v);
      if (bytes.size() > f.length) bytes.resize(f.length);
      std::memset(p, 0, f.length);
      std::memcpy(p, bytes.data(), bytes.size());
      break;
    }
    case FieldType::Logical: {
      bool b = false;
      if (v.GetKind() == Value::Kind::Boolean) b = v.AsBoolean();
      else if (v.GetKind() == Value::Kind::Integer) b = v.AsInteger() != 0;
      else if (v.GetKind() == Value::Kind::String) {
        const std::string t = kv::UpperCase(kv::TrimBlanks(v.AsString()));
        if (t == "T" || t == "TRUE" || t == "Y" || t == "YES" || t == "1") b = true;
        else if (t == "F" || t == "FALSE" || t == "N" || t == "NO" || t == "0") b = false;
        else Mismatch(f, v);
      } else Mismatch(f, v);
      p[0] = b ? 'T' : 'F';
      break;
    }
    case FieldType::ShortInt:
      PutU16(p, static_cast<std::uint16_t>(WholeNumber(f, v, std::numeric_limits<std::int16_t>::min(),
                                                       std::numeric_limits<std::int16_t>::max())));
      break;
    case FieldType::Integer:
      PutU32(p, static_cast<std::uint32_t>(WholeNumber(f, v, std::numeric_limits<std::int32_t>::min(),
                                                       std::numeric_limits<std::int32_t>::max())));
      break;
    case FieldType::AutoInc:
      PutU32(p, static_cast<std::uint32_t>(WholeNumber(f, v, 0, std::numeric_limits<std::uint32_t>::max())));
      break;
    case FieldType::Double:
    case FieldType::CurDouble: {
      double d = 0;
      if (!NumberOf(v, d)) Mismatch(f, v);
      PutF64(p, d);
      break;
    }
    case FieldType::Date: {
      kv::Date d;
      if (v.GetKind() == Value::Kind::Date) d = v.AsDate();
      else if (v.GetKind() == Value::Kind::TimeStamp) d = v.AsTimeStamp().DatePart();
      else if (v.GetKind() == Value::Kind::String) {
        if (!ParseDateText(v.AsString(), d)) Mismatch(f, v);
      } else Mismatch(f, v);
      PutU32(p, static_cast<std::uint32_t>(d.Serial()));
      break;
    }
    case FieldType::Time: {
      std::int32_t ms = 0;
      if (v.GetKind() == Value::Kind::Time) ms = v.AsTime().ms;
      else if (v.GetKind() == Value::Kind::TimeStamp) ms = v.AsTimeStamp().MillisecondOfDay();
      else if (v.GetKind() == Value::Kind::String) {
        if (!ParseTimeText(v.AsString(), ms)) Mismatch(f, v);
      } else Mismatch(f, v);
      PutU32(p, static_cast<std::uint32_t>(ms));
      break;
    }
    case FieldType::TimeStamp: {
      kv::DateTime t;
      if (v.GetKind() == Value::Kind::TimeStamp) t = v.AsTimeStamp();
      else if (v.GetKind() == Value::Kind::Date) t = kv::DateTime(v.AsDate());
      else if (v.GetKind() == Value::Kind::String) {
        kv::Date d;
        if (!ParseDateText(v.AsString(), d)) Mismatch(f, v);
        t = kv::DateTime(d);
      } else Mismatch(f, v);
      PutU32(p, static_cast<std::uint32_t>(t.DatePart().Serial()));
      PutU32(p + 4, static_cast<std::uint32_t>(t.MillisecondOfDay()));
      break;
    }
    case FieldType::Memo:
    case FieldType::Binary:
    case FieldType::Image: Fail(code::kInternal, "field '" + f.name + "' is kept in the memo file");
  }
  SetNull(f, payload, false);
}

MemoRef ReadMemoRef(const FieldDescriptor& f, const std::uint8_t* payload) {
  const std::uint8_t* p = payload + f.offset;
  return {GetU64(p), GetU32(p + 8)};
}

void WriteMemoRef(const FieldDescriptor& f, std::uint8_t* payload, MemoRef ref) {
  std::uint8_t* p = payload + f.offset;
  PutU64(p, ref.block);
  PutU32(p + 8, ref.length);
  SetNull(f, payload, ref.block == 0);
}

std::string MemoBytesOf(const FieldDescriptor& f, const Value& v) {
  if (v.GetKind() == Value::Kind::String) return v.AsString();
  if (v.GetKind() == Value::Kind::Bytes) return std::string(v.AsBytes().begin(), v.AsBytes().end());
  if (f.type == FieldType::Memo && v.GetKind() != Value::Kind::Null) return ValueToText(v);
  Mismatch(f, v);
}

Value MemoValueOf(const FieldDescriptor& f, std::string bytes) {
  if (f.type == FieldType::Memo) return Value::String(std::move(bytes));
  return Value::Blob(ByteVector(bytes.begin(), bytes.end()));
}

}  // namespace ace::storage
