// Writing one row of the report field catalogue, and finding the column lists' registrations by number.

#include "upgrade/report_fields.h"

#include <exception>
#include <stdexcept>
#include <string>

#include "platform/ui.h"
#include "support/strings.h"
#include "upgrade/report_field_rows.h"

namespace kv::upgrade {

namespace {

void WriteRow(engine::TAdsTable& t, const ReportField& f) {
  t.Close();
  t.SetIndexFieldNames("NO");
  t.SetFiltered(false);
  t.Open();
  if (t.FindKey({std::string(f.no)})) {
    t.Edit();
  } else {
    t.Append();
    t.FieldByName("NO").SetAsString(std::string(f.no));
  }
  t.FieldByName("NO2").SetAsString(std::string(f.no2));
  t.FieldByName("HEADING").SetAsString(std::string(f.heading));
  t.FieldByName("DATABASE1").SetAsString(std::string(f.database1));
  t.FieldByName("FIELD").SetAsString(std::string(f.field));
  t.FieldByName("CODE").SetAsString(std::string(f.code));
  t.FieldByName("WIDTH").SetAsString(std::string(f.width));
  t.FieldByName("TYPE1").SetAsString(std::string(f.type1));
  t.FieldByName("HIDE_WAGE").SetAsString(std::string(f.hideWage));
  t.Post();
  t.Close();
}

}  // namespace

void RegisterReportField(engine::TAdsTable& wwTableRtable, const ReportField& field) {
  bool failed = false;
  try {
    WriteRow(wwTableRtable, field);
  } catch (const kv::ui::UnexpectedPrompt&) {
    throw;
  } catch (const std::exception&) {
    failed = true;
  }
  if (!failed) return;
  // Out of the handler, so that the engine reports again: the row given up is not left pending for the next
  // registration to post, and the table is left closed as after a written row.
  try {
    if (wwTableRtable.State() == engine::TDataSetState::dsEdit ||
        wwTableRtable.State() == engine::TDataSetState::dsInsert)
      wwTableRtable.Cancel();
    wwTableRtable.Close();
  } catch (const kv::ui::UnexpectedPrompt&) {
    throw;
  } catch (const std::exception&) {
  }
}

std::vector<ReportField> ListRegistrations(std::string_view numbers) {
  std::vector<ReportField> rows;
  for (std::string_view rest = numbers; !rest.empty();) {
    const std::size_t comma = rest.find(',');
    const std::string no(kv::TrimBlanks(rest.substr(0, comma)));
    rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
    const ReportField* found = nullptr;
    for (const ReportField& row : ListRegistrationRows())
      if (row.no == no) found = &row;
    if (!found) throw std::invalid_argument("no report field registration numbered \"" + no + "\"");
    rows.push_back(*found);
  }
  return rows;
}

}  // namespace kv::upgrade
