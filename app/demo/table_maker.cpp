#include "app/demo/table_maker.h"

namespace kv::demo {

void CreateDemoTable(engine::TAdsConnection& connection, const TableSpec& spec, const RowWriter& rows,
                     Protection protection, const std::string& fileName) {
  using engine::TIndexOption;
  engine::TAdsTable table;
  table.SetAdsConnection(&connection);
  table.SetTableName(fileName.empty() ? std::string(spec.name) : fileName);
  table.SetTableType(engine::TAdsTableTypes::ttAdsADT);
  table.AdsTableOptions.AdsCharType = engine::TAdsCharTypes::ANSI;
  table.SetExclusive(true);
  for (const FieldSpec& f : spec.fields) table.FieldDefs.Add(std::string(f.name), f.type, f.size);
  table.CreateTable();
  table.Open();
  if (rows) rows(table);
  for (const IndexSpec& i : spec.indexes) {
    engine::TIndexOptions options{TIndexOption::ixExpression};
    if (i.unique) options.Include(TIndexOption::ixUnique);
    if (i.descending) options.Include(TIndexOption::ixDescending);
    table.AddIndex(std::string(i.name), std::string(i.key), options);
  }
  if (protection == Protection::TablePassword) {
    table.EnableEncryption(engine::kTablePassword);
    table.EncryptTable();
  }
  table.Close();
}

}  // namespace kv::demo
