#pragma once
// TAdsDataSet: what tables and query results share. An open dataset holds an engine cursor (a table handle or a
// statement's result cursor) and reads and changes it through the engine calls: navigation in the current
// order, fields by name, edit / append / post, exact and nearest key searches, ranges, record filters.
//
// States: inactive (closed), browse, edit (the current record locked unless the table is exclusive), insert (a
// new record buffer that Post appends). Moving the cursor, searching or packing in edit or insert state posts a
// changed record first and cancels an unchanged one.
//
// Hooks the window uses: BeforeOpen, AfterOpen, OnNewRecord (after Append, once the master's link fields are
// set) and OnPostError (a failed Post; the handler picks what happens next). A dataset can be the detail of a
// master dataset: while both are open it is restricted to the master's current values of the link fields.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ace/ace.h"
#include "ace/core/value.h"
#include "engine/component.h"
#include "engine/errors.h"
#include "engine/types.h"
#include "support/calendar.h"
#include "support/currency.h"

namespace kv::engine {

class TAdsConnection;
class TAdsDataSet;

// A value given to FindKey, FindNearest, SetRange and Locate.
class TKeyValue {
 public:
  TKeyValue(const char* text) : value_(ace::Value::String(text)) {}
  TKeyValue(std::string text) : value_(ace::Value::String(std::move(text))) {}
  TKeyValue(std::string_view text) : value_(ace::Value::String(std::string(text))) {}
  TKeyValue(int number) : value_(ace::Value::Integer(number)) {}
  TKeyValue(std::int64_t number) : value_(ace::Value::Integer(number)) {}
  TKeyValue(double number) : value_(ace::Value::Double(number)) {}
  TKeyValue(bool flag) : value_(ace::Value::Boolean(flag)) {}
  TKeyValue(kv::Currency money) : value_(ace::Value::Money(money)) {}
  TKeyValue(kv::Date date) : value_(ace::Value::Date(date)) {}
  TKeyValue(kv::DateTime when) : value_(ace::Value::TimeStamp(when)) {}
  TKeyValue(ace::Value value) : value_(std::move(value)) {}
  const ace::Value& Value() const { return value_; }

 private:
  ace::Value value_;
};
using TKeyValues = std::vector<TKeyValue>;

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };
enum class TDataAction { daFail, daAbort, daRetry };

struct TLocateOptions {
  bool caseInsensitive = false;
  bool partialKey = false;
};

// One field of an open dataset. Reading gives the value of the current record, or the value assigned in edit
// or insert state; writing needs edit or insert state. Conversions follow the field's type: a number reads as
// text in its shortest form, a date as "2026-12-10", an empty field as "" / 0 / false. Text reads as a number
// by ace::NumberFromText (plain decimals; blank text is 0); blank text set on a field that holds no text
// empties it.
class TField {
 public:
  const std::string& FieldName() const { return name_; }
  TFieldType DataType() const { return logical_; }
  ace::FieldType EngineType() const { return engineType_; }
  int Size() const { return size_; }  // characters of a Char field, bytes of a Raw field; 0 otherwise
  // The engine's data size of the field, as AdsGetFieldLength reports it (ace::FieldDataSize): Char k is k + 1,
  // CurDouble 8, a memo its block reference. What a column change compares against.
  int DataSize() const { return dataSize_; }

  ace::Value Value() const;
  bool IsNull() const;
  std::string AsString() const;
  std::int64_t AsInteger() const;
  double AsFloat() const;
  kv::Currency AsCurrency() const;
  kv::DateTime AsDateTime() const;
  kv::Date AsDate() const;
  bool AsBoolean() const;
  ace::ByteVector AsBlob() const;

  void SetValue(const ace::Value& value);
  void SetAsString(const std::string& text);
  void SetAsInteger(std::int64_t number);
  void SetAsFloat(double number);
  void SetAsCurrency(kv::Currency money);
  void SetAsDateTime(kv::DateTime when);
  void SetAsDate(kv::Date date);
  void SetAsBoolean(bool flag);
  void SetAsBlob(const ace::ByteVector& bytes);
  void Clear();  // makes the field empty (NULL)

 private:
  friend class TAdsDataSet;
  TField(TAdsDataSet& owner, int index, std::string name, ace::FieldType type, int size, int dataSize);
  TAdsDataSet& owner_;
  int index_;
  std::string name_;
  ace::FieldType engineType_;
  TFieldType logical_;
  int size_;
  int dataSize_;
};

class TAdsDataSet : public TComponent {
 public:
  explicit TAdsDataSet(std::string name = "", std::string ownerName = "");
  ~TAdsDataSet() override;

  // --- connection ---
  TAdsConnection* AdsConnection() const;
  void SetAdsConnection(TAdsConnection* connection);
  const std::string& DatabaseName() const { return databaseName_; }
  // Names the connection (a named TAdsConnection); it is looked up now and again on open when not found yet.
  void SetDatabaseName(std::string name);
  // Table folder of the connection, "" without one.
  std::string TableFolder() const;

  TAdsTableOptions AdsTableOptions;

  // --- open and close ---
  void Open();
  void Close();
  bool Active() const { return state_ != TDataSetState::dsInactive; }
  void SetActive(bool active) { active ? Open() : Close(); }
  TDataSetState State() const { return state_; }
  ace::AdsHandle Handle() const { return cursor_; }  // the engine cursor; 0 while closed

  // --- order, filter ---
  const std::string& IndexFieldNames() const { return indexFieldNames_; }
  // Field names joined by ";" (blanks around it trimmed); blank removes the order, also one chosen by
  // IndexName ("ADS_DEFAULT" included). Applied at once when open.
  void SetIndexFieldNames(std::string names);
  const std::string& IndexName() const { return indexName_; }
  void SetIndexName(std::string name);
  const std::string& Filter() const { return filter_; }
  void SetFilter(std::string expression);
  bool Filtered() const { return filtered_; }
  void SetFiltered(bool filtered);

  // --- navigation ---
  void First();
  void Next();
  void Prior();
  void Last();
  bool Eof() const;  // past the last record (or no record at all)
  bool Bof() const;  // on the first record after Open or First, or moved before the first record
  bool IsEmpty() const { return Eof() && Bof(); }
  std::uint64_t RecordCount() const;

  // --- fields ---
  const std::vector<std::unique_ptr<TField>>& Fields() const { return fields_; }
  TField* FindField(std::string_view name) const;  // nullptr when there is none
  TField& FieldByName(std::string_view name) const;

  // --- editing ---
  void Edit();
  void Append();
  void Insert() { Append(); }
  void Post();
  void Cancel();
  // The cursor goes on to the record after the deleted one; once none is left the dataset is empty (IsEmpty).
  void Delete();
  bool Modified() const { return modified_; }

  // --- searches and ranges on the current order ---
  bool FindKey(const TKeyValues& values);
  void FindNearest(const TKeyValues& values);
  void SetRange(const TKeyValues& start, const TKeyValues& end);
  void CancelRange();
  bool Locate(std::string_view field, const TKeyValue& value, TLocateOptions options = {});

  // --- master-detail ---
  // Restricts this dataset to the master's current values of masterFields (names joined by ";"), matched to
  // the leading fields of this dataset's order. nullptr unlinks. A link that would close a circle (this dataset
  // among the new master's own masters, or itself) is refused, leaving the old link.
  void SetMasterSource(TAdsDataSet* master, std::string masterFields);
  TAdsDataSet* MasterSource() const { return master_; }

  // --- hooks ---
  std::function<void(TAdsDataSet&)> BeforeOpen;
  std::function<void(TAdsDataSet&)> AfterOpen;
  std::function<void(TAdsDataSet&)> OnNewRecord;
  std::function<void(TAdsDataSet&, const EADSDatabaseError&, TDataAction&)> OnPostError;

  virtual ErrorSource Source() const;

 protected:
  // Opens the engine cursor; 0 when a failure was not raised (another error is in flight).
  virtual ace::AdsHandle OpenCursor() = 0;
  virtual void CloseCursor(ace::AdsHandle cursor);
  // The connection is about to disconnect.
  virtual void ConnectionClosing() { Close(); }
  // Called by the connection after it connected to a dictionary with the table's default index.
  virtual void DictionaryDefaultIndex(const std::string& /*tag*/) {}
  // The name to ask the dictionary about for its default index; empty for none (queries).
  virtual std::string DictionaryTableName() const { return {}; }
  // Opening an open dataset: tables refuse, queries keep their result.
  virtual void OpenWhileActive() {}
  // Edit locks the current record unless the cursor was opened exclusively.
  virtual bool OpenedExclusively() const { return false; }
  virtual void AfterCursorClosed() {}

  TAdsConnection* ResolveConnection();
  void RequireConnection();  // "One of the DatabaseName property or the AdsConnection property ..."
  [[noreturn]] void Refuse(const std::string& text) const { RaiseComponentError(text, Source()); }
  bool Check(ace::ResultCode result) const { CheckEngine(result, Source()); return result == 0; }
  void RequireActive() const;
  void RequireInactive() const;  // "Cannot perform this operation on an open dataset"
  void CheckBrowseMode();
  // The handle navigation goes through: the current order's index handle, or the cursor itself.
  ace::AdsHandle Navigator() const { return order_ ? order_ : cursor_; }
  void ApplyOrder();
  void ApplyFilter(bool opening);
  void ReadIndexPageSize();
  void BindFields();
  void Resynchronise();
  void DataChanged();  // the current record changed: tell the details
  // The dictionary that gave the default index is no longer reached (disconnect, another connection, another
  // table): its tag is forgotten, and so is the order "ADS_DEFAULT" when the dictionary gave it.
  void ForgetDictionaryDefaultIndex();

  std::string indexFieldNames_;
  std::string indexName_;
  std::string dictionaryDefaultIndex_;  // the tag "ADS_DEFAULT" stands for
  // IndexName is "ADS_DEFAULT" because the dictionary gave it, not because the caller chose it.
  bool defaultOrderFromDictionary_ = false;
  // Bof as the suite's callers know it: true on the first record after Open or First (the engine's own flag
  // is set only by a move before the first record), until the cursor moves.
  bool atFirst_ = false;

 private:
  friend class TField;
  friend class TAdsConnection;
  ace::Value FieldValue(int index) const;
  void AssignField(int index, const ace::Value& value);
  std::vector<std::string> OrderFields() const;  // the key fields of the current order
  static std::vector<ace::Value> KeyOf(const TKeyValues& values);
  void RequireOrder(std::size_t values) const;
  bool WriteChangedFields();
  bool PostOnce();
  void ApplyMasterRange();
  void AddDetail(TAdsDataSet* detail);
  void RemoveDetail(TAdsDataSet* detail);
  void ClearOrder();

  TAdsConnection* connection_ = nullptr;
  std::string databaseName_;
  std::string filter_;
  bool filtered_ = false;
  TDataSetState state_ = TDataSetState::dsInactive;
  ace::AdsHandle cursor_ = 0;
  ace::AdsHandle order_ = 0;  // index handle of the current order
  bool ranged_ = false;
  std::vector<std::unique_ptr<TField>> fields_;
  std::map<int, ace::Value> changed_;  // fields assigned in edit or insert state
  bool modified_ = false;
  bool locked_ = false;
  TAdsDataSet* master_ = nullptr;
  std::vector<std::string> masterFields_;
  std::vector<TAdsDataSet*> details_;
};

}  // namespace kv::engine
