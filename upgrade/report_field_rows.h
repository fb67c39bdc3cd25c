#pragma once
// The release's report field catalogue rows as data: the registrations the column lists write (one row per
// number; a list names the numbers at its places), and the report template update's repairs and registrations.

#include <span>
#include <string_view>
#include <vector>

#include "upgrade/report_fields.h"

namespace kv::upgrade {

// The rows lists D and B register, each number once (a number a list registers twice has the same row twice).
std::span<const ReportField> ListRegistrationRows();

// One column set by a repair: the RTABLE column and its text (an empty text empties the column).
struct ColumnText {
  std::string_view column, text;
};

// One keyed repair of the template update: the row `no` is searched; when found it is left (Leave), edited
// (Edit) or deleted (Delete) and `whenFound` is set; when missing it is left or appended with `whenMissing`;
// `then` is set after either branch that edits or appends, and the row is posted.
struct KeyedRepair {
  enum class Found { Leave, Edit, Delete };
  enum class Missing { Leave, Append };
  std::string_view no;
  Found found;
  std::vector<ColumnText> whenFound;
  Missing missing;
  std::vector<ColumnText> whenMissing;
  std::vector<ColumnText> then{};
};

// The keyed repairs 1 to 49, before the template update's column request and registrations.
const std::vector<KeyedRepair>& TemplateRepairsBefore();
// The template update's registrations, in order.
std::span<const ReportField> TemplateRegistrations();
// The keyed repairs 50 to 53, after the registrations.
const std::vector<KeyedRepair>& TemplateRepairsAfter();

}  // namespace kv::upgrade
