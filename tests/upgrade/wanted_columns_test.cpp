// The columns a complete run leaves, folded from the lists in the run's order: what the drift check holds a
// company to.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "upgrade/wanted_columns.h"

namespace kv::upgrade {
namespace {

using engine::TFieldType;

const WantedColumn* Find(const std::string& table, const std::string& column) {
  static const std::vector<WantedColumn> wanted = WantedColumns();
  for (const WantedColumn& w : wanted)
    if (w.table == table && w.column == column) return &w;
  return nullptr;
}

TEST(WantedColumns, LaterRequestsBuildOnEarlierOnes) {
  struct Case {
    const char* table;
    const char* column;
    bool present;
    std::optional<TFieldType> type;
    std::optional<int> length;
  };
  const Case cases[] = {
      // A resize holds the column to its length.
      {"PASS", "PRINTER", true, TFieldType::ftString, 4},
      // Added at 16 by list D, cut to 1 by list N, made 16 again by the report templates' request after it.
      {"FAMILY", "IC_PASSPORT_NUM", true, TFieldType::ftString, 16},
      // A plain add only makes sure the column is there: an existing one keeps its type.
      {"EMPLOYEE", "FWL1TOFWL2", true, std::nullopt, std::nullopt},
      // Dropped by list N.
      {"CLAIMGRP", "DESC", false, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.table) + "." + c.column);
    const WantedColumn* w = Find(c.table, c.column);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->present, c.present);
    EXPECT_EQ(w->type, c.type);
    EXPECT_EQ(w->length, c.length);
  }
  // A missing column is added as the first request that names it says.
  const WantedColumn* added = Find("EMPLOYEE", "FWL1TOFWL2");
  EXPECT_EQ(added->addedType, TFieldType::ftString);
  EXPECT_EQ(added->addedLength, 8);
}

TEST(WantedColumns, ApprovalFlowBlocksAreLeftOut) {
  // N14 changes EMPLEAVE only when the approval flow is ticked with a table named: not part of every run.
  EXPECT_EQ(Find("EMPLEAVE", "SUPERVISOR_CODE"), nullptr);
  EXPECT_NE(Find("EMPLEAVE", "ISURGENT"), nullptr);
}

}  // namespace
}  // namespace kv::upgrade
