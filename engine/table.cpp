#include "engine/table.h"

#include "engine/connection.h"
#include "platform/fs.h"
#include "support/strings.h"

namespace kv::engine {

namespace {

constexpr const char* kOpenDataset = "Cannot perform this operation on an open dataset";

// Closes a handle the table opened for one operation, also when that operation fails.
class PrivateHandle {
 public:
  explicit PrivateHandle(ace::AdsHandle h) : handle_(h) {}
  ~PrivateHandle() {
    if (handle_) ace::AdsCloseTable(handle_);
  }
  PrivateHandle(const PrivateHandle&) = delete;
  PrivateHandle& operator=(const PrivateHandle&) = delete;
  ace::AdsHandle Get() const { return handle_; }
  void Release() { handle_ = 0; }

 private:
  ace::AdsHandle handle_;
};

}  // namespace

TAdsTable::TAdsTable(std::string name, std::string ownerName) : TAdsDataSet(std::move(name), std::move(ownerName)) {}

TAdsTable::~TAdsTable() {
  try {
    Close();
  } catch (...) {
    // Closing in a destructor reports nothing.
  }
}

ErrorSource TAdsTable::Source() const {
  ErrorSource s = TAdsDataSet::Source();
  s.tableName = tableName_;
  return s;
}

void TAdsTable::SetTableName(std::string name) {
  if (Active()) Refuse(kOpenDataset);
  tableName_ = std::move(name);
  // The dictionary's default index belonged to the table of the old name.
  ForgetDictionaryDefaultIndex();
}

void TAdsTable::SetTableType(TAdsTableTypes type) {
  if (Active()) {
    if (type == tableType_) return;
    if (AdsConnection() && AdsConnection()->IsDictionary())
      Refuse("The table type must remain identical to the table type associated with the alias.");
    Refuse(kOpenDataset);
  }
  tableType_ = type;
}

void TAdsTable::SetExclusive(bool exclusive) {
  if (Active()) Refuse(kOpenDataset);
  exclusive_ = exclusive;
}

void TAdsTable::SetReadOnly(bool readOnly) {
  if (Active()) Refuse(kOpenDataset);
  readOnly_ = readOnly;
}

void TAdsTable::DictionaryDefaultIndex(const std::string& tag) {
  dictionaryDefaultIndex_ = tag;
  if (indexFieldNames_.empty() && indexName_.empty()) {
    indexName_ = "ADS_DEFAULT";
    defaultOrderFromDictionary_ = true;
  }
}

void TAdsTable::OpenWhileActive() { Refuse("Table is already open."); }

std::uint32_t TAdsTable::OpenMode() const {
  std::uint32_t mode = 0;
  if (exclusive_) mode |= ace::open_mode::kExclusive;
  if (readOnly_) mode |= ace::open_mode::kReadOnly;
  if (AdsConnection() && AdsConnection()->ReadOnly) mode |= ace::open_mode::kReadOnly;
  return mode;
}

std::string TAdsTable::PathName() const {
  const std::string folder = TableFolder();
  return folder.empty() ? tableName_ : folder + "\\" + tableName_;
}

void TAdsTable::PrepareForEngine() {
  if (tableName_.empty()) Refuse("Missing TableName property");
  RequireConnection();
  if (!AdsConnection()->IsConnected()) AdsConnection()->Connect();
}

ace::AdsHandle TAdsTable::OpenEngineTable(std::uint32_t mode, bool readBackType) {
  PrepareForEngine();
  TAdsConnection& c = *AdsConnection();
  if (!c.IsConnected()) return 0;
  const auto& o = AdsTableOptions;
  ace::AdsHandle h = 0;
  ace::ResultCode r;
  if (c.IsDictionary()) {
    r = ace::AdsOpenTable(c.Handle(), tableName_, "", ace::table_type::kDefault, CharTypeCode(o.AdsCharType),
                          LockTypeCode(o.AdsLockType), o.RightsCode(), mode, &h);
    // A free table lying in the dictionary's folder opens through the dictionary connection too.
    if (r == ace::code::kNotInDictionary)
      r = ace::AdsOpenTable(c.Handle(), PathName(), "", TableTypeCode(tableType_), CharTypeCode(o.AdsCharType),
                            LockTypeCode(o.AdsLockType), o.RightsCode(), mode, &h);
    if (!Check(r)) return 0;
    if (readBackType) {
      std::uint16_t type = 0;
      if (ace::AdsGetTableType(h, &type) == 0)
        tableType_ = type == 2 ? TAdsTableTypes::ttAdsCDX : type == 1 ? TAdsTableTypes::ttAdsNTX : TAdsTableTypes::ttAdsADT;
    }
    return h;
  }
  r = ace::AdsOpenTable(c.Handle(), PathName(), "", TableTypeCode(tableType_), CharTypeCode(o.AdsCharType),
                        LockTypeCode(o.AdsLockType), o.RightsCode(), mode, &h);
  if (!Check(r)) return 0;
  return h;
}

ace::AdsHandle TAdsTable::OpenCursor() { return OpenEngineTable(OpenMode(), true); }

bool TAdsTable::Exists() {
  if (Active()) return true;
  if (tableName_.empty()) return false;
  // Only a question: without a connection or folder there is no file of the table to find.
  ResolveConnection();
  const std::string folder = TableFolder();
  if (folder.empty()) return false;
  std::string name = tableName_;
  if (kv::fs::FileNamePart(name).find('.') == std::string::npos)
    name += IsAdtTable(tableType_) ? ".adt" : ".dbf";
  return kv::fs::FileExists(folder + "\\" + name);
}

void TAdsTable::CreateTable() {
  if (Active()) Refuse(kOpenDataset);
  if (tableName_.empty()) Refuse("Missing TableName property");
  std::string fields, error;
  if (!FieldDefinitionString(FieldDefs, tableType_, fields, error)) Refuse(error);
  ace::AdsHandle connection = 0;
  if (TAdsConnection* c = ResolveConnection()) {
    if (!c->IsConnected()) c->Connect();
    connection = c->Handle();
  }
  const auto& o = AdsTableOptions;
  ace::AdsHandle h = 0;
  const ace::ResultCode r =
      ace::AdsCreateTable(connection, PathName(), "", TableTypeCode(tableType_), CharTypeCode(o.AdsCharType),
                          LockTypeCode(o.AdsLockType), o.RightsCode(), 0, fields, &h);
  if (!Check(r)) return;
  PrivateHandle created(h);
  for (const TIndexDef& def : IndexDefs) CreateIndexOn(h, def.Name, def.Key(), def.Options);
}

void TAdsTable::CreateIndexOn(ace::AdsHandle table, const std::string& name, std::string key,
                              const TIndexOptions& options) {
  const std::uint32_t bits = IndexOptionBits(options, tableType_);
  if (options.Has(TIndexOption::ixCaseInsensitive) && options.Has(TIndexOption::ixExpression))
    Refuse("ixCaseInsensitive is not supported with ixExpression indexes");
  key = IndexKeyText(key, options, tableType_, [&](const std::string& field) {
    std::uint16_t type = 0;
    return ace::AdsGetFieldType(table, field, &type) == 0 && type == 4;
  });
  const bool ntx = tableType_ == TAdsTableTypes::ttAdsNTX;
  ace::AdsHandle index = 0;
  const ace::ResultCode r = ace::AdsCreateIndex61(table, ntx ? name : std::string(), ntx ? std::string() : name, key,
                                                  "", "", bits, AdsTableOptions.AdsIndexPageSize, &index);
  indexDefsStale_ = true;
  Check(r);
}

void TAdsTable::AddIndex(const std::string& name, const std::string& fields, TIndexOptions options) {
  if (Active()) {
    CreateIndexOn(Handle(), name, fields, options);
    return;
  }
  PrivateHandle table(OpenEngineTable(OpenMode(), false));
  if (!table.Get()) return;
  CreateIndexOn(table.Get(), name, fields, options);
}

void TAdsTable::ResultOrUnchanged(ace::ResultCode result) {
  if (result != ace::code::kEncryptionUnchanged) Check(result);
}

void TAdsTable::EnableEncryption(std::string_view password) {
  RequireActive();
  ResultOrUnchanged(ace::AdsEnableEncryption(Handle(), password));
  // The engine opens the tag of an order chosen before the password by itself; the cursor stays in that order.
  Resynchronise();
}

void TAdsTable::EncryptTable() {
  RequireActive();
  CheckBrowseMode();
  ResultOrUnchanged(ace::AdsEncryptTable(Handle()));
  Resynchronise();
}

void TAdsTable::DecryptTable() {
  RequireActive();
  CheckBrowseMode();
  ResultOrUnchanged(ace::AdsDecryptTable(Handle()));
  Resynchronise();
}

bool TAdsTable::IsTableEncrypted() {
  RequireActive();
  bool encrypted = false;
  ResultOrUnchanged(ace::AdsIsTableEncrypted(Handle(), &encrypted));
  return encrypted;
}

void TAdsTable::PackTable() {
  RequireActive();
  CheckBrowseMode();
  ResultOrUnchanged(ace::AdsPackTable(Handle()));
  Check(ace::AdsGotoTop(Navigator()));
  atFirst_ = true;
  DataChanged();
}

void TAdsTable::EmptyTable() {
  if (Active()) {
    CheckBrowseMode();
    Check(ace::AdsZapTable(Handle()));
    Check(ace::AdsGotoTop(Navigator()));
    atFirst_ = true;
    DataChanged();
    return;
  }
  PrivateHandle table(OpenEngineTable(OpenMode() | ace::open_mode::kExclusive, false));
  if (!table.Get()) return;
  Check(ace::AdsZapTable(table.Get()));
}

void TAdsTable::DeleteTable() {
  if (Active()) Refuse(kOpenDataset);
  PrivateHandle table(OpenEngineTable(ace::open_mode::kExclusive, false));
  if (!table.Get()) return;
  const ace::ResultCode r = ace::AdsDeleteTable(table.Get());
  // The engine closes the handle of a deleted table.
  if (r == 0) table.Release();
  Check(r);
}

void TAdsTable::UpdateIndexDefs() {
  PrivateHandle own(Active() ? 0 : OpenEngineTable(OpenMode(), false));
  const ace::AdsHandle h = Active() ? Handle() : own.Get();
  if (!h) return;
  TIndexDefs defs;
  std::uint16_t count = 0;
  if (!Check(ace::AdsGetNumIndexes(h, &count))) return;
  for (std::uint16_t i = 1; i <= count; ++i) {
    ace::AdsHandle index = 0;
    std::string name, expression;
    std::uint32_t bits = 0;
    if (!Check(ace::AdsGetIndexHandleByOrder(h, i, &index))) return;
    if (!Check(ace::AdsGetIndexName(index, &name))) return;
    if (!Check(ace::AdsGetIndexExpr(index, &expression))) return;
    if (!Check(ace::AdsGetIndexOptions(index, &bits))) return;
    TIndexOptions options;
    if (bits & ace::index_option::kUnique) options.Include(TIndexOption::ixUnique);
    if (bits & ace::index_option::kDescending) options.Include(TIndexOption::ixDescending);
    // The tool makes every index of its ADT tables with ixExpression, and the engine keeps no mark of it; on
    // other table types only a key with a function in it reads as an expression. Case-insensitive is not told:
    // such an index reads back as its UPPER() key.
    if (IsAdtTable(tableType_) || expression.find('(') != std::string::npos)
      options.Include(TIndexOption::ixExpression);
    TIndexDef& def = defs.Add(name, expression, options);
    def.Expression = expression;
  }
  IndexDefs = std::move(defs);
  indexDefsStale_ = false;
}

std::string TAdsTable::EngineVersionText() {
  std::uint32_t major = 0, minor = 0;
  char letter = ' ';
  std::string description;
  ace::AdsGetVersion(&major, &minor, &letter, &description);
  std::string text = "6.11 (ACE " + std::to_string(major) + "." + (minor < 10 ? "0" : "") + std::to_string(minor);
  if (letter != ' ' && letter != '\0') text += letter;
  return text + ")";
}

}  // namespace kv::engine
