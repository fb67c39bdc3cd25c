// The writing statements: INSERT, UPDATE, DELETE. Each checks what it can before its first write (columns,
// types, parameters, locks and unique keys), so that a failing statement changes nothing.
#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "ace/core/error.h"
#include "ace/sql/binding.h"
#include "ace/sql/field_values.h"
#include "ace/sql/scanner.h"
#include "ace/sql/statements.h"
#include "ace/storage/key_codec.h"
#include "ace/storage/record_codec.h"
#include "support/strings.h"

namespace ace::sql::exec {

namespace {

using storage::FieldDescriptor;
using storage::Table;

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

// The fields an INSERT's values go to: the columns it names, or the table's first ones in order.
std::vector<int> InsertFields(const InsertStatement& ins, const Bound& b) {
  std::vector<int> fields;
  if (ins.columns.empty()) {
    if (ins.values.size() > b.fields.size())
      Fail(code::kSqlSyntax, "INSERT gives " + std::to_string(ins.values.size()) + " values but table " + b.Shown() +
                                 " has " + std::to_string(b.fields.size()) + " columns" +
                                 At(ins.values[b.fields.size()]->pos));
    for (std::size_t i = 0; i < ins.values.size(); ++i) fields.push_back(static_cast<int>(i));
    return fields;
  }
  for (const Name& n : ins.columns) {
    const int f = b.Field(n.text);
    if (f < 0) Fail(code::kSqlUnknownColumn, "Column " + Quoted(n.text) + " is not in table " + b.Shown() + At(n.pos));
    if (std::find(fields.begin(), fields.end(), f) != fields.end())
      Fail(code::kSqlSyntax, "Column " + Quoted(n.text) + " is named twice" + At(n.pos));
    fields.push_back(f);
  }
  return fields;
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

// One UPDATE, in the steps it runs: bind the SET list, find the unique tags the change touches, collect the
// targets (and what the unique checks need), check the keys, write.
class Update {
 public:
  Update(const UpdateStatement& u, const ParameterValues& params, Catalog& catalog) : u_(u), rows_(params) {
    rows_.Add(catalog, u.table, 'W', {});
    for (const TableRef& ref : u.from) rows_.Add(catalog, ref, 'R', {.readOnly = true});
  }

  std::uint64_t Run() {
    BindChanges();
    FindUniqueTags();
    // One table alone is held for writing from the first read to the last write: no one else changes it between
    // the pass that checks and the pass that writes, and the records' changes reach the counters and the index
    // once. With FROM tables the reading passes run without a hold: a statement holds at most one table at a
    // time, so that two statements never wait on each other's tables. Its targets are locked record by record
    // instead, and the table is held only for the writing pass, which reads no other table.
    Table& t = Target();
    const bool single = rows_.tables.size() == 1;
    std::optional<Table::Hold> hold;
    if (single) hold.emplace(t, Table::HoldMode::kWrite);
    PlanKeptValues(single);
    Collect(single);
    CheckUniqueKeys();
    t.SetOrder(-1);
    if (hold) {
      t.RequireUnlocked(recnos_);
    } else {
      LockAll(t, recnos_);
      try {
        hold.emplace(t, Table::HoldMode::kWrite);
      } catch (...) {
        UnlockFrom(t, recnos_, 0);
        throw;
      }
    }
    // All or nothing from here, also across a crash.
    t.KeepForRollback(recnos_, true);
    Write(single);
    hold->Release();
    return recnos_.size();
  }

 private:
  struct Change {
    int field;
    const Expr* value;
    Position pos;
  };
  struct UniqueTag {
    int tag;
    storage::KeyDefinition def;
  };

  Bound& TargetBound() { return rows_.tables[0]; }
  Table& Target() { return *rows_.tables[0].table; }

  void BindChanges() {
    const Bound& target = TargetBound();
    for (const Assignment& a : u_.assignments) {
      if (!a.target.table.empty() && !target.Answers(a.target.table))
        Fail(code::kSqlUnknownColumn, "Column " + a.target.table + "." + a.target.column + " is not in table " +
                                          target.Shown() + ", the table the statement changes" + At(a.pos));
      const int f = target.Field(a.target.column);
      if (f < 0)
        Fail(code::kSqlUnknownColumn, "Column " + Quoted(a.target.column) + " is not in table " + target.Shown() + At(a.pos));
      RefuseAutoInc(target, f, a.pos);
      rows_.Check(*a.value);
      RefuseAggregate(*a.value, "SET");
      changes_.push_back({f, a.value.get(), a.value->pos});
    }
    if (u_.where) {
      rows_.Check(*u_.where);
      RefuseAggregate(*u_.where, "WHERE");
    }
  }

  bool Sets(int field) const {
    for (const Change& c : changes_)
      if (c.field == field) return true;
    return false;
  }

  // The unique tags whose keys the change touches, and the fields of those keys it leaves alone.
  void FindUniqueTags() {
    Table& t = Target();
    tags_ = t.Tags();
    for (std::size_t i = 0; i < tags_.size(); ++i) {
      if (!(tags_[i].options & index_option::kUnique)) continue;
      storage::KeyDefinition def;
      try {
        def = storage::ParseKeyExpression(t.Header(), tags_[i].expression, tags_[i].options);
      } catch (const AceError&) {
        continue;
      }
      bool touched = false;
      for (const auto& part : def.parts) touched = touched || Sets(part.field);
      if (!touched) continue;
      for (const auto& part : def.parts)
        if (std::find(keep_.begin(), keep_.end(), part.field) == keep_.end()) keep_.push_back(part.field);
      unique_.push_back({static_cast<int>(i), def});
    }
  }

  // Which new values are kept per target. A single-table statement keeps only those the unique checks need and
  // works the others out again as it writes (the record is the same then: the table is held), so memory grows
  // by 8 bytes a target however many columns the statement sets.
  void PlanKeptValues(bool single) {
    valueSlot_.assign(changes_.size(), -1);
    for (std::size_t c = 0; c < changes_.size(); ++c) {
      bool needed = !single;
      for (const UniqueTag& ut : unique_)
        for (const auto& part : ut.def.parts) needed = needed || part.field == changes_[c].field;
      if (needed) valueSlot_[c] = static_cast<int>(keptValues_++);
    }
    fresh_.resize(changes_.size());
  }

  // Every new value of the current record, converted (so a value that does not fit fails here).
  void NewValues(const Resolver& r) {
    const Bound& target = TargetBound();
    for (std::size_t c = 0; c < changes_.size(); ++c)
      fresh_[c] = Store(target.fields[changes_[c].field], Evaluate(*changes_[c].value, r), changes_[c].pos);
  }

  // First pass: the target records and what the later passes need of them; nothing is written yet.
  void Collect(bool single) {
    Table& t = Target();
    Scanner scanner(rows_, u_.where.get());
    const Resolver r = rows_.RowResolver();
    auto collect = [&] {
      recnos_.push_back(t.RecordNumber());
      NewValues(r);
      for (std::size_t c = 0; c < changes_.size(); ++c)
        if (valueSlot_[c] >= 0) values_.push_back(std::move(fresh_[c]));
      for (int f : keep_) kept_.push_back(t.GetField(f));
      return true;
    };
    if (single) {
      scanner.Scan(0, 0, collect);
      return;
    }
    // Each target record takes its values from the first combination of the other tables that matches.
    scanner.Scan(0, 0, [&] {
      scanner.Scan(1, rows_.tables.size() - 1, [&] {
        collect();
        return false;
      });
      return true;
    });
  }

  // The key target i gets in a unique tag: the new values where the change sets a field, the old ones elsewhere.
  std::vector<Value> NewKey(const UniqueTag& ut, std::size_t i) const {
    std::vector<Value> key;
    for (const auto& part : ut.def.parts) {
      Value v;
      bool changed = false;
      for (std::size_t c = 0; c < changes_.size(); ++c)
        if (changes_[c].field == part.field) {
          v = values_[i * keptValues_ + valueSlot_[c]];
          changed = true;
        }
      if (!changed) v = kept_[i * keep_.size() + (std::find(keep_.begin(), keep_.end(), part.field) - keep_.begin())];
      key.push_back(std::move(v));
    }
    return key;
  }

  void CheckUniqueKeys() {
    Table& t = Target();
    const std::string shown = TargetBound().Shown();
    const std::set<std::uint64_t> targetSet(recnos_.begin(), recnos_.end());
    for (const UniqueTag& ut : unique_) {
      const std::string& tag = tags_[ut.tag].name;
      std::map<std::string, std::uint64_t> keys;
      for (std::size_t i = 0; i < recnos_.size(); ++i) {
        const std::vector<Value> key = NewKey(ut, i);
        if (!keys.emplace(KeyText(ut.def, TargetBound().fields, key), recnos_[i]).second)
          Fail(code::kUniqueKeyViolation, "the change gives two records of table " + shown + " the key " +
                                              ShowKey(key) + " of unique index tag " + tag + "; nothing was changed");
        t.SetOrder(ut.tag);
        if (!t.Seek(key, Table::SeekMode::kExact) || t.RecordNumber() == recnos_[i]) continue;
        if (targetSet.count(t.RecordNumber()))
          Fail(code::kUniqueKeyViolation, "the change moves the key " + ShowKey(key) + " of unique index tag " + tag +
                                              " of table " + shown + " from one changed record to another; nothing was changed");
        Fail(code::kUniqueKeyViolation, "the key " + ShowKey(key) + " is in unique index tag " + tag + " of table " +
                                            shown + " already; nothing was changed");
      }
    }
  }

  void Write(bool single) {
    Table& t = Target();
    const Resolver r = rows_.RowResolver();
    std::size_t done = 0;
    try {
      for (; done < recnos_.size(); ++done) {
        t.GotoRecord(recnos_[done]);
        // Every value first, from the record as it is, then every field: a SET may read a column another one sets.
        if (single) NewValues(r);
        for (std::size_t c = 0; c < changes_.size(); ++c)
          t.SetField(changes_[c].field, valueSlot_[c] >= 0 ? values_[done * keptValues_ + valueSlot_[c]] : fresh_[c]);
        t.WriteRecord();
        t.UnlockRecord();
      }
    } catch (...) {
      t.CancelRecord();
      UnlockFrom(t, recnos_, done);
      throw;
    }
  }

  const UpdateStatement& u_;
  Rows rows_;
  std::vector<Change> changes_;
  std::vector<storage::TagDefinition> tags_;
  std::vector<UniqueTag> unique_;
  std::vector<int> keep_;            // key fields read from the old record
  std::vector<int> valueSlot_;       // where a change's value is kept per target, -1: not kept
  std::size_t keptValues_ = 0;
  std::vector<std::uint64_t> recnos_;
  std::vector<Value> values_;        // keptValues_ per target
  std::vector<Value> kept_;          // keep_.size() per target
  std::vector<Value> fresh_;         // the new values of the record at hand
};

}  // namespace

ExecuteResult RunInsert(const InsertStatement& ins, const ParameterValues& params, Catalog& catalog) {
  Rows rows(params);
  Bound& b = rows.Add(catalog, ins.table, 'I', {});
  const std::vector<int> fields = InsertFields(ins, b);
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

ExecuteResult RunUpdate(const UpdateStatement& u, const ParameterValues& params, Catalog& catalog) {
  Update update(u, params, catalog);
  ExecuteResult result;
  result.rows = update.Run();
  return result;
}

ExecuteResult RunDelete(const DeleteStatement& d, const ParameterValues& params, Catalog& catalog) {
  Rows rows(params);
  Bound& b = rows.Add(catalog, d.table, 'D', {});
  if (d.where) {
    rows.Check(*d.where);
    RefuseAggregate(*d.where, "WHERE");
  }
  Table& t = *b.table;
  // Held for writing from the first read to the last delete (see UPDATE).
  Table::Hold hold(t, Table::HoldMode::kWrite);
  std::vector<std::uint64_t> recnos;
  Scanner scanner(rows, d.where.get());
  scanner.Scan(0, 0, [&] {
    recnos.push_back(t.RecordNumber());
    return true;
  });
  t.SetOrder(-1);
  t.RequireUnlocked(recnos);
  t.KeepForRollback(recnos, false);
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

}  // namespace ace::sql::exec
