#pragma once
// What the component tests share: a fresh folder of free tables with a connection to it, the engine's call
// trace around a piece of work, and the text of the exception a piece of work raises.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ace/ace.h"
#include "common/engine_trace.h"
#include "common/temp_folder.h"
#include "engine/engine.h"
#include "platform/fs.h"

namespace kv::engine::testing {

using kv::testing::CallNames;
using kv::testing::CallsOf;
using kv::testing::Traced;

// The message of the exception of type E that work raises; "<none>" when it raises nothing.
template <typename E>
std::string MessageOf(const std::function<void()>& work) {
  try {
    work();
  } catch (const E& e) {
    return e.what();
  }
  return "<none>";
}

class FreeTables : public ::testing::Test {
 protected:
  void SetUp() override { connection.SetConnectPath(dir.SuitePath()); }

  struct TagToMake {
    std::string tag, key;
    bool unique = false;
  };
  // A table of the folder with the given field definitions and indexes.
  void MakeTable(const std::string& name, const std::function<void(TFieldDefs&)>& fields,
                 const std::vector<TagToMake>& indexes = {}) {
    TAdsTable t;
    t.SetAdsConnection(&connection);
    t.SetTableName(name);
    t.SetExclusive(true);
    fields(t.FieldDefs);
    t.CreateTable();
    t.Open();
    for (const TagToMake& i : indexes)
      t.AddIndex(i.tag, i.key,
                 i.unique ? TIndexOptions{TIndexOption::ixUnique, TIndexOption::ixExpression} : TIndexOptions{TIndexOption::ixExpression});
    t.Close();
  }

  std::string Folder() const { return dir.Path().string(); }

  kv::testing::TempFolder dir;
  TAdsConnection connection;
};

}  // namespace kv::engine::testing
