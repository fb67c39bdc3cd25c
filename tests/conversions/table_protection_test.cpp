#include "conversions/table_protection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ace/ace_dictionary.h"
#include "conversion_fixture.h"

namespace kv::conversions::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TableSpec TaxTable(const std::string& name, bool encrypted = false) {
  return {name, [](TFieldDefs& f) { f.Add("EMP_NO", FT::ftString, 12); }, {{{"EMP_NO", "E1"}}}, encrypted};
}

std::vector<std::string> CallsOf(const std::vector<std::string>& trace, const std::string& call) {
  std::vector<std::string> calls;
  for (const std::string& line : trace)
    if (line.rfind(call + "(", 0) == 0) calls.push_back(line);
  return calls;
}

TEST_F(Conversion, TaxTablesAreEncryptedOnceAndMissingOnesPassedOver) {
  // IR8AR encrypted already; IR8S missing.
  MakeFreeCompany({TaxTable("IRDX8A"), TaxTable("IR8AR", true), TaxTable("IR8AREC"), TaxTable("IRREFUND")});
  AdsTable1.SetExclusive(true);
  AdsTable1.SetTableName("PAYPARA");
  AdsTable1.SetIndexFieldNames("EMP_NO");  // left by an earlier user of the work table
  ace::AdsTraceStart();
  EncryptTaxTables(Window());
  const auto encryptions = CallsOf(ace::AdsTraceStop(), "AdsEncryptTable");
  EXPECT_EQ(encryptions.size(), 3u);
  for (const char* table : {"IRDX8A", "IR8AR", "IR8AREC", "IRREFUND"}) {
    EXPECT_TRUE(FileEncrypted(table)) << table;
    EXPECT_THAT(RowsOf(table, {"EMP_NO"}), ElementsAre("EMP_NO=E1")) << table;
  }
  EXPECT_FALSE(AdsTable1.Active());
  EXPECT_EQ(AdsTable1.IndexFieldNames(), "");
  EXPECT_THAT(ui.Messages(), IsEmpty());

  ace::AdsTraceStart();
  EncryptTaxTables(Window());
  EXPECT_THAT(CallsOf(ace::AdsTraceStop(), "AdsEncryptTable"), IsEmpty());
}

TEST_F(Conversion, TaxTablesOfADictionaryCompanyAreLeftToTheDictionary) {
  MakeDictionaryCompany({TaxTable("IRDX8A"), TaxTable("IR8AR")});
  ace::AdsTraceStart();
  EncryptTaxTables(Window());
  EXPECT_THAT(ace::AdsTraceStop(), IsEmpty());
  EXPECT_FALSE(FileEncrypted("IRDX8A"));
}

TEST_F(Conversion, DictionaryTablesHaveAutoCreateSetOffAndOnAgain) {
  MakeDictionaryCompany({TaxTable("EMPLOYEE", true), TaxTable("PAYPARA"), TaxTable("CODE")});
  SetProperty("CODE", ace::dd_property::kAutoCreate, 0);
  ace::AdsTraceStart();
  RefreshDictionaryTables(Window());
  std::vector<std::string> values;
  for (const std::string& call : CallsOf(ace::AdsTraceStop(), "AdsDDSetTableProperty")) {
    // "AdsDDSetTableProperty(h, "T", 203, v, 2, 0, "")": table and value.
    const auto first = call.find('"'), second = call.find('"', first + 1);
    const std::string table = call.substr(first + 1, second - first - 1);
    const std::string rest = call.substr(second + 3);
    values.push_back(table + " " + rest.substr(0, rest.find(", 2, ")));
  }
  EXPECT_THAT(values, ElementsAre("EMPLOYEE 203, 0", "EMPLOYEE 203, 1", "PAYPARA 203, 0", "PAYPARA 203, 1",
                                  "CODE 203, 0", "CODE 203, 1"));
  for (const char* table : {"EMPLOYEE", "PAYPARA", "CODE"})
    EXPECT_EQ(Property(table, ace::dd_property::kAutoCreate), 1) << table;
  EXPECT_THAT(RowsOf("EMPLOYEE", {"EMP_NO"}, true), ElementsAre("EMP_NO=E1"));
  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_TRUE(AdsConnection1.IsConnected());
  EXPECT_FALSE(AdsDictionary1.IsConnected());
  EXPECT_EQ(AdsTableCompany.FieldByName("COMPANY_CODE").AsString(), "ABC");
}

TEST_F(Conversion, ARefusedTableIsShownAndEndsTheRefresh) {
  MakeDictionaryCompany({TaxTable("EMPLOYEE"), TaxTable("PAYPARA")});
  // A user that may read the dictionary but not change it.
  AdsDictionary1.UserName = "readuser";
  AdsDictionary1.Password = "pw";
  ace::AdsTraceStart();
  RefreshDictionaryTables(Window());
  EXPECT_EQ(CallsOf(ace::AdsTraceStop(), "AdsDDSetTableProperty").size(), 1u);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_THAT(ui.Messages()[0], ::testing::StartsWith("Error in EMPLOYEE  "));
  EXPECT_THAT(ui.Messages()[0], ::testing::EndsWith("Press any key to continue."));
  EXPECT_TRUE(AdsConnection1.IsConnected());
  EXPECT_EQ(AdsTableCompany.FieldByName("COMPANY_CODE").AsString(), "ABC");
}

TEST_F(Conversion, ARefreshThatCannotFindTheCompanyAgainSaysSo) {
  MakeDictionaryCompany({TaxTable("PAYPARA")});
  // The registry row of the company goes while the company is being processed.
  {
    engine::TAdsConnection c;
    c.SetConnectPath(DataPath());
    engine::TAdsQuery q;
    q.SetAdsConnection(&c);
    q.SQL().Add("DELETE FROM \"mcompany.ADT\" WHERE COMPANY_CODE = 'ABC'");
    q.ExecSQL();
    q.CloseStatement();
  }
  try {
    RefreshDictionaryTables(Window());
    ADD_FAILURE() << "no error";
  } catch (const std::exception& e) {
    EXPECT_EQ(std::string(e.what()), "Company code not found !");
  }
  EXPECT_EQ(Property("PAYPARA", ace::dd_property::kAutoCreate), 1);
}

}  // namespace
}  // namespace kv::conversions::testing
