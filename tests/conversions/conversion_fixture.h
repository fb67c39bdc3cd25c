#pragma once
// The upgrade tests' company (tests/upgrade/company_fixture.h) with what the conversions need besides: indexes
// on the tables it makes, and the window's other objects bound as the window binds them.

#include <string>
#include <utility>
#include <vector>

#include "upgrade/company_fixture.h"

namespace kv::conversions::testing {

using kv::upgrade::testing::FT;
using kv::upgrade::testing::TableSpec;
using kv::upgrade::testing::TFieldDefs;

class Conversion : public kv::upgrade::testing::Company {
 protected:
  // Indexes ("TAG", "F1;F2") added to a table of the company folder, through a connection of its own.
  void AddIndexes(const std::string& table, const std::vector<std::pair<std::string, std::string>>& indexes) {
    engine::TAdsConnection c;
    c.SetConnectPath(Folder());
    engine::TAdsTable t;
    t.SetAdsConnection(&c);
    t.SetTableName(table);
    t.SetExclusive(true);
    t.Open();
    if (t.IsTableEncrypted()) t.EnableEncryption(engine::kTablePassword);
    for (const auto& [tag, fields] : indexes) t.AddIndex(tag, fields, {engine::TIndexOption::ixExpression});
    t.Close();
  }

  // A work table of the window on the company connection, as placed (name and order given later or here).
  void Place(engine::TAdsDataSet& dataSet) {
    dataSet.SetAdsConnection(&AdsConnection1);
    dataSet.AdsTableOptions.AdsRightsCheck = false;
  }
};

}  // namespace kv::conversions::testing
