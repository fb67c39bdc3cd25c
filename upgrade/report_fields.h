#pragma once
// The report writer's field catalogue RTABLE: one row per field a report may show, keyed by its number NO.
// When the release adds columns to the company tables it makes them reportable by writing their catalogue rows
// (the registrations), at the places of the column lists where the columns are added.

#include <string_view>
#include <vector>

#include "engine/table.h"

namespace kv::upgrade {

// One catalogue row: nine texts, each written into the RTABLE column of the same name. An empty text is written
// as it stands, so a registration overwrites every column of an existing row.
struct ReportField {
  std::string_view no, no2, heading, database1, field, code, width, type1, hideWage;
};

// Writes or overwrites the row `field.no` through the window's wwTableRtable (order "NO"), leaving the table
// closed and its filter off. Never raises: a row that cannot be written is missing afterwards, after the
// table's post-error handler has reported it.
void RegisterReportField(engine::TAdsTable& wwTableRtable, const ReportField& field);

// The registrations of lists D and B, by number: "1256, 1257, 55, 8" gives those four rows in that order.
// std::invalid_argument for a number the lists do not register.
std::vector<ReportField> ListRegistrations(std::string_view numbers);

}  // namespace kv::upgrade
