// The company's data version in PAYPARA, through the window's AdsTable1.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "console_fixture.h"

namespace kv::console::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

class DataVersion : public Installation {
 protected:
  void SetUp() override {
    MakeRegistry({});
    kv::fs::CreateFolders(CompanyPath("A"));
    form = StartedForm();
    form->AdsConnection1.SetConnectPath(CompanyPath("A"));
  }
  std::unique_ptr<TForm1> form;
};

TEST_F(DataVersion, ReadGivesTheVersionTimesTenThousand) {
  MakeTable(Connect("A"), CompanyTables()[0]);
  const struct {
    const char* stored;
    std::int64_t read;
  } cases[] = {{"8.9", 89000}, {"8.6", 86000}, {"9.07", 90700}, {"8.5", 85000}};
  for (const auto& c : cases) {
    engine::TAdsTable t;
    t.SetAdsConnection(&Connect("A"));
    t.SetTableName("PAYPARA");
    t.EmptyTable();
    AppendRows(Connect("A"), "PAYPARA", {{{"VERSION", c.stored}}, {{"VERSION", "1"}}});
    EXPECT_EQ(form->ReadDataVersion(), c.read) << c.stored;
    EXPECT_FALSE(form->AdsTable1.Active());
  }
}

TEST_F(DataVersion, WriteStoresTheVersionInTheFirstRecord) {
  MakeTable(Connect("A"), CompanyTables()[0]);
  AppendRows(Connect("A"), "PAYPARA",
             {{{"COMPANY", "FIRST"}, {"VERSION", "8.5"}}, {{"COMPANY", "SECOND"}, {"VERSION", "8"}}});
  form->AdsTable1.SetTableName("MEDSCH");
  form->AdsTable1.SetIndexFieldNames("SCHEME_CODE");  // left by an earlier user of the work table
  form->WriteDataVersion(kDataVersion);
  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_THAT(RowsOf(Connect("A"), "PAYPARA", {"COMPANY", "VERSION"}),
              ElementsAre("COMPANY=FIRST|VERSION=9.07", "COMPANY=SECOND|VERSION=8"));
  EXPECT_EQ(form->ReadDataVersion(), 90700);
}

TEST_F(DataVersion, AMissingPayparaIsShownOnWriteAndRaisedOnRead) {
  form->WriteDataVersion(kDataVersion);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_THAT(ui.Messages()[0], StartsWith("ERROR1 AdsTable1: "));
  EXPECT_THROW(form->ReadDataVersion(), engine::EADSDatabaseError);
  // A PAYPARA without VERSION.
  MakeTable(Connect("A"), {"PAYPARA", [](TFieldDefs& f) { f.Add("COMPANY", FT::ftString, 40); }, {}});
  AppendRows(Connect("A"), "PAYPARA", {{{"COMPANY", "X"}}});
  EXPECT_THROW(form->ReadDataVersion(), engine::EADSDatabaseError);
  form->WriteDataVersion(kDataVersion);
  EXPECT_EQ(ui.Messages().size(), 2u);
}

}  // namespace
}  // namespace kv::console::testing
