#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ace/dict/dictionary.h"
#include "company_fixture.h"
#include "upgrade/procedure.h"
#include "upgrade/table_names.h"

namespace kv::upgrade::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TableSpec Plain(const std::string& name, bool encrypted = false) {
  return {name, [](TFieldDefs& f) { f.Add("CODE", FT::ftString, 4); }, {{{"CODE", "K1"}}}, encrypted};
}

constexpr const char* kTimeClockParameters =
    "company CHAR(255)*dd CHAR(2)*mm CHAR(2)*yy CHAR(4)*p_no CHAR(15)*emp_no CHAR(12)*err_no CHAR(12) OUTPUT*";

class DictionaryNames : public Company {};

TEST_F(DictionaryNames, TablesRegisteredWithTheirExtensionGetTheirBareName) {
  MakeDictionaryCompany({Plain("EMPLOYEE", true), Plain("CODE"), Plain("PASS")});
  {
    engine::TAdsDictionary d;
    ConnectAdmin(d);
    for (const char* name : {"EMPLOYEE.ADT", "PASS.adt"}) {
      const std::string bare = std::string(name).substr(0, std::string(name).find('.'));
      const bool encrypted = d.GetTableProperty16(bare, ace::dd_property::kEncryption) == 1;
      d.RemoveTable(bare, false);
      d.AddTable(name, bare + ".ADT", "", "", engine::TAdsTableTypes::ttAdsADT, engine::TAdsCharTypes::ANSI);
      if (encrypted) d.SetTableProperty16(name, ace::dd_property::kEncryption, 1);
    }
  }
  AdsTable1.SetTableName("CODE");  // AdsTable1 on the company connection tells the mode

  StripTableNameExtensions(Window());

  EXPECT_THAT(RegisteredTables(), ElementsAre("CODE", "EMPLOYEE", "PASS"));
  EXPECT_THAT(RowsOf("EMPLOYEE", {"CODE"}, true), ElementsAre("CODE=K1"));
  EXPECT_EQ(RightsOn("EMPLOYEE"), (std::vector<std::string>{"readuser=RI", "KAVENPAY8=RWI", "USER88=RWI", "UTC=RWI"}));
  EXPECT_EQ(Property("EMPLOYEE", ace::dd_property::kAutoCreate), 1);
  // The dictionary had it encrypted; it still has.
  EXPECT_EQ(Property("EMPLOYEE", ace::dd_property::kEncryption), 1);
  EXPECT_TRUE(FileEncrypted("EMPLOYEE"));
  EXPECT_THAT(progress, ElementsAre("Updating ADT Table CODE", "Updating ADT Table EMPLOYEE", "Updating ADT Table PASS"));
  // The registry stayed open through the routine and stands on the company.
  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_TRUE(AdsTableCompany.Active());
  EXPECT_EQ(AdsTableCompany.FieldByName("COMPANY_CODE").AsString(), "ABC");
  EXPECT_TRUE(AdsConnection1.IsConnected());
  EXPECT_FALSE(AdsDictionary1.IsConnected());

  // Nothing left to rename: a second call only shows the names.
  StripTableNameExtensions(Window());
  EXPECT_THAT(RegisteredTables(), ElementsAre("CODE", "EMPLOYEE", "PASS"));
  EXPECT_THAT(ui.Messages(), IsEmpty());
}

TEST_F(DictionaryNames, AFailureIsShownWithTheTableAndTheCompanyIsConnectedAgain) {
  // Both names registered: the bare name cannot be taken by the other.
  MakeDictionaryCompany({Plain("CODE")});
  {
    engine::TAdsDictionary d;
    ConnectAdmin(d);
    d.AddTable("CODE.ADT", "CODE.ADT", "", "", engine::TAdsTableTypes::ttAdsADT, engine::TAdsCharTypes::ANSI);
  }
  AdsTable1.SetTableName("CODE");
  StripTableNameExtensions(Window());
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_THAT(ui.Messages()[0], ::testing::EndsWith("Remove ADT Ext Table Name CODE.ADT"));
  EXPECT_TRUE(AdsConnection1.IsConnected());
  EXPECT_FALSE(AdsDictionary1.IsConnected());
}

TEST_F(DictionaryNames, FreeTableCompaniesAreLeftAlone) {
  MakeFreeCompany({Plain("EMPLOYEE")});
  AdsTable1.SetTableName("EMPLOYEE");
  StripTableNameExtensions(Window());
  CreateProcedure(Window(), "eQuillon", "ProcessTiming", kTimeClockParameters, "eQuillon.aep");
  EXPECT_THAT(progress, IsEmpty());
  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_TRUE(AdsConnection1.IsConnected());
}

TEST(ProcedureStatement, SplitsTheParametersAtEachStar) {
  EXPECT_EQ(ProcedureStatement("eQuillon", "ProcessTiming", kTimeClockParameters, "...\\eQuillon.aep"),
            "CREATE PROCEDURE eQuillon(  company CHAR(255) , dd CHAR(2) , mm CHAR(2) , yy CHAR(4) , p_no CHAR(15) , "
            "emp_no CHAR(12) , err_no CHAR(12) OUTPUT )  FUNCTION ProcessTiming IN LIBRARY \"...\\eQuillon.aep\" ");
  // Text after the last "*" is dropped.
  EXPECT_EQ(ProcedureStatement("P", "F", "a CHAR(1)*b CHAR(2)", "L"),
            "CREATE PROCEDURE P(  a CHAR(1) )  FUNCTION F IN LIBRARY \"L\" ");
}

TEST_F(DictionaryNames, TheProcedureIsRegisteredOnce) {
  MakeDictionaryCompany({Plain("CODE")});
  const std::string library = DataPath() + "eQuillon.aep";
  CreateProcedure(Window(), "eQuillon", "ProcessTiming", kTimeClockParameters, library);
  // A second run finds it registered and leaves it.
  CreateProcedure(Window(), "eQuillon", "ProcessTiming", kTimeClockParameters, library);

  engine::TAdsDictionary d;
  ConnectAdmin(d);
  std::vector<std::string> procedures;
  d.ProcedureNames(procedures);
  EXPECT_THAT(procedures, ElementsAre("eQuillon"));
  // Read back from the dictionary's store: function, library and parameters.
  const auto stored = ace::dict::Dictionary::Open((dir.Path() / "COMPANY" / "ABC" / "ABC.add").string())
                          .FindProcedure("EQUILLON");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->function, "ProcessTiming");
  EXPECT_EQ(stored->library, library);
  EXPECT_EQ(stored->input, "company CHAR(255), dd CHAR(2), mm CHAR(2), yy CHAR(4), p_no CHAR(15), emp_no CHAR(12)");
  EXPECT_EQ(stored->output, "err_no CHAR(12)");
  EXPECT_FALSE(AdsQuery1.Active());
  EXPECT_TRUE(AdsConnection1.IsConnected());
  EXPECT_FALSE(AdsDictionary1.IsConnected());
}

}  // namespace
}  // namespace kv::upgrade::testing
