#pragma once
// Shared pieces of the table calls: where a table name leads on a connection, and the rights check of
// dictionary users.

#include <filesystem>
#include <string>
#include <string_view>

#include "ace/handles.h"

namespace ace::detail {

// The host path of a table named on a connection: a path with a drive or a leading separator stands alone,
// anything else is relative to the connection's folder; ".ADT" is added when the name has no extension.
std::filesystem::path TablePath(const ConnectionObject* connection, std::string_view name);

// Refuses the operation (kAccessDenied) when the handle was opened through a dictionary with rights checking
// on, by a user other than the administrator, who holds no such right ('R' read, 'W' write, 'I' insert,
// 'D' delete) on the table, neither itself nor through a group.
void RequireRight(const TableObject& table, char right);

}  // namespace ace::detail
