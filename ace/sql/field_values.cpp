#include "ace/sql/field_values.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "ace/core/error.h"
#include "ace/sql/binding.h"
#include "ace/storage/record_codec.h"

namespace ace::sql::exec {

FieldSpec TypedField(FieldType type, std::uint16_t length) {
  FieldSpec s;
  s.type = type;
  s.length = length;
  s.decimals = IsFloat(type) ? 2 : 0;
  return s;
}

FieldSpec CharSpec(std::size_t length) {
  return TypedField(FieldType::Char, static_cast<std::uint16_t>(std::clamp<std::size_t>(length, 1, 65535)));
}

FieldSpec SpecOfValue(const Value& v) {
  switch (v.GetKind()) {
    case Value::Kind::String: return CharSpec(v.AsString().size());
    case Value::Kind::Integer: return TypedField(FieldType::Integer);
    case Value::Kind::Double: return TypedField(FieldType::Double);
    case Value::Kind::Currency: return TypedField(FieldType::CurDouble);
    case Value::Kind::Date: return TypedField(FieldType::Date);
    case Value::Kind::Time: return TypedField(FieldType::Time);
    case Value::Kind::TimeStamp: return TypedField(FieldType::TimeStamp);
    case Value::Kind::Boolean: return TypedField(FieldType::Logical);
    case Value::Kind::Bytes: return TypedField(FieldType::Binary);
    case Value::Kind::Null: break;
  }
  return CharSpec(1);
}

Value StoredForm(const FieldSpec& field, const Value& v) {
  if (v.IsNull()) return v;
  storage::FieldDescriptor f;
  static_cast<FieldSpec&>(f) = field;
  if (IsMemoLike(field.type)) return storage::MemoValueOf(f, storage::MemoBytesOf(f, v));
  f.offset = 1;
  f.nullBit = 0;
  std::vector<std::uint8_t> payload(1 + FieldValueSize(field), 0);
  storage::WriteScalar(f, payload.data(), v);
  return storage::ReadScalar(f, payload.data());
}

Value Store(const FieldSpec& field, const Value& v, const Position& pos) {
  try {
    return StoredForm(field, v);
  } catch (const AceError& e) {
    Fail(e.Code() == code::kTypeMismatch ? code::kSqlTypeMismatch : e.Code(), std::string(e.what()) + At(pos));
  }
}

void AppendGroupKey(std::string& key, const Value& v) {
  switch (v.GetKind()) {
    case Value::Kind::Null: key += "N"; break;
    case Value::Kind::String: {
      std::string_view t = v.AsString();
      while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
      key += "S";
      key += t;
      break;
    }
    case Value::Kind::Integer:
    case Value::Kind::Double:
    case Value::Kind::Currency: {
      double d = v.GetKind() == Value::Kind::Integer ? static_cast<double>(v.AsInteger())
                 : v.GetKind() == Value::Kind::Double ? v.AsDouble()
                                                      : v.AsCurrency().ToDouble();
      if (d == 0) d = 0;
      char text[40];
      std::snprintf(text, sizeof text, "#%.17g", d);
      key += text;
      break;
    }
    default:
      key += std::to_string(static_cast<int>(v.GetKind()));
      key += storage::ValueToText(v);
  }
  key += '\x1f';
}

}  // namespace ace::sql::exec
