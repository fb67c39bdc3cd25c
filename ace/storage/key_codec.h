#pragma once
// Index keys: the key text of a tag ("PPERIOD;EMPCODE;PERIOD", "UPPER(ID);UPPER(MENU)", fields also joined by
// "+") read into parts, and records or seek values encoded into fixed-length byte keys whose memcmp order is the
// tag's order. Each part is a marker byte (0 empty, 1 value) and the value in an order-keeping form: characters
// blank padded (upper-cased for UPPER), numbers big-endian with the sign bit flipped, doubles in their ordered
// bit form. A descending tag complements every byte, so its memcmp order is the reverse.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ace/core/kinds.h"
#include "ace/core/value.h"
#include "ace/storage/table_header.h"

namespace ace::storage {

struct KeyPart {
  int field = 0;
  bool upper = false;
  std::uint32_t width = 0;  // marker byte included
};

struct KeyDefinition {
  std::vector<KeyPart> parts;
  bool descending = false;
  bool unique = false;
  std::uint32_t length = 0;
};

// The parts of a key text, trimmed, split at ";", "+" and "," outside parentheses; separators, when given,
// receives the character that stood between each two parts.
std::vector<std::string> SplitKeyText(std::string_view expression, std::vector<char>* separators = nullptr);

// One part of a key text read: the field it names and whether it stands inside UPPER( ) ("UPPER(ID)" names ID).
struct KeyPartName {
  std::string field;
  bool upper = false;
};
KeyPartName ReadKeyPart(std::string_view part);

// Throws AceError(kBadIndexKey) for an empty text, an unknown field, a memo field or a key over kMaxKeyLength bytes.
KeyDefinition ParseKeyExpression(const TableHeader& header, std::string_view expression, std::uint32_t options);

// True when every field the key text names is in the header and can be a key (not a memo field): a tag whose
// fields went away in a restructure goes with them; any other fault of its key is an error.
bool KeyFieldsPresent(const TableHeader& header, std::string_view expression);

// The key of a record payload.
void EncodeRecordKey(const KeyDefinition& key, const TableHeader& header, const std::uint8_t* payload,
                     std::uint8_t* out);
// The key prefix for seek values given for the leading parts (at most as many values as parts).
std::vector<std::uint8_t> EncodeSeekPrefix(const KeyDefinition& key, const TableHeader& header,
                                           std::span<const Value> values);
// The key shown as text in messages: the parts' values joined by ";".
std::string DescribeKey(const KeyDefinition& key, const TableHeader& header, const std::uint8_t* payload);

}  // namespace ace::storage
