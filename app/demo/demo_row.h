#pragma once
// One appended record of a demo table, written field by field.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/table.h"
#include "platform/picture.h"
#include "support/calendar.h"
#include "support/currency.h"

namespace kv::demo {

// One appended record: empty texts and absent dates stay empty (NULL), as the suite leaves unused fields. A field
// the older layout lacks (a column the release adds) is passed over.
class Row {
 public:
  explicit Row(engine::TAdsTable& table) : table_(table) { table_.Append(); }
  Row& Text(std::string_view field, const std::string& value) {
    if (!value.empty()) Set(field, [&](engine::TField& f) { f.SetAsString(value); });
    return *this;
  }
  Row& Money(std::string_view field, Currency value) {
    Set(field, [&](engine::TField& f) { f.SetAsCurrency(value); });
    return *this;
  }
  Row& Number(std::string_view field, std::int64_t value) {
    Set(field, [&](engine::TField& f) { f.SetAsInteger(value); });
    return *this;
  }
  Row& Real(std::string_view field, double value) {
    Set(field, [&](engine::TField& f) { f.SetAsFloat(value); });
    return *this;
  }
  Row& Flag(std::string_view field, bool value) {
    Set(field, [&](engine::TField& f) { f.SetAsBoolean(value); });
    return *this;
  }
  Row& Bytes(std::string_view field, const picture::Bytes& value) {
    if (!value.empty()) Set(field, [&](engine::TField& f) { f.SetAsBlob(value); });
    return *this;
  }
  Row& Day(std::string_view field, std::optional<Date> value) {
    if (value) Set(field, [&](engine::TField& f) { f.SetAsDate(*value); });
    return *this;
  }
  void Post() { table_.Post(); }

 private:
  template <typename Setter>
  void Set(std::string_view field, Setter&& set) {
    if (engine::TField* f = table_.FindField(field)) set(*f);
  }
  engine::TAdsTable& table_;
};

inline Currency Dollars(double amount) { return Currency::FromDouble(amount); }

}  // namespace kv::demo
