#pragma once
// The data dictionary calls. A dictionary connection is made with AdsConnect60 on a path holding ".add" with a
// user and password (handle type 6); these calls take that connection handle. Object kinds of the searches:
// 1 tables, 5 index tags of a table (the table as parent), 8 users (a group as parent: its members),
// 100 groups, 101 procedures. docs/formats/add.md describes the store.

#include <cstdint>
#include <string>
#include <string_view>

#include "ace/core/codes.h"

namespace ace {

using AdsHandle = std::uint64_t;

namespace dd_property {
inline constexpr std::uint16_t kAutoCreate = 203;    // 16-bit: 1 on, 0 off
inline constexpr std::uint16_t kEncryption = 214;    // 16-bit: 1 encrypts the table's files, 0 decrypts them
inline constexpr std::uint16_t kDefaultIndex = 300;  // text: the tag used when a table has no other order
}  // namespace dd_property

namespace dd_object {
inline constexpr std::uint16_t kTable = 1;
inline constexpr std::uint16_t kIndex = 5;
inline constexpr std::uint16_t kUser = 8;
inline constexpr std::uint16_t kGroup = 100;
inline constexpr std::uint16_t kProcedure = 101;
}  // namespace dd_object

inline constexpr std::size_t kMaxObjectName = 200;

// A new, empty dictionary file (it holds only the administrator "ADSSYS" with the given password), connected as
// the administrator. Tests and the demo maker use it; the upgrade tool never creates a dictionary.
ResultCode AdsDDCreate(std::string_view path, std::string_view adminPassword, std::string_view description,
                       AdsHandle* connection);

// file: the table file relative to the dictionary's folder (or a full path); it must exist.
ResultCode AdsDDAddTable(AdsHandle connection, std::string_view name, std::string_view file, std::uint16_t tableType,
                         std::uint16_t charType, std::string_view indexFiles, std::string_view comment);
ResultCode AdsDDRemoveTable(AdsHandle connection, std::string_view name, bool deleteFiles);
// value/length: a 16-bit value of length 2 (203, 214). validation and failTable are accepted and not used.
ResultCode AdsDDSetTableProperty(AdsHandle connection, std::string_view table, std::uint16_t property,
                                 const void* value, std::uint16_t length, std::uint16_t validation,
                                 std::string_view failTable);
// length: in, the room at value; out, the bytes written. The default index property gives text.
ResultCode AdsDDGetTableProperty(AdsHandle connection, std::string_view table, std::uint16_t property, void* value,
                                 std::uint16_t* length);
ResultCode AdsDDCreateUser(AdsHandle connection, std::string_view group, std::string_view user,
                           std::string_view password, std::string_view description);
ResultCode AdsDDSetObjectAccessRights(AdsHandle connection, std::string_view object, std::string_view accessor,
                                      std::string_view rights);
// The rights text an accessor (user or group) holds on an object itself, without those of its groups.
ResultCode AdsDDGetObjectAccessRights(AdsHandle connection, std::string_view object, std::string_view accessor,
                                      std::string* rights);
// 5137 (no more objects) when there is none, also on the first call. Names are cut to kMaxObjectName.
ResultCode AdsDDFindFirstObject(AdsHandle connection, std::uint16_t kind, std::string_view parent, std::string* name,
                                AdsHandle* search);
ResultCode AdsDDFindNextObject(AdsHandle connection, AdsHandle search, std::string* name);
ResultCode AdsDDFindClose(AdsHandle connection, AdsHandle search);
// Removes a tag from a registered table: from its index file and from the dictionary.
ResultCode AdsDDDeleteIndex(AdsHandle connection, std::string_view table, std::string_view tag);

}  // namespace ace
