#pragma once
// The column upgrade engine: one request adds, resizes or converts one column of one company table by
// ALTER TABLE, taking care of everything around the statement (exclusive open, the table encryption of free
// tables, the dictionary registration in dictionary mode, packing) and reporting its failures without stopping
// the run.
//
// Type codes: "C" char(Size), "$" money, "D" date, "I" integer, "L" logical, "T" time, "B" blob, "Z" double,
// "+" auto-increment, "AS" resize a character column, "IC" convert to char(Size), "AI" auto-increment NO or ID
// to integer. Size "0" asks for the conversion form of the code on an existing column.

#include <optional>
#include <string_view>

#include "engine/types.h"
#include "upgrade/window_objects.h"

namespace kv::upgrade {

// A missing table is skipped silently. Only a failure to open the table shared is passed on (after its
// message); every later failure is shown and the run goes on, the table left as it was.
void UpgradeColumn(const WindowObjects& window, std::string_view table, std::string_view column,
                   std::string_view typeCode, std::string_view size, bool encrypted);

// What a request holds an existing column to once it has run: resizes and conversions give the type (and a
// character length); a plain add only makes sure the column is there, whatever type it already had. A drop
// (code empty) leaves it gone. `addedType` is the type a missing column is added with, when there is one.
struct ColumnOutcome {
  bool present = true;
  std::optional<engine::TFieldType> type;
  std::optional<int> length;
  std::optional<engine::TFieldType> addedType;
};
ColumnOutcome OutcomeOf(std::string_view typeCode, std::string_view size);

// Drops the column when it exists; every failure is shown, none is passed on.
void DropColumn(const WindowObjects& window, std::string_view table, std::string_view column, bool encrypted);

}  // namespace kv::upgrade
