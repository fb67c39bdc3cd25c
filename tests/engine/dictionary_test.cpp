#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "engine_fixture.h"

namespace kv::engine::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using FT = TFieldType;

class Dictionaries : public ::testing::Test {
 protected:
  void SetUp() override {
    ace::AdsHandle admin = 0;
    ASSERT_EQ(ace::AdsDDCreate(DictPath(), std::string(kTablePassword), "", &admin), 0u);
    ace::AdsDisconnect(admin);
    dictionary.SetConnectPath(DictPath());
    dictionary.UserName = "ADSSYS";
    dictionary.Password = std::string(kTablePassword);
    company.SetConnectPath(DictPath());
    company.Username = "ADSSYS";
    company.Password = std::string(kTablePassword);
  }
  std::string DictPath() const { return dir.SuitePath() + "ABC.add"; }
  // A table made through the dictionary connection: it is registered in the dictionary.
  void MakeEmployee() { MakeEmployee(company, true); }
  // EMPLOYEE through any connection, with the tag NAME or without it; rows S300, S100, S200 in that order.
  static void MakeEmployee(TAdsConnection& via, bool nameTag) {
    TAdsTable t;
    t.SetAdsConnection(&via);
    t.SetTableName("EMPLOYEE");
    t.SetExclusive(true);
    t.FieldDefs.Add("EMP_NO", FT::ftString, 10);
    t.FieldDefs.Add("NAME", FT::ftString, 30);
    t.CreateTable();
    t.Open();
    t.AddIndex("EMP_NO", "EMP_NO", {TIndexOption::ixUnique, TIndexOption::ixExpression});
    if (nameTag) t.AddIndex("NAME", "NAME", {TIndexOption::ixExpression});
    for (const char* no : {"S300", "S100", "S200"}) {
      t.Append();
      t.FieldByName("EMP_NO").SetAsString(no);
      t.FieldByName("NAME").SetAsString(std::string("N") + no);
      t.Post();
    }
    t.Close();
  }

  kv::testing::TempFolder dir;
  TAdsDictionary dictionary;
  TAdsConnection company;
};

TEST_F(Dictionaries, ObjectOperations) {
  dictionary.Connect();
  std::vector<std::string> names;
  dictionary.TableNames(names);
  EXPECT_THAT(names, IsEmpty());  // the first search call already answers "no more objects"

  company.Connect();
  MakeEmployee();
  company.Disconnect();
  {
    TAdsConnection free;
    free.SetConnectPath(dir.SuitePath());
    TAdsTable t;
    t.SetAdsConnection(&free);
    t.SetTableName("CODE");
    t.FieldDefs.Add("CODE", FT::ftString, 4);
    t.CreateTable();
  }
  dictionary.AddTable("CODE", "CODE.ADT", "", "", TAdsTableTypes::ttAdsADT, TAdsCharTypes::ANSI);
  names.clear();
  dictionary.TableNames(names);
  EXPECT_THAT(names, ElementsAre("EMPLOYEE", "CODE"));
  dictionary.TableNames(names);  // adds, does not clear
  EXPECT_EQ(names.size(), 4u);

  dictionary.SetTableProperty16("CODE", ace::dd_property::kAutoCreate, 1);
  EXPECT_EQ(dictionary.GetTableProperty16("CODE", ace::dd_property::kAutoCreate), 1);
  EXPECT_EQ(dictionary.GetTableProperty16("CODE", ace::dd_property::kEncryption), 0);

  std::vector<std::string> users;
  dictionary.UserNames(users);
  dictionary.CreateUser("", "UTC", "qzn507", "ZAZA USER");
  std::vector<std::string> after;
  dictionary.UserNames(after);
  EXPECT_EQ(after.size(), users.size() + 1);
  EXPECT_NE(std::find(after.begin(), after.end(), "UTC"), after.end());
  dictionary.SetObjectAccessRights("CODE", "UTC", "RWI");
  std::string rights;
  EXPECT_EQ(ace::AdsDDGetObjectAccessRights(dictionary.Handle(), "CODE", "UTC", &rights), 0u);
  EXPECT_EQ(rights, "RWI");

  try {
    dictionary.SetObjectAccessRights("CODE", "readuser", "RI");
    FAIL() << "rights granted to an accessor the dictionary does not hold";
  } catch (const EADSDatabaseError& e) {
    EXPECT_THAT(e.what(), HasSubstr("readuser"));
  }

  dictionary.RemoveTable("CODE", false);
  names.clear();
  dictionary.TableNames(names);
  EXPECT_THAT(names, ElementsAre("EMPLOYEE"));
  EXPECT_TRUE(kv::fs::FileExists(dir.SuitePath() + "CODE.ADT"));  // the files stay
  dictionary.Disconnect();
  EXPECT_FALSE(dictionary.IsConnected());
}

TEST_F(Dictionaries, IndexesRegisteredUnderATableAreFoundAndDeleted) {
  company.Connect();
  MakeEmployee();
  company.Disconnect();
  dictionary.Connect();
  std::vector<std::string> indexes;
  dictionary.IndexNames("employee", indexes);
  EXPECT_THAT(indexes, ElementsAre("EMP_NO", "NAME"));
  dictionary.DeleteIndex("EMPLOYEE", "EMP_NO");
  indexes.clear();
  dictionary.IndexNames("EMPLOYEE", indexes);
  EXPECT_THAT(indexes, ElementsAre("NAME"));
  EXPECT_THROW(dictionary.DeleteIndex("EMPLOYEE", "EMP_NO"), EADSDatabaseError);
  EXPECT_THROW(dictionary.IndexNames("NOSUCH", indexes), EADSDatabaseError);
  dictionary.Disconnect();
  // Gone from the table's index file too.
  TAdsTable t;
  t.SetAdsConnection(&company);
  t.SetTableName("EMPLOYEE");
  t.UpdateIndexDefs();
  ASSERT_EQ(t.IndexDefs.Count(), 1u);
  EXPECT_EQ(t.IndexDefs[0].Name, "NAME");
}

TEST_F(Dictionaries, ConnectingToAFolderIsNotADictionary) {
  TAdsDictionary wrong;
  wrong.SetConnectPath(dir.SuitePath());
  try {
    wrong.Connect();
    FAIL() << "a folder connected as a dictionary";
  } catch (const EADSDatabaseError& e) {
    EXPECT_EQ(std::string(e.what()), "The Data Dictionary path was invalid.");
    EXPECT_EQ(e.ACEErrorCode(), 5121u);
  }
  EXPECT_FALSE(wrong.IsConnected());
  // A handle gone behind the object's back: the failed disconnect is raised and the handle forgotten.
  dictionary.Connect();
  ASSERT_EQ(ace::AdsDisconnect(dictionary.Handle()), 0u);
  EXPECT_THROW(dictionary.Disconnect(), AdsError);
  EXPECT_FALSE(dictionary.IsConnected());
  TAdsDictionary empty;
  EXPECT_EQ(MessageOf<AdsConnectionError>([&] { empty.Connect(); }),
            "A connection string must be specified prior to connecting.");
}

TEST_F(Dictionaries, DictionaryConnectionSendsCredentialsAndGivesTablesTheDefaultOrder) {
  company.Connect();
  MakeEmployee();
  company.Disconnect();
  dictionary.Connect();
  const std::string tag = "NAME";
  ASSERT_EQ(ace::AdsDDSetTableProperty(dictionary.Handle(), "EMPLOYEE", ace::dd_property::kDefaultIndex, tag.data(),
                                       static_cast<std::uint16_t>(tag.size()), 0, ""),
            0u);
  dictionary.Disconnect();

  TAdsTable byDefault, ordered;
  for (TAdsTable* t : {&byDefault, &ordered}) {
    t->SetAdsConnection(&company);
    t->SetTableName("EMPLOYEE");
  }
  ordered.SetIndexFieldNames("EMP_NO");
  const auto trace = Traced([&] { company.Connect(); });
  EXPECT_THAT(CallsOf(trace, "AdsConnect60").at(0), HasSubstr(", 3, ADSSYS, *, 0)"));
  EXPECT_THAT(CallNames(CallsOf(trace, "AdsDDGetTableProperty")), ElementsAre("AdsDDGetTableProperty", "AdsDDGetTableProperty"));
  EXPECT_EQ(byDefault.IndexName(), "ADS_DEFAULT");
  EXPECT_EQ(ordered.IndexName(), "");
  byDefault.Open();
  EXPECT_TRUE(byDefault.FindKey({"NS200"}));  // ordered by the dictionary's default index, NAME
  ordered.Open();
  EXPECT_TRUE(ordered.FindKey({"S200"}));
  EXPECT_EQ(byDefault.TableType(), TAdsTableTypes::ttAdsADT);
  EXPECT_EQ(MessageOf<EADSDatabaseError>([&] { byDefault.SetTableType(TAdsTableTypes::ttAdsCDX); }),
            "The table type must remain identical to the table type associated with the alias.");
  // A new table name forgets the dictionary's default order of the old one.
  byDefault.Close();
  byDefault.SetTableName("OTHER");
  EXPECT_EQ(byDefault.IndexName(), "");
  // A blank IndexFieldNames removes the dictionary's order as well.
  byDefault.SetTableName("EMPLOYEE");
  company.Disconnect();
  company.Connect();
  ASSERT_EQ(byDefault.IndexName(), "ADS_DEFAULT");
  byDefault.Open();
  byDefault.SetIndexFieldNames("");
  EXPECT_EQ(byDefault.IndexName(), "");
  EXPECT_EQ(byDefault.FieldByName("EMP_NO").AsString(), "S300");  // record order
}

TEST_F(Dictionaries, ACompanySwitchDropsTheDefaultOrderTheOldDictionaryGave) {
  company.Connect();
  MakeEmployee();
  company.Disconnect();
  dictionary.Connect();
  const std::string tag = "NAME";
  dictionary.SetTableProperty("EMPLOYEE", ace::dd_property::kDefaultIndex, tag.data(),
                              static_cast<std::uint16_t>(tag.size()), 0, "");
  dictionary.Disconnect();
  // The companies switched to hold an EMPLOYEE without the tag NAME: a free-table folder, and a dictionary that
  // names no default index.
  const std::string freeFolder = dir.SuitePath() + "FREE\\";
  const std::string otherDictionary = dir.SuitePath() + "XYZ\\XYZ.add";
  std::filesystem::create_directories(dir.Path() / "FREE");
  std::filesystem::create_directories(dir.Path() / "XYZ");
  ace::AdsHandle admin = 0;
  ASSERT_EQ(ace::AdsDDCreate(otherDictionary, std::string(kTablePassword), "", &admin), 0u);
  ace::AdsDisconnect(admin);
  for (const std::string& path : {freeFolder, otherDictionary}) {
    TAdsConnection other;
    other.SetConnectPath(path);
    other.Username = "ADSSYS";
    other.Password = std::string(kTablePassword);
    MakeEmployee(other, false);
  }

  TAdsTable byDefault, ordered;
  for (TAdsTable* t : {&byDefault, &ordered}) {
    t->SetAdsConnection(&company);
    t->SetTableName("EMPLOYEE");
  }
  ordered.SetIndexFieldNames("EMP_NO");
  for (const std::string& path : {freeFolder, otherDictionary}) {
    company.SetConnectPath(DictPath());
    company.Connect();
    ASSERT_EQ(byDefault.IndexName(), "ADS_DEFAULT");
    byDefault.Open();
    EXPECT_EQ(byDefault.FieldByName("EMP_NO").AsString(), "S100");
    // The run driver's switch to the next company: disconnect, new path, connect.
    company.Disconnect();
    EXPECT_EQ(byDefault.IndexName(), "") << path;
    company.SetConnectPath(path);
    company.Connect();
    ASSERT_NO_THROW(byDefault.Open()) << path;
    EXPECT_EQ(byDefault.FieldByName("EMP_NO").AsString(), "S300") << path;  // record order: no order at all
    ordered.Open();  // the caller's own order stays
    EXPECT_EQ(ordered.IndexFieldNames(), "EMP_NO");
    EXPECT_EQ(ordered.FieldByName("EMP_NO").AsString(), "S100") << path;
    company.Disconnect();
  }
}

TEST_F(Dictionaries, ANameTheDictionaryDoesNotHoldOpensAsAFreeTableInItsFolder) {
  {
    TAdsConnection free;
    free.SetConnectPath(dir.SuitePath());
    TAdsTable t;
    t.SetAdsConnection(&free);
    t.SetTableName("LOOSE");
    t.FieldDefs.Add("CODE", FT::ftString, 4);
    t.CreateTable();
    t.Open();
    t.Append();
    t.FieldByName("CODE").SetAsString("AB");
    t.Post();
  }
  TAdsTable loose;
  loose.SetAdsConnection(&company);
  loose.SetTableName("LOOSE");
  const auto trace = Traced([&] { loose.Open(); });
  const auto opens = CallsOf(trace, "AdsOpenTable");
  ASSERT_EQ(opens.size(), 2u);
  EXPECT_THAT(opens[0], HasSubstr(", \"LOOSE\", \"\", 0, 1, 1, 1, 0)"));
  EXPECT_THAT(opens[1], HasSubstr(", \"" + dir.Path().string() + "\\LOOSE\", \"\", 3, 1, 1, 1, 0)"));
  const auto names = CallNames(trace);
  const auto second = std::find(std::find(names.begin(), names.end(), "AdsOpenTable") + 1, names.end(), "AdsOpenTable");
  ASSERT_NE(second, names.end());
  EXPECT_EQ(*(second + 1), "AdsGetTableType");
  EXPECT_EQ(loose.FieldByName("CODE").AsString(), "AB");
}

}  // namespace
}  // namespace kv::engine::testing
