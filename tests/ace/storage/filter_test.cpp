#include <gtest/gtest.h>

#include "ace/core/error.h"
#include "ace/storage/table.h"
#include "common/temp_folder.h"

namespace ace::storage {
namespace {

TEST(TableFilter, NavigationSeekAndCountPassOverFilteredRecords) {
  kv::testing::TempFolder dir;
  auto t = Table::Create(dir.Path() / "RTABLE.ADT",
                         {{"DATABASE1", FieldType::Char, 8, 0}, {"NO", FieldType::Integer, 0, 0}}, 1,
                         {.exclusive = true});
  const char* databases[] = {"ALLW", "DEDN", "ALLW", "ALLW", "DEDN"};
  for (int i = 0; i < 5; ++i) {
    t->AppendRecord();
    t->SetField(0, Value::String(databases[i]));
    t->SetField(1, Value::Integer(i + 1));
    t->WriteRecord();
  }
  t->CreateTag("NO", "NO", 2 | 8, 512);  // descending
  Table* table = t.get();
  t->SetFilter([table] { return table->GetField(0) == Value::String("ALLW"); });
  const auto numbers = [&] {
    std::vector<std::int64_t> seen;
    for (t->GotoTop(); !t->AtEof(); t->Skip(1)) seen.push_back(t->GetField(1).AsInteger());
    return seen;
  };
  EXPECT_EQ(numbers(), (std::vector<std::int64_t>{1, 3, 4}));
  t->SetOrder(t->FindTag("NO"));
  EXPECT_EQ(numbers(), (std::vector<std::int64_t>{4, 3, 1}));
  t->GotoBottom();
  EXPECT_EQ(t->GetField(1), Value::Integer(1));
  t->Skip(-1);
  EXPECT_EQ(t->GetField(1), Value::Integer(3));
  const Value five[] = {Value::Integer(5)};
  EXPECT_FALSE(t->Seek(five, Table::SeekMode::kExact));  // record 5 is there but filtered out
  EXPECT_TRUE(t->AtEof());
  EXPECT_FALSE(t->Seek(five, Table::SeekMode::kNearest));
  EXPECT_EQ(t->GetField(1), Value::Integer(4));  // the nearest record that passes
  EXPECT_EQ(t->FilteredCount(), 3u);
  EXPECT_EQ(t->RecordCount(), 5u);
  t->SetFilter({});
  EXPECT_EQ(numbers().size(), 5u);
}

}  // namespace
}  // namespace ace::storage
