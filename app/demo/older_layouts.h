#pragma once
// The layouts an older company had for the tables the release's column lists change: each table the lists name
// (the approval-flow row aside, whose table is chosen at run time) as its demo layout when it has one, else as
// the catalogue defines it, else a few columns of its own; then without every column the lists add, with the
// columns they widen narrower and those they convert of another type. So a demo run has every request to do.

#include <string>
#include <string_view>
#include <vector>

#include "app/demo/demo_tables.h"

namespace kv::demo {

struct OlderLayout {
  std::string name;  // as the lists write it ("TSubstitute")
  TableSpec spec;    // views into this object: never copied, kept for the program's life
  bool encrypted = false;  // the lists' first request on it keeps it encrypted
  std::vector<std::string> fieldNames;
  std::vector<FieldSpec> fields;
  std::vector<IndexSpec> indexes;
};

// Every table the lists name, in the order the run first reaches it.
const std::vector<const OlderLayout*>& OlderLayouts();

// The older layout of that table (without regard to case), or nullptr when the lists do not name it.
const OlderLayout* FindOlderLayout(std::string_view table);

}  // namespace kv::demo
