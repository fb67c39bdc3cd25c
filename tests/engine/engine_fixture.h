#pragma once
// What the component tests share: a fresh folder of free tables with a connection to it, the engine's call
// trace around a piece of work, and the text of the exception a piece of work raises.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ace/ace.h"
#include "common/temp_folder.h"
#include "engine/engine.h"
#include "platform/fs.h"

namespace kv::engine::testing {

// The engine calls made by work, as "Name(arguments)" lines.
inline std::vector<std::string> Traced(const std::function<void()>& work) {
  ace::AdsTraceStart();
  try {
    work();
  } catch (...) {
    ace::AdsTraceStop();
    throw;
  }
  return ace::AdsTraceStop();
}

// Just the call names of a trace.
inline std::vector<std::string> CallNames(const std::vector<std::string>& trace) {
  std::vector<std::string> names;
  for (const std::string& line : trace) names.push_back(line.substr(0, line.find('(')));
  return names;
}

// The trace lines of one call.
inline std::vector<std::string> CallsOf(const std::vector<std::string>& trace, const std::string& call) {
  std::vector<std::string> lines;
  for (const std::string& line : trace)
    if (line.rfind(call + "(", 0) == 0) lines.push_back(line);
  return lines;
}

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
