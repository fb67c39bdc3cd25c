#include "ace/sql/executor.h"

#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>

#include "ace/core/error.h"
#include "ace/sql/lexer.h"
#include "ace/sql/parser.h"
#include "ace/storage/key_codec.h"
#include "ace/storage/record_codec.h"
#include "platform/file.h"
#include "support/strings.h"

namespace stdfs = std::filesystem;

namespace ace::sql {

ScratchFolder::ScratchFolder() {
  std::error_code ec;
  stdfs::path base = stdfs::temp_directory_path(ec);
  if (ec) base = "/tmp";
  std::string pattern = (base / "kv-ace-result-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr)
    Fail(code::kIoError, "cannot make a folder for a query result in " + base.string());
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  stdfs::remove_all(path_, ec);
}

namespace {

using storage::FieldDescriptor;
using storage::Table;
using storage::TagDefinition;

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

std::string At(const Position& pos) { return " at " + Where(pos); }
std::string Quoted(std::string_view name) { return "'" + std::string(name) + "'"; }

// A table name as a statement writes it, without a folder and without ".ADT".
std::string Stem(std::string_view name) {
  std::string s(name);
  const auto sep = s.find_last_of("\\/");
  if (sep != std::string::npos) s = s.substr(sep + 1);
  if (s.size() > 4 && kv::SameText(std::string_view(s).substr(s.size() - 4), ".ADT")) s.resize(s.size() - 4);
  return s;
}

// Every node of an expression, with whether it stands inside an aggregate call's argument.
void Walk(const Expr& e, const std::function<void(const Expr&, bool)>& f, bool inAggregate = false) {
  f(e, inAggregate);
  std::visit(Overloaded{[&](const Unary& u) { Walk(*u.operand, f, inAggregate); },
                        [&](const Binary& b) {
                          Walk(*b.left, f, inAggregate);
                          Walk(*b.right, f, inAggregate);
                        },
                        [&](const IsNull& n) { Walk(*n.operand, f, inAggregate); },
                        [&](const FunctionCall& c) {
                          const bool agg = inAggregate || IsAggregate(c.function);
                          for (const ExprPtr& a : c.args) Walk(*a, f, agg);
                        },
                        [](const auto&) {}},
             e.node);
}

void RefuseAggregate(const Expr& e, const char* where) {
  Walk(e, [&](const Expr& node, bool) {
    if (const auto* c = std::get_if<FunctionCall>(&node.node); c && IsAggregate(c->function))
      Fail(code::kSqlUnsupported, "The aggregate " + std::string(FunctionName(c->function)) + " cannot stand in " + where + At(node.pos));
  });
}

bool IsText(FieldType t) { return t == FieldType::Char || t == FieldType::Memo; }
bool IsBytes(FieldType t) { return t == FieldType::Raw || t == FieldType::Binary || t == FieldType::Image; }
bool IsWhole(FieldType t) { return t == FieldType::ShortInt || t == FieldType::Integer || t == FieldType::AutoInc; }
bool IsFloat(FieldType t) { return t == FieldType::Double || t == FieldType::CurDouble; }

FieldSpec TypedField(FieldType type, std::uint16_t length = 0) {
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

// The value as a field of this layout keeps it (the kind a read gives back), by the storage layer's own
// conversion rules; AceError (kTypeMismatch, kValueOutOfRange) when it cannot be kept there.
Value StoredForm(const FieldSpec& field, const Value& v) {
  if (v.IsNull()) return v;
  FieldDescriptor f;
  static_cast<FieldSpec&>(f) = field;
  if (IsMemoLike(field.type)) return storage::MemoValueOf(f, storage::MemoBytesOf(f, v));
  f.offset = 1;
  f.nullBit = 0;
  std::vector<std::uint8_t> payload(1 + FieldValueSize(field), 0);
  storage::WriteScalar(f, payload.data(), v);
  return storage::ReadScalar(f, payload.data());
}

// StoredForm for a value a statement writes: the error text says where the value was written.
Value Store(const FieldSpec& field, const Value& v, const Position& pos) {
  try {
    return StoredForm(field, v);
  } catch (const AceError& e) {
    Fail(e.Code() == code::kTypeMismatch ? code::kSqlTypeMismatch : e.Code(), std::string(e.what()) + At(pos));
  }
}

// A grouping key: values that SameGroup puts together give the same text.
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

// --- the tables of a statement and the names that lead into them ---------------------------------------------

struct Bound {
  TableRef ref;
  std::unique_ptr<Table> table;
  std::vector<FieldDescriptor> fields;

  std::string Shown() const { return table->Name(); }
  bool Answers(std::string_view qualifier) const {
    return (!ref.alias.empty() && kv::SameText(ref.alias, qualifier)) || kv::SameText(Stem(ref.name), Stem(qualifier));
  }
  int Field(std::string_view name) const {
    for (std::size_t i = 0; i < fields.size(); ++i)
      if (kv::SameText(fields[i].name, name)) return static_cast<int>(i);
    return -1;
  }
};

struct Slot {
  int table = -1;
  int field = -1;
  bool operator==(const Slot&) const = default;
};

class Rows {
 public:
  explicit Rows(const ParameterValues& params) : params_(params) {}

  std::vector<Bound> tables;

  Bound& Add(Catalog& catalog, const TableRef& ref, char right, Table::Options options) {
    Bound b;
    b.ref = ref;
    b.table = catalog.Open(ref, right, options);
    const auto& fields = b.table->Header().fields;
    b.fields.assign(fields.begin(), fields.end());
    tables.push_back(std::move(b));
    return tables.back();
  }

  const ParameterValues& Params() const { return params_; }

  Slot Resolve(const ColumnRef& c, const Position& pos) {
    if (auto it = slots_.find(&c); it != slots_.end()) return it->second;
    Slot found;
    if (!c.table.empty()) {
      for (std::size_t i = 0; i < tables.size() && found.table < 0; ++i)
        if (tables[i].Answers(c.table)) found.table = static_cast<int>(i);
      if (found.table < 0)
        Fail(code::kSqlUnknownTable, "Table " + c.table + " of column " + c.table + "." + c.column +
                                         " is not named in the statement" + At(pos));
      found.field = tables[found.table].Field(c.column);
      if (found.field < 0)
        Fail(code::kSqlUnknownColumn,
             "Column " + Quoted(c.column) + " is not in table " + tables[found.table].Shown() + At(pos));
    } else {
      for (std::size_t i = 0; i < tables.size(); ++i) {
        const int f = tables[i].Field(c.column);
        if (f < 0) continue;
        if (found.table >= 0)
          Fail(code::kSqlUnknownColumn, "Column " + Quoted(c.column) + " is in both " + tables[found.table].Shown() +
                                            " and " + tables[i].Shown() + ": name its table" + At(pos));
        found = {static_cast<int>(i), f};
      }
      if (found.table < 0) {
        std::string names;
        for (const Bound& b : tables) names += (names.empty() ? "" : ", ") + b.Shown();
        Fail(code::kSqlUnknownColumn, "Column " + Quoted(c.column) + " is not in table" +
                                          (tables.size() > 1 ? "s " : " ") + names + At(pos));
      }
    }
    slots_[&c] = found;
    return found;
  }

  // Resolves every column of an expression and finds every parameter's value, so that a bad name fails before
  // anything is read or written.
  void Check(const Expr& e) {
    Walk(e, [&](const Expr& node, bool) {
      if (const auto* c = std::get_if<ColumnRef>(&node.node)) Resolve(*c, node.pos);
      if (const auto* p = std::get_if<ParamRef>(&node.node)) params_.Get(*p, node.pos);
    });
  }

  Slot SlotOf(const ColumnRef& c) const { return slots_.at(&c); }

  Value Column(const ColumnRef& c) {
    const Slot s = slots_.at(&c);
    return tables[s.table].table->GetField(s.field);
  }

  // The highest table an expression reads (-1 for none).
  int Level(const Expr& e) const {
    int level = -1;
    Walk(e, [&](const Expr& node, bool) {
      if (const auto* c = std::get_if<ColumnRef>(&node.node)) level = std::max(level, slots_.at(c).table);
    });
    return level;
  }

  Resolver RowResolver() {
    Resolver r = WithParameters(params_);
    r.column = [this](const ColumnRef& c, const Position& pos) {
      const Slot s = Resolve(c, pos);
      return tables[s.table].table->GetField(s.field);
    };
    return r;
  }

  // The field a result column of this expression gets.
  FieldSpec Infer(const Expr& e) const {
    return std::visit(
        Overloaded{
            [&](const Literal& l) {
              return l.value.IsNull() ? CharSpec(1) : SpecOfValue(l.value);
            },
            [&](const ParamRef& p) {
              const Value* v = params_.Find(p.name);
              return v ? SpecOfValue(*v) : CharSpec(1);
            },
            [&](const ColumnRef& c) {
              const Slot s = slots_.at(&c);
              FieldSpec f = tables[s.table].fields[s.field];
              if (f.type == FieldType::AutoInc) f.type = FieldType::Integer;  // a result is not numbered anew
              return f;
            },
            [&](const Unary& u) { return u.op == UnaryOp::Not ? TypedField(FieldType::Logical) : Infer(*u.operand); },
            [&](const Binary& b) {
              if (b.op != BinaryOp::Add && b.op != BinaryOp::Subtract && b.op != BinaryOp::Multiply &&
                  b.op != BinaryOp::Divide)
                return TypedField(FieldType::Logical);
              const FieldSpec l = Infer(*b.left), r = Infer(*b.right);
              const bool dated = l.type == FieldType::Date || l.type == FieldType::TimeStamp;
              if (dated && (b.op == BinaryOp::Add || b.op == BinaryOp::Subtract))
                return r.type == l.type && b.op == BinaryOp::Subtract ? TypedField(FieldType::Integer) : TypedField(l.type);
              if (r.type == FieldType::Date && b.op == BinaryOp::Add) return TypedField(FieldType::Date);
              if (l.type == FieldType::Double || r.type == FieldType::Double) return TypedField(FieldType::Double);
              if (l.type == FieldType::CurDouble || r.type == FieldType::CurDouble) return TypedField(FieldType::CurDouble);
              if (IsWhole(l.type) && IsWhole(r.type))
                return b.op == BinaryOp::Divide ? TypedField(FieldType::Double) : TypedField(FieldType::Integer);
              return TypedField(FieldType::Double);
            },
            [&](const IsNull&) { return TypedField(FieldType::Logical); },
            [&](const FunctionCall& c) {
              switch (c.function) {
                case Function::Count: return TypedField(FieldType::Integer);
                case Function::Avg: return TypedField(FieldType::Double);
                case Function::Sum: {
                  const FieldSpec a = Infer(*c.args.at(0));
                  if (IsWhole(a.type)) return TypedField(FieldType::Integer);
                  if (a.type == FieldType::CurDouble) return a;
                  return TypedField(FieldType::Double);
                }
                default: {
                  FieldSpec a = Infer(*c.args.at(0));
                  a.name.clear();
                  return a;
                }
              }
            },
        },
        e.node);
  }

 private:
  const ParameterValues& params_;
  std::unordered_map<const ColumnRef*, Slot> slots_;
};

// --- scans -------------------------------------------------------------------------------------------------------

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

// Visits the combinations of rows of a statement's tables (a nested loop in FROM order) for which the WHERE
// holds. Each part of an AND-ed condition is tested as soon as the tables it reads are positioned; a table
// whose leading tag fields are fixed by equalities is read through that tag's range.
class Scanner {
 public:
  Scanner(Rows& rows, const Expr* where) : rows_(rows), resolver_(rows.RowResolver()) {
    const std::size_t n = rows.tables.size();
    conditions_.resize(n);
    probes_.resize(n);
    std::vector<const Expr*> parts;
    Conjuncts(where, parts);
    for (const Expr* part : parts) conditions_[std::max(0, rows.Level(*part))].push_back(part);
    for (std::size_t level = 0; level < n; ++level) Plan(level, parts);
  }

  bool Scan(std::size_t level, std::size_t last, const std::function<bool()>& visit) {
    Table& t = *rows_.tables[level].table;
    const Probe& probe = probes_[level];
    bool scoped = false;
    if (probe.tag >= 0) {
      std::vector<Value> key;
      for (std::size_t k = 0; k < probe.values.size(); ++k) {
        Value v = Evaluate(*probe.values[k], resolver_);
        if (v.IsNull()) return true;  // "= NULL" holds for no record
        if (!KeyKindFits(rows_.tables[level].fields[probe.fields[k]], v)) break;
        key.push_back(std::move(v));
      }
      if (!key.empty()) {
        t.SetOrder(probe.tag);
        t.SetScope(key, key);
        scoped = true;
      }
    }
    if (!scoped && t.Order() != -1) t.SetOrder(-1);
    struct Unscope {
      Table& table;
      bool on;
      ~Unscope() {
        if (on) table.ClearScope();
      }
    } unscope{t, scoped};
    for (t.GotoTop(); !t.AtEof(); t.Skip(1)) {
      bool pass = true;
      for (const Expr* c : conditions_[level])
        if (!Holds(*c, resolver_)) {
          pass = false;
          break;
        }
      if (!pass) continue;
      if (!(level == last ? visit() : Scan(level + 1, last, visit))) return false;
    }
    return true;
  }

 private:
  struct Probe {
    int tag = -1;
    std::vector<int> fields;
    std::vector<const Expr*> values;
  };

  void Plan(std::size_t level, const std::vector<const Expr*>& parts) {
    std::map<int, const Expr*> fixed;  // field -> the value it must equal
    for (const Expr* part : parts) {
      const auto* b = std::get_if<Binary>(&part->node);
      if (b == nullptr || b->op != BinaryOp::Equal) continue;
      for (const auto& [column, value] : {std::pair{b->left.get(), b->right.get()}, std::pair{b->right.get(), b->left.get()}}) {
        const auto* c = std::get_if<ColumnRef>(&column->node);
        if (c == nullptr || ContainsAggregate(*value)) continue;
        const Slot s = rows_.SlotOf(*c);
        if (s.table == static_cast<int>(level) && rows_.Level(*value) < static_cast<int>(level))
          fixed.emplace(s.field, value);
      }
    }
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

  Rows& rows_;
  Resolver resolver_;
  std::vector<std::vector<const Expr*>> conditions_;
  std::vector<Probe> probes_;
};

// --- record filters ----------------------------------------------------------------------------------------------

struct RecordFilter {
  std::shared_ptr<const void> owner;  // keeps the tree of expr alive
  ExprPtr ownExpr;
  const Expr* expr = nullptr;
  ParameterValues params;
  std::unordered_map<const ColumnRef*, int> fields;
  Table* table = nullptr;
  Resolver resolver;
};

// names: what a qualified column may call the table besides its file name (the name and alias a statement gave).
std::function<bool()> BuildFilter(std::shared_ptr<RecordFilter> f, Table& table, const char* what,
                                  const std::vector<std::string>& names = {}) {
  f->table = &table;
  const storage::TableHeader& header = table.Header();
  auto namesTable = [&](const std::string& qualifier) {
    if (kv::SameText(Stem(qualifier), table.Name())) return true;
    for (const std::string& n : names)
      if (!n.empty() && (kv::SameText(qualifier, n) || kv::SameText(Stem(qualifier), Stem(n)))) return true;
    return false;
  };
  Walk(*f->expr, [&](const Expr& node, bool) {
    if (const auto* c = std::get_if<ColumnRef>(&node.node)) {
      if (!c->table.empty() && !namesTable(c->table))
        Fail(code::kSqlUnknownTable, "Table " + c->table + " of column " + c->table + "." + c->column + " is not " +
                                         table.Name() + At(node.pos) + what);
      const int i = header.FindField(c->column);
      if (i < 0) Fail(code::kSqlUnknownColumn, "Column " + Quoted(c->column) + " is not in table " + table.Name() + At(node.pos) + what);
      f->fields[c] = i;
    }
    if (const auto* p = std::get_if<ParamRef>(&node.node)) f->params.Get(*p, node.pos);
    if (const auto* call = std::get_if<FunctionCall>(&node.node); call && IsAggregate(call->function))
      Fail(code::kSqlUnsupported, "The aggregate " + std::string(FunctionName(call->function)) +
                                      " cannot stand in a record filter" + At(node.pos) + what);
  });
  RecordFilter* raw = f.get();
  f->resolver.parameter = [raw](const ParamRef& p, const Position& pos) { return raw->params.Get(p, pos); };
  f->resolver.column = [raw](const ColumnRef& c, const Position&) { return raw->table->GetField(raw->fields.at(&c)); };
  return [f] { return Holds(*f->expr, f->resolver); };
}

// --- SELECT ------------------------------------------------------------------------------------------------------

struct OutColumn {
  std::string name;
  FieldSpec spec;
  const Expr* expr = nullptr;
  Slot direct;
};

// Writes a static result into a table of its own in a private folder.
class ResultWriter {
 public:
  explicit ResultWriter(const std::vector<FieldSpec>& fields)
      : scratch_(std::make_shared<ScratchFolder>()), path_(scratch_->Path() / "RESULT.ADT") {
    table_ = Table::Create(path_, fields, 1, {true, false, true});
  }
  void Write(const std::vector<Value>& values) {
    table_->AppendRecord();
    try {
      for (std::size_t i = 0; i < values.size(); ++i)
        if (!values[i].IsNull()) table_->SetField(static_cast<int>(i), values[i]);
      table_->WriteRecord();
    } catch (...) {
      table_->CancelRecord();
      throw;
    }
    ++rows_;
  }
  const stdfs::path& Folder() const { return scratch_->Path(); }
  ExecuteResult Finish() {
    table_.reset();
    ExecuteResult r;
    // Private to this cursor (exclusive), and writable so that the caller can give it tags of its own columns.
    r.cursor = Table::Open(path_, {true, false, true});
    r.cursor->GotoTop();
    r.scratch = scratch_;
    r.rows = rows_;
    return r;
  }

 private:
  std::shared_ptr<ScratchFolder> scratch_;
  stdfs::path path_;
  std::unique_ptr<Table> table_;
  std::uint64_t rows_ = 0;
};

// --- ORDER BY beyond memory ----------------------------------------------------------------------------------------

// One value in a few bytes of its own, for rows that a sort keeps on disk: the kind, then the value.
void PutValue(std::string& out, const Value& v) {
  out.push_back(static_cast<char>(v.GetKind()));
  const auto put = [&](std::uint64_t x) {
    char bytes[8];
    std::memcpy(bytes, &x, sizeof bytes);
    out.append(bytes, sizeof bytes);
  };
  switch (v.GetKind()) {
    case Value::Kind::Null: break;
    case Value::Kind::Boolean: out.push_back(v.AsBoolean() ? 1 : 0); break;
    case Value::Kind::Integer: put(static_cast<std::uint64_t>(v.AsInteger())); break;
    case Value::Kind::Double: {
      const double d = v.AsDouble();
      std::uint64_t x = 0;
      std::memcpy(&x, &d, sizeof x);
      put(x);
      break;
    }
    case Value::Kind::Currency: put(static_cast<std::uint64_t>(v.AsCurrency().Scaled())); break;
    case Value::Kind::Date: put(static_cast<std::uint64_t>(static_cast<std::int64_t>(v.AsDate().Serial()))); break;
    case Value::Kind::Time: put(static_cast<std::uint64_t>(static_cast<std::int64_t>(v.AsTime().ms))); break;
    case Value::Kind::TimeStamp: put(static_cast<std::uint64_t>(v.AsTimeStamp().Milliseconds())); break;
    case Value::Kind::String:
      put(v.AsString().size());
      out += v.AsString();
      break;
    case Value::Kind::Bytes:
      put(v.AsBytes().size());
      out.append(reinterpret_cast<const char*>(v.AsBytes().data()), v.AsBytes().size());
      break;
  }
}

Value GetValue(std::string_view& in) {
  const auto take = [&](std::size_t n) {
    if (in.size() < n) Fail(code::kIoError, "a sort run of a query result does not read back");
    const std::string_view part = in.substr(0, n);
    in.remove_prefix(n);
    return part;
  };
  const auto get = [&] {
    std::uint64_t x = 0;
    std::memcpy(&x, take(sizeof x).data(), sizeof x);
    return x;
  };
  const auto kind = static_cast<Value::Kind>(static_cast<std::uint8_t>(take(1)[0]));
  switch (kind) {
    case Value::Kind::Null: return Value::Null();
    case Value::Kind::Boolean: return Value::Boolean(take(1)[0] != 0);
    case Value::Kind::Integer: return Value::Integer(static_cast<std::int64_t>(get()));
    case Value::Kind::Double: {
      const std::uint64_t x = get();
      double d = 0;
      std::memcpy(&d, &x, sizeof d);
      return Value::Double(d);
    }
    case Value::Kind::Currency: return Value::Money(kv::Currency::FromScaled(static_cast<std::int64_t>(get())));
    case Value::Kind::Date: return Value::Date(kv::Date::FromSerial(static_cast<std::int32_t>(get())));
    case Value::Kind::Time: return Value::Time(TimeOfDay{static_cast<std::int32_t>(get())});
    case Value::Kind::TimeStamp: return Value::TimeStamp(kv::DateTime::FromMilliseconds(static_cast<std::int64_t>(get())));
    case Value::Kind::String: {
      const std::uint64_t n = get();
      return Value::String(std::string(take(n)));
    }
    case Value::Kind::Bytes: {
      const std::uint64_t n = get();
      const std::string_view b = take(n);
      return Value::Blob(ByteVector(b.begin(), b.end()));
    }
  }
  Fail(code::kIoError, "a sort run of a query result does not read back");
}

std::size_t HeapBytes(const Value& v) {
  if (v.GetKind() == Value::Kind::String) return v.AsString().capacity() > 15 ? v.AsString().capacity() + 1 : 0;
  if (v.GetKind() == Value::Kind::Bytes) return v.AsBytes().capacity();
  return 0;
}

// The rows of an ordered result: sorted in memory while they fit a budget; past it, sorted runs are written to
// files in the result's scratch folder and merged at the end, so memory stays bounded whatever the row count.
// The order is stable: rows of equal keys keep the order in which they came.
class RowSorter {
 public:
  struct Row {
    std::vector<Value> keys;
    std::vector<Value> values;
  };
  using Less = std::function<bool(const std::vector<Value>&, const std::vector<Value>&)>;
  static constexpr std::size_t kBudget = 16u << 20;

  RowSorter(stdfs::path folder, Less less) : folder_(std::move(folder)), less_(std::move(less)) {}
  ~RowSorter() {
    for (const stdfs::path& run : runs_) kv::fs::RemoveHostFile(run);
  }
  RowSorter(const RowSorter&) = delete;
  RowSorter& operator=(const RowSorter&) = delete;

  void Add(Row row) {
    std::size_t bytes = sizeof(Row) + (row.keys.capacity() + row.values.capacity()) * sizeof(Value);
    for (const Value& v : row.keys) bytes += HeapBytes(v);
    for (const Value& v : row.values) bytes += HeapBytes(v);
    rows_.push_back(std::move(row));
    held_ += bytes;
    if (held_ > kBudget) Spill();
  }

  void Finish(const std::function<void(const std::vector<Value>&)>& write) {
    if (runs_.empty()) {
      SortHeld();
      for (const Row& r : rows_) write(r.values);
      return;
    }
    Spill();
    std::vector<Reader> readers;
    readers.reserve(runs_.size());
    for (const stdfs::path& run : runs_) readers.emplace_back(run);
    // The heads of the runs; of equal keys the earlier run's row goes first.
    std::vector<std::pair<Row, std::size_t>> heads;
    const auto later = [&](const std::pair<Row, std::size_t>& a, const std::pair<Row, std::size_t>& b) {
      if (less_(b.first.keys, a.first.keys)) return true;
      if (less_(a.first.keys, b.first.keys)) return false;
      return a.second > b.second;
    };
    for (std::size_t i = 0; i < readers.size(); ++i) {
      Row r;
      if (readers[i].Next(r, keyCount_, valueCount_)) heads.emplace_back(std::move(r), i);
    }
    std::make_heap(heads.begin(), heads.end(), later);
    while (!heads.empty()) {
      std::pop_heap(heads.begin(), heads.end(), later);
      auto& [row, run] = heads.back();
      write(row.values);
      if (readers[run].Next(row, keyCount_, valueCount_)) std::push_heap(heads.begin(), heads.end(), later);
      else heads.pop_back();
    }
  }

 private:
  // Reads a run back in pieces of 64 KiB.
  class Reader {
   public:
    explicit Reader(const stdfs::path& path)
        : file_(kv::fs::File::Open(path, kv::fs::File::Mode::ReadOnly)), size_(file_.Size()) {}
    bool Next(Row& row, std::size_t keys, std::size_t values) {
      if (consumed_ == size_) return false;
      std::uint64_t length = 0;
      Read(&length, sizeof length);
      record_.resize(length);
      Read(record_.data(), length);
      std::string_view in = record_;
      row.keys.clear();
      row.values.clear();
      for (std::size_t i = 0; i < keys; ++i) row.keys.push_back(GetValue(in));
      for (std::size_t i = 0; i < values; ++i) row.values.push_back(GetValue(in));
      return true;
    }

   private:
    void Read(void* out, std::size_t n) {
      auto* to = static_cast<char*>(out);
      while (n > 0) {
        if (at_ == buffer_.size()) {
          const std::uint64_t left = size_ - read_;
          if (left == 0) Fail(code::kIoError, "a sort run of a query result ends early");
          buffer_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(left, 64u << 10)));
          file_.ReadExactAt(read_, buffer_.data(), buffer_.size());
          read_ += buffer_.size();
          at_ = 0;
        }
        const std::size_t take = std::min(n, buffer_.size() - at_);
        std::memcpy(to, buffer_.data() + at_, take);
        to += take;
        at_ += take;
        n -= take;
        consumed_ += take;
      }
    }
    kv::fs::File file_;
    std::uint64_t size_ = 0, read_ = 0, consumed_ = 0;
    std::string buffer_, record_;
    std::size_t at_ = 0;
  };

  void SortHeld() {
    std::stable_sort(rows_.begin(), rows_.end(), [&](const Row& a, const Row& b) { return less_(a.keys, b.keys); });
  }

  void Spill() {
    if (rows_.empty()) return;
    SortHeld();
    keyCount_ = rows_.front().keys.size();
    valueCount_ = rows_.front().values.size();
    const stdfs::path path = folder_ / ("SORT" + std::to_string(runs_.size() + 1) + ".RUN");
    runs_.push_back(path);
    kv::fs::File file = kv::fs::File::Open(path, kv::fs::File::Mode::CreateOrTruncate);
    std::string chunk, record;
    std::uint64_t offset = 0;
    for (const Row& r : rows_) {
      record.clear();
      for (const Value& v : r.keys) PutValue(record, v);
      for (const Value& v : r.values) PutValue(record, v);
      const std::uint64_t length = record.size();
      chunk.append(reinterpret_cast<const char*>(&length), sizeof length);
      chunk += record;
      if (chunk.size() >= (1u << 20)) {
        file.WriteAt(offset, chunk.data(), chunk.size());
        offset += chunk.size();
        chunk.clear();
      }
    }
    if (!chunk.empty()) file.WriteAt(offset, chunk.data(), chunk.size());
    rows_.clear();
    rows_.shrink_to_fit();
    held_ = 0;
  }

  stdfs::path folder_;
  Less less_;
  std::vector<Row> rows_;
  std::size_t held_ = 0;
  std::vector<stdfs::path> runs_;
  std::size_t keyCount_ = 0, valueCount_ = 0;
};

ExecuteResult LiveSelect(const std::shared_ptr<const Statement>& tree, const SelectStatement& s,
                         const ParameterValues& params, Catalog& catalog, const ExecuteOptions& options) {
  Rows rows(params);
  Bound& b = rows.Add(catalog, s.from[0], 'R', {false, !options.live});
  const SelectItem& star = s.items[0];
  if (!star.starTable.empty() && !b.Answers(star.starTable))
    Fail(code::kSqlUnknownTable, "Table " + star.starTable + " of " + star.starTable + ".* is not named in the statement" + At(star.pos));
  ExecuteResult r;
  r.onTable = true;
  if (s.where) {
    auto f = std::make_shared<RecordFilter>();
    f->owner = tree;
    f->expr = s.where.get();
    f->params = params;
    r.filter = BuildFilter(f, *b.table, "", {b.ref.name, b.ref.alias});
    b.table->SetFilter(r.filter);
  }
  b.table->GotoTop();
  r.cursor = std::move(b.table);
  return r;
}

ExecuteResult StaticSelect(const SelectStatement& s, const ParameterValues& params, Catalog& catalog) {
  Rows rows(params);
  for (const TableRef& ref : s.from) rows.Add(catalog, ref, 'R', {false, true});

  std::vector<OutColumn> out;
  for (const SelectItem& item : s.items) {
    if (item.star) {
      bool any = false;
      for (std::size_t t = 0; t < rows.tables.size(); ++t) {
        if (!item.starTable.empty() && !rows.tables[t].Answers(item.starTable)) continue;
        any = true;
        for (std::size_t f = 0; f < rows.tables[t].fields.size(); ++f) {
          OutColumn c;
          c.spec = rows.tables[t].fields[f];
          if (c.spec.type == FieldType::AutoInc) c.spec.type = FieldType::Integer;
          c.name = c.spec.name;
          c.direct = {static_cast<int>(t), static_cast<int>(f)};
          out.push_back(std::move(c));
        }
      }
      if (!any)
        Fail(code::kSqlUnknownTable, "Table " + item.starTable + " of " + item.starTable + ".* is not named in the statement" + At(item.pos));
      continue;
    }
    rows.Check(*item.expr);
    OutColumn c;
    c.expr = item.expr.get();
    c.spec = rows.Infer(*item.expr);
    if (!item.alias.empty()) c.name = item.alias;
    else if (const auto* ref = std::get_if<ColumnRef>(&item.expr->node)) c.name = rows.tables[rows.SlotOf(*ref).table].fields[rows.SlotOf(*ref).field].name;
    else c.name = "EXPR";
    out.push_back(std::move(c));
  }
  // Result columns need distinct names: later ones of a name get a number.
  for (std::size_t i = 0; i < out.size(); ++i) {
    const std::string base = out[i].name;
    for (int n = 2;; ++n) {
      bool clash = false;
      for (std::size_t j = 0; j < i; ++j) clash = clash || kv::SameText(out[j].name, out[i].name);
      if (!clash) break;
      out[i].name = base + "_" + std::to_string(n);
    }
    out[i].spec.name = out[i].name;
  }

  if (s.where) {
    rows.Check(*s.where);
    RefuseAggregate(*s.where, "WHERE");
  }
  for (const ExprPtr& g : s.groupBy) {
    rows.Check(*g);
    RefuseAggregate(*g, "GROUP BY");
  }

  // ORDER BY: a position, a result column's name, or an expression over the source rows.
  struct SortKey {
    int column = -1;
    const Expr* expr = nullptr;
    bool descending = false;
  };
  std::vector<SortKey> sortKeys;
  for (const OrderItem& o : s.orderBy) {
    SortKey k;
    k.descending = o.descending;
    if (const auto* lit = std::get_if<Literal>(&o.expr->node); lit && lit->value.GetKind() == Value::Kind::Integer) {
      const std::int64_t n = lit->value.AsInteger();
      if (n < 1 || n > static_cast<std::int64_t>(out.size()))
        Fail(code::kSqlUnknownColumn, "ORDER BY " + std::to_string(n) + " names no column of the result" + At(o.expr->pos));
      k.column = static_cast<int>(n - 1);
    } else if (const auto* ref = std::get_if<ColumnRef>(&o.expr->node); ref && ref->table.empty()) {
      for (std::size_t i = 0; i < out.size() && k.column < 0; ++i)
        if (kv::SameText(out[i].name, ref->column)) k.column = static_cast<int>(i);
    }
    if (k.column < 0) {
      rows.Check(*o.expr);
      k.expr = o.expr.get();
    }
    sortKeys.push_back(k);
  }

  // Aggregate calls and the columns read outside of them.
  std::vector<const Expr*> aggCalls;
  std::unordered_map<const FunctionCall*, std::size_t> aggIndex;
  std::vector<const ColumnRef*> outer;
  std::unordered_map<const ColumnRef*, std::size_t> outerIndex;
  std::vector<std::pair<const ColumnRef*, Position>> outerAt;
  auto gather = [&](const Expr& e) {
    Walk(e, [&](const Expr& node, bool inAggregate) {
      if (const auto* c = std::get_if<FunctionCall>(&node.node); c && IsAggregate(c->function)) {
        aggIndex.emplace(c, aggCalls.size());
        aggCalls.push_back(&node);
      } else if (const auto* ref = std::get_if<ColumnRef>(&node.node); ref && !inAggregate) {
        outerIndex.emplace(ref, outer.size());
        outer.push_back(ref);
        outerAt.emplace_back(ref, node.pos);
      }
    });
  };
  for (const OutColumn& c : out)
    if (c.expr) gather(*c.expr);
  for (const SortKey& k : sortKeys)
    if (k.expr) gather(*k.expr);
  const bool aggregate = !s.groupBy.empty() || !aggCalls.empty();
  if (aggregate) {
    std::vector<Slot> grouped;
    for (const ExprPtr& g : s.groupBy)
      if (const auto* ref = std::get_if<ColumnRef>(&g->node)) grouped.push_back(rows.SlotOf(*ref));
    for (const SelectItem& item : s.items)
      if (item.star) Fail(code::kSqlUnsupported, "SELECT * cannot be grouped or aggregated" + At(item.pos));
    for (const auto& [ref, pos] : outerAt)
      if (std::find(grouped.begin(), grouped.end(), rows.SlotOf(*ref)) == grouped.end())
        Fail(code::kSqlUnsupported, "Column " + Quoted(ref->column) +
                                        " must be named in GROUP BY or stand inside an aggregate" + At(pos));
  }

  std::vector<FieldSpec> specs;
  for (const OutColumn& c : out) specs.push_back(c.spec);
  ResultWriter writer(specs);
  RowSorter sorter(writer.Folder(), [&](const std::vector<Value>& a, const std::vector<Value>& b) {
    for (std::size_t i = 0; i < sortKeys.size(); ++i) {
      const int c = OrderCompare(a[i], b[i]);
      if (c != 0) return sortKeys[i].descending ? c > 0 : c < 0;
    }
    return false;
  });
  std::set<std::string> seen;
  auto emit = [&](const Resolver& r) {
    std::vector<Value> values;
    values.reserve(out.size());
    for (const OutColumn& c : out)
      values.push_back(c.expr ? Evaluate(*c.expr, r) : rows.tables[c.direct.table].table->GetField(c.direct.field));
    if (s.distinct) {
      std::string key;
      for (const Value& v : values) AppendGroupKey(key, v);
      if (!seen.insert(key).second) return;
    }
    if (sortKeys.empty()) {
      writer.Write(values);
      return;
    }
    RowSorter::Row p;
    for (const SortKey& k : sortKeys) p.keys.push_back(k.column >= 0 ? values[k.column] : Evaluate(*k.expr, r));
    p.values = std::move(values);
    sorter.Add(std::move(p));
  };

  // Every table is held shared while the rows are read: no one changes them under the statement, and records
  // are read without a lock and a look at the counters each. Shared holds never wait on one another.
  std::vector<std::unique_ptr<Table::Hold>> holds;
  for (Bound& b : rows.tables) holds.push_back(std::make_unique<Table::Hold>(*b.table, false));
  Scanner scanner(rows, s.where.get());
  Resolver rowResolver = rows.RowResolver();
  struct Group {
    std::vector<Value> keys;
    std::vector<Value> outer;
    std::vector<Aggregator> aggs;
  };
  std::vector<Group> groups;
  std::map<std::string, std::size_t> groupIndex;
  auto newGroup = [&](std::vector<Value> keys) {
    Group g;
    g.keys = std::move(keys);
    for (const ColumnRef* ref : outer) g.outer.push_back(rows.Column(*ref));
    for (const Expr* call : aggCalls) g.aggs.emplace_back(std::get<FunctionCall>(call->node), call->pos);
    groups.push_back(std::move(g));
  };
  scanner.Scan(0, rows.tables.size() - 1, [&] {
    if (!aggregate) {
      emit(rowResolver);
      return true;
    }
    std::vector<Value> keys;
    std::string key;
    for (const ExprPtr& g : s.groupBy) {
      keys.push_back(Evaluate(*g, rowResolver));
      AppendGroupKey(key, keys.back());
    }
    auto [it, fresh] = groupIndex.emplace(key, groups.size());
    if (fresh) newGroup(std::move(keys));
    Group& g = groups[it->second];
    for (std::size_t i = 0; i < aggCalls.size(); ++i) {
      const auto& call = std::get<FunctionCall>(aggCalls[i]->node);
      g.aggs[i].Add(call.star ? Value::Integer(1) : Evaluate(*call.args.at(0), rowResolver));
    }
    return true;
  });
  for (auto& h : holds) h->Release();

  if (aggregate) {
    if (groups.empty() && s.groupBy.empty()) {
      // Aggregates over no rows still give their one row (COUNT 0, SUM NULL); no column is read outside them.
      Group g;
      for (const Expr* call : aggCalls) g.aggs.emplace_back(std::get<FunctionCall>(call->node), call->pos);
      groups.push_back(std::move(g));
    }
    if (!s.groupBy.empty())
      std::stable_sort(groups.begin(), groups.end(), [](const Group& a, const Group& b) {
        for (std::size_t i = 0; i < a.keys.size(); ++i)
          if (const int c = OrderCompare(a.keys[i], b.keys[i]); c != 0) return c < 0;
        return false;
      });
    for (const Group& g : groups) {
      Resolver r = WithParameters(params);
      r.column = [&](const ColumnRef& c, const Position&) { return g.outer.at(outerIndex.at(&c)); };
      r.aggregate = [&](const FunctionCall& c, const Position&) { return g.aggs.at(aggIndex.at(&c)).Result(); };
      emit(r);
    }
  }

  if (!sortKeys.empty()) sorter.Finish([&](const std::vector<Value>& values) { writer.Write(values); });
  return writer.Finish();
}

ExecuteResult RunSelect(const std::shared_ptr<const Statement>& tree, const SelectStatement& s,
                        const ParameterValues& params, Catalog& catalog, const ExecuteOptions& options) {
  const bool onTable = s.items.size() == 1 && s.items[0].star && s.from.size() == 1 && !s.distinct &&
                       s.groupBy.empty() && s.orderBy.empty();
  if (onTable) return LiveSelect(tree, s, params, catalog, options);
  return StaticSelect(s, params, catalog);
}

// --- INSERT, UPDATE, DELETE ------------------------------------------------------------------------------------

Resolver NoColumns(const ParameterValues& params) {
  Resolver r = WithParameters(params);
  r.column = [](const ColumnRef& c, const Position& pos) -> Value {
    Fail(code::kSqlUnknownColumn, "VALUES cannot read column " + Quoted(c.column) + At(pos));
  };
  return r;
}

void RefuseAutoInc(const Bound& b, int field, const Position& pos) {
  if (b.fields[field].type == FieldType::AutoInc)
    Fail(code::kReadOnly, "Column " + Quoted(b.fields[field].name) + " of table " + b.Shown() +
                              " is numbered by the table and cannot be set" + At(pos));
}

ExecuteResult RunInsert(const InsertStatement& ins, const ParameterValues& params, Catalog& catalog) {
  Rows rows(params);
  Bound& b = rows.Add(catalog, ins.table, 'I', {false, false});
  std::vector<int> fields;
  if (ins.columns.empty()) {
    if (ins.values.size() > b.fields.size())
      Fail(code::kSqlSyntax, "INSERT gives " + std::to_string(ins.values.size()) + " values but table " + b.Shown() +
                                 " has " + std::to_string(b.fields.size()) + " columns" + At(ins.values[b.fields.size()]->pos));
    for (std::size_t i = 0; i < ins.values.size(); ++i) fields.push_back(static_cast<int>(i));
  } else {
    for (const Name& n : ins.columns) {
      const int f = b.Field(n.text);
      if (f < 0) Fail(code::kSqlUnknownColumn, "Column " + Quoted(n.text) + " is not in table " + b.Shown() + At(n.pos));
      if (std::find(fields.begin(), fields.end(), f) != fields.end())
        Fail(code::kSqlSyntax, "Column " + Quoted(n.text) + " is named twice" + At(n.pos));
      fields.push_back(f);
    }
  }
  const Resolver r = NoColumns(params);
  std::vector<std::pair<int, Value>> values;
  for (std::size_t i = 0; i < ins.values.size(); ++i) {
    const Expr& e = *ins.values[i];
    RefuseAggregate(e, "VALUES");
    Value v = Evaluate(e, r);
    if (b.fields[fields[i]].type == FieldType::AutoInc) {
      if (v.IsNull()) continue;  // the table numbers it
      RefuseAutoInc(b, fields[i], e.pos);
    }
    values.emplace_back(fields[i], Store(b.fields[fields[i]], v, e.pos));
  }
  Table& t = *b.table;
  t.AppendRecord();
  try {
    for (const auto& [field, value] : values) t.SetField(field, value);
    t.WriteRecord();
  } catch (...) {
    t.CancelRecord();
    throw;
  }
  ExecuteResult result;
  result.rows = 1;
  return result;
}

// The text by which a unique key is compared: what the tag's key bytes would hold.
std::string KeyText(const storage::KeyDefinition& def, const std::vector<FieldDescriptor>& fields,
                    const std::vector<Value>& values) {
  std::string key;
  for (std::size_t i = 0; i < def.parts.size(); ++i) {
    const FieldDescriptor& f = fields[def.parts[i].field];
    Value v = values[i];
    if (f.type == FieldType::Char) {
      std::string text = v.IsNull() ? std::string() : v.AsString();
      if (text.size() > f.length) text.resize(f.length);
      if (def.parts[i].upper) text = kv::UpperCase(text);
      v = Value::String(text);
    }
    AppendGroupKey(key, v);
  }
  return key;
}

std::string ShowKey(const std::vector<Value>& values) {
  std::string text;
  for (const Value& v : values) text += (text.empty() ? "" : ";") + storage::ValueToText(v);
  return text;
}

// Locks every target record before the first write, so that no write can meet a record another user holds.
void LockAll(Table& t, const std::vector<std::uint64_t>& recnos) {
  std::vector<std::uint64_t> locked;
  try {
    for (std::uint64_t recno : recnos) {
      t.GotoRecord(recno);
      t.LockRecord();
      locked.push_back(recno);
    }
  } catch (...) {
    for (std::uint64_t recno : locked) {
      t.GotoRecord(recno);
      t.UnlockRecord();
    }
    throw;
  }
}

void UnlockFrom(Table& t, const std::vector<std::uint64_t>& recnos, std::size_t from) {
  for (std::size_t i = from; i < recnos.size(); ++i) {
    try {
      t.GotoRecord(recnos[i]);
      t.UnlockRecord();
    } catch (const AceError&) {
    }
  }
}

ExecuteResult RunUpdate(const UpdateStatement& u, const ParameterValues& params, Catalog& catalog) {
  Rows rows(params);
  rows.Add(catalog, u.table, 'W', {false, false});
  for (const TableRef& ref : u.from) rows.Add(catalog, ref, 'R', {false, true});
  Bound& target = rows.tables[0];

  struct Change {
    int field;
    const Expr* value;
    Position pos;
  };
  std::vector<Change> changes;
  for (const Assignment& a : u.assignments) {
    if (!a.target.table.empty() && !target.Answers(a.target.table))
      Fail(code::kSqlUnknownColumn, "Column " + a.target.table + "." + a.target.column + " is not in table " +
                                        target.Shown() + ", the table the statement changes" + At(a.pos));
    const int f = target.Field(a.target.column);
    if (f < 0) Fail(code::kSqlUnknownColumn, "Column " + Quoted(a.target.column) + " is not in table " + target.Shown() + At(a.pos));
    RefuseAutoInc(target, f, a.pos);
    rows.Check(*a.value);
    RefuseAggregate(*a.value, "SET");
    changes.push_back({f, a.value.get(), a.value->pos});
  }
  if (u.where) {
    rows.Check(*u.where);
    RefuseAggregate(*u.where, "WHERE");
  }

  // The unique tags whose keys the change touches, and the fields of those keys it leaves alone.
  Table& t = *target.table;
  const auto tags = t.Tags();
  struct UniqueTag {
    int tag;
    storage::KeyDefinition def;
  };
  std::vector<UniqueTag> unique;
  std::vector<int> keep;  // key fields read from the old record
  for (std::size_t i = 0; i < tags.size(); ++i) {
    if (!(tags[i].options & storage::kIndexUnique)) continue;
    storage::KeyDefinition def;
    try {
      def = storage::ParseKeyExpression(t.Header(), tags[i].expression, tags[i].options);
    } catch (const AceError&) {
      continue;
    }
    bool touched = false;
    for (const auto& part : def.parts)
      for (const Change& c : changes) touched = touched || c.field == part.field;
    if (!touched) continue;
    for (const auto& part : def.parts)
      if (std::find(keep.begin(), keep.end(), part.field) == keep.end()) keep.push_back(part.field);
    unique.push_back({static_cast<int>(i), def});
  }

  // One table alone is held for writing from the first read to the last write: no one else changes it between
  // the pass that checks and the pass that writes, and the records' changes reach the counters and the index once.
  // With FROM tables it is not: a statement holds at most one table, so that two statements never wait on each
  // other's tables.
  const bool single = rows.tables.size() == 1;
  std::optional<Table::Hold> hold;
  if (single) hold.emplace(t, true);

  // First pass: the target records, each new value converted (so a value that does not fit fails here), and
  // the values the unique checks need; nothing is written yet. A single-table statement keeps only the record
  // numbers and works the other values out again as it writes (the record is the same then: the table is held),
  // so memory grows by 8 bytes a target however many columns the statement sets.
  std::vector<int> valueSlot(changes.size(), -1);  // where a change's value is kept per target, -1: not kept
  std::size_t keptValues = 0;
  for (std::size_t c = 0; c < changes.size(); ++c) {
    bool needed = !single;
    for (const UniqueTag& ut : unique)
      for (const auto& part : ut.def.parts) needed = needed || part.field == changes[c].field;
    if (needed) valueSlot[c] = static_cast<int>(keptValues++);
  }
  std::vector<std::uint64_t> recnos;
  std::vector<Value> values;  // keptValues per target
  std::vector<Value> kept;    // keep.size() per target
  Scanner scanner(rows, u.where.get());
  const Resolver r = rows.RowResolver();
  std::vector<Value> fresh(changes.size());
  const auto newValues = [&] {
    for (std::size_t c = 0; c < changes.size(); ++c)
      fresh[c] = Store(target.fields[changes[c].field], Evaluate(*changes[c].value, r), changes[c].pos);
  };
  auto collect = [&] {
    recnos.push_back(t.RecordNumber());
    newValues();
    for (std::size_t c = 0; c < changes.size(); ++c)
      if (valueSlot[c] >= 0) values.push_back(std::move(fresh[c]));
    for (int f : keep) kept.push_back(t.GetField(f));
    return true;
  };
  if (single) {
    scanner.Scan(0, 0, collect);
  } else {
    // Each target record takes its values from the first combination of the other tables that matches.
    scanner.Scan(0, 0, [&] {
      scanner.Scan(1, rows.tables.size() - 1, [&] {
        collect();
        return false;
      });
      return true;
    });
  }

  const std::set<std::uint64_t> targetSet(recnos.begin(), recnos.end());
  for (const UniqueTag& ut : unique) {
    std::map<std::string, std::uint64_t> keys;
    for (std::size_t i = 0; i < recnos.size(); ++i) {
      std::vector<Value> key;
      for (const auto& part : ut.def.parts) {
        Value v;
        bool changed = false;
        for (std::size_t c = 0; c < changes.size(); ++c)
          if (changes[c].field == part.field) {
            v = values[i * keptValues + valueSlot[c]];
            changed = true;
          }
        if (!changed) v = kept[i * keep.size() + (std::find(keep.begin(), keep.end(), part.field) - keep.begin())];
        key.push_back(std::move(v));
      }
      const std::string text = KeyText(ut.def, target.fields, key);
      if (!keys.emplace(text, recnos[i]).second)
        Fail(code::kUniqueKeyViolation, "the change gives two records of table " + target.Shown() + " the key " +
                                            ShowKey(key) + " of unique index tag " + tags[ut.tag].name + "; nothing was changed");
      t.SetOrder(ut.tag);
      if (t.Seek(key, false) && t.RecordNumber() != recnos[i]) {
        if (targetSet.count(t.RecordNumber()))
          Fail(code::kUniqueKeyViolation, "the change moves the key " + ShowKey(key) + " of unique index tag " +
                                              tags[ut.tag].name + " of table " + target.Shown() +
                                              " from one changed record to another; nothing was changed");
        Fail(code::kUniqueKeyViolation, "the key " + ShowKey(key) + " is in unique index tag " + tags[ut.tag].name +
                                            " of table " + target.Shown() + " already; nothing was changed");
      }
    }
  }
  t.SetOrder(-1);

  if (hold) t.RequireUnlocked(recnos);
  else LockAll(t, recnos);
  std::size_t done = 0;
  try {
    for (; done < recnos.size(); ++done) {
      t.GotoRecord(recnos[done]);
      // Every value first, from the record as it is, then every field: a SET may read a column another one sets.
      if (single) newValues();
      for (std::size_t c = 0; c < changes.size(); ++c)
        t.SetField(changes[c].field, valueSlot[c] >= 0 ? values[done * keptValues + valueSlot[c]] : fresh[c]);
      t.WriteRecord();
      t.UnlockRecord();
    }
  } catch (...) {
    t.CancelRecord();
    UnlockFrom(t, recnos, done);
    throw;
  }
  if (hold) hold->Release();
  ExecuteResult result;
  result.rows = recnos.size();
  return result;
}

ExecuteResult RunDelete(const DeleteStatement& d, const ParameterValues& params, Catalog& catalog) {
  Rows rows(params);
  Bound& b = rows.Add(catalog, d.table, 'D', {false, false});
  if (d.where) {
    rows.Check(*d.where);
    RefuseAggregate(*d.where, "WHERE");
  }
  Table& t = *b.table;
  // Held for writing from the first read to the last delete (see UPDATE).
  Table::Hold hold(t, true);
  std::vector<std::uint64_t> recnos;
  Scanner scanner(rows, d.where.get());
  scanner.Scan(0, 0, [&] {
    recnos.push_back(t.RecordNumber());
    return true;
  });
  t.SetOrder(-1);
  t.RequireUnlocked(recnos);
  std::size_t done = 0;
  try {
    for (; done < recnos.size(); ++done) {
      t.GotoRecord(recnos[done]);
      t.DeleteRecord();
      t.UnlockRecord();
    }
  } catch (...) {
    UnlockFrom(t, recnos, done);
    throw;
  }
  hold.Release();
  ExecuteResult result;
  result.rows = recnos.size();
  return result;
}

// --- ALTER TABLE -------------------------------------------------------------------------------------------------

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
  int source = -1;       // old field, -1 for a new column
  std::string written;   // the name as the statement wrote it, for messages
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
  std::string current;
  int depth = 0;
  auto flush = [&] {
    KeyPartText p;
    std::string s(kv::TrimBlanks(current));
    const auto open = s.find('(');
    if (open != std::string::npos && !s.empty() && s.back() == ')') {
      p.before = s.substr(0, open + 1);
      p.name = std::string(kv::TrimBlanks(s.substr(open + 1, s.size() - open - 2)));
      p.after = ")";
    } else {
      p.name = s;
    }
    parts.push_back(p);
    current.clear();
  };
  for (char ch : expression) {
    if (ch == '(') ++depth;
    if (ch == ')') --depth;
    if ((ch == ';' || ch == '+') && depth == 0) {
      flush();
      separators.push_back(ch);
    } else {
      current += ch;
    }
  }
  flush();
  return parts;
}

ExecuteResult RunAlter(const AlterTableStatement& a, const ParameterValues& params, Catalog& catalog) {
  Rows rows(params);
  Bound& b = rows.Add(catalog, a.table, 'A', {true, false});
  const std::string table = b.Shown();
  std::vector<NewColumn> cols;
  for (std::size_t i = 0; i < b.fields.size(); ++i) cols.push_back({b.fields[i], static_cast<int>(i), b.fields[i].name});
  auto find = [&](std::string_view name) {
    for (std::size_t i = 0; i < cols.size(); ++i)
      if (kv::SameText(cols[i].spec.name, name)) return static_cast<int>(i);
    return -1;
  };
  auto specOf = [](const Name& name, const ColumnType& type) {
    FieldSpec s = TypedField(type.type, type.length);
    s.name = name.text;
    return s;
  };
  for (const AlterAction& act : a.actions) {
    const std::string& name = act.column.text;
    const std::string where = " (" + Where(act.column.pos) + ")";
    switch (act.kind) {
      case AlterAction::Kind::Add:
        if (find(name) >= 0) Fail(code::kColumnExists, "column " + Quoted(name) + " is in table " + table + " already" + where);
        cols.push_back({specOf(act.column, act.type), -1, name});
        break;
      case AlterAction::Kind::Alter: {
        const int i = find(name);
        if (i < 0) Fail(code::kColumnNotFound, "column " + Quoted(name) + " is not in table " + table + where);
        if (!kv::SameText(act.newName.text, name) && find(act.newName.text) >= 0)
          Fail(code::kColumnExists, "column " + Quoted(act.newName.text) + " is in table " + table + " already (" +
                                        Where(act.newName.pos) + ")");
        FieldSpec to = specOf(act.newName, act.type);
        const FieldSpec& from = cols[i].spec;
        if (IsFloat(from.type) && IsFloat(to.type)) to.decimals = from.decimals;
        if (!Convertible(from.type, to.type))
          Fail(code::kColumnConversion, "column " + Quoted(name) + " of table " + table + " cannot change from " +
                                            std::string(FieldTypeWord(from.type)) + " to " +
                                            std::string(FieldTypeWord(to.type)) + where);
        cols[i].spec = to;
        cols[i].written = name;
        break;
      }
      case AlterAction::Kind::Drop: {
        const int i = find(name);
        if (i < 0) Fail(code::kColumnNotFound, "column " + Quoted(name) + " is not in table " + table + where);
        cols.erase(cols.begin() + i);
        break;
      }
    }
  }
  if (cols.empty()) Fail(code::kBadFieldDefinition, "table " + table + " cannot lose its last column");

  storage::RecordMapping mapping;
  for (const NewColumn& c : cols) mapping.fields.push_back(c.spec);
  storage::TableHeader::ForFields(mapping.fields);  // a bad layout fails here, before the rewrite begins

  // Tags follow their fields: a renamed field's new name goes into the key, a dropped field takes its tags
  // with it, and so does a field that became a type no key can hold (the rewrite leaves those out).
  const std::vector<TagDefinition> before = b.table->Tags();
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
  mapping.tags = after;
  // A column that keeps its type, length and decimals keeps its bytes: the rewrite copies them, and the values
  // are worked out only for the columns that change.
  for (const NewColumn& c : cols) {
    const bool same = c.source >= 0 && !IsMemoLike(c.spec.type) && c.spec.type != FieldType::AutoInc &&
                      b.fields[c.source].type == c.spec.type && b.fields[c.source].length == c.spec.length &&
                      b.fields[c.source].decimals == c.spec.decimals;
    mapping.copied.push_back(same ? c.source : -1);
  }
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

// --- indexes, tables, procedures ---------------------------------------------------------------------------------

ExecuteResult RunCreateIndex(const CreateIndexStatement& ci, const ParameterValues& params, Catalog& catalog) {
  Rows rows(params);
  Bound& b = rows.Add(catalog, ci.table, 'A', {false, false});
  std::string expression;
  for (const IndexColumn& c : ci.columns) {
    const int f = b.Field(c.column.text);
    if (f < 0) Fail(code::kSqlUnknownColumn, "Column " + Quoted(c.column.text) + " is not in table " + b.Shown() + At(c.column.pos));
    if (c.descending != ci.columns.front().descending)
      Fail(code::kSqlUnsupported, "An index is ascending or descending as a whole: column " + Quoted(c.column.text) +
                                      " differs from the first" + At(c.column.pos));
    expression += (expression.empty() ? "" : ";") + b.fields[f].name;
  }
  std::uint32_t options = storage::kIndexCompound;
  if (ci.unique) options |= storage::kIndexUnique;
  if (ci.columns.front().descending) options |= storage::kIndexDescending;
  b.table->CreateTag(ci.index.text, expression, options, 512);
  const int tag = b.table->FindTag(ci.index.text);
  try {
    catalog.TagAdded(ci.table, b.table->Tags().at(tag));
  } catch (...) {
    b.table->DropTag(ci.index.text);
    throw;
  }
  return {};
}

ExecuteResult RunDropIndex(const DropIndexStatement& di, const ParameterValues& params, Catalog& catalog) {
  Rows rows(params);
  Bound& b = rows.Add(catalog, di.table, 'A', {false, false});
  const int tag = b.table->FindTag(di.index.text);
  if (tag < 0) Fail(code::kIndexNotFound, "table " + b.Shown() + " has no index tag " + di.index.text + At(di.index.pos));
  const std::string name = b.table->Tags()[tag].name;
  b.table->DropTag(name);
  catalog.TagRemoved(di.table, name);
  return {};
}

}  // namespace

ExecuteResult Execute(std::shared_ptr<const Statement> statement, const ParameterValues& parameters, Catalog& catalog,
                      const ExecuteOptions& options) {
  // Every path resolves its names and parameters before its first write, so a missing parameter fails with
  // the place it was written.
  const Statement& s = *statement;
  return std::visit(
      Overloaded{
          [&](const SelectStatement& x) { return RunSelect(statement, x, parameters, catalog, options); },
          [&](const InsertStatement& x) { return RunInsert(x, parameters, catalog); },
          [&](const UpdateStatement& x) { return RunUpdate(x, parameters, catalog); },
          [&](const DeleteStatement& x) { return RunDelete(x, parameters, catalog); },
          [&](const AlterTableStatement& x) { return RunAlter(x, parameters, catalog); },
          [&](const CreateIndexStatement& x) { return RunCreateIndex(x, parameters, catalog); },
          [&](const DropIndexStatement& x) { return RunDropIndex(x, parameters, catalog); },
          [&](const DropTableStatement& x) {
            catalog.DropTable(x.table);
            return ExecuteResult{};
          },
          [&](const CreateProcedureStatement& x) {
            catalog.CreateProcedure(x);
            return ExecuteResult{};
          },
      },
      s.body);
}

std::function<bool()> MakeRecordFilter(Table& table, std::string_view expression) {
  auto f = std::make_shared<RecordFilter>();
  f->ownExpr = ParseExpression(expression);
  f->expr = f->ownExpr.get();
  return BuildFilter(f, table, " of the record filter");
}

}  // namespace ace::sql
