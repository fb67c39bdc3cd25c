// LoadLevyTables: one pass over the fixed writes with their writers.

#include "rates/levy_tables.h"

#include <variant>

#include "rates/levy_rows.h"
#include "rates/levy_writers.h"

namespace kv::rates {

void LoadLevyTables(const LevyTables& tables) {
  tables.AdsTable1.Close();
  tables.AdsTable1.SetIndexFieldNames("");
  tables.AdsTable1.SetTableName("FW_LEVY");
  if (!tables.AdsTable1.Exists()) return;
  for (const LevyTableWrite& write : LevyTableWrites()) {
    if (const auto* row = std::get_if<LevyRow>(&write))
      PutLevyRow(tables.AdsQuery1, tables.ui, *row);
    else
      AddPublicHoliday(tables.AdsTable1, tables.ui, std::get<PublicHoliday>(write));
  }
}

}  // namespace kv::rates
