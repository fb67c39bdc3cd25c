#pragma once
// The engine calls: the thin interface through which the component layer (and the shell) reach the engine.
// Every call returns 0 for success or an engine code (ace/core/codes.h); after a failure AdsGetLastError gives
// the code and a text of at most 600 characters. Handles are numbers; 0 is no handle.
//
// Handle kinds (AdsGetHandleType): 1 table, 2 index tag, 3 SQL statement, 4 SQL cursor, 5 free-table connection,
// 6 dictionary connection. docs/engine-calls.md lists the calls with their arguments.
//
// Navigation calls take a table handle (record-number order) or an index handle (that tag's order, which then
// becomes the table's current order).
//
// Threads: the calls may be made from any thread, and handles belong to the process, not to the thread that
// made them. The calls are serialised: each one holds the engine's call lock for its length, so two threads never
// work on the handles or their tables at the same time (a long call, such as a statement over a large table,
// holds the others up until it returns). The last error is kept per thread: AdsGetLastError gives the outcome of
// the calling thread's own last failed call. A trace records the calls of every thread, in the order they began.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ace/core/codes.h"
#include "ace/core/field_type.h"  // field type codes and their words (FieldTypeWord), as AdsGetFieldType gives them
#include "ace/core/kinds.h"  // table types, character types, index option bits
#include "ace/core/value.h"

namespace ace {

using AdsHandle = std::uint64_t;

namespace handle_type {
inline constexpr std::uint16_t kTable = 1;
inline constexpr std::uint16_t kIndex = 2;
inline constexpr std::uint16_t kStatement = 3;
inline constexpr std::uint16_t kCursor = 4;
inline constexpr std::uint16_t kConnection = 5;
inline constexpr std::uint16_t kDictionaryConnection = 6;
}  // namespace handle_type

namespace open_mode {
inline constexpr std::uint32_t kShared = 0;
inline constexpr std::uint32_t kExclusive = 1;
inline constexpr std::uint32_t kReadOnly = 2;
}  // namespace open_mode

namespace rights_check {
inline constexpr std::uint16_t kCheck = 1;
inline constexpr std::uint16_t kIgnore = 2;
}  // namespace rights_check

namespace seek_type {
inline constexpr std::uint16_t kExact = 1;    // found only on an equal key
inline constexpr std::uint16_t kNearest = 2;  // positioned on the first key at or after
}  // namespace seek_type

namespace scope_end {
inline constexpr std::uint16_t kTop = 1;
inline constexpr std::uint16_t kBottom = 2;
}  // namespace scope_end

inline constexpr std::size_t kMaxErrorText = 600;

// --- errors, version, trace ---
ResultCode AdsGetLastError(ResultCode* code, std::string* text);
ResultCode AdsGetVersion(std::uint32_t* major, std::uint32_t* minor, char* letter, std::string* description);
// A switchable record of the calls made (name and main arguments), for checking call orders.
void AdsTraceStart();
std::vector<std::string> AdsTraceStop();

// --- connections ---
// serverTypes: 1 local, 2 remote, 4 internet (a mask; this engine is always local). options: 0.
ResultCode AdsConnect60(std::string_view path, std::uint16_t serverTypes, std::string_view user,
                        std::string_view password, std::uint32_t options, AdsHandle* connection);
ResultCode AdsDisconnect(AdsHandle connection);
ResultCode AdsGetConnectionType(AdsHandle connection, std::uint16_t* type);  // 1 local
ResultCode AdsGetHandleType(AdsHandle handle, std::uint16_t* type);

// --- tables ---
ResultCode AdsOpenTable(AdsHandle connection, std::string_view name, std::string_view alias, std::uint16_t tableType,
                        std::uint16_t charType, std::uint16_t lockType, std::uint16_t rightsCheck,
                        std::uint32_t openMode, AdsHandle* table);
ResultCode AdsCloseTable(AdsHandle table);
ResultCode AdsGetTableType(AdsHandle table, std::uint16_t* type);
// fields: the field definition string, "NAME,Char,6;PAY,CurDouble,6;WHEN,Date;". The table is created and left
// open (exclusively) on the returned handle.
ResultCode AdsCreateTable(AdsHandle connection, std::string_view name, std::string_view alias,
                          std::uint16_t tableType, std::uint16_t charType, std::uint16_t lockType,
                          std::uint16_t rightsCheck, std::uint16_t memoBlockSize, std::string_view fields,
                          AdsHandle* table);
ResultCode AdsDeleteTable(AdsHandle table);  // closes the handle and removes the table's files
ResultCode AdsPackTable(AdsHandle table);
ResultCode AdsZapTable(AdsHandle table);
ResultCode AdsGetTableFileName(AdsHandle table, std::string* path);

// --- encryption ---
ResultCode AdsEnableEncryption(AdsHandle table, std::string_view password);
ResultCode AdsEncryptTable(AdsHandle table);
ResultCode AdsDecryptTable(AdsHandle table);
ResultCode AdsIsTableEncrypted(AdsHandle table, bool* encrypted);

// --- fields ---
ResultCode AdsGetNumFields(AdsHandle table, std::uint16_t* count);
ResultCode AdsGetFieldName(AdsHandle table, std::uint16_t number /* 1-based */, std::string* name);
ResultCode AdsGetFieldType(AdsHandle table, std::string_view field, std::uint16_t* type);
ResultCode AdsGetFieldLength(AdsHandle table, std::string_view field, std::uint32_t* length);  // data size
ResultCode AdsGetFieldDecimals(AdsHandle table, std::string_view field, std::uint16_t* decimals);
ResultCode AdsGetField(AdsHandle cursor, std::string_view field, Value* value);
ResultCode AdsIsEmpty(AdsHandle cursor, std::string_view field, bool* empty);
ResultCode AdsSetField(AdsHandle cursor, std::string_view field, const Value& value);
ResultCode AdsSetFieldRaw(AdsHandle cursor, std::string_view field, const ByteVector& bytes);
ResultCode AdsSetEmpty(AdsHandle cursor, std::string_view field);
// A field value as the engine writes it in texts and messages (dates as YYYY-MM-DD, numbers without padding);
// tools that show values, such as adsql, use it so that they show what the engine's own messages show.
std::string ValueText(const Value& value);
// An index key text read as the engine reads a tag's key: its parts split at ";", "+" and "," outside parentheses
// and trimmed ("UPPER(ID); MENU" gives "UPPER(ID)" and "MENU"; an empty text none), and the field a part names
// ("UPPER(ID)" names ID). Components that match field lists against tags use them to agree with the engine.
std::vector<std::string> KeyTextParts(std::string_view expression);
std::string KeyPartField(std::string_view part);

// --- indexes ---
// file: empty (the table's own index file); tag: the tag name; expression: fields joined by ";" or UPPER(field).
ResultCode AdsCreateIndex61(AdsHandle table, std::string_view file, std::string_view tag, std::string_view expression,
                            std::string_view condition, std::string_view whileCondition, std::uint32_t options,
                            std::uint32_t pageSize, AdsHandle* index);
ResultCode AdsGetNumIndexes(AdsHandle table, std::uint16_t* count);
ResultCode AdsGetIndexHandleByOrder(AdsHandle table, std::uint16_t number /* 1-based */, AdsHandle* index);
ResultCode AdsGetIndexHandle(AdsHandle table, std::string_view tag, AdsHandle* index);
ResultCode AdsGetIndexName(AdsHandle index, std::string* name);
ResultCode AdsGetIndexExpr(AdsHandle index, std::string* expression);
ResultCode AdsGetIndexOptions(AdsHandle index, std::uint32_t* options);
ResultCode AdsGetIndexPageSize(AdsHandle index, std::uint32_t* pageSize);
ResultCode AdsDeleteIndex(AdsHandle index);

// --- navigation and search ---
ResultCode AdsGotoTop(AdsHandle handle);
ResultCode AdsGotoBottom(AdsHandle handle);
ResultCode AdsSkip(AdsHandle handle, std::int64_t count);
ResultCode AdsGotoRecord(AdsHandle table, std::uint64_t recno);
ResultCode AdsGetRecordNum(AdsHandle table, std::uint64_t* recno);
ResultCode AdsAtEOF(AdsHandle handle, bool* eof);
ResultCode AdsAtBOF(AdsHandle handle, bool* bof);
ResultCode AdsGetRecordCount(AdsHandle handle, std::uint64_t* count);
ResultCode AdsSeek(AdsHandle index, std::span<const Value> key, std::uint16_t seekType, bool* found);
ResultCode AdsSetScope(AdsHandle index, std::uint16_t end, std::span<const Value> key);
ResultCode AdsClearScope(AdsHandle index, std::uint16_t end);

// --- editing ---
ResultCode AdsLockRecord(AdsHandle table, std::uint64_t recno /* 0: the current record */);
ResultCode AdsUnlockRecord(AdsHandle table, std::uint64_t recno);
ResultCode AdsAppendRecord(AdsHandle table);
ResultCode AdsWriteRecord(AdsHandle table);
ResultCode AdsCancelUpdate(AdsHandle table);
ResultCode AdsDeleteRecord(AdsHandle table);

// --- record filters ---
// A filter in the SQL dialect's expression syntax ("database1='ALLW'", "PAY > 100 AND DEPT IS NOT NULL"),
// checked against the table's fields at once (7202 naming an unknown column) and applied to every navigation,
// seek and filtered count of the handle. The position is left where it is. An empty expression clears the
// filter. On a SELECT * cursor the filter narrows the statement's WHERE, which stays.
ResultCode AdsSetFilter(AdsHandle table, std::string_view expression);
ResultCode AdsClearFilter(AdsHandle table);

// --- SQL statements ---
// A statement belongs to a connection. Its text is prepared (parsed) once and may be executed many times with
// new parameter values. SELECT gives a cursor (handle type 4): SELECT * over one table is a handle on the table
// itself (its WHERE a record filter, every tag available, editable when the statement is live); any other SELECT
// is a read-only result table of its own, removed when the cursor closes. docs/sql-dialect.md says what each
// statement does and which errors it gives.

// The table options a statement applies to every table it opens. Only ADT tables (type 3, or 0 for the
// connection's default) can be used; the lock type, character type, constrained updates and read-all-columns
// options are kept for the caller and change nothing here.
struct StatementOptions {
  std::uint16_t lockType = 1;                         // 1 proprietary, 0 compatible
  std::uint16_t charType = 1;                         // 1 ANSI, 2 OEM
  std::uint16_t rightsCheck = rights_check::kCheck;   // dictionary users' rights, or kIgnore
  bool readOnly = true;                               // false: a SELECT * cursor is live
  std::uint16_t tableType = table_type::kAdt;
  bool constrained = false;
  bool readAllColumns = false;
};

ResultCode AdsCreateSQLStatement(AdsHandle connection, AdsHandle* statement);
ResultCode AdsStmtSetOptions(AdsHandle statement, const StatementOptions& options);
ResultCode AdsStmtGetOptions(AdsHandle statement, StatementOptions* options);
// Parses the text: syntax errors are reported here, with line and column.
ResultCode AdsPrepareSQL(AdsHandle statement, std::string_view text);
// The statement's parameter names in order of first appearance (without the colon).
ResultCode AdsGetParameterNames(AdsHandle statement, std::vector<std::string>* names);
// Binds ":name" (the colon may be given or not; the name without regard to case) to a typed value; values
// stay bound across executions until set again or cleared.
ResultCode AdsSetParameter(AdsHandle statement, std::string_view name, const Value& value);
ResultCode AdsClearParameters(AdsHandle statement);
// Runs the prepared statement. cursor: the result of a SELECT, 0 for any other statement. The rows it
// affected (or the rows of a static result) are the statement's record count afterwards.
ResultCode AdsExecuteSQL(AdsHandle statement, AdsHandle* cursor);
ResultCode AdsExecuteSQLDirect(AdsHandle statement, std::string_view text, AdsHandle* cursor);
// Closes the statement and every cursor it made; 5106 when it was closed already.
ResultCode AdsCloseSQLStatement(AdsHandle statement);
// Passwords for encrypted free tables: one table's own (by name, with or without ".ADT"), or a general one for
// every encrypted table the statement opens. Tables of a dictionary registered as encrypted need neither.
ResultCode AdsStmtSetTablePassword(AdsHandle statement, std::string_view table, std::string_view password);
ResultCode AdsStmtEnableEncryption(AdsHandle statement, std::string_view password);
ResultCode AdsStmtClearTablePasswords(AdsHandle statement);  // the general password stays

}  // namespace ace

#include "ace/ace_dictionary.h"
