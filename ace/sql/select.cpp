// SELECT. A SELECT * over one table with no DISTINCT, GROUP BY or ORDER BY is a cursor on the table itself
// (its WHERE becomes the table's record filter); any other SELECT is read once into a static result table.
#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "ace/core/error.h"
#include "ace/core/scratch_secret.h"
#include "ace/sql/binding.h"
#include "ace/sql/field_values.h"
#include "ace/sql/record_filter.h"
#include "ace/sql/result_writer.h"
#include "ace/sql/row_sorter.h"
#include "ace/sql/scanner.h"
#include "ace/sql/statements.h"
#include "support/strings.h"

namespace ace::sql::exec {

namespace {

using storage::Table;

void RefuseUnnamedStar(const SelectItem& star) {
  Fail(code::kSqlUnknownTable,
       "Table " + star.starTable + " of " + star.starTable + ".* is not named in the statement" + At(star.pos));
}

ExecuteResult LiveSelect(const std::shared_ptr<const Statement>& tree, const SelectStatement& s,
                         const ParameterValues& params, Catalog& catalog, const ExecuteOptions& options) {
  Rows rows(params);
  Bound& b = rows.Add(catalog, s.from[0], 'R', {.readOnly = !options.live});
  const SelectItem& star = s.items[0];
  if (!star.starTable.empty() && !b.Answers(star.starTable)) RefuseUnnamedStar(star);
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

// --- the shape of a static result ----------------------------------------------------------------------------

// A column of the result: an expression, or (direct) a field copied from a source table by a "*".
struct OutColumn {
  std::string name;
  FieldSpec spec;
  const Expr* expr = nullptr;
  Slot direct;
};

// An ORDER BY key: a result column, or an expression over the source rows.
struct SortKey {
  int column = -1;
  const Expr* expr = nullptr;
  bool descending = false;
};

// The aggregate calls of the result columns and sort keys, and the columns read outside of them.
struct Aggregation {
  std::vector<const Expr*> calls;
  std::unordered_map<const FunctionCall*, std::size_t> callIndex;
  std::vector<const ColumnRef*> outer;
  std::unordered_map<const ColumnRef*, std::size_t> outerIndex;
  std::vector<std::pair<const ColumnRef*, Position>> outerAt;
  bool on = false;  // GROUP BY or an aggregate call: one row a group
};

void AddStarColumns(const SelectItem& item, const Rows& rows, std::vector<OutColumn>& out) {
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
  if (!any) RefuseUnnamedStar(item);
}

// Result columns need distinct names: a later one of a name already taken gets the first of _2, _3, ... not
// taken. Names are only ever added, so a number once found taken stays taken: each name resumes where the last
// search for it stopped, and the whole costs time in proportion to the columns, not to their square.
void NameApart(std::vector<OutColumn>& out) {
  std::unordered_set<std::string> taken;
  std::unordered_map<std::string, int> nextNumber;
  for (OutColumn& column : out) {
    const std::string base = kv::UpperCase(column.name);
    if (!taken.insert(base).second) {
      int& n = nextNumber.try_emplace(base, 2).first->second;
      while (taken.count(base + "_" + std::to_string(n)) != 0) ++n;
      column.name += "_" + std::to_string(n);
      taken.insert(base + "_" + std::to_string(n));
      ++n;
    }
    column.spec.name = column.name;
  }
}

std::vector<OutColumn> ResultColumns(const SelectStatement& s, Rows& rows) {
  std::vector<OutColumn> out;
  for (const SelectItem& item : s.items) {
    if (item.star) {
      AddStarColumns(item, rows, out);
      continue;
    }
    rows.Check(*item.expr);
    OutColumn c;
    c.expr = item.expr.get();
    c.spec = rows.Infer(*item.expr);
    if (!item.alias.empty()) c.name = item.alias;
    else if (const auto* ref = std::get_if<ColumnRef>(&item.expr->node))
      c.name = rows.tables[rows.SlotOf(*ref).table].fields[rows.SlotOf(*ref).field].name;
    else c.name = "EXPR";
    out.push_back(std::move(c));
  }
  NameApart(out);
  return out;
}

void CheckClauses(const SelectStatement& s, Rows& rows) {
  if (s.where) {
    rows.Check(*s.where);
    RefuseAggregate(*s.where, "WHERE");
  }
  for (const ExprPtr& g : s.groupBy) {
    rows.Check(*g);
    RefuseAggregate(*g, "GROUP BY");
  }
}

// ORDER BY: a position, a result column's name, or an expression over the source rows.
std::vector<SortKey> SortKeys(const SelectStatement& s, const std::vector<OutColumn>& out, Rows& rows) {
  std::vector<SortKey> keys;
  for (const OrderItem& o : s.orderBy) {
    SortKey k;
    k.descending = o.descending;
    if (const auto* lit = std::get_if<Literal>(&o.expr->node); lit && lit->value.GetKind() == Value::Kind::Integer) {
      const std::int64_t n = lit->value.AsInteger();
      if (n < 1 || n > static_cast<std::int64_t>(out.size()))
        Fail(code::kSqlUnknownColumn,
             "ORDER BY " + std::to_string(n) + " names no column of the result" + At(o.expr->pos));
      k.column = static_cast<int>(n - 1);
    } else if (const auto* ref = std::get_if<ColumnRef>(&o.expr->node); ref && ref->table.empty()) {
      for (std::size_t i = 0; i < out.size() && k.column < 0; ++i)
        if (kv::SameText(out[i].name, ref->column)) k.column = static_cast<int>(i);
    }
    if (k.column < 0) {
      rows.Check(*o.expr);
      k.expr = o.expr.get();
    }
    keys.push_back(k);
  }
  return keys;
}

// Gathers the aggregate calls and outer columns; an aggregated result may read outside its aggregates only the
// columns it groups by, and cannot hold a "*".
Aggregation GatherAggregates(const SelectStatement& s, const std::vector<OutColumn>& out,
                             const std::vector<SortKey>& sortKeys, const Rows& rows) {
  Aggregation a;
  auto gather = [&](const Expr& e) {
    Walk(e, [&](const Expr& node, bool inAggregate) {
      if (const auto* c = std::get_if<FunctionCall>(&node.node); c && IsAggregate(c->function)) {
        a.callIndex.emplace(c, a.calls.size());
        a.calls.push_back(&node);
      } else if (const auto* ref = std::get_if<ColumnRef>(&node.node); ref && !inAggregate) {
        a.outerIndex.emplace(ref, a.outer.size());
        a.outer.push_back(ref);
        a.outerAt.emplace_back(ref, node.pos);
      }
    });
  };
  for (const OutColumn& c : out)
    if (c.expr) gather(*c.expr);
  for (const SortKey& k : sortKeys)
    if (k.expr) gather(*k.expr);
  a.on = !s.groupBy.empty() || !a.calls.empty();
  if (!a.on) return a;
  std::vector<Slot> grouped;
  for (const ExprPtr& g : s.groupBy)
    if (const auto* ref = std::get_if<ColumnRef>(&g->node)) grouped.push_back(rows.SlotOf(*ref));
  for (const SelectItem& item : s.items)
    if (item.star) Fail(code::kSqlUnsupported, "SELECT * cannot be grouped or aggregated" + At(item.pos));
  for (const auto& [ref, pos] : a.outerAt)
    if (std::find(grouped.begin(), grouped.end(), rows.SlotOf(*ref)) == grouped.end())
      Fail(code::kSqlUnsupported, "Column " + Quoted(ref->column) +
                                      " must be named in GROUP BY or stand inside an aggregate" + At(pos));
  return a;
}

// --- producing the rows --------------------------------------------------------------------------------------

// Turns the current row (a source row, or a group) into a result row: DISTINCT drops a row seen before, and an
// ordered result goes through the sorter, any other straight into the result table.
class Emitter {
 public:
  Emitter(bool distinct, Rows& rows, const std::vector<OutColumn>& out, const std::vector<SortKey>& keys,
          ResultWriter& writer, RowSorter& sorter)
      : distinct_(distinct), rows_(rows), out_(out), keys_(keys), writer_(writer), sorter_(sorter) {}

  void operator()(const Resolver& r) {
    std::vector<Value> values;
    values.reserve(out_.size());
    for (const OutColumn& c : out_)
      values.push_back(c.expr ? Evaluate(*c.expr, r) : rows_.tables[c.direct.table].table->GetField(c.direct.field));
    if (distinct_) {
      std::string key;
      for (const Value& v : values) AppendGroupKey(key, v);
      if (!seen_.insert(key).second) return;
    }
    if (keys_.empty()) {
      writer_.Write(values);
      return;
    }
    RowSorter::Row p;
    for (const SortKey& k : keys_) p.keys.push_back(k.column >= 0 ? values[k.column] : Evaluate(*k.expr, r));
    p.values = std::move(values);
    sorter_.Add(std::move(p));
  }

 private:
  bool distinct_;
  Rows& rows_;
  const std::vector<OutColumn>& out_;
  const std::vector<SortKey>& keys_;
  ResultWriter& writer_;
  RowSorter& sorter_;
  std::set<std::string> seen_;
};

// The groups of an aggregated result, in the order they were first met, each with its GROUP BY values, the
// outer columns of its first row and its aggregates.
class Groups {
 public:
  Groups(const SelectStatement& s, Rows& rows, const Aggregation& agg) : s_(s), rows_(rows), agg_(agg) {}

  void Add(const Resolver& r) {
    std::vector<Value> keys;
    std::string key;
    for (const ExprPtr& g : s_.groupBy) {
      keys.push_back(Evaluate(*g, r));
      AppendGroupKey(key, keys.back());
    }
    auto [it, fresh] = index_.emplace(key, groups_.size());
    if (fresh) groups_.push_back(NewGroup(std::move(keys), true));
    Group& g = groups_[it->second];
    for (std::size_t i = 0; i < agg_.calls.size(); ++i) {
      const auto& call = std::get<FunctionCall>(agg_.calls[i]->node);
      g.aggs[i].Add(call.star ? Value::Integer(1) : Evaluate(*call.args.at(0), r));
    }
  }

  // Emits one row a group, in GROUP BY order.
  void EmitAll(const ParameterValues& params, Emitter& emit) {
    // Aggregates over no rows still give their one row (COUNT 0, SUM NULL); no column is read outside them.
    if (groups_.empty() && s_.groupBy.empty()) groups_.push_back(NewGroup({}, false));
    if (!s_.groupBy.empty())
      std::stable_sort(groups_.begin(), groups_.end(), [](const Group& a, const Group& b) {
        for (std::size_t i = 0; i < a.keys.size(); ++i)
          if (const int c = OrderCompare(a.keys[i], b.keys[i]); c != 0) return c < 0;
        return false;
      });
    for (const Group& g : groups_) {
      Resolver r = WithParameters(params);
      r.column = [&](const ColumnRef& c, const Position&) { return g.outer.at(agg_.outerIndex.at(&c)); };
      r.aggregate = [&](const FunctionCall& c, const Position&) { return g.aggs.at(agg_.callIndex.at(&c)).Result(); };
      emit(r);
    }
  }

 private:
  struct Group {
    std::vector<Value> keys;
    std::vector<Value> outer;
    std::vector<Aggregator> aggs;
  };

  Group NewGroup(std::vector<Value> keys, bool readOuter) {
    Group g;
    g.keys = std::move(keys);
    if (readOuter)
      for (const ColumnRef* ref : agg_.outer) g.outer.push_back(rows_.Column(*ref));
    for (const Expr* call : agg_.calls) g.aggs.emplace_back(std::get<FunctionCall>(call->node), call->pos);
    return g;
  }

  const SelectStatement& s_;
  Rows& rows_;
  const Aggregation& agg_;
  std::vector<Group> groups_;
  std::map<std::string, std::size_t> index_;
};

// Visits every combination of source rows the WHERE lets through. Every table is held shared while the rows
// are read: no one changes them under the statement, and records are read without a lock and a look at the
// counters each. Shared holds never wait on one another.
void ReadSources(Rows& rows, const Expr* where, const std::function<void(const Resolver&)>& each) {
  std::vector<std::unique_ptr<Table::Hold>> holds;
  for (Bound& b : rows.tables) holds.push_back(std::make_unique<Table::Hold>(*b.table, Table::HoldMode::kRead));
  Scanner scanner(rows, where);
  const Resolver rowResolver = rows.RowResolver();
  scanner.Scan(0, rows.tables.size() - 1, [&] {
    each(rowResolver);
    return true;
  });
  for (auto& h : holds) h->Release();
}

RowSorter::Less SortOrder(const std::vector<SortKey>& keys) {
  return [&keys](const std::vector<Value>& a, const std::vector<Value>& b) {
    for (std::size_t i = 0; i < keys.size(); ++i) {
      const int c = OrderCompare(a[i], b[i]);
      if (c != 0) return keys[i].descending ? c > 0 : c < 0;
    }
    return false;
  };
}

ExecuteResult StaticSelect(const SelectStatement& s, const ParameterValues& params, Catalog& catalog) {
  Rows rows(params);
  for (const TableRef& ref : s.from) rows.Add(catalog, ref, 'R', {.readOnly = true});
  const std::vector<OutColumn> out = ResultColumns(s, rows);
  CheckClauses(s, rows);
  const std::vector<SortKey> sortKeys = SortKeys(s, out, rows);
  const Aggregation agg = GatherAggregates(s, out, sortKeys, rows);

  std::vector<FieldSpec> specs;
  for (const OutColumn& c : out) specs.push_back(c.spec);
  // Rows of an encrypted table are sealed wherever they are written outside its files.
  const bool sealed = std::any_of(rows.tables.begin(), rows.tables.end(),
                                  [](const Bound& b) { return b.table->Header().encrypted; });
  ResultWriter writer(specs, sealed);
  RowSorter sorter(writer.Folder(), SortOrder(sortKeys), sealed ? &ScratchCipher() : nullptr);
  Emitter emit(s.distinct, rows, out, sortKeys, writer, sorter);
  Groups groups(s, rows, agg);
  ReadSources(rows, s.where.get(), [&](const Resolver& r) {
    if (agg.on) groups.Add(r);
    else emit(r);
  });
  if (agg.on) groups.EmitAll(params, emit);
  if (!sortKeys.empty()) sorter.Finish([&](const std::vector<Value>& values) { writer.Write(values); });
  return writer.Finish();
}

}  // namespace

ExecuteResult RunSelect(const std::shared_ptr<const Statement>& tree, const SelectStatement& s,
                        const ParameterValues& params, Catalog& catalog, const ExecuteOptions& options) {
  const bool onTable = s.items.size() == 1 && s.items[0].star && s.from.size() == 1 && !s.distinct &&
                       s.groupBy.empty() && s.orderBy.empty();
  if (onTable) return LiveSelect(tree, s, params, catalog, options);
  return StaticSelect(s, params, catalog);
}

}  // namespace ace::sql::exec
