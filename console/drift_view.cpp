#include "console/drift_view.h"

#include "engine/failure_of.h"
#include "engine/table.h"
#include "platform/fs.h"
#include "support/strings.h"

namespace kv::console {

const TableShape::Field* TableShape::FindField(std::string_view name) const {
  for (const Field& field : fields)
    if (kv::SameText(field.name, name)) return &field;
  return nullptr;
}

std::string BareTableName(std::string_view name) {
  std::string bare = kv::UpperCase(name);
  if (bare.size() > 4 && bare.ends_with(".ADT")) bare.resize(bare.size() - 4);
  return bare;
}

std::string TypeText(engine::TFieldType type, int size) {
  if (type == engine::TFieldType::ftString) return "char(" + std::to_string(size) + ")";
  return std::string(engine::FieldTypeName(type));
}

CompanyView::CompanyView(std::string code, std::string folder, bool dictionary)
    : code_(std::move(code)), folder_(std::move(folder)), dictionary_(dictionary) {
  // The tables are read as files of the folder in either mode: their fields, keys and encryption are in the
  // files, and a free connection asks the dictionary nothing.
  connection_.SetConnectPath(folder_);
  connection_.ReadOnly = true;
}

CompanyView::~CompanyView() {
  if (dictionaryObject_) (void)engine::FailureOf([&] { dictionaryObject_->Disconnect(); });
}

const TableShape& CompanyView::Table(std::string_view name) {
  const std::string key = BareTableName(name);
  if (const auto known = tables_.find(key); known != tables_.end()) return known->second;
  TableShape& shape = tables_[key];
  engine::TAdsTable table;
  table.SetAdsConnection(&connection_);
  table.SetTableName(std::string(name));
  const auto failure = engine::FailureOf([&] {
    if (!table.Exists()) return;
    shape.exists = true;
    table.SetExclusive(false);
    table.SetReadOnly(true);
    table.AdsTableOptions.AdsRightsCheck = false;
    table.Open();
    shape.encrypted = table.IsTableEncrypted();
    if (shape.encrypted && !dictionary_) table.EnableEncryption(engine::kTablePassword);
    for (const auto& field : table.Fields())
      shape.fields.push_back({field->FieldName(), field->DataType(), field->Size()});
    shape.rows = table.RecordCount();
    table.UpdateIndexDefs();
    for (const engine::TIndexDef& index : table.IndexDefs) {
      shape.indexKeys.push_back(index.Fields);
      shape.indexNames.push_back(index.Name);
    }
  });
  (void)engine::FailureOf([&] { table.Close(); });
  if (failure) shape.unreadable = *failure;
  return shape;
}

engine::TAdsDictionary* CompanyView::OpenDictionary(std::string* failure) {
  if (!dictionaryObject_ && !dictionaryFailure_) {
    auto dictionary = std::make_unique<engine::TAdsDictionary>();
    dictionary->SetConnectPath(folder_ + "\\" + code_ + ".add");
    dictionary->UserName = "ADSSYS";
    dictionary->Password = std::string(engine::kTablePassword);
    dictionaryFailure_ = engine::FailureOf([&] { dictionary->Connect(); });
    if (!dictionaryFailure_) dictionaryObject_ = std::move(dictionary);
  }
  if (dictionaryFailure_ && failure) *failure = *dictionaryFailure_;
  return dictionaryObject_.get();
}

const std::map<std::string, TableShape>& CompanyView::AllTables() {
  for (const kv::fs::FindEntry& entry : kv::fs::FindFiles(folder_ + "\\*.adt"))
    if (!entry.isFolder) Table(entry.name);
  return tables_;
}

void CompanyView::UnreadableTables(std::vector<std::string>& lines) const {
  for (const auto& [name, shape] : tables_)
    if (!shape.unreadable.empty()) lines.push_back("table " + name + " cannot be read: " + shape.unreadable);
}

}  // namespace kv::console
