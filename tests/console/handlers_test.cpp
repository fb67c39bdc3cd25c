// The window's handlers on placed objects: encrypted free tables read through AdsQuery3 and wwTablePAybank, and
// failed posts to RTABLE reported with the row's number.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "console_fixture.h"

namespace kv::console::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

class Handlers : public Installation {
 protected:
  void SetUp() override {
    MakeRegistry({});
    kv::fs::CreateFolders(CompanyPath("A"));
    auto& a = Connect("A");
    MakeTable(a, {"EMP_BNK",
                  [](TFieldDefs& f) {
                    f.Add("EMP_CODE", FT::ftString, 12);
                    f.Add("BANK_ID", FT::ftString, 4);
                    f.Add("BANK_AC_NO", FT::ftString, 20);
                    f.Add("CYCLE", FT::ftString, 1);
                  },
                  {"EMP_CODE=EMP_CODE;BANK_ID;BANK_AC_NO;CYCLE"}});
    MakeTable(a, {"EMP_PROS",
                  [](TFieldDefs& f) {
                    f.Add("EMP_CODE", FT::ftString, 12);
                    f.Add("NEW_SALARY", FT::ftCurrency);
                  },
                  {}});
    AppendRows(a, "EMP_BNK", {{{"EMP_CODE", "S1"}, {"BANK_ID", "7171"}}});
    AppendRows(a, "EMP_PROS",
               {{{"EMP_CODE", "S1"}, {"NEW_SALARY", "2500"}}, {{"EMP_CODE", "S2"}, {"NEW_SALARY", "3100.5"}}});
    for (const char* table : {"EMP_BNK", "EMP_PROS"}) {
      engine::TAdsTable t;
      t.SetAdsConnection(&a);
      t.SetTableName(table);
      t.SetExclusive(true);
      t.Open();
      t.EnableEncryption(engine::kTablePassword);
      t.EncryptTable();
      t.Close();
    }
    form = StartedForm();
    form->AdsConnection1.SetConnectPath(CompanyPath("A"));
  }
  std::unique_ptr<TForm1> form;
};

TEST_F(Handlers, EncryptedFreeTablesReadThroughThePlacedObjects) {
  form->wwTablePAybank.Open();
  EXPECT_EQ(form->wwTablePAybank.FieldByName("BANK_ID").AsString(), "7171");
  form->wwTablePAybank.Close();
  form->AdsQuery3.Open();
  EXPECT_EQ(form->AdsQuery3.FieldByName("NEW").AsString(), "5600.5");
  form->AdsQuery3.Close();
  form->AdsQuery3.CloseStatement();
  EXPECT_THAT(ui.Messages(), IsEmpty());
}

TEST_F(Handlers, AFailedPostToRtableIsShownWithTheRowNumberAndPassedOn) {
  MakeTable(Connect("A"), {"RTABLE",
                           [](TFieldDefs& f) {
                             f.Add("NO", FT::ftInteger);
                             f.Add("DATABASE1", FT::ftString, 20);
                           },
                           {"!NO=NO"}});
  AppendRows(Connect("A"), "RTABLE", {{{"NO", "7"}, {"DATABASE1", "ALLW"}}});
  form->wwTableRtable.Open();
  form->wwTableRtable.Append();
  form->wwTableRtable.FieldByName("NO").SetAsInteger(7);
  form->wwTableRtable.FieldByName("DATABASE1").SetAsString("ALLW");
  EXPECT_THROW(form->wwTableRtable.Post(), engine::EADSDatabaseError);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_THAT(ui.Messages()[0], StartsWith("wwTableRtable: "));
  EXPECT_THAT(ui.Messages()[0], ::testing::EndsWith(" Field No 7"));
  form->wwTableRtable.Cancel();
  form->wwTableRtable.Close();
  EXPECT_THAT(RowsOf(Connect("A"), "RTABLE", {"NO"}), ElementsAre("NO=7"));
}

}  // namespace
}  // namespace kv::console::testing
