#pragma once
// The executor's view of field types: which family a type is of, the field a result column of a value gets,
// and the value as a field of a given layout keeps it. Grouping keys (DISTINCT, GROUP BY, unique checks) are
// built here too, because they must agree with how values are kept.

#include <cstddef>
#include <cstdint>
#include <string>

#include "ace/core/field_type.h"
#include "ace/core/value.h"
#include "ace/sql/ast.h"

namespace ace::sql::exec {

inline bool IsText(FieldType t) { return t == FieldType::Char || t == FieldType::Memo; }
inline bool IsBytes(FieldType t) { return t == FieldType::Raw || t == FieldType::Binary || t == FieldType::Image; }
inline bool IsWhole(FieldType t) {
  return t == FieldType::ShortInt || t == FieldType::Integer || t == FieldType::AutoInc;
}
inline bool IsFloat(FieldType t) { return t == FieldType::Double || t == FieldType::CurDouble; }

// A field of a type with the executor's defaults: two decimals for the floating types.
FieldSpec TypedField(FieldType type, std::uint16_t length = 0);
// A character field of this length, kept within 1 .. 65535.
FieldSpec CharSpec(std::size_t length);
// The field a result column of this value gets.
FieldSpec SpecOfValue(const Value& v);

// The value as a field of this layout keeps it (the kind a read gives back), by the storage layer's own
// conversion rules; AceError (kTypeMismatch, kValueOutOfRange) when it cannot be kept there.
Value StoredForm(const FieldSpec& field, const Value& v);

// StoredForm for a value a statement writes: the error text says where the value was written.
Value Store(const FieldSpec& field, const Value& v, const Position& pos);

// A grouping key: values that SameGroup puts together give the same text.
void AppendGroupKey(std::string& key, const Value& v);

}  // namespace ace::sql::exec
