#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "company_fixture.h"
#include "upgrade/dictionary_routines.h"

namespace kv::upgrade::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TableSpec Plain(const std::string& name, bool encrypted = false) {
  return {name, [](TFieldDefs& f) { f.Add("CODE", FT::ftString, 4); }, {{{"CODE", "K1"}}}, encrypted};
}

const std::vector<std::string> kAllRights{"readuser=RI", "KAVENPAY8=RWI", "USER88=RWI", "UTC=RWI"};

class Dictionary : public Company {
 protected:
  void ExpectSwitchedBack() {
    EXPECT_EQ(AdsConnection1.ConnectPath(), DictionaryPath());
    EXPECT_TRUE(AdsConnection1.IsConnected());
    EXPECT_FALSE(AdsDictionary1.IsConnected());
    EXPECT_EQ(AdsTableCompany.FieldByName("COMPANY_CODE").AsString(), "ABC");
  }
};

TEST_F(Dictionary, SearchesForTablesIgnoreCaseAndForUsersDoNot) {
  MakeDictionaryCompany({Plain("EMPLOYEE")});
  ConnectAdmin(AdsDictionary1);
  std::vector<std::string> names;
  EXPECT_TRUE(TableInDictionary(AdsDictionary1, names, "employee"));
  EXPECT_FALSE(TableInDictionary(AdsDictionary1, names, "EMP_PROS"));
  EXPECT_THAT(names, ElementsAre("EMPLOYEE", "EMPLOYEE"));  // the caller's list only grows
  AdsDictionary1.CreateUser("", "UTC", "x", "");
  EXPECT_TRUE(DictionaryUserExists(AdsDictionary1, "UTC"));
  EXPECT_FALSE(DictionaryUserExists(AdsDictionary1, "utc"));
}

TEST_F(Dictionary, GrantCreatesUtcOnceAndGrantsInOrder) {
  MakeDictionaryCompany({Plain("INTPASS"), Plain("CODE")});
  SetProperty("INTPASS", ace::dd_property::kAutoCreate, 0);
  GrantStandardRights(Window(), "INTPASS", true);
  GrantStandardRights(Window(), "CODE", true);
  EXPECT_THAT(Users(), ElementsAre("ADSSYS", "readuser", "KAVENPAY8", "USER88", "UTC"));
  EXPECT_EQ(RightsOn("INTPASS"), kAllRights);
  EXPECT_EQ(RightsOn("CODE"), kAllRights);
  EXPECT_EQ(Property("INTPASS", ace::dd_property::kAutoCreate), 1);
  EXPECT_THAT(ui.Messages(), IsEmpty());
  ExpectSwitchedBack();
}

TEST_F(Dictionary, WithoutTheSuiteUsersNothingIsGrantedAndNothingShown) {
  MakeDictionaryCompany({Plain("INTPASS")}, false);
  SetProperty("INTPASS", ace::dd_property::kAutoCreate, 0);
  GrantStandardRights(Window(), "INTPASS", true);
  EXPECT_THAT(RightsOn("INTPASS"), IsEmpty());
  EXPECT_EQ(Property("INTPASS", ace::dd_property::kAutoCreate), 0);
  EXPECT_THAT(Users(), ElementsAre("ADSSYS", "UTC"));
  EXPECT_THAT(ui.Messages(), IsEmpty());
  // A table the dictionary does not hold is just as quiet.
  GrantStandardRights(Window(), "NOSUCH", true);
  EXPECT_THAT(ui.Messages(), IsEmpty());
  ExpectSwitchedBack();
}

TEST_F(Dictionary, ACompanyGoneFromTheRegistryIsRaisedOnTheWayBack) {
  MakeDictionaryCompany({Plain("INTPASS")});
  RemoveCompanyFromRegistry();
  try {
    GrantStandardRights(Window(), "INTPASS", true);
    ADD_FAILURE() << "nothing was raised";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Company code not found !");
  }
  EXPECT_EQ(RightsOn("INTPASS"), kAllRights);  // the grants came first
  EXPECT_FALSE(AdsDictionary1.IsConnected());
}

TEST_F(Dictionary, DetachAndAttachGiveTheTableBackEncryptedWithRights) {
  MakeDictionaryCompany({Plain("EMP_PROS", true)});
  EXPECT_TRUE(DetachFromDictionary(Window(), "EMP_PROS", true));
  EXPECT_THAT(RegisteredTables(), IsEmpty());
  EXPECT_FALSE(FileEncrypted("EMP_PROS"));
  EXPECT_EQ(AdsConnection1.ConnectPath(), Folder());  // the ALTER TABLE works on it as a free table
  EXPECT_TRUE(AdsConnection1.IsConnected());

  AttachToDictionary(Window(), "EMP_PROS", true);
  EXPECT_THAT(RegisteredTables(), ElementsAre("EMP_PROS"));
  EXPECT_EQ(Property("EMP_PROS", ace::dd_property::kEncryption), 1);
  EXPECT_EQ(Property("EMP_PROS", ace::dd_property::kAutoCreate), 1);
  EXPECT_EQ(RightsOn("EMP_PROS"), kAllRights);
  EXPECT_TRUE(FileEncrypted("EMP_PROS"));
  EXPECT_THAT(RowsOf("EMP_PROS", {"CODE"}, true), ElementsAre("CODE=K1"));
  EXPECT_THAT(ui.Messages(), IsEmpty());
  ExpectSwitchedBack();
}

TEST_F(Dictionary, AttachRegistersATableThatWasNeverDetached) {
  MakeDictionaryCompany({Plain("CODE")});
  {
    engine::TAdsConnection folder;
    folder.SetConnectPath(Folder());
    engine::TAdsTable t;
    t.SetAdsConnection(&folder);
    t.SetTableName("NEWONE");
    t.FieldDefs.Add("CODE", FT::ftString, 4);
    t.CreateTable();
  }
  EXPECT_FALSE(DetachFromDictionary(Window(), "NEWONE", false));  // not registered: nothing to take out
  AttachToDictionary(Window(), "NEWONE", false);
  EXPECT_THAT(RegisteredTables(), ElementsAre("CODE", "NEWONE"));
  EXPECT_EQ(Property("NEWONE", ace::dd_property::kEncryption), 0);
  EXPECT_EQ(RightsOn("NEWONE"), kAllRights);
  ExpectSwitchedBack();
}

TEST_F(Dictionary, AttachOfAMissingFileIsShownAndTheRunGoesOn) {
  MakeDictionaryCompany({Plain("CODE")});
  AttachToDictionary(Window(), "GHOST", false);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_THAT(ui.Messages()[0], ::testing::StartsWith("<#100> Error in GHOST  "));
  EXPECT_THAT(ui.Messages()[0], ::testing::EndsWith("Press any key to continue."));
  EXPECT_THAT(RegisteredTables(), ElementsAre("CODE"));
  ExpectSwitchedBack();
}

TEST_F(Dictionary, ReattachOnlyTouchesTablesThatNeedIt) {
  MakeDictionaryCompany({Plain("KEEP", true), Plain("AUTOOFF", true), Plain("CLEAR")});
  SetProperty("AUTOOFF", ace::dd_property::kAutoCreate, 0);

  ace::AdsTraceStart();
  ReattachToDictionary(Window(), "KEEP", true);
  const auto trace = ace::AdsTraceStop();
  EXPECT_FALSE(Called(trace, "AdsDDRemoveTable"));
  EXPECT_FALSE(Called(trace, "AdsDDAddTable"));
  EXPECT_THAT(RightsOn("KEEP"), IsEmpty());  // no grants either: nothing was done

  ReattachToDictionary(Window(), "AUTOOFF", true);
  EXPECT_EQ(Property("AUTOOFF", ace::dd_property::kAutoCreate), 1);
  EXPECT_EQ(Property("AUTOOFF", ace::dd_property::kEncryption), 1);
  EXPECT_EQ(RightsOn("AUTOOFF"), kAllRights);
  EXPECT_THAT(RowsOf("AUTOOFF", {"CODE"}, true), ElementsAre("CODE=K1"));

  ReattachToDictionary(Window(), "CLEAR", true);  // registered unencrypted: encrypted now
  EXPECT_EQ(Property("CLEAR", ace::dd_property::kEncryption), 1);
  EXPECT_TRUE(FileEncrypted("CLEAR"));
  EXPECT_THAT(ui.Messages(), IsEmpty());
  ExpectSwitchedBack();
}

TEST_F(Dictionary, ReattachRegistersAMissingTable) {
  MakeDictionaryCompany({Plain("CODE")});
  {
    engine::TAdsConnection folder;
    folder.SetConnectPath(Folder());
    engine::TAdsTable t;
    t.SetAdsConnection(&folder);
    t.SetTableName("SHIPPED");
    t.FieldDefs.Add("CODE", FT::ftString, 4);
    t.CreateTable();
  }
  ReattachToDictionary(Window(), "SHIPPED", false);
  EXPECT_THAT(RegisteredTables(), ElementsAre("CODE", "SHIPPED"));
  EXPECT_EQ(Property("SHIPPED", ace::dd_property::kEncryption), 0);
  EXPECT_EQ(Property("SHIPPED", ace::dd_property::kAutoCreate), 1);
  EXPECT_EQ(RightsOn("SHIPPED"), kAllRights);
  ReattachToDictionary(Window(), "GHOST", false);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_THAT(ui.Messages()[0], ::testing::StartsWith("Error in GHOST  "));
  ExpectSwitchedBack();
}

TEST_F(Dictionary, DecryptInDictionary) {
  MakeDictionaryCompany({Plain("EMPMISC", true)});
  DecryptInDictionary(Window(), "EMPMISC");
  EXPECT_EQ(Property("EMPMISC", ace::dd_property::kEncryption), 0);
  EXPECT_FALSE(FileEncrypted("EMPMISC"));
  EXPECT_THAT(RowsOf("EMPMISC", {"CODE"}, true), ElementsAre("CODE=K1"));
  ExpectSwitchedBack();
}

TEST_F(Dictionary, RebuildTableRightsGrantsOnEveryTableInOrder) {
  MakeDictionaryCompany({Plain("EMPLOYEE"), Plain("PAYPARA"), Plain("CODE")});
  RebuildTableRights(Window());
  for (const char* table : {"EMPLOYEE", "PAYPARA", "CODE"}) {
    EXPECT_EQ(RightsOn(table), kAllRights) << table;
    EXPECT_EQ(Property(table, ace::dd_property::kAutoCreate), 1) << table;
  }
  EXPECT_THAT(progress, ElementsAre("rebuild Database EMPLOYEE", "rebuild Database PAYPARA", "rebuild Database CODE"));
  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_FALSE(AdsDictionary1.IsConnected());
}

TEST_F(Dictionary, RebuildTableRightsOnAnEmptyDictionaryDoesNothing) {
  MakeDictionaryCompany({});
  RebuildTableRights(Window());
  EXPECT_THAT(progress, IsEmpty());
  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_THAT(Users(), ElementsAre("ADSSYS", "readuser", "KAVENPAY8", "USER88"));
  EXPECT_FALSE(AdsDictionary1.IsConnected());
}

TEST_F(Company, DecryptInDictionaryLeavesFreeTablesAlone) {
  MakeFreeCompany({Plain("EMPMISC", true)});
  ace::AdsTraceStart();
  DecryptInDictionary(Window(), "EMPMISC");
  EXPECT_THAT(ace::AdsTraceStop(), IsEmpty());
  EXPECT_TRUE(FileEncrypted("EMPMISC"));
}

}  // namespace
}  // namespace kv::upgrade::testing
