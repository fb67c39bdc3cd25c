#pragma once
// The company of the upgrade tests with the report writer's tables as the suite keeps them, indexed for the
// orders the window's table objects use.

#include <string>
#include <utility>
#include <vector>

#include "company_fixture.h"

namespace kv::upgrade::testing {

using Rows = std::vector<std::vector<std::pair<std::string, std::string>>>;

class ReportCompany : public Company {
 protected:
  // Adds indexes ("TAG", "KEY"), plain or unique, to a free table of the company folder.
  void Index(const std::string& table, const std::vector<std::pair<std::string, std::string>>& indexes,
             bool unique = false) const {
    engine::TAdsConnection c;
    c.SetConnectPath(Folder());
    engine::TAdsTable t;
    t.SetAdsConnection(&c);
    t.SetTableName(table);
    t.SetExclusive(true);
    t.Open();
    engine::TIndexOptions options{engine::TIndexOption::ixExpression};
    if (unique) options = {engine::TIndexOption::ixUnique, engine::TIndexOption::ixExpression};
    for (const auto& [tag, key] : indexes) t.AddIndex(tag, key, options);
    t.Close();
  }
};

inline TableSpec Rtable(Rows rows = {}) {
  return {"RTABLE",
          [](TFieldDefs& f) {
            f.Add("NO", FT::ftString, 8);
            f.Add("NO2", FT::ftString, 8);
            f.Add("HEADING", FT::ftString, 30);
            f.Add("DATABASE1", FT::ftString, 12);
            f.Add("FIELD", FT::ftString, 30);
            f.Add("CODE", FT::ftString, 20);
            f.Add("WIDTH", FT::ftInteger);
            f.Add("TYPE1", FT::ftString, 1);
            f.Add("HIDE_WAGE", FT::ftString, 1);
          },
          std::move(rows)};
}

}  // namespace kv::upgrade::testing
