#pragma once
// What the column upgrade and the dictionary routines use of the main window. The upgrade layer sits below the
// console, so the window hands these in by reference; the routines keep the window's shared objects in the state
// the rest of the run expects (AdsTable1 and AdsQuery1 closed, AdsConnection1 connected to the company,
// AdsDictionary1 disconnected, AdsTableCompany on the company being processed).

#include <functional>
#include <string>

#include "engine/connection.h"
#include "engine/dictionary.h"
#include "engine/query.h"
#include "engine/table.h"
#include "platform/ui.h"

namespace kv::upgrade {

struct WindowObjects {
  engine::TAdsTable& AdsTable1;            // the shared work table
  engine::TAdsQuery& AdsQuery1;            // the shared statement, bound to AdsConnection1
  engine::TAdsConnection& AdsConnection1;  // the company; Tag 99 in dictionary mode
  engine::TAdsDictionary& AdsDictionary1;  // administrative connection to the company's dictionary
  engine::TAdsTable& AdsTableCompany;      // the registry, positioned on the company being processed
  kv::ui::UserInterface& ui;
  std::function<void(const std::string&)> showProgress;  // Edit1
  std::string dataPath;                                   // ends with "\"
};

// Tag of AdsConnection1 in dictionary mode.
inline constexpr int kDictionaryModeTag = 99;

}  // namespace kv::upgrade
