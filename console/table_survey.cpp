#include "console/table_survey.h"

namespace kv::console {

namespace {

std::string FieldText(const TableShape::Field& field) { return TypeText(field.type, field.size); }

}  // namespace

TableSurvey SurveyTables(const std::string& code, const std::string& folder, bool dictionary) {
  CompanyView company(code, folder, dictionary);
  TableSurvey survey;
  for (const auto& [name, shape] : company.AllTables())
    if (shape.exists) survey.emplace(name, shape);
  return survey;
}

TableChanges CompareSurveys(const TableSurvey& before, const TableSurvey& after) {
  TableChanges changes;
  static const TableShape kAbsent;
  for (const auto& [name, now] : after) {
    const auto was = before.find(name);
    const TableShape& old = was == before.end() ? kAbsent : was->second;
    if (was == before.end()) changes.tablesCreated.push_back(name);
    if (now.rows != old.rows) changes.rows.push_back({name, old.rows, now.rows});
    // A new table's fields and indexes come with it: only those of tables that were there are listed.
    if (was == before.end() || !now.unreadable.empty() || !old.unreadable.empty()) continue;
    for (const TableShape::Field& field : now.fields) {
      const TableShape::Field* oldField = old.FindField(field.name);
      if (!oldField)
        changes.columnsAdded.push_back(name + "." + field.name + " " + FieldText(field));
      else if (oldField->type != field.type || oldField->size != field.size)
        changes.columnsAltered.push_back(name + "." + field.name + " " + FieldText(*oldField) + " -> " +
                                         FieldText(field));
    }
    for (const TableShape::Field& field : old.fields)
      if (!now.FindField(field.name)) changes.columnsDropped.push_back(name + "." + field.name);
    for (std::size_t i = 0; i < now.indexKeys.size(); ++i) {
      bool there = false;
      for (std::size_t k = 0; k < old.indexKeys.size(); ++k)
        there = there || (old.indexNames[k] == now.indexNames[i] && old.indexKeys[k] == now.indexKeys[i]);
      if (!there) changes.indexesMade.push_back(name + "." + now.indexNames[i] + " on " + now.indexKeys[i]);
    }
  }
  for (const auto& [name, old] : before)
    if (!after.count(name)) changes.tablesDeleted.push_back(name);
  return changes;
}

}  // namespace kv::console
