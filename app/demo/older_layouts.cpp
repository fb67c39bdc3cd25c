#include "app/demo/older_layouts.h"

#include <map>
#include <memory>
#include <optional>
#include <variant>

#include "catalogue/catalogue.h"
#include "support/strings.h"
#include "upgrade/column_lists.h"

namespace kv::demo {
namespace {

using engine::TFieldType;
constexpr TFieldType S = TFieldType::ftString;

struct Field {
  std::string name;
  TFieldType type;
  int size;
};

// Columns an older company had already although a list adds them: the list's request for BANKLIST's NEW_IC is
// not marked encrypted, yet an earlier request of the same list leaves the table encrypted, so on free tables it
// could only fail. The column being there, the request finds it and does nothing. PUBLIC's STATE is part of the
// key the levy load searches the holidays by, long before the list adds it for still older companies.
struct KeptColumn {
  std::string_view table;
  Field field;
};
const std::vector<KeptColumn>& KeptColumns() {
  // The same for the keys the record conversions search by: FAMILY's identity numbers and EMP_BNK's pay cycle
  // were there before the lists, which repeat them.
  static const std::vector<KeptColumn> kept = {{"BANKLIST", {"NEW_IC", S, 16}},
                                               {"PUBLIC", {"STATE", S, 8}},
                                               {"FAMILY", {"IC_PASSPORT_NUM", S, 16}},
                                               {"EMP_BNK", {"CYCLE", S, 1}},
                                               // the claims module gave the staff their benefit schemes before
                                               // the release that adds the column for all
                                               {"EMPLOYEE", {"BENEFIT_SCHEME", S, 8}}};
  return kept;
}

// Any other table: a row number, a column no list adds.
const std::vector<Field> kDefaultBase = {{"ROW_NO", TFieldType::ftInteger, 0}};

std::string BaseName(std::string_view name) {
  const std::size_t dot = name.find('.');
  return UpperCase(name.substr(0, dot));
}

std::vector<Field> CatalogueFields(const catalogue::TableDefinition& d) {
  std::vector<Field> fields;
  for (const catalogue::FieldItem& item : d.fields) {
    if (const auto* f = std::get_if<catalogue::FieldDef>(&item)) {
      fields.push_back({std::string(f->name), f->type, f->size});
      continue;
    }
    const auto& run = std::get<catalogue::FieldRun>(item);
    for (int n = run.first; n <= run.last; ++n)
      for (const catalogue::FieldDef& f : run.pattern)
        fields.push_back({std::string(f.name) + std::to_string(n), f.type, f.size});
  }
  return fields;
}

// The base layout and, for a demo layout, its indexes.
std::vector<Field> BaseOf(std::string_view table, std::vector<IndexSpec>& indexes) {
  for (const TableSpec& spec : DemoTables())
    if (BaseName(spec.name) == BaseName(table)) {
      std::vector<Field> fields;
      for (const FieldSpec& f : spec.fields) fields.push_back({std::string(f.name), f.type, f.size});
      indexes.assign(spec.indexes.begin(), spec.indexes.end());
      return fields;
    }
  for (const catalogue::TableDefinition& d : catalogue::CompanyTables())
    if (BaseName(d.name) == BaseName(table)) return CatalogueFields(d);
  return kDefaultBase;
}

std::vector<Field>::iterator FindField(std::vector<Field>& fields, std::string_view name) {
  for (auto it = fields.begin(); it != fields.end(); ++it)
    if (SameText(it->name, name)) return it;
  return fields.end();
}

// What a table's first request on a column says of the column before the release.
void ApplyFirstRequest(std::vector<Field>& fields, const upgrade::ColumnRequest& r) {
  auto at = FindField(fields, r.column);
  const int size = r.size.empty() ? 0 : std::stoi(r.size);
  if (r.Drop()) {  // a column the release drops was there
    if (at == fields.end()) fields.push_back({r.column, S, 40});
    return;
  }
  if (r.code == "AS" || r.code == "IC") {
    // There, but narrower (resized), or of another kind (converted) when it is a one-character flag.
    const bool convertFlag = r.code == "IC" && size <= 1;
    if (at != fields.end() && at->type == S && at->size != size && !convertFlag) return;
    Field older{r.column, convertFlag ? TFieldType::ftBoolean : S, convertFlag ? 0 : std::max(1, size / 2)};
    if (at == fields.end())
      fields.push_back(older);
    else
      *at = older;
    return;
  }
  if (at != fields.end()) fields.erase(at);  // a column the release adds was not there
}

std::vector<std::unique_ptr<OlderLayout>> Build() {
  // The requests each table receives, in the order of the run: list D, B1 to B7, B8, list N, B9.
  std::vector<std::string> order;
  std::map<std::string, std::vector<upgrade::ColumnRequest>> requests;
  const auto take = [&](const upgrade::ColumnList& list, std::string_view first, std::string_view last) {
    bool inside = false;
    for (const upgrade::ColumnBlock& block : list) {
      if (block.name == first) inside = true;
      if (inside)
        for (const upgrade::ListEntry& entry : block.entries)
          if (const auto* row = std::get_if<upgrade::ChangeRow>(&entry)) {
            if (row->table.empty()) continue;  // the table Edit4 names
            for (upgrade::ColumnRequest& r : upgrade::RequestsOf(*row)) {
              const std::string key = BaseName(r.table);
              if (!requests.count(key)) order.push_back(r.table);
              requests[key].push_back(std::move(r));
            }
          }
      if (block.name == last) inside = false;
    }
  };
  take(upgrade::ListD(), "D1", "D15");
  take(upgrade::ListB(), "B1", "B7");
  take(upgrade::ListB(), "B8", "B8");
  take(upgrade::ListN(), "N1", "N19");
  take(upgrade::ListB(), "B9", "B9");

  std::vector<std::unique_ptr<OlderLayout>> layouts;
  for (const std::string& table : order) {
    auto layout = std::make_unique<OlderLayout>();
    layout->name = table;
    std::vector<IndexSpec> indexes;
    std::vector<Field> fields = BaseOf(table, indexes);
    const auto& mine = requests[BaseName(table)];
    layout->encrypted = mine.front().encrypted;
    std::map<std::string, bool> seen;
    for (const upgrade::ColumnRequest& r : mine) {
      if (seen[UpperCase(r.column)]) continue;
      seen[UpperCase(r.column)] = true;
      ApplyFirstRequest(fields, r);
    }
    for (const KeptColumn& k : KeptColumns())
      if (BaseName(k.table) == BaseName(table) && FindField(fields, k.field.name) == fields.end())
        fields.push_back(k.field);
    if (fields.empty()) fields = kDefaultBase;
    for (const Field& f : fields) layout->fieldNames.push_back(f.name);
    for (std::size_t i = 0; i < fields.size(); ++i)
      layout->fields.push_back({layout->fieldNames[i], fields[i].type, fields[i].size});
    // An index whose key names a column the older layout lacks is left out with it.
    for (const IndexSpec& index : indexes) {
      bool complete = true;
      std::string_view key = index.key;
      while (!key.empty()) {
        const std::size_t semicolon = key.find(';');
        if (FindField(fields, key.substr(0, semicolon)) == fields.end()) complete = false;
        key = semicolon == std::string_view::npos ? std::string_view{} : key.substr(semicolon + 1);
      }
      if (complete) layout->indexes.push_back(index);
    }
    layout->spec = {layout->name, layout->fields, layout->indexes};
    layouts.push_back(std::move(layout));
  }
  return layouts;
}

}  // namespace

const std::vector<const OlderLayout*>& OlderLayouts() {
  static const std::vector<std::unique_ptr<OlderLayout>> owned = Build();
  static const std::vector<const OlderLayout*> view = [] {
    std::vector<const OlderLayout*> v;
    for (const auto& l : owned) v.push_back(l.get());
    return v;
  }();
  return view;
}

const OlderLayout* FindOlderLayout(std::string_view table) {
  for (const OlderLayout* l : OlderLayouts())
    if (BaseName(l->name) == BaseName(table)) return l;
  return nullptr;
}

}  // namespace kv::demo
