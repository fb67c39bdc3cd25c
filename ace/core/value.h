#pragma once
// One field or expression value as the engine passes it around: typed, and possibly empty (NULL).

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "support/calendar.h"
#include "support/currency.h"

namespace ace {

struct TimeOfDay {
  std::int32_t ms = 0;  // milliseconds since midnight
  auto operator<=>(const TimeOfDay&) const = default;
};

using ByteVector = std::vector<std::uint8_t>;

class Value {
 public:
  enum class Kind { Null, Boolean, Integer, Double, Currency, Date, Time, TimeStamp, String, Bytes };

  Value() = default;
  static Value Null() { return Value(); }
  static Value Boolean(bool v) { return Value(Kind::Boolean, v); }
  static Value Integer(std::int64_t v) { return Value(Kind::Integer, v); }
  static Value Double(double v) { return Value(Kind::Double, v); }
  static Value Money(kv::Currency v) { return Value(Kind::Currency, v); }
  static Value Date(kv::Date v) { return Value(Kind::Date, v); }
  static Value Time(TimeOfDay v) { return Value(Kind::Time, v); }
  static Value TimeStamp(kv::DateTime v) { return Value(Kind::TimeStamp, v); }
  static Value String(std::string v) { return Value(Kind::String, std::move(v)); }
  static Value Blob(ByteVector v) { return Value(Kind::Bytes, std::move(v)); }

  Kind GetKind() const { return kind_; }
  bool IsNull() const { return kind_ == Kind::Null; }

  // Accessors for the stored kind; calling one for another kind is a programming error (std::bad_variant_access).
  bool AsBoolean() const { return std::get<bool>(data_); }
  std::int64_t AsInteger() const { return std::get<std::int64_t>(data_); }
  double AsDouble() const { return std::get<double>(data_); }
  kv::Currency AsCurrency() const { return std::get<kv::Currency>(data_); }
  kv::Date AsDate() const { return std::get<kv::Date>(data_); }
  TimeOfDay AsTime() const { return std::get<TimeOfDay>(data_); }
  kv::DateTime AsTimeStamp() const { return std::get<kv::DateTime>(data_); }
  const std::string& AsString() const { return std::get<std::string>(data_); }
  const ByteVector& AsBytes() const { return std::get<ByteVector>(data_); }

  bool operator==(const Value&) const = default;

 private:
  using Data = std::variant<std::monostate, bool, std::int64_t, double, kv::Currency, kv::Date, TimeOfDay,
                            kv::DateTime, std::string, ByteVector>;
  template <typename T>
  Value(Kind kind, T&& v) : kind_(kind), data_(std::forward<T>(v)) {}
  Kind kind_ = Kind::Null;
  Data data_;
};

}  // namespace ace
