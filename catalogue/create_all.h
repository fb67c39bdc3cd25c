#pragma once
// The creation driver for one company and the two creators that run outside it.

#include <functional>
#include <string>

#include "engine/query.h"
#include "engine/table.h"
#include "platform/ui.h"

namespace kv::catalogue {

// What CreateAllTables needs of the main window: its ui, the work table AdsTable1 and the query AdsQuerySQL
// (both bound to the company connection AdsConnection1) for the nationality check, and the 2007 CPF rate loader
// run when CPFNEW is made (empty: nothing is loaded).
struct CreationContext {
  ui::UserInterface& ui;
  engine::TAdsTable& AdsTable1;
  engine::TAdsQuery& AdsQuerySQL;
  std::function<void()> loadCpf2007Rates;
};

// Runs the creators of tables 1 to 130 with (path, force) in order, checking IRAS_NAT_2007 between 128 and 129.
// An exception from a creator ends it at once.
void CreateAllTables(const std::string& path, bool force, CreationContext& context);

// SUPVRTBL in path (the data path + "SHARE_FOLDER", a folder): made when missing, else its index file rebuilt.
void CreateSupvrTbl(const std::string& path, bool force, ui::UserInterface& ui);

// The company registry mcompany.ADT in path, made when missing.
void CreateMcompanyTable(const std::string& path, bool force, ui::UserInterface& ui);

}  // namespace kv::catalogue
