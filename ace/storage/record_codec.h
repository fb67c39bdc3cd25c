#pragma once
// Reading and writing field values inside a record payload (null bitmap + fixed-width values), with the
// conversions a caller may ask for (a number written to a character field, a text to a date, ...).
//
// Rules: a Char value is blank padded on disk and read back without its trailing blanks; an empty text in a Char
// or Raw field is a value (blanks, zero bytes), not NULL. In every other field blank text is empty (NULL), as
// writing Null is. Text becomes a number by ace::NumberFromText (plain decimals only). A field never written since
// its record was appended or its column added is NULL. Memo, Binary and Image values live in the memo file; the
// payload holds their block reference, handled by the table layer.

#include <cstdint>
#include <string>

#include "ace/core/value.h"
#include "ace/storage/table_header.h"

namespace ace::storage {

struct MemoRef {
  std::uint64_t block = 0;   // first block in the memo file; 0 = no value
  std::uint32_t length = 0;  // bytes of the value
};

bool IsNull(const FieldDescriptor& f, const std::uint8_t* payload);
void SetNull(const FieldDescriptor& f, std::uint8_t* payload, bool isNull);

// The value of a non-memo field; Null when empty.
Value ReadScalar(const FieldDescriptor& f, const std::uint8_t* payload);
// Converts and stores a value in a non-memo field. Throws AceError(kTypeMismatch / kValueOutOfRange) naming the
// field when the value cannot be stored there.
void WriteScalar(const FieldDescriptor& f, std::uint8_t* payload, const Value& value);

MemoRef ReadMemoRef(const FieldDescriptor& f, const std::uint8_t* payload);
void WriteMemoRef(const FieldDescriptor& f, std::uint8_t* payload, MemoRef ref);
// The bytes a value is kept as in the memo file (text as is, bytes as is); throws for other kinds.
std::string MemoBytesOf(const FieldDescriptor& f, const Value& value);
Value MemoValueOf(const FieldDescriptor& f, std::string bytes);

// Conversions shared with the SQL layer and the shell: a value as text ("2026-12-10", "9.07", "T"), and text to
// a value of a field's type (nullopt when the text does not read as one).
std::string ValueToText(const Value& value);
bool ParseDateText(std::string_view text, kv::Date& out);

}  // namespace ace::storage
