#include "ace/core/field_type.h"

#include <gtest/gtest.h>

namespace ace {
namespace {

TEST(FieldType, WordsAndSizes) {
  EXPECT_EQ(FieldTypeFromWord("char"), FieldType::Char);
  EXPECT_EQ(FieldTypeFromWord(" CurDouble "), FieldType::CurDouble);
  EXPECT_EQ(FieldTypeFromWord("BLOB"), FieldType::Binary);
  EXPECT_EQ(FieldTypeFromWord("Num"), std::nullopt);
  EXPECT_EQ(static_cast<int>(FieldType::Char), 4);
  EXPECT_EQ(FieldDataSize({"NAME", FieldType::Char, 6, 0}), 7u);
  EXPECT_EQ(FieldDataSize({"PAY", FieldType::CurDouble, 0, 6}), 8u);
  EXPECT_EQ(FieldValueSize({"NAME", FieldType::Char, 6, 0}), 6u);
}

}  // namespace
}  // namespace ace
