#pragma once
// The field types of ADT tables. The numbers are the engine field type codes that AdsGetFieldType returns
// (4 is a character field, as callers rely on); they are also stored in the table header.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ace {

enum class FieldType : std::uint8_t {
  Logical = 1,
  Double = 2,     // 8-byte IEEE double; "decimals" is kept for display only
  Date = 3,       // 4-byte day number
  Char = 4,       // fixed length, blank padded
  Memo = 5,       // text in the .ADM file
  Binary = 6,     // bytes in the .ADM file ("Binary", SQL "BLOB")
  Image = 7,      // bytes in the .ADM file
  Integer = 8,    // 4-byte signed
  ShortInt = 9,   // 2-byte signed
  Time = 10,      // 4-byte milliseconds of the day
  TimeStamp = 11, // 8 bytes: day number and milliseconds
  AutoInc = 12,   // 4-byte unsigned, given by the table on append
  Raw = 13,       // fixed length bytes
  CurDouble = 14, // 8-byte IEEE double holding money
};

struct FieldSpec {
  std::string name;
  FieldType type = FieldType::Char;
  std::uint16_t length = 0;    // Char and Raw: characters / bytes; others: 0
  std::uint16_t decimals = 0;  // Double and CurDouble
};

// Bytes a field's value takes in a record, its empty (NULL) mark excluded. Char k takes k.
std::uint32_t FieldValueSize(const FieldSpec& field);
// The data size reported to callers: Char k is k + 1 (room for the terminator), CurDouble 8, and so on.
std::uint32_t FieldDataSize(const FieldSpec& field);

bool IsMemoLike(FieldType type);  // stored in the .ADM file
// Whether blank text given to a field of this type makes it empty: true for every type that holds neither text
// nor bytes (numbers, money, dates, times, logicals), whose values the suite also copies as text.
bool BlankTextIsEmpty(FieldType type);
std::string_view FieldTypeWord(FieldType type);  // "Char", "CurDouble", ...

// The type word of a field definition string or an SQL column type, without regard to case: "Char",
// "Character", "ShortInt", "Short", "Integer", "Logical", "Double", "CurDouble", "Date", "Time", "TimeStamp",
// "Raw", "Binary", "Blob", "AutoInc", "Memo", "Image". nullopt for any other word.
std::optional<FieldType> FieldTypeFromWord(std::string_view word);

}  // namespace ace
