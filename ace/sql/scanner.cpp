#include "ace/sql/scanner.h"

#include <algorithm>
#include <cstdint>
#include <map>

#include "ace/core/error.h"
#include "ace/sql/field_values.h"
#include "ace/storage/key_codec.h"

namespace ace::sql::exec {

namespace {

using storage::FieldDescriptor;
using storage::Table;

// The parts of an AND-ed condition.
void Conjuncts(const Expr* e, std::vector<const Expr*>& out) {
  if (e == nullptr) return;
  if (const auto* b = std::get_if<Binary>(&e->node); b && b->op == BinaryOp::And) {
    Conjuncts(b->left.get(), out);
    Conjuncts(b->right.get(), out);
    return;
  }
  out.push_back(e);
}

// Whether a seek value of this kind finds exactly the records that "=" finds, so a tag may stand in for a scan.
bool KeyKindFits(const FieldDescriptor& f, const Value& v) {
  switch (v.GetKind()) {
    case Value::Kind::String: return f.type == FieldType::Char;
    case Value::Kind::Integer:
      if (f.type == FieldType::ShortInt) return v.AsInteger() >= -32768 && v.AsInteger() <= 32767;
      if (f.type == FieldType::Integer) return v.AsInteger() >= INT32_MIN && v.AsInteger() <= INT32_MAX;
      if (f.type == FieldType::AutoInc) return v.AsInteger() >= 0 && v.AsInteger() <= UINT32_MAX;
      return IsFloat(f.type);
    case Value::Kind::Double:
    case Value::Kind::Currency: return IsFloat(f.type);
    case Value::Kind::Date: return f.type == FieldType::Date;
    case Value::Kind::Boolean: return f.type == FieldType::Logical;
    case Value::Kind::Time: return f.type == FieldType::Time;
    case Value::Kind::TimeStamp: return f.type == FieldType::TimeStamp;
    default: return false;
  }
}

// The fields of this level's table that an equality fixes to a value known before the table is read.
std::map<int, const Expr*> FixedFields(const Rows& rows, std::size_t level, const std::vector<const Expr*>& parts) {
  std::map<int, const Expr*> fixed;  // field -> the value it must equal
  for (const Expr* part : parts) {
    const auto* b = std::get_if<Binary>(&part->node);
    if (b == nullptr || b->op != BinaryOp::Equal) continue;
    for (const auto& [column, value] :
         {std::pair{b->left.get(), b->right.get()}, std::pair{b->right.get(), b->left.get()}}) {
      const auto* c = std::get_if<ColumnRef>(&column->node);
      if (c == nullptr || ContainsAggregate(*value)) continue;
      const Slot s = rows.SlotOf(*c);
      if (s.table == static_cast<int>(level) && rows.Level(*value) < static_cast<int>(level))
        fixed.emplace(s.field, value);
    }
  }
  return fixed;
}

}  // namespace

Scanner::Scanner(Rows& rows, const Expr* where) : rows_(rows), resolver_(rows.RowResolver()) {
  const std::size_t n = rows.tables.size();
  conditions_.resize(n);
  probes_.resize(n);
  std::vector<const Expr*> parts;
  Conjuncts(where, parts);
  for (const Expr* part : parts) conditions_[std::max(0, rows.Level(*part))].push_back(part);
  for (std::size_t level = 0; level < n; ++level) Plan(level, parts);
}

bool Scanner::Scope(std::size_t level, bool& empty) {
  const Probe& probe = probes_[level];
  empty = false;
  if (probe.tag < 0) return false;
  std::vector<Value> key;
  for (std::size_t k = 0; k < probe.values.size(); ++k) {
    Value v = Evaluate(*probe.values[k], resolver_);
    if (v.IsNull()) {
      empty = true;  // "= NULL" holds for no record
      return false;
    }
    if (!KeyKindFits(rows_.tables[level].fields[probe.fields[k]], v)) break;
    key.push_back(std::move(v));
  }
  if (key.empty()) return false;
  Table& t = *rows_.tables[level].table;
  t.SetOrder(probe.tag);
  t.SetScope(key, key);
  return true;
}

bool Scanner::Passes(std::size_t level) {
  for (const Expr* c : conditions_[level])
    if (!Holds(*c, resolver_)) return false;
  return true;
}

bool Scanner::Scan(std::size_t level, std::size_t last, const std::function<bool()>& visit) {
  Table& t = *rows_.tables[level].table;
  bool empty = false;
  const bool scoped = Scope(level, empty);
  if (empty) return true;
  if (!scoped && t.Order() != -1) t.SetOrder(-1);
  struct Unscope {
    Table& table;
    bool on;
    ~Unscope() {
      if (on) table.ClearScope();
    }
  } unscope{t, scoped};
  for (t.GotoTop(); !t.AtEof(); t.Skip(1)) {
    if (!Passes(level)) continue;
    if (!(level == last ? visit() : Scan(level + 1, last, visit))) return false;
  }
  return true;
}

void Scanner::Plan(std::size_t level, const std::vector<const Expr*>& parts) {
  const std::map<int, const Expr*> fixed = FixedFields(rows_, level, parts);
  if (fixed.empty()) return;
  Table& t = *rows_.tables[level].table;
  const auto tags = t.Tags();
  for (std::size_t i = 0; i < tags.size(); ++i) {
    storage::KeyDefinition def;
    try {
      def = storage::ParseKeyExpression(t.Header(), tags[i].expression, tags[i].options);
    } catch (const AceError&) {
      continue;
    }
    Probe p;
    p.tag = static_cast<int>(i);
    for (const storage::KeyPart& part : def.parts) {
      auto it = fixed.find(part.field);
      if (part.upper || it == fixed.end()) break;
      p.fields.push_back(part.field);
      p.values.push_back(it->second);
    }
    if (p.values.size() > probes_[level].values.size()) probes_[level] = std::move(p);
  }
}

}  // namespace ace::sql::exec
