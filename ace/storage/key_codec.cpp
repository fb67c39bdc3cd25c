#include "ace/storage/key_codec.h"

#include <cctype>
#include <cstring>

#include "ace/core/error.h"
#include "ace/core/bytes.h"
#include "ace/core/checksum.h"
#include "ace/storage/record_codec.h"
#include "support/strings.h"

namespace ace::storage {

namespace {

std::uint32_t ValueWidth(const FieldDescriptor& f) {
  switch (f.type) {
    case FieldType::Logical: return 1;
    default: return FieldValueSize(f);
  }
}

void PutBigEndian(std::uint8_t* p, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * (bytes - 1 - i)));
}

void EncodePart(const KeyPart& part, const FieldDescriptor& f, const std::uint8_t* payload, std::uint8_t* out) {
  std::memset(out, 0, part.width);
  if (f.type == FieldType::Char && IsNull(f, payload)) {
    // An empty character field and one holding blanks are one key: both read as blanks.
    out[0] = 1;
    std::memset(out + 1, ' ', part.width - 1);
    return;
  }
  if (IsNull(f, payload)) return;  // marker 0: empty values sort first
  out[0] = 1;
  std::uint8_t* v = out + 1;
  const std::uint8_t* p = payload + f.offset;
  switch (f.type) {
    case FieldType::Char:
      std::memcpy(v, p, f.length);
      if (part.upper)
        for (std::uint32_t i = 0; i < f.length; ++i) v[i] = static_cast<std::uint8_t>(std::toupper(v[i]));
      break;
    case FieldType::Raw: std::memcpy(v, p, f.length); break;
    case FieldType::Logical: v[0] = p[0] == 'T' ? 1 : 0; break;
    case FieldType::ShortInt: PutBigEndian(v, GetU16(p) ^ 0x8000u, 2); break;
    case FieldType::Integer:
    case FieldType::Date:
    case FieldType::Time: PutBigEndian(v, GetU32(p) ^ 0x80000000u, 4); break;
    case FieldType::AutoInc: PutBigEndian(v, GetU32(p), 4); break;
    case FieldType::TimeStamp: {
      const std::int64_t ms = static_cast<std::int64_t>(static_cast<std::int32_t>(GetU32(p))) * 86'400'000LL + GetU32(p + 4);
      PutBigEndian(v, static_cast<std::uint64_t>(ms) ^ (1ULL << 63), 8);
      break;
    }
    case FieldType::Double:
    case FieldType::CurDouble: {
      std::uint64_t bits = GetU64(p);
      double d = GetF64(p);
      if (d == 0) bits = 0;  // -0 and +0 are one key
      bits = (bits & (1ULL << 63)) ? ~bits : bits ^ (1ULL << 63);
      PutBigEndian(v, bits, 8);
      break;
    }
    case FieldType::Memo:
    case FieldType::Binary:
    case FieldType::Image: break;
  }
}

}  // namespace

std::vector<std::string> SplitKeyText(std::string_view expression, std::vector<char>* separators) {
  std::vector<std::string> parts;
  std::string current;
  int depth = 0;
  for (char c : expression) {
    if (c == '(') ++depth;
    if (c == ')') --depth;
    // ";" and "+" join a key's fields; so does ",", which the suite writes in one key ("BANKCODE,CURR_CODE").
    if ((c == ';' || c == '+' || c == ',') && depth == 0) {
      parts.emplace_back(kv::TrimBlanks(current));
      current.clear();
      if (separators) separators->push_back(c);
    } else {
      current += c;
    }
  }
  parts.emplace_back(kv::TrimBlanks(current));
  return parts;
}

KeyPartName ReadKeyPart(std::string_view part) {
  if (part.size() > 6 && kv::UpperCase(part.substr(0, 6)) == "UPPER(" && part.back() == ')')
    return {std::string(kv::TrimBlanks(part.substr(6, part.size() - 7))), true};
  return {std::string(part), false};
}

KeyDefinition ParseKeyExpression(const TableHeader& header, std::string_view expression, std::uint32_t options) {
  KeyDefinition key;
  key.descending = (options & index_option::kDescending) != 0;
  key.unique = (options & index_option::kUnique) != 0;
  if (kv::TrimBlanks(expression).empty()) Fail(code::kBadIndexKey, "the index key is empty");
  for (const std::string& text : SplitKeyText(expression)) {
    const auto [name, upper] = ReadKeyPart(text);
    KeyPart part;
    part.upper = upper;
    int field = header.FindField(name);
    if (field < 0) Fail(code::kBadIndexKey, "index key '" + std::string(expression) + "': no field '" + name + "'");
    const FieldDescriptor& f = header.fields[field];
    if (IsMemoLike(f.type))
      Fail(code::kBadIndexKey, "index key '" + std::string(expression) + "': memo field '" + f.name + "' cannot be a key");
    part.field = field;
    part.width = 1 + ValueWidth(f);
    key.length += part.width;
    key.parts.push_back(part);
  }
  if (key.length > kMaxKeyLength)
    Fail(code::kBadIndexKey,
         "index key '" + std::string(expression) + "' is longer than " + std::to_string(kMaxKeyLength) + " bytes");
  return key;
}

bool KeyFieldsPresent(const TableHeader& header, std::string_view expression) {
  for (const std::string& text : SplitKeyText(expression)) {
    const int field = header.FindField(ReadKeyPart(text).field);
    if (field < 0 || IsMemoLike(header.fields[field].type)) return false;
  }
  return true;
}

void EncodeRecordKey(const KeyDefinition& key, const TableHeader& header, const std::uint8_t* payload,
                     std::uint8_t* out) {
  std::uint8_t* p = out;
  for (const KeyPart& part : key.parts) {
    EncodePart(part, header.fields[part.field], payload, p);
    p += part.width;
  }
  if (key.descending)
    for (std::uint32_t i = 0; i < key.length; ++i) out[i] = static_cast<std::uint8_t>(~out[i]);
}

std::vector<std::uint8_t> EncodeSeekPrefix(const KeyDefinition& key, const TableHeader& header,
                                           std::span<const Value> values) {
  if (values.size() > key.parts.size()) Fail(code::kInvalidArgument, "more seek values than key fields");
  std::vector<std::uint8_t> payload(header.payloadSize, 0);
  std::uint32_t width = 0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    WriteScalar(header.fields[key.parts[i].field], payload.data(), values[i]);
    width += key.parts[i].width;
  }
  std::vector<std::uint8_t> full(key.length);
  EncodeRecordKey(KeyDefinition{key.parts, false, false, key.length}, header, payload.data(), full.data());
  full.resize(width);
  if (key.descending)
    for (auto& b : full) b = static_cast<std::uint8_t>(~b);
  return full;
}

std::string DescribeKey(const KeyDefinition& key, const TableHeader& header, const std::uint8_t* payload) {
  std::string text;
  for (std::size_t i = 0; i < key.parts.size(); ++i) {
    if (i) text += ";";
    text += ValueToText(ReadScalar(header.fields[key.parts[i].field], payload));
  }
  return text;
}

}  // namespace ace::storage
