// The labels of the five free fields the release adds to EMPMISC (CHAR11 to CHAR15).

#include <string>

#include "conversions/report_writer.h"
#include "conversions/work_table.h"

namespace kv::conversions {

void AddFreeFieldLabels(engine::TAdsTable& AdsTable1) {
  if (!OpenWorkTable(AdsTable1, "FREEFIELD", "")) return;
  for (int number = 11; number <= 15; ++number) {
    const std::string field = "FIELD" + std::to_string(number);
    // Any module's label of the field counts: the search is on the field name alone.
    if (AdsTable1.Locate("CTLFIELD", field)) continue;
    const std::string label = "<Description" + std::to_string(number) + ">";
    AdsTable1.Append();
    AdsTable1.FieldByName("MODULE").SetAsString("UPD");
    AdsTable1.FieldByName("LINE").SetAsString("1");
    AdsTable1.FieldByName("CTLFIELD").SetAsString(field);
    AdsTable1.FieldByName("DESCRIPTION").SetAsString(label);
    AdsTable1.FieldByName("CAPTION").SetAsString(label);
    AdsTable1.Post();
  }
  CloseWorkTable(AdsTable1);
}

}  // namespace kv::conversions
