#include "ace/core/field_type.h"

#include "support/strings.h"

namespace ace {

std::uint32_t FieldValueSize(const FieldSpec& field) {
  switch (field.type) {
    case FieldType::Logical: return 1;
    case FieldType::ShortInt: return 2;
    case FieldType::Integer:
    case FieldType::AutoInc:
    case FieldType::Date:
    case FieldType::Time: return 4;
    case FieldType::Double:
    case FieldType::CurDouble:
    case FieldType::TimeStamp: return 8;
    case FieldType::Char:
    case FieldType::Raw: return field.length;
    case FieldType::Memo:
    case FieldType::Binary:
    case FieldType::Image: return 12;  // block number (8) and length (4) in the memo file
  }
  return 0;
}

std::uint32_t FieldDataSize(const FieldSpec& field) {
  if (field.type == FieldType::Char) return field.length + 1u;
  return FieldValueSize(field);
}

bool IsMemoLike(FieldType type) {
  return type == FieldType::Memo || type == FieldType::Binary || type == FieldType::Image;
}

bool BlankTextIsEmpty(FieldType type) {
  return type != FieldType::Char && type != FieldType::Raw && !IsMemoLike(type);
}

std::string_view FieldTypeWord(FieldType type) {
  switch (type) {
    case FieldType::Logical: return "Logical";
    case FieldType::Double: return "Double";
    case FieldType::Date: return "Date";
    case FieldType::Char: return "Char";
    case FieldType::Memo: return "Memo";
    case FieldType::Binary: return "Binary";
    case FieldType::Image: return "Image";
    case FieldType::Integer: return "Integer";
    case FieldType::ShortInt: return "ShortInt";
    case FieldType::Time: return "Time";
    case FieldType::TimeStamp: return "TimeStamp";
    case FieldType::AutoInc: return "AutoInc";
    case FieldType::Raw: return "Raw";
    case FieldType::CurDouble: return "CurDouble";
  }
  return "?";
}

std::optional<FieldType> FieldTypeFromWord(std::string_view word) {
  struct Word { const char* text; FieldType type; };
  static constexpr Word kWords[] = {
      {"Char", FieldType::Char},         {"Character", FieldType::Char},   {"ShortInt", FieldType::ShortInt},
      {"Short", FieldType::ShortInt},    {"Integer", FieldType::Integer},  {"Logical", FieldType::Logical},
      {"Double", FieldType::Double},     {"CurDouble", FieldType::CurDouble}, {"Date", FieldType::Date},
      {"Time", FieldType::Time},         {"TimeStamp", FieldType::TimeStamp}, {"Raw", FieldType::Raw},
      {"Binary", FieldType::Binary},     {"Blob", FieldType::Binary},      {"AutoInc", FieldType::AutoInc},
      {"Memo", FieldType::Memo},         {"Image", FieldType::Image},
  };
  const std::string_view trimmed = kv::TrimBlanks(word);
  for (const Word& w : kWords)
    if (kv::SameText(trimmed, w.text)) return w.type;
  return std::nullopt;
}

}  // namespace ace
