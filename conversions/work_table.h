#pragma once
// The window's shared work table AdsTable1 as the conversions take it up: closed, named, ordered, opened.

#include <string>

#include "engine/table.h"

namespace kv::conversions {

// False, with the table left closed and unordered, when the company has no such table.
inline bool OpenWorkTable(engine::TAdsTable& AdsTable1, const std::string& table, const std::string& order) {
  AdsTable1.Close();
  AdsTable1.SetIndexFieldNames("");
  AdsTable1.SetTableName(table);
  if (!AdsTable1.Exists()) return false;
  AdsTable1.SetIndexFieldNames(order);
  AdsTable1.Open();
  return true;
}

// Closed, with its order cleared, as the next step expects it.
inline void CloseWorkTable(engine::TAdsTable& AdsTable1) {
  AdsTable1.Close();
  AdsTable1.SetIndexFieldNames("");
}

}  // namespace kv::conversions
