#pragma once
// The report template update: a fixed list of repairs and additions to the report writer's field catalogue
// RTABLE, with the column request FAMILY's catalogue rows rely on. The run makes it for every company near the
// end of its run, and instead of lists B and N when "Update Report Template ?" is ticked.

#include "engine/table.h"
#include "upgrade/column_lists.h"
#include "upgrade/window_objects.h"

namespace kv::upgrade {

// The column request made between the keyed repairs and the registrations: FAMILY's catalogue rows show the
// NRIC at 16 characters (list N's resize had made it one).
inline constexpr ChangeRow kTemplateColumnRow{"FAMILY", false, "IC_PASSPORT_NUM AS 16"};

// Works through the window's wwTableRtable and leaves it closed with its designed filter on again. A company
// without RTABLE (a suite installed without its report writer) has nothing to update. Catches nothing: a repair
// whose post fails (after the table's post-error handler has reported it) ends the run.
void UpdateReportTemplates(const WindowObjects& window, engine::TAdsTable& wwTableRtable);

}  // namespace kv::upgrade
