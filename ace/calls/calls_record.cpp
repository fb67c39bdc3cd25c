// Navigation, search, scopes and record editing.

#include "ace/ace.h"
#include "ace/calls/handles.h"
#include "ace/calls/table_access.h"
#include "ace/storage/key_codec.h"
#include "ace/storage/record_codec.h"
#include "support/strings.h"

namespace ace {

using detail::Guard;
using detail::Registry;

namespace {

std::string H(AdsHandle h) { return std::to_string(h); }

int FieldNumber(storage::Table& table, std::string_view name) {
  const int i = table.Header().FindField(name);
  if (i < 0) Fail(code::kFieldNotFound, "table " + table.Name() + " has no field '" + std::string(name) + "'");
  return i;
}

}  // namespace

ResultCode AdsGotoTop(AdsHandle handle) {
  ACE_TRACE("AdsGotoTop", H(handle));
  return Guard([&] { Registry::Get().Navigable(handle).table->GotoTop(); });
}

ResultCode AdsGotoBottom(AdsHandle handle) {
  ACE_TRACE("AdsGotoBottom", H(handle));
  return Guard([&] { Registry::Get().Navigable(handle).table->GotoBottom(); });
}

ResultCode AdsSkip(AdsHandle handle, std::int64_t count) {
  ACE_TRACE("AdsSkip", H(handle) + ", " + std::to_string(count));
  return Guard([&] { Registry::Get().Navigable(handle).table->Skip(count); });
}

ResultCode AdsGotoRecord(AdsHandle table, std::uint64_t recno) {
  ACE_TRACE("AdsGotoRecord", H(table) + ", " + std::to_string(recno));
  return Guard([&] { Registry::Get().Table(table).table->GotoRecord(recno); });
}

ResultCode AdsGetRecordNum(AdsHandle table, std::uint64_t* recno) {
  return Guard([&] {
    const auto n = Registry::Get().Table(Registry::Get().IsIndex(table) ? Registry::Get().Index(table).table : table).table->RecordNumber();
    if (recno) *recno = n;
  });
}

ResultCode AdsAtEOF(AdsHandle handle, bool* eof) {
  return Guard([&] {
    Registry& r = Registry::Get();
    const bool at = r.Table(r.IsIndex(handle) ? r.Index(handle).table : handle).table->AtEof();
    if (eof) *eof = at;
  });
}

ResultCode AdsAtBOF(AdsHandle handle, bool* bof) {
  return Guard([&] {
    Registry& r = Registry::Get();
    const bool at = r.Table(r.IsIndex(handle) ? r.Index(handle).table : handle).table->AtBof();
    if (bof) *bof = at;
  });
}

ResultCode AdsGetRecordCount(AdsHandle handle, std::uint64_t* count) {
  ACE_TRACE("AdsGetRecordCount", H(handle));
  return Guard([&] {
    const std::uint64_t n = detail::RecordCountOf(handle);
    if (count) *count = n;
  });
}

ResultCode AdsSeek(AdsHandle index, std::span<const Value> key, std::uint16_t seekType, bool* found) {
  ACE_TRACE("AdsSeek", H(index) + ", " + std::to_string(key.size()) + " values, " + std::to_string(seekType));
  return Guard([&] {
    if (!Registry::Get().IsIndex(index)) Fail(code::kInvalidHandle, "AdsSeek needs an index handle");
    if (seekType != seek_type::kExact && seekType != seek_type::kNearest)
      Fail(code::kInvalidArgument, "seek type " + std::to_string(seekType) + " is neither exact (1) nor nearest (2)");
    const bool hit = Registry::Get().Navigable(index).table->Seek(
        key, seekType == seek_type::kNearest ? storage::Table::SeekMode::kNearest : storage::Table::SeekMode::kExact);
    if (found) *found = hit;
  });
}

ResultCode AdsSetScope(AdsHandle index, std::uint16_t end, std::span<const Value> key) {
  ACE_TRACE("AdsSetScope", H(index) + ", " + std::to_string(end) + ", " + std::to_string(key.size()) + " values");
  return Guard([&] {
    Registry& r = Registry::Get();
    if (!r.IsIndex(index)) Fail(code::kInvalidHandle, "AdsSetScope needs an index handle");
    auto& object = r.Index(index);
    auto& t = r.Navigable(index);
    auto& scopes = t.scopes[object.tag];
    if (end == scope_end::kTop) scopes.first.assign(key.begin(), key.end());
    else if (end == scope_end::kBottom) scopes.second.assign(key.begin(), key.end());
    else Fail(code::kInvalidArgument, "scope end " + std::to_string(end) + " is neither top (1) nor bottom (2)");
    t.table->SetScope(scopes.first, scopes.second);
  });
}

ResultCode AdsClearScope(AdsHandle index, std::uint16_t end) {
  ACE_TRACE("AdsClearScope", H(index) + ", " + std::to_string(end));
  return Guard([&] {
    Registry& r = Registry::Get();
    if (!r.IsIndex(index)) Fail(code::kInvalidHandle, "AdsClearScope needs an index handle");
    auto& object = r.Index(index);
    auto& t = r.Navigable(index);
    auto& scopes = t.scopes[object.tag];
    if (end == scope_end::kTop) scopes.first.clear();
    else scopes.second.clear();
    if (scopes.first.empty() && scopes.second.empty()) t.table->ClearScope();
    else t.table->SetScope(scopes.first, scopes.second);
  });
}

// --- fields of the current record ---

ResultCode AdsGetField(AdsHandle cursor, std::string_view field, Value* value) {
  return Guard([&] {
    auto& t = Registry::Get().Table(cursor);
    Value v = t.table->GetField(FieldNumber(*t.table, field));
    if (value) *value = std::move(v);
  });
}

ResultCode AdsIsEmpty(AdsHandle cursor, std::string_view field, bool* empty) {
  return Guard([&] {
    auto& t = Registry::Get().Table(cursor);
    const bool is = t.table->IsFieldEmpty(FieldNumber(*t.table, field));
    if (empty) *empty = is;
  });
}

ResultCode AdsSetField(AdsHandle cursor, std::string_view field, const Value& value) {
  ACE_TRACE("AdsSetField", H(cursor) + ", \"" + std::string(field) + "\"");
  return Guard([&] {
    auto& t = Registry::Get().Table(cursor);
    t.table->SetField(FieldNumber(*t.table, field), value);
  });
}

ResultCode AdsSetFieldRaw(AdsHandle cursor, std::string_view field, const ByteVector& bytes) {
  ACE_TRACE("AdsSetFieldRaw", H(cursor) + ", \"" + std::string(field) + "\"");
  return Guard([&] {
    auto& t = Registry::Get().Table(cursor);
    t.table->SetField(FieldNumber(*t.table, field), Value::Blob(bytes));
  });
}

ResultCode AdsSetEmpty(AdsHandle cursor, std::string_view field) {
  ACE_TRACE("AdsSetEmpty", H(cursor) + ", \"" + std::string(field) + "\"");
  return Guard([&] {
    auto& t = Registry::Get().Table(cursor);
    t.table->SetField(FieldNumber(*t.table, field), Value::Null());
  });
}

// --- editing ---

ResultCode AdsLockRecord(AdsHandle table, std::uint64_t recno) {
  ACE_TRACE("AdsLockRecord", H(table) + ", " + std::to_string(recno));
  return Guard([&] {
    auto& t = Registry::Get().Table(table);
    if (recno != 0 && recno != t.table->RecordNumber()) t.table->GotoRecord(recno);
    t.table->LockRecord();
  });
}

ResultCode AdsUnlockRecord(AdsHandle table, std::uint64_t recno) {
  ACE_TRACE("AdsUnlockRecord", H(table) + ", " + std::to_string(recno));
  return Guard([&] {
    auto& t = Registry::Get().Table(table);
    if (t.table->HasPendingChanges()) t.table->WriteRecord();
    (void)recno;
    t.table->UnlockRecord();
  });
}

ResultCode AdsAppendRecord(AdsHandle table) {
  ACE_TRACE("AdsAppendRecord", H(table));
  return Guard([&] {
    auto& t = Registry::Get().Table(table);
    detail::RequireRight(t, 'I');
    t.table->AppendRecord();
  });
}

ResultCode AdsWriteRecord(AdsHandle table) {
  ACE_TRACE("AdsWriteRecord", H(table));
  return Guard([&] {
    auto& t = Registry::Get().Table(table);
    if (t.table->HasPendingChanges()) detail::RequireRight(t, 'W');
    t.table->WriteRecord();
  });
}

ResultCode AdsCancelUpdate(AdsHandle table) {
  ACE_TRACE("AdsCancelUpdate", H(table));
  return Guard([&] { Registry::Get().Table(table).table->CancelRecord(); });
}

ResultCode AdsDeleteRecord(AdsHandle table) {
  ACE_TRACE("AdsDeleteRecord", H(table));
  return Guard([&] {
    auto& t = Registry::Get().Table(table);
    detail::RequireRight(t, 'D');
    t.table->DeleteRecord();
  });
}

std::string ValueText(const Value& value) { return storage::ValueToText(value); }

std::vector<std::string> KeyTextParts(std::string_view expression) {
  if (kv::TrimBlanks(expression).empty()) return {};
  return storage::SplitKeyText(expression);
}

std::string KeyPartField(std::string_view part) { return storage::ReadKeyPart(part).field; }

}  // namespace ace
