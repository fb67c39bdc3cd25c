#pragma once
// What a company's run changed in its tables, seen from outside the run: every table of the company folder
// surveyed (fields, indexes, row count) once the company is connected and again when its run ends, and the two
// surveys compared. Nothing in the steps has to report anything for it.

#include <map>
#include <string>

#include "console/drift_view.h"
#include "console/run_record.h"

namespace kv::console {

// Every table of the folder, by upper-cased bare name; tables that could not be read carry the engine's text.
using TableSurvey = std::map<std::string, TableShape>;

TableSurvey SurveyTables(const std::string& code, const std::string& folder, bool dictionary);

TableChanges CompareSurveys(const TableSurvey& before, const TableSurvey& after);

}  // namespace kv::console
