#include "engine/dataset.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "ace/core/number_text.h"
#include "engine/connection.h"
#include "support/strings.h"

namespace kv::engine {

using ace::Value;
using Kind = ace::Value::Kind;

namespace {

constexpr const char* kOpenDataset = "Cannot perform this operation on an open dataset";
constexpr const char* kClosedDataset = "Cannot perform this operation on a closed dataset";
constexpr const char* kNotEditing = "Dataset not in edit or insert mode";

// The shortest text that reads back as the same number, without an exponent ("90", "0.17", "2100.25").
std::string ShortestDouble(double d) {
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, d, std::chars_format::fixed);
  if (result.ec != std::errc()) return std::to_string(d);
  return std::string(buffer, result.ptr);
}

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

std::string TextOf(const Value& v) {
  switch (v.GetKind()) {
    case Kind::Null: return "";
    case Kind::Boolean: return v.AsBoolean() ? "True" : "False";
    case Kind::Integer: return std::to_string(v.AsInteger());
    case Kind::Double: return ShortestDouble(v.AsDouble());
    case Kind::Currency: return v.AsCurrency().ToString();
    case Kind::Date: return kv::FormatIsoDate(v.AsDate());
    case Kind::Time: {
      const int ms = v.AsTime().ms;
      return TwoDigits(ms / 3'600'000) + ":" + TwoDigits(ms / 60'000 % 60) + ":" + TwoDigits(ms / 1000 % 60);
    }
    case Kind::TimeStamp: return kv::FormatIsoDateTime(v.AsTimeStamp());
    case Kind::String: return v.AsString();
    case Kind::Bytes: return std::string(v.AsBytes().begin(), v.AsBytes().end());
  }
  return "";
}

bool NumberOf(const Value& v, double& out) {
  switch (v.GetKind()) {
    case Kind::Boolean: out = v.AsBoolean() ? 1 : 0; return true;
    case Kind::Integer: out = static_cast<double>(v.AsInteger()); return true;
    case Kind::Double: out = v.AsDouble(); return true;
    case Kind::Currency: out = v.AsCurrency().ToDouble(); return true;
    case Kind::Date: out = v.AsDate().Serial(); return true;
    case Kind::String: {
      // Blank text reads as 0, as an empty field does; other text by the engine's own reading of numbers.
      if (kv::TrimBlanks(v.AsString()).empty()) { out = 0; return true; }
      const std::optional<double> number = ace::NumberFromText(v.AsString());
      if (number) out = *number;
      return number.has_value();
    }
    default: return false;
  }
}

std::string TrimRight(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

bool Matches(const Value& field, const Value& wanted, const TLocateOptions& options) {
  if (field.IsNull() || wanted.IsNull())
    return field.IsNull() ? (wanted.IsNull() || TrimRight(TextOf(wanted)).empty()) : TrimRight(TextOf(field)).empty();
  double a = 0, b = 0;
  if (field.GetKind() != Kind::String && wanted.GetKind() != Kind::String && NumberOf(field, a) && NumberOf(wanted, b) &&
      field.GetKind() != Kind::TimeStamp && wanted.GetKind() != Kind::TimeStamp)
    return a == b;
  std::string x = TrimRight(TextOf(field));
  std::string y = wanted.GetKind() == Kind::String ? TrimRight(wanted.AsString()) : TrimRight(TextOf(wanted));
  if (field.GetKind() != Kind::String && wanted.GetKind() == Kind::String && NumberOf(field, a) && NumberOf(wanted, b))
    return a == b;
  if (options.caseInsensitive) {
    x = kv::UpperCase(x);
    y = kv::UpperCase(y);
  }
  return options.partialKey ? x.compare(0, y.size(), y) == 0 : x == y;
}

}  // namespace

// --- TField ---------------------------------------------------------------------------------------------

TField::TField(TAdsDataSet& owner, int index, std::string name, ace::FieldType type, int size, int dataSize)
    : owner_(owner), index_(index), name_(std::move(name)), engineType_(type), logical_(LogicalTypeOf(type)),
      size_(size), dataSize_(dataSize) {}

Value TField::Value() const { return owner_.FieldValue(index_); }
bool TField::IsNull() const { return Value().IsNull(); }
std::string TField::AsString() const {
  const ace::Value v = Value();
  // A logical field reads as "T" / "F" would in the suite's grids; text keeps its trailing blanks trimmed.
  if (v.GetKind() == Kind::String) return TrimRight(v.AsString());
  return TextOf(v);
}

std::int64_t TField::AsInteger() const {
  const ace::Value v = Value();
  if (v.GetKind() == Kind::Integer) return v.AsInteger();
  if (v.IsNull()) return 0;
  if (v.GetKind() == Kind::String)
    if (const std::optional<std::int64_t> whole = ace::WholeNumberFromText(v.AsString())) return *whole;
  double d = 0;
  // A number past the 64-bit range (a long digit string, a huge double) has no integer to give: llround would
  // answer an arbitrary one.
  constexpr double kLimit = 9223372036854775808.0;  // 2^63
  if (!NumberOf(v, d) || !(d >= -kLimit && d < kLimit))
    RaiseComponentError("'" + AsString() + "' is not a valid integer value for field " + name_, owner_.Source());
  return static_cast<std::int64_t>(std::llround(d));
}

double TField::AsFloat() const {
  const ace::Value v = Value();
  double d = 0;
  if (v.IsNull()) return 0;
  if (v.GetKind() == Kind::TimeStamp) return static_cast<double>(v.AsTimeStamp().Milliseconds()) / kv::DateTime::kMsPerDay;
  if (!NumberOf(v, d)) RaiseComponentError("'" + AsString() + "' is not a valid floating point value for field " + name_, owner_.Source());
  return d;
}

kv::Currency TField::AsCurrency() const {
  const ace::Value v = Value();
  if (v.GetKind() == Kind::Currency) return v.AsCurrency();
  if (v.GetKind() == Kind::String) {
    const std::string_view t = kv::TrimBlanks(v.AsString());
    if (t.empty()) return {};
    if (auto c = kv::Currency::Parse(t)) return *c;
  }
  return kv::Currency::FromDouble(AsFloat());
}

kv::DateTime TField::AsDateTime() const {
  const ace::Value v = Value();
  switch (v.GetKind()) {
    case Kind::Null: return {};
    case Kind::Date: return kv::DateTime(v.AsDate());
    case Kind::TimeStamp: return v.AsTimeStamp();
    case Kind::Time: return kv::DateTime::FromMilliseconds(v.AsTime().ms);
    default: break;
  }
  RaiseComponentError("'" + AsString() + "' is not a valid date and time for field " + name_, owner_.Source());
}

kv::Date TField::AsDate() const { return AsDateTime().DatePart(); }

bool TField::AsBoolean() const {
  const ace::Value v = Value();
  switch (v.GetKind()) {
    case Kind::Null: return false;
    case Kind::Boolean: return v.AsBoolean();
    case Kind::Integer: return v.AsInteger() != 0;
    case Kind::String: {
      const std::string t = kv::UpperCase(kv::TrimBlanks(v.AsString()));
      return t == "T" || t == "TRUE" || t == "Y" || t == "YES" || t == "1";
    }
    default: break;
  }
  RaiseComponentError("'" + AsString() + "' is not a valid boolean value for field " + name_, owner_.Source());
}

ace::ByteVector TField::AsBlob() const {
  const ace::Value v = Value();
  if (v.GetKind() == Kind::Bytes) return v.AsBytes();
  const std::string text = TextOf(v);
  return ace::ByteVector(text.begin(), text.end());
}

void TField::SetValue(const ace::Value& value) { owner_.AssignField(index_, value); }
void TField::SetAsString(const std::string& text) {
  // Blank text in a number, money, date, time or logical field is an empty field, also while it is only
  // assigned: it reads as empty before Post and is posted with AdsSetEmpty.
  if (ace::BlankTextIsEmpty(engineType_) && kv::TrimBlanks(text).empty()) SetValue(ace::Value::Null());
  else SetValue(ace::Value::String(text));
}
void TField::SetAsInteger(std::int64_t number) { SetValue(ace::Value::Integer(number)); }
void TField::SetAsFloat(double number) { SetValue(ace::Value::Double(number)); }
void TField::SetAsCurrency(kv::Currency money) { SetValue(ace::Value::Money(money)); }
void TField::SetAsDateTime(kv::DateTime when) {
  if (engineType_ == ace::FieldType::Date) SetValue(ace::Value::Date(when.DatePart()));
  else if (engineType_ == ace::FieldType::Time) SetValue(ace::Value::Time(ace::TimeOfDay{when.MillisecondOfDay()}));
  else SetValue(ace::Value::TimeStamp(when));
}
void TField::SetAsDate(kv::Date date) {
  if (engineType_ == ace::FieldType::TimeStamp) SetValue(ace::Value::TimeStamp(kv::DateTime(date)));
  else SetValue(ace::Value::Date(date));
}
void TField::SetAsBoolean(bool flag) { SetValue(ace::Value::Boolean(flag)); }
void TField::SetAsBlob(const ace::ByteVector& bytes) { SetValue(ace::Value::Blob(bytes)); }
void TField::Clear() { SetValue(ace::Value::Null()); }

// --- TAdsDataSet: connection ----------------------------------------------------------------------------

TAdsDataSet::TAdsDataSet(std::string name, std::string ownerName) : TComponent(std::move(name), std::move(ownerName)) {}

TAdsDataSet::~TAdsDataSet() {
  // Derived parts are gone by now: close the cursor directly, raising nothing.
  if (cursor_) ace::AdsCloseTable(cursor_);
  cursor_ = 0;
  if (master_) master_->RemoveDetail(this);
  for (TAdsDataSet* d : details_) d->master_ = nullptr;
  if (connection_) connection_->Detach(this);
}

TAdsConnection* TAdsDataSet::AdsConnection() const { return connection_; }

void TAdsDataSet::SetAdsConnection(TAdsConnection* connection) {
  if (connection == connection_) return;
  RequireInactive();
  if (connection_) connection_->Detach(this);
  ForgetDictionaryDefaultIndex();
  connection_ = connection;
  if (connection_) connection_->Attach(this);
}

void TAdsDataSet::SetDatabaseName(std::string name) {
  databaseName_ = std::move(name);
  if (TAdsConnection* c = TAdsConnection::FindByName(databaseName_)) SetAdsConnection(c);
}

TAdsConnection* TAdsDataSet::ResolveConnection() {
  if (!connection_ && !databaseName_.empty())
    if (TAdsConnection* c = TAdsConnection::FindByName(databaseName_)) SetAdsConnection(c);
  return connection_;
}

std::string TAdsDataSet::TableFolder() const { return connection_ ? connection_->TableFolder() : std::string(); }

void TAdsDataSet::RequireConnection() {
  if (!ResolveConnection() || connection_->TableFolder().empty())
    Refuse("One of the DatabaseName property or the AdsConnection property must have a value.");
}

ErrorSource TAdsDataSet::Source() const { return ErrorSource{Name(), OwnerName(), databaseName_, TableFolder(), ""}; }

void TAdsDataSet::RequireActive() const {
  if (!Active()) Refuse(kClosedDataset);
}

void TAdsDataSet::RequireInactive() const {
  if (Active()) Refuse(kOpenDataset);
}

// --- open and close ---

void TAdsDataSet::Open() {
  if (Active()) {
    OpenWhileActive();
    return;
  }
  if (BeforeOpen) BeforeOpen(*this);
  const ace::AdsHandle cursor = OpenCursor();
  if (cursor == 0) return;
  cursor_ = cursor;
  state_ = TDataSetState::dsBrowse;
  try {
    ReadIndexPageSize();
    BindFields();
    ApplyOrder();
    ApplyFilter(true);
    if (master_ && master_->Active()) ApplyMasterRange();
    else Check(ace::AdsGotoTop(Navigator()));
    atFirst_ = true;
  } catch (...) {
    Close();
    throw;
  }
  if (AfterOpen) AfterOpen(*this);
  DataChanged();
}

void TAdsDataSet::CloseCursor(ace::AdsHandle cursor) { Check(ace::AdsCloseTable(cursor)); }

void TAdsDataSet::Close() {
  if (!Active()) return;
  if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) Cancel();
  const ace::AdsHandle cursor = cursor_;
  cursor_ = 0;
  order_ = 0;
  ranged_ = false;
  atFirst_ = false;
  fields_.clear();
  changed_.clear();
  modified_ = false;
  locked_ = false;
  state_ = TDataSetState::dsInactive;
  AfterCursorClosed();
  CloseCursor(cursor);
}

void TAdsDataSet::ReadIndexPageSize() {
  AdsTableOptions.AdsIndexPageSize = 512;
  std::uint16_t count = 0;
  if (ace::AdsGetNumIndexes(cursor_, &count) != 0 || count == 0) return;
  ace::AdsHandle first = 0;
  std::uint32_t size = 0;
  if (ace::AdsGetIndexHandleByOrder(cursor_, 1, &first) != 0) return;
  if (ace::AdsGetIndexPageSize(first, &size) != 0 || size == 0 || size > 0xFFFF) return;
  AdsTableOptions.AdsIndexPageSize = static_cast<std::uint16_t>(size);
}

void TAdsDataSet::BindFields() {
  fields_.clear();
  std::uint16_t count = 0;
  if (!Check(ace::AdsGetNumFields(cursor_, &count))) return;
  for (std::uint16_t i = 1; i <= count; ++i) {
    std::string name;
    std::uint16_t type = 0;
    std::uint32_t length = 0;
    if (!Check(ace::AdsGetFieldName(cursor_, i, &name))) return;
    if (!Check(ace::AdsGetFieldType(cursor_, name, &type))) return;
    if (!Check(ace::AdsGetFieldLength(cursor_, name, &length))) return;
    const auto engineType = static_cast<ace::FieldType>(type);
    int size = 0;
    if (engineType == ace::FieldType::Char) size = length > 0 ? static_cast<int>(length) - 1 : 0;
    else if (engineType == ace::FieldType::Raw) size = static_cast<int>(length);
    // The engine's field length is its data size (Char k is k + 1, money 8, a memo its block reference).
    fields_.push_back(std::unique_ptr<TField>(new TField(*this, i - 1, name, engineType, size, static_cast<int>(length))));
  }
}

// --- order and filter ---

void TAdsDataSet::ClearOrder() {
  order_ = 0;
  ranged_ = false;
}

void TAdsDataSet::ApplyOrder() {
  ClearOrder();
  const std::string names(kv::TrimBlanks(indexFieldNames_));
  if (!names.empty()) {
    const std::vector<std::string> wanted = ace::KeyTextParts(names);
    std::uint16_t count = 0;
    Check(ace::AdsGetNumIndexes(cursor_, &count));
    std::string exact, leading;
    for (std::uint16_t i = 1; i <= count && exact.empty(); ++i) {
      ace::AdsHandle index = 0;
      std::string tag, expression;
      if (ace::AdsGetIndexHandleByOrder(cursor_, i, &index) != 0) continue;
      if (ace::AdsGetIndexName(index, &tag) != 0 || ace::AdsGetIndexExpr(index, &expression) != 0) continue;
      const std::vector<std::string> parts = ace::KeyTextParts(expression);
      if (parts.size() < wanted.size()) continue;
      bool same = true;
      for (std::size_t k = 0; k < wanted.size() && same; ++k) same = kv::SameText(parts[k], wanted[k]);
      if (!same) continue;
      if (parts.size() == wanted.size()) exact = tag;
      else if (leading.empty()) leading = tag;
    }
    const std::string tag = exact.empty() ? leading : exact;
    if (tag.empty()) Refuse("Not a valid index field name:" + names);
    Check(ace::AdsGetIndexHandle(cursor_, tag, &order_));
    return;
  }
  if (indexName_.empty()) return;
  std::string tag = indexName_;
  if (kv::SameText(tag, "ADS_DEFAULT")) {
    if (dictionaryDefaultIndex_.empty()) return;
    tag = dictionaryDefaultIndex_;
  }
  Check(ace::AdsGetIndexHandle(cursor_, tag, &order_));
}

void TAdsDataSet::ForgetDictionaryDefaultIndex() {
  if (defaultOrderFromDictionary_) indexName_.clear();
  defaultOrderFromDictionary_ = false;
  dictionaryDefaultIndex_.clear();
}

void TAdsDataSet::SetIndexFieldNames(std::string names) {
  indexFieldNames_ = std::string(kv::TrimBlanks(names));
  // Names replace an order chosen by IndexName; blank removes every order, "ADS_DEFAULT" included.
  indexName_.clear();
  defaultOrderFromDictionary_ = false;
  if (!Active()) return;
  CheckBrowseMode();
  ApplyOrder();
  First();
}

void TAdsDataSet::SetIndexName(std::string name) {
  indexName_ = std::move(name);
  defaultOrderFromDictionary_ = false;  // the caller's own order, even when it is "ADS_DEFAULT"
  if (!indexName_.empty()) indexFieldNames_.clear();
  if (!Active()) return;
  CheckBrowseMode();
  ApplyOrder();
  First();
}

void TAdsDataSet::ApplyFilter(bool opening) {
  if (filtered_ && !kv::TrimBlanks(filter_).empty()) Check(ace::AdsSetFilter(cursor_, filter_));
  else if (!opening) Check(ace::AdsClearFilter(cursor_));
}

void TAdsDataSet::SetFilter(std::string expression) {
  filter_ = std::move(expression);
  if (!Active() || !filtered_) return;
  CheckBrowseMode();
  ApplyFilter(false);
  First();
}

void TAdsDataSet::SetFiltered(bool filtered) {
  if (filtered == filtered_) return;
  filtered_ = filtered;
  if (!Active()) return;
  CheckBrowseMode();
  ApplyFilter(false);
  First();
}

// --- navigation ---

void TAdsDataSet::First() {
  RequireActive();
  CheckBrowseMode();
  Check(ace::AdsGotoTop(Navigator()));
  atFirst_ = true;
  DataChanged();
}

void TAdsDataSet::Next() {
  RequireActive();
  CheckBrowseMode();
  atFirst_ = false;
  Check(ace::AdsSkip(Navigator(), 1));
  DataChanged();
}

void TAdsDataSet::Prior() {
  RequireActive();
  CheckBrowseMode();
  atFirst_ = false;
  Check(ace::AdsSkip(Navigator(), -1));
  DataChanged();
}

void TAdsDataSet::Last() {
  RequireActive();
  CheckBrowseMode();
  atFirst_ = false;
  Check(ace::AdsGotoBottom(Navigator()));
  DataChanged();
}

bool TAdsDataSet::Eof() const {
  if (!Active()) return true;
  if (state_ == TDataSetState::dsInsert) return false;
  bool at = true;
  Check(ace::AdsAtEOF(Navigator(), &at));
  return at;
}

bool TAdsDataSet::Bof() const {
  if (!Active()) return true;
  if (state_ == TDataSetState::dsInsert) return false;
  if (atFirst_) return true;
  bool at = true;
  Check(ace::AdsAtBOF(Navigator(), &at));
  return at;
}

std::uint64_t TAdsDataSet::RecordCount() const {
  RequireActive();
  std::uint64_t count = 0;
  Check(ace::AdsGetRecordCount(Navigator(), &count));
  return count;
}

void TAdsDataSet::Resynchronise() {
  if (Bof()) {
    Check(ace::AdsGotoTop(Navigator()));
    atFirst_ = true;
  } else if (Eof()) {
    Check(ace::AdsGotoBottom(Navigator()));
    atFirst_ = false;
  } else {
    std::uint64_t recno = 0;
    if (Check(ace::AdsGetRecordNum(cursor_, &recno)) && recno != 0) Check(ace::AdsGotoRecord(cursor_, recno));
  }
}

// --- fields ---

TField* TAdsDataSet::FindField(std::string_view name) const {
  for (const auto& f : fields_)
    if (kv::SameText(f->FieldName(), name)) return f.get();
  return nullptr;
}

TField& TAdsDataSet::FieldByName(std::string_view name) const {
  TField* f = FindField(name);
  if (!f) Refuse("Field '" + std::string(name) + "' not found");
  return *f;
}

Value TAdsDataSet::FieldValue(int index) const {
  RequireActive();
  if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) {
    if (auto it = changed_.find(index); it != changed_.end()) return it->second;
    if (state_ == TDataSetState::dsInsert) return Value::Null();
  }
  if (Eof()) return Value::Null();
  Value v;
  if (!Check(ace::AdsGetField(cursor_, fields_[index]->FieldName(), &v))) return Value::Null();
  return v;
}

void TAdsDataSet::AssignField(int index, const Value& value) {
  if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) Refuse(kNotEditing);
  changed_[index] = value;
  modified_ = true;
}

// --- editing ---

void TAdsDataSet::CheckBrowseMode() {
  if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) return;
  // Values set by OnNewRecord or a master link alone do not make a new record worth keeping.
  if (modified_) Post();
  else Cancel();
}

void TAdsDataSet::Edit() {
  RequireActive();
  if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) return;
  if (IsEmpty()) {
    Append();
    return;
  }
  if (!OpenedExclusively()) {
    if (!Check(ace::AdsLockRecord(cursor_, 0))) return;
    locked_ = true;
  }
  changed_.clear();
  modified_ = false;
  state_ = TDataSetState::dsEdit;
}

void TAdsDataSet::Append() {
  RequireActive();
  CheckBrowseMode();
  changed_.clear();
  state_ = TDataSetState::dsInsert;
  if (master_ && master_->Active()) {
    const std::vector<std::string> keys = OrderFields();
    for (std::size_t i = 0; i < masterFields_.size(); ++i) {
      const std::string& detailField = i < keys.size() ? keys[i] : masterFields_[i];
      if (TField* f = FindField(detailField)) f->SetValue(master_->FieldByName(masterFields_[i]).Value());
    }
  }
  if (OnNewRecord) OnNewRecord(*this);
  modified_ = false;
}

bool TAdsDataSet::WriteChangedFields() {
  for (const auto& [index, value] : changed_) {
    const TField& f = *fields_[index];
    ace::ResultCode r;
    if (value.IsNull()) r = ace::AdsSetEmpty(cursor_, f.FieldName());
    else if (value.GetKind() == Kind::Bytes) r = ace::AdsSetFieldRaw(cursor_, f.FieldName(), value.AsBytes());
    else r = ace::AdsSetField(cursor_, f.FieldName(), value);
    if (!Check(r)) return false;
  }
  return true;
}

bool TAdsDataSet::PostOnce() {
  const bool appending = state_ == TDataSetState::dsInsert;
  bool started = !appending;
  bool written = false;
  try {
    if (appending && Check(ace::AdsAppendRecord(cursor_))) started = true;
    written = started && WriteChangedFields() && Check(ace::AdsWriteRecord(cursor_));
  } catch (...) {
    // The engine's record buffer goes back to what is on disk, so a retry starts clean.
    if (started) ace::AdsCancelUpdate(cursor_);
    throw;
  }
  if (!written) {
    // A failure that was not raised (another error is being reported): the record stays in edit or insert.
    if (started) ace::AdsCancelUpdate(cursor_);
    return false;
  }
  Check(ace::AdsUnlockRecord(cursor_, 0));
  return true;
}

void TAdsDataSet::Post() {
  RequireActive();
  if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) return;
  for (;;) {
    try {
      if (!PostOnce()) return;
      break;
    } catch (const EADSDatabaseError& e) {
      if (!OnPostError) throw;
      TDataAction action = TDataAction::daFail;
      OnPostError(*this, e, action);
      if (action == TDataAction::daRetry) continue;
      if (action == TDataAction::daAbort) throw EAbort();
      throw;
    }
  }
  state_ = TDataSetState::dsBrowse;
  changed_.clear();
  modified_ = false;
  locked_ = false;
  DataChanged();
}

void TAdsDataSet::Cancel() {
  if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) return;
  const bool wasLocked = locked_;
  state_ = TDataSetState::dsBrowse;
  changed_.clear();
  modified_ = false;
  locked_ = false;
  if (wasLocked) Check(ace::AdsUnlockRecord(cursor_, 0));
}

void TAdsDataSet::Delete() {
  RequireActive();
  if (state_ == TDataSetState::dsInsert) {
    Cancel();
    return;
  }
  if (IsEmpty() || Eof()) Refuse("Cannot perform this operation on an empty dataset");
  const bool wasLocked = locked_;
  changed_.clear();
  modified_ = false;
  locked_ = false;
  state_ = TDataSetState::dsBrowse;
  if (!Check(ace::AdsDeleteRecord(cursor_))) return;
  Check(ace::AdsWriteRecord(cursor_));
  if (wasLocked) Check(ace::AdsUnlockRecord(cursor_, 0));
  // The deleted record stays current until the cursor moves: go on to the one after it.
  atFirst_ = false;
  Check(ace::AdsSkip(Navigator(), 1));
  // Past the last record: when no record is left at all, the set is empty (Bof as well as Eof).
  if (Eof()) {
    Check(ace::AdsGotoTop(Navigator()));
    if (Eof()) {
      atFirst_ = true;
    } else {
      Check(ace::AdsGotoBottom(Navigator()));
      Check(ace::AdsSkip(Navigator(), 1));
    }
  }
  DataChanged();
}

// --- searches ---

std::vector<std::string> TAdsDataSet::OrderFields() const {
  if (!order_) return {};
  std::string expression;
  if (ace::AdsGetIndexExpr(order_, &expression) != 0) return {};
  std::vector<std::string> fields;
  for (const std::string& part : ace::KeyTextParts(expression)) fields.push_back(ace::KeyPartField(part));
  return fields;
}

void TAdsDataSet::RequireOrder(std::size_t values) const {
  if (!order_) Refuse("No parseable expressions in setting key fields");
  if (values > OrderFields().size()) Refuse("Too many values given for current index");
}

std::vector<Value> TAdsDataSet::KeyOf(const TKeyValues& values) {
  std::vector<Value> key;
  key.reserve(values.size());
  for (const TKeyValue& v : values) key.push_back(v.Value());
  return key;
}

bool TAdsDataSet::FindKey(const TKeyValues& values) {
  RequireActive();
  CheckBrowseMode();
  RequireOrder(values.size());
  const std::vector<Value> key = KeyOf(values);
  bool found = false;
  atFirst_ = false;
  if (!Check(ace::AdsSeek(order_, key, ace::seek_type::kExact, &found))) return false;
  DataChanged();
  return found;
}

void TAdsDataSet::FindNearest(const TKeyValues& values) {
  RequireActive();
  CheckBrowseMode();
  RequireOrder(values.size());
  const std::vector<Value> key = KeyOf(values);
  bool found = false;
  atFirst_ = false;
  Check(ace::AdsSeek(order_, key, ace::seek_type::kNearest, &found));
  DataChanged();
}

void TAdsDataSet::SetRange(const TKeyValues& start, const TKeyValues& end) {
  RequireActive();
  CheckBrowseMode();
  RequireOrder(std::max(start.size(), end.size()));
  const std::vector<Value> top = KeyOf(start), bottom = KeyOf(end);
  if (!Check(ace::AdsSetScope(order_, ace::scope_end::kTop, top))) return;
  if (!Check(ace::AdsSetScope(order_, ace::scope_end::kBottom, bottom))) return;
  ranged_ = true;
  Check(ace::AdsGotoTop(order_));
  atFirst_ = true;
  DataChanged();
}

void TAdsDataSet::CancelRange() {
  RequireActive();
  CheckBrowseMode();
  if (!order_ || !ranged_) return;
  Check(ace::AdsClearScope(order_, ace::scope_end::kTop));
  Check(ace::AdsClearScope(order_, ace::scope_end::kBottom));
  ranged_ = false;
  Check(ace::AdsGotoTop(order_));
  atFirst_ = true;
  DataChanged();
}

bool TAdsDataSet::Locate(std::string_view field, const TKeyValue& value, TLocateOptions options) {
  RequireActive();
  CheckBrowseMode();
  const TField& f = FieldByName(field);
  std::uint64_t before = 0;
  if (!Eof()) ace::AdsGetRecordNum(cursor_, &before);
  if (!Check(ace::AdsGotoTop(Navigator()))) return false;
  atFirst_ = false;
  while (!Eof()) {
    if (Matches(f.Value(), value.Value(), options)) {
      DataChanged();
      return true;
    }
    if (!Check(ace::AdsSkip(Navigator(), 1))) return false;
  }
  // Not found: back where the search started.
  if (before != 0) Check(ace::AdsGotoRecord(cursor_, before));
  return false;
}

// --- master-detail ---

void TAdsDataSet::AddDetail(TAdsDataSet* detail) {
  if (std::find(details_.begin(), details_.end(), detail) == details_.end()) details_.push_back(detail);
}

void TAdsDataSet::RemoveDetail(TAdsDataSet* detail) {
  details_.erase(std::remove(details_.begin(), details_.end(), detail), details_.end());
}

void TAdsDataSet::SetMasterSource(TAdsDataSet* master, std::string masterFields) {
  // A link back to this dataset, however far up its masters, would have every move tell itself again without
  // end; the chain of masters is free of circles as long as each new link is checked.
  for (const TAdsDataSet* m = master; m; m = m->master_)
    if (m == this) Refuse("Circular datalinks are not allowed");
  if (master_) master_->RemoveDetail(this);
  master_ = master;
  masterFields_.clear();
  for (const std::string& f : ace::KeyTextParts(masterFields))
    if (!f.empty()) masterFields_.push_back(f);
  if (master_) master_->AddDetail(this);
  if (Active() && master_ && master_->Active()) ApplyMasterRange();
}

void TAdsDataSet::ApplyMasterRange() {
  if (!Active() || !master_ || !master_->Active() || masterFields_.empty()) return;
  TKeyValues key;
  for (const std::string& f : masterFields_) key.emplace_back(master_->FieldByName(f).Value());
  SetRange(key, key);
}

void TAdsDataSet::DataChanged() {
  for (TAdsDataSet* d : details_) d->ApplyMasterRange();
}

}  // namespace kv::engine
