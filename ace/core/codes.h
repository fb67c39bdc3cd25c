#pragma once
// The engine's result codes. 0 is success; every other value names one kind of failure. The component layer and
// the tool rely on the meaning of 5068, 5106, 5121, 5132, 5137 and 5147 to 5149; the others are ours, grouped
// by area, and listed with their meaning in docs/engine-codes.md.

#include <cstdint>

namespace ace {

using ResultCode = std::uint32_t;

namespace code {
inline constexpr ResultCode kSuccess = 0;

// General
inline constexpr ResultCode kInvalidArgument = 5001;
inline constexpr ResultCode kInternal = 5004;
inline constexpr ResultCode kInvalidHandle = 5041;
inline constexpr ResultCode kOutOfMemory = 5002;

// Files and tables
inline constexpr ResultCode kFileNotFound = 5012;
inline constexpr ResultCode kCorruptFile = 5013;
inline constexpr ResultCode kIoError = 5014;
inline constexpr ResultCode kFileExists = 5015;
inline constexpr ResultCode kBadFieldDefinition = 5016;
inline constexpr ResultCode kFieldNotFound = 5020;
inline constexpr ResultCode kTypeMismatch = 5021;
inline constexpr ResultCode kValueOutOfRange = 5022;
inline constexpr ResultCode kNoCurrentRecord = 5026;
inline constexpr ResultCode kReadOnly = 5027;

// Sharing and locks
inline constexpr ResultCode kRecordLocked = 5035;
inline constexpr ResultCode kTableInUse = 5036;   // exclusive or shared open refused by another user
inline constexpr ResultCode kNotLocked = 5037;    // write without the record lock

// Encryption
inline constexpr ResultCode kPasswordRequired = 5060;
inline constexpr ResultCode kWrongPassword = 5061;
inline constexpr ResultCode kEncryptionUnchanged = 5068;  // already in the asked state: callers treat as success

// Indexes
inline constexpr ResultCode kIndexNotFound = 5070;
inline constexpr ResultCode kUniqueKeyViolation = 5071;
inline constexpr ResultCode kBadIndexKey = 5072;
inline constexpr ResultCode kIndexExists = 5073;

// Statements
inline constexpr ResultCode kStatementClosed = 5106;  // the statement was already closed: callers ignore it
inline constexpr ResultCode kSqlSyntax = 7200;
inline constexpr ResultCode kSqlUnknownTable = 7201;
inline constexpr ResultCode kSqlUnknownColumn = 7202;
inline constexpr ResultCode kSqlTypeMismatch = 7203;
inline constexpr ResultCode kSqlParameterMissing = 7204;
inline constexpr ResultCode kSqlUnsupported = 7205;
inline constexpr ResultCode kSqlNotLive = 7206;

// The component layer's own errors (wrong state, missing name, unsupported type)
inline constexpr ResultCode kComponentError = 5121;

// Dictionaries
inline constexpr ResultCode kNotInDictionary = 5132;
inline constexpr ResultCode kNoMoreObjects = 5137;
inline constexpr ResultCode kDictionaryLoginFailed = 5138;
inline constexpr ResultCode kDictionaryDamaged = 5139;
inline constexpr ResultCode kAccessDenied = 5140;
inline constexpr ResultCode kObjectNotFound = 5141;
inline constexpr ResultCode kObjectExists = 5142;
inline constexpr ResultCode kNotADictionary = 5143;
inline constexpr ResultCode kBadRights = 5144;
inline constexpr ResultCode kBadProperty = 5145;

// Column changes (ALTER TABLE); the text names the column as column 'X'
inline constexpr ResultCode kColumnNotFound = 5147;
inline constexpr ResultCode kColumnExists = 5148;
inline constexpr ResultCode kColumnConversion = 5149;
}  // namespace code

}  // namespace ace
