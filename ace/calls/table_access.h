#pragma once
// Shared pieces of the table calls: where a table name leads on a connection, and the rights check of
// dictionary users.

#include <filesystem>
#include <string>
#include <string_view>

#include "ace/calls/handles.h"

namespace ace::detail {

// The host path of a table named on a connection: a path with a drive or a leading separator stands alone,
// anything else is relative to the connection's folder; ".ADT" is added when the name has no extension.
std::filesystem::path TablePath(const ConnectionObject* connection, std::string_view name);

// Refuses the operation (kAccessDenied) when the handle was opened through a dictionary with rights checking
// on, by a user other than the administrator, who holds no such right ('R' read, 'W' write, 'I' insert,
// 'D' delete) on the table, neither itself nor through a group.
void RequireRight(const TableObject& table, char right);

// Gives a table opened through a dictionary the dictionary's key when the table is encrypted with it: when the
// dictionary registers it as encrypted (property 214 is 1), and also when the property is 0 but the key opens
// the file, which is what an encryption through the dictionary leaves when it was cut off before it could write
// the property (the property is then written). Answers whether the table has the dictionary's key now.
bool GiveDictionaryKey(ConnectionObject& connection, const std::string& registeredName, storage::Table& table);

// Forgets the dictionary's registrations of index tags (object kind 5) that the table's own index file no longer
// has: the tags of a deleted index file go with it, in the dictionary too, and so do tags dropped through a
// free-table connection. Registrations in other index files are left alone; a dictionary that cannot be
// written now keeps them until a later open.
void ForgetLostIndexes(ConnectionObject& connection, const std::string& registeredName, storage::Table& table);

}  // namespace ace::detail
