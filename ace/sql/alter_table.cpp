// ALTER TABLE: the new column list is worked out and checked first, the tags follow their fields, and the
// whole table is rewritten beside the old one (storage::Table::Restructure) and swapped in.
#include <functional>

#include "ace/core/error.h"
#include "ace/sql/binding.h"
#include "ace/sql/field_values.h"
#include "ace/sql/lexer.h"
#include "ace/sql/statements.h"
#include "ace/storage/key_codec.h"
#include "ace/storage/record_codec.h"
#include "support/strings.h"

namespace ace::sql::exec {

namespace {

using storage::TagDefinition;

enum class Family { Text, Bytes, Number, Logical, Date, Time, Stamp };

Family FamilyOf(FieldType t) {
  if (IsText(t)) return Family::Text;
  if (IsBytes(t)) return Family::Bytes;
  if (IsWhole(t) || IsFloat(t)) return Family::Number;
  switch (t) {
    case FieldType::Logical: return Family::Logical;
    case FieldType::Date: return Family::Date;
    case FieldType::Time: return Family::Time;
    default: return Family::Stamp;
  }
}

// Whether a column of one type can become the other at all (row by row a value may still not fit).
bool Convertible(FieldType from, FieldType to) {
  const Family f = FamilyOf(from), t = FamilyOf(to);
  if (f == t) return true;
  if (f == Family::Text) return true;  // text is read as a value of the new type
  if (t == Family::Text) return f != Family::Bytes || to == FieldType::Memo;
  if (f == Family::Date && t == Family::Stamp) return true;
  if (f == Family::Stamp && (t == Family::Date || t == Family::Time)) return true;
  return false;
}

struct NewColumn {
  FieldSpec spec;
  int source = -1;      // old field, -1 for a new column
  std::string written;  // the name as the statement wrote it, for messages
};

// A column's value after ALTER: by value across types, char cut or padded, a number that does not fit as text
// refused.
Value ConvertColumn(const NewColumn& c, const Value& v, const std::string& table) {
  if (v.IsNull()) return v;
  auto refuse = [&](const std::string& why) -> Value {
    Fail(code::kColumnConversion, "column " + Quoted(c.written) + " of table " + table + " cannot become " +
                                      std::string(FieldTypeWord(c.spec.type)) + ": " + why);
  };
  Value in = v;
  if (in.GetKind() == Value::Kind::String && !IsText(c.spec.type) && !IsBytes(c.spec.type)) {
    const std::string_view trimmed = kv::TrimBlanks(in.AsString());
    if (trimmed.empty()) return Value::Null();
    in = Value::String(std::string(trimmed));
  }
  if (c.spec.type == FieldType::Char && in.GetKind() != Value::Kind::String) {
    const std::string text = storage::ValueToText(in);
    if (text.size() > c.spec.length)
      return refuse("the value " + text + " is longer than " + std::to_string(c.spec.length) + " characters");
    in = Value::String(text);
  }
  try {
    return StoredForm(c.spec, in);
  } catch (const AceError&) {
    return refuse("the value '" + storage::ValueToText(v) + "' does not read as one");
  }
}

// The parts of a tag's key text: field names, each maybe inside UPPER( ), and the separators between them.
struct KeyPartText {
  std::string before, name, after;  // "UPPER(" NAME ")"
};

std::vector<KeyPartText> SplitKeyText(const std::string& expression, std::vector<char>& separators) {
  std::vector<KeyPartText> parts;
  for (const std::string& text : storage::SplitKeyText(expression, &separators)) {
    KeyPartText p;
    const auto open = text.find('(');
    if (open != std::string::npos && text.back() == ')') {
      p.before = text.substr(0, open + 1);
      p.name = std::string(kv::TrimBlanks(text.substr(open + 1, text.size() - open - 2)));
      p.after = ")";
    } else {
      p.name = text;
    }
    parts.push_back(p);
  }
  return parts;
}

// The column list after the statement's actions, each checked as it is applied.
class ColumnList {
 public:
  explicit ColumnList(const Bound& b) : table_(b.Shown()) {
    for (std::size_t i = 0; i < b.fields.size(); ++i) cols_.push_back({b.fields[i], static_cast<int>(i), b.fields[i].name});
  }

  void Apply(const AlterAction& act) {
    const std::string& name = act.column.text;
    const std::string where = " (" + Where(act.column.pos) + ")";
    switch (act.kind) {
      case AlterAction::Kind::Add:
        if (Find(name) >= 0)
          Fail(code::kColumnExists, "column " + Quoted(name) + " is in table " + table_ + " already" + where);
        cols_.push_back({SpecOf(act.column, act.type), -1, name});
        break;
      case AlterAction::Kind::Alter: Change(act, Existing(name, where), where); break;
      case AlterAction::Kind::Drop: cols_.erase(cols_.begin() + Existing(name, where)); break;
    }
  }

  std::vector<NewColumn> Take() {
    if (cols_.empty()) Fail(code::kBadFieldDefinition, "table " + table_ + " cannot lose its last column");
    return std::move(cols_);
  }

 private:
  static FieldSpec SpecOf(const Name& name, const ColumnType& type) {
    FieldSpec s = TypedField(type.type, type.length);
    s.name = name.text;
    return s;
  }

  int Find(std::string_view name) const {
    for (std::size_t i = 0; i < cols_.size(); ++i)
      if (kv::SameText(cols_[i].spec.name, name)) return static_cast<int>(i);
    return -1;
  }

  int Existing(const std::string& name, const std::string& where) const {
    const int i = Find(name);
    if (i < 0) Fail(code::kColumnNotFound, "column " + Quoted(name) + " is not in table " + table_ + where);
    return i;
  }

  void Change(const AlterAction& act, int i, const std::string& where) {
    const std::string& name = act.column.text;
    if (!kv::SameText(act.newName.text, name) && Find(act.newName.text) >= 0)
      Fail(code::kColumnExists, "column " + Quoted(act.newName.text) + " is in table " + table_ + " already (" +
                                    Where(act.newName.pos) + ")");
    FieldSpec to = SpecOf(act.newName, act.type);
    const FieldSpec& from = cols_[i].spec;
    if (IsFloat(from.type) && IsFloat(to.type)) to.decimals = from.decimals;
    if (!Convertible(from.type, to.type))
      Fail(code::kColumnConversion, "column " + Quoted(name) + " of table " + table_ + " cannot change from " +
                                        std::string(FieldTypeWord(from.type)) + " to " +
                                        std::string(FieldTypeWord(to.type)) + where);
    cols_[i].spec = to;
    cols_[i].written = name;
  }

  std::string table_;
  std::vector<NewColumn> cols_;
};

// Tags follow their fields: a renamed field's new name goes into the key, a dropped field takes its tags with
// it, and so does a field that became a type no key can hold (the rewrite leaves those out).
std::vector<TagDefinition> TagsAfter(const std::vector<TagDefinition>& before, const Bound& b,
                                     const std::vector<NewColumn>& cols) {
  std::vector<TagDefinition> after;
  for (const TagDefinition& tag : before) {
    std::vector<char> separators;
    std::vector<KeyPartText> parts = SplitKeyText(tag.expression, separators);
    bool keepTag = true, renamed = false;
    for (KeyPartText& part : parts) {
      const int old = b.Field(part.name);
      int now = -1;
      for (std::size_t i = 0; i < cols.size(); ++i)
        if (old >= 0 && cols[i].source == old) now = static_cast<int>(i);
      if (now < 0) {
        keepTag = false;
        break;
      }
      if (cols[now].spec.name != part.name) {
        part.name = cols[now].spec.name;
        renamed = true;
      }
    }
    if (!keepTag) continue;
    TagDefinition t = tag;
    if (renamed) {
      t.expression.clear();
      for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i) t.expression += separators[i - 1];
        t.expression += parts[i].before + parts[i].name + parts[i].after;
      }
    }
    after.push_back(t);
  }
  return after;
}

// A column that keeps its type, length and decimals keeps its bytes: the rewrite copies them, and the values
// are worked out only for the columns that change.
std::vector<int> CopiedColumns(const Bound& b, const std::vector<NewColumn>& cols) {
  std::vector<int> copied;
  for (const NewColumn& c : cols) {
    const bool same = c.source >= 0 && !IsMemoLike(c.spec.type) && c.spec.type != FieldType::AutoInc &&
                      b.fields[c.source].type == c.spec.type && b.fields[c.source].length == c.spec.length &&
                      b.fields[c.source].decimals == c.spec.decimals;
    copied.push_back(same ? c.source : -1);
  }
  return copied;
}

}  // namespace

ExecuteResult RunAlter(const AlterTableStatement& a, const ParameterValues& params, Catalog& catalog) {
  Rows rows(params);
  Bound& b = rows.Add(catalog, a.table, 'A', {.exclusive = true});
  const std::string table = b.Shown();
  ColumnList list(b);
  for (const AlterAction& act : a.actions) list.Apply(act);
  const std::vector<NewColumn> cols = list.Take();

  storage::RecordMapping mapping;
  for (const NewColumn& c : cols) mapping.fields.push_back(c.spec);
  storage::TableHeader::ForFields(mapping.fields);  // a bad layout fails here, before the rewrite begins
  const std::vector<TagDefinition> before = b.table->Tags();
  mapping.tags = TagsAfter(before, b, cols);
  mapping.copied = CopiedColumns(b, cols);
  // A new AutoInc column numbers the existing rows 1, 2, 3 ... in record order; any other new column is NULL.
  std::int64_t row = 0;
  mapping.map = [&](const std::function<Value(int)>& old, std::vector<Value>& out) {
    ++row;
    for (std::size_t i = 0; i < cols.size(); ++i) {
      if (mapping.copied[i] >= 0) continue;
      if (cols[i].source >= 0) out[i] = ConvertColumn(cols[i], old(cols[i].source), table);
      else out[i] = cols[i].spec.type == FieldType::AutoInc ? Value::Integer(row) : Value::Null();
    }
  };
  try {
    b.table->Restructure(mapping);
  } catch (const AceError& e) {
    if (e.Code() != code::kUniqueKeyViolation) throw;
    Fail(e.Code(), "the changed columns give two records of table " + table +
                       " one key of a unique index tag; nothing was changed (" + e.what() + ")");
  }
  catalog.TagsReplaced(a.table, before, b.table->Tags());
  return {};
}

}  // namespace ace::sql::exec
