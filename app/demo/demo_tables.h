#pragma once
// The layouts the demo installation's tables are made with: the registry, the suite tables a company of an
// older release (data version 8.50) holds, and the work tables the clean-up steps look for. Every layout is one
// entry of one data table (demo_tables.cpp), read by CreateDemoTable (table_maker.h); nothing else describes a
// table's columns.

#include <span>
#include <string_view>

#include "engine/types.h"

namespace kv::demo {

struct FieldSpec {
  std::string_view name;
  engine::TFieldType type;
  int size = 0;  // characters of an ftString field
};

struct IndexSpec {
  std::string_view name;
  std::string_view key;  // field names joined by ";"
  bool unique = false;
  bool descending = false;
};

struct TableSpec {
  std::string_view name;  // as the engine receives it; the file is name + ".ADT" unless it has an extension
  std::span<const FieldSpec> fields;
  std::span<const IndexSpec> indexes;
};

// Every layout, registry first, then the company tables in the order a company is made, then the work tables and
// the tables the update archive ships that the catalogue does not define.
std::span<const TableSpec> DemoTables();

// The layout of that name (without regard to case); throws std::out_of_range for a name the list lacks.
const TableSpec& DemoTable(std::string_view name);

}  // namespace kv::demo
