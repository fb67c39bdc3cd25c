#pragma once
// The one routine that turns a layout of demo_tables.cpp into a table, through the engine's component objects.
//
// The table is made without indexes and opened exclusively; the caller's rows are appended to it; then each
// index is built once over all the rows (cheaper than keeping it current row by row), the table is encrypted
// with the table password when asked, and it is closed.

#include <functional>
#include <string>

#include "app/demo/demo_tables.h"
#include "engine/connection.h"
#include "engine/table.h"

namespace kv::demo {

enum class Protection { Clear, TablePassword };

using RowWriter = std::function<void(engine::TAdsTable&)>;

// Makes `spec` in the folder of `connection` (a free-table connection) under spec.name, or under `fileName`
// when it is given (a copy of a layout under another name).
void CreateDemoTable(engine::TAdsConnection& connection, const TableSpec& spec, const RowWriter& rows,
                     Protection protection = Protection::Clear, const std::string& fileName = "");

}  // namespace kv::demo
