#include "ace/calls/field_definition.h"

#include <charconv>
#include <string>

#include "ace/core/error.h"
#include "support/strings.h"

namespace ace {

namespace {

std::vector<std::string> Split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = text.find(separator, start);
    const std::size_t stop = end == std::string_view::npos ? text.size() : end;
    parts.emplace_back(text.substr(start, stop - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return parts;
}

bool ParseNumber(std::string_view text, std::uint16_t& out) {
  text = kv::TrimBlanks(text);
  unsigned value = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  if (r.ec != std::errc() || r.ptr != text.data() + text.size() || value > 65535) return false;
  out = static_cast<std::uint16_t>(value);
  return true;
}

}  // namespace

std::vector<FieldSpec> ParseFieldDefinitions(std::string_view text) {
  std::vector<FieldSpec> fields;
  std::size_t number = 0;
  for (const std::string& item : Split(text, ';')) {
    if (kv::TrimBlanks(item).empty()) continue;
    ++number;
    const auto bad = [&](const std::string& why) {
      Fail(code::kBadFieldDefinition, "field definition " + std::to_string(number) + " (\"" + item + "\"): " + why);
    };
    const std::vector<std::string> parts = Split(item, ',');
    if (parts.size() < 2) bad("it needs a name and a type");
    FieldSpec definition;
    definition.name = parts[0];
    if (kv::TrimBlanks(definition.name).empty()) bad("the name is empty");
    const auto type = FieldTypeFromWord(parts[1]);
    if (!type) {
      std::string why = "\"";
      why.append(kv::TrimBlanks(parts[1])).append("\" is not a field type of ADT tables");
      bad(why);
    }
    definition.type = *type;
    const std::size_t numbers = parts.size() - 2;
    switch (definition.type) {
      case FieldType::Char:
      case FieldType::Raw:
        if (numbers != 1 || !ParseNumber(parts[2], definition.length) || definition.length == 0) bad("it needs one length from 1 to 65000");
        break;
      case FieldType::Double:
      case FieldType::CurDouble:
        definition.decimals = 2;
        if (numbers > 1 || (numbers == 1 && !ParseNumber(parts[2], definition.decimals))) bad("decimals must be one number");
        break;
      default:
        if (numbers != 0 && !(numbers == 1 && kv::TrimBlanks(parts[2]).empty())) bad("this type takes no length");
    }
    fields.push_back(std::move(definition));
  }
  if (fields.empty()) Fail(code::kBadFieldDefinition, "the field definition string holds no field");
  return fields;
}

}  // namespace ace
