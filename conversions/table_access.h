#pragma once
// How the record conversions reach a company table through a window object.

#include <string>

#include "conversions/record_objects.h"

namespace kv::conversions {

inline bool OnFreeTables(const RecordObjects& w) { return !w.AdsConnection1.IsDictionary(); }

// The table closed, named and ordered; true when the company has it.
inline bool BindTable(engine::TAdsTable& table, const std::string& name, const std::string& order) {
  table.Close();
  table.SetIndexFieldNames("");
  table.SetTableName(name);
  table.SetIndexFieldNames(order);
  return table.Exists();
}

// Opened, with the table password on a free-table company (the dictionary gives it otherwise).
inline void OpenProtected(const RecordObjects& w, engine::TAdsTable& table) {
  table.Open();
  if (OnFreeTables(w)) table.EnableEncryption(engine::kTablePassword);
}

// A placed table with its own name and order, opened unless it is open already; false when the company lacks it.
inline bool OpenPlaced(const RecordObjects& w, engine::TAdsTable& table, bool password) {
  if (table.Active()) return true;
  if (!table.Exists()) return false;
  table.Open();
  if (password && OnFreeTables(w)) table.EnableEncryption(engine::kTablePassword);
  return true;
}

}  // namespace kv::conversions
