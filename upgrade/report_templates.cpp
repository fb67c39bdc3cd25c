// The report template update: keyed repairs of older catalogue rows, the wider FAMILY column their rows show,
// the catalogue rows of fields added since, and the last repairs.

#include "upgrade/report_templates.h"

#include <string>

#include "upgrade/column_upgrade.h"
#include "upgrade/report_field_rows.h"

namespace kv::upgrade {

namespace {

void OpenUnfiltered(engine::TAdsTable& t) {
  t.Close();
  t.SetIndexFieldNames("NO");
  t.SetFiltered(false);
  t.Open();
}

void Set(engine::TAdsTable& t, const std::vector<ColumnText>& columns) {
  for (const ColumnText& c : columns) t.FieldByName(c.column).SetAsString(std::string(c.text));
}

void Apply(engine::TAdsTable& t, const KeyedRepair& repair) {
  if (t.FindKey({std::string(repair.no)})) {
    switch (repair.found) {
      case KeyedRepair::Found::Leave: return;
      case KeyedRepair::Found::Delete: t.Delete(); return;
      case KeyedRepair::Found::Edit:
        t.Edit();
        Set(t, repair.whenFound);
        break;
    }
  } else {
    if (repair.missing == KeyedRepair::Missing::Leave) return;
    t.Append();
    Set(t, repair.whenMissing);
  }
  Set(t, repair.then);
  t.Post();
}

}  // namespace

void UpdateReportTemplates(const WindowObjects& window, engine::TAdsTable& wwTableRtable) {
  wwTableRtable.Close();
  if (!wwTableRtable.Exists()) return;
  OpenUnfiltered(wwTableRtable);
  for (const KeyedRepair& repair : TemplateRepairsBefore()) Apply(wwTableRtable, repair);
  for (const ColumnRequest& r : RequestsOf(kTemplateColumnRow))
    UpgradeColumn(window, r.table, r.column, r.code, r.size, r.encrypted);
  for (const ReportField& field : TemplateRegistrations()) RegisterReportField(wwTableRtable, field);
  OpenUnfiltered(wwTableRtable);
  for (const KeyedRepair& repair : TemplateRepairsAfter()) Apply(wwTableRtable, repair);
  wwTableRtable.Close();
  wwTableRtable.SetFiltered(true);
}

}  // namespace kv::upgrade
