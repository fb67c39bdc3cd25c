#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace kv::engine::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using FT = TFieldType;

// True when want appears in names in this order (other calls may come between).
bool InOrder(const std::vector<std::string>& names, const std::vector<std::string>& want) {
  std::size_t i = 0;
  for (const std::string& n : names)
    if (i < want.size() && n == want[i]) ++i;
  return i == want.size();
}

class Queries : public FreeTables {
 protected:
  void SetUp() override {
    FreeTables::SetUp();
    MakeTable("MEDSCH", [](TFieldDefs& f) {
      f.Add("SCHEME_CODE", FT::ftString, 8);
      f.Add("CLAIM_CODE", FT::ftString, 8);
      f.Add("AMOUNT", FT::ftCurrency);
      f.Add("YEAR", FT::ftString, 4);
    }, {{"SCHEME", "SCHEME_CODE;CLAIM_CODE", true}});
    query.SetAdsConnection(&connection);
  }
  void Insert(const std::string& scheme, const std::string& claim, const std::string& amount) {
    query.SQL().Clear();
    query.SQL().Add("INSERT INTO MEDSCH (SCHEME_CODE, CLAIM_CODE, AMOUNT, YEAR)");
    query.SQL().Add("VALUES (:SCHEME, :claim, :AMT, '2013')");
    query.ParamByName("scheme").SetAsString(scheme);
    query.ParamByName(":CLAIM").SetAsString(claim);
    query.ParamByName("AMT").SetAsCurrency(*kv::Currency::Parse(amount));
    query.ExecSQL();
    query.CloseStatement();
  }
  TAdsQuery query;
};

TEST_F(Queries, ExecSqlPreparesBindsRunsAndTheToolClosesTheStatement) {
  const auto trace = Traced([&] { Insert("OUT", "GP", "25.50"); });
  EXPECT_TRUE(InOrder(CallNames(trace), {"AdsCreateSQLStatement", "AdsPrepareSQL", "AdsExecuteSQL",
                                         "AdsCloseSQLStatement"}))
      << ::testing::PrintToString(trace);
  EXPECT_THAT(CallsOf(trace, "AdsPrepareSQL").at(0),
              HasSubstr("INSERT INTO MEDSCH (SCHEME_CODE, CLAIM_CODE, AMOUNT, YEAR)\r\nVALUES (:SCHEME, :claim, :AMT, '2013')\r\n"));
  EXPECT_EQ(query.StatementHandle(), 0u);
  Insert("OUT", "SP", "80");
  Insert("IN", "WARD", "300");

  TAdsTable check;
  check.SetAdsConnection(&connection);
  check.SetTableName("MEDSCH");
  check.SetIndexName("SCHEME");
  check.Open();
  EXPECT_EQ(check.RecordCount(), 3u);
  ASSERT_TRUE(check.FindKey({"OUT", "GP"}));
  EXPECT_EQ(check.FieldByName("AMOUNT").AsCurrency(), *kv::Currency::Parse("25.5"));
}

TEST_F(Queries, ParametersFollowTheText) {
  EXPECT_THAT(ParameterNamesOf("SELECT * FROM T WHERE A = :sYEAR AND B = ':notone' AND [C:D] = :Other -- :x\n"
                               "AND E = :SYEAR"),
              ElementsAre("sYEAR", "Other"));
  query.SQL().Add("SELECT * FROM MEDSCH WHERE YEAR = :sYEAR");
  EXPECT_NO_THROW(query.ParamByName("syear").SetAsString("2013"));
  EXPECT_EQ(MessageOf<EADSDatabaseError>([&] { query.ParamByName("NOPE"); }), "Parameter 'NOPE' not found");
  EXPECT_THAT(query.ParamNames(), ElementsAre("sYEAR"));
}

TEST_F(Queries, AnOpenResultReadsLikeATableAndALiveOneEditsTheTable) {
  Insert("OUT", "SP", "80");
  Insert("OUT", "GP", "25.50");
  Insert("IN", "WARD", "300");
  TAdsQuery claim("QueryClaim", "Form1");
  claim.SetAdsConnection(&connection);
  claim.SQL().Add("SELECT * FROM  MEDSCH");
  claim.SetIndexFieldNames("SCHEME_CODE;CLAIM_CODE");
  claim.RequestLive = true;
  claim.OnNewRecord = [](TAdsDataSet& ds) { ds.FieldByName("YEAR").SetAsString("2014"); };
  claim.Open();
  std::vector<std::string> codes;
  for (claim.First(); !claim.Eof(); claim.Next()) codes.push_back(claim.FieldByName("CLAIM_CODE").AsString());
  EXPECT_THAT(codes, ElementsAre("WARD", "GP", "SP"));
  ASSERT_TRUE(claim.FindKey({"OUT", "SP"}));
  claim.Edit();
  claim.FieldByName("AMOUNT").SetAsCurrency(kv::Currency::FromScaled(900'000));
  claim.Post();
  claim.Append();
  claim.FieldByName("SCHEME_CODE").SetAsString("IN");
  claim.FieldByName("CLAIM_CODE").SetAsString("ICU");
  claim.Post();
  claim.Close();
  claim.CloseStatement();

  TAdsTable check;
  check.SetAdsConnection(&connection);
  check.SetTableName("MEDSCH");
  check.SetIndexFieldNames("SCHEME_CODE;CLAIM_CODE");
  check.Open();
  ASSERT_TRUE(check.FindKey({"OUT", "SP"}));
  EXPECT_EQ(check.FieldByName("AMOUNT").AsString(), "90");
  ASSERT_TRUE(check.FindKey({"IN", "ICU"}));
  EXPECT_EQ(check.FieldByName("YEAR").AsString(), "2014");
}

TEST_F(Queries, ALiveResultDeletesThroughToTheTableRowByRow) {
  Insert("OUT", "SP", "80");
  Insert("OUT", "GP", "25.50");
  Insert("IN", "WARD", "300");
  query.SQL().Clear();
  query.SQL().Add("SELECT * FROM  MEDSCH");
  query.SetIndexFieldNames("SCHEME_CODE;CLAIM_CODE");
  query.RequestLive = true;
  query.Open();
  ASSERT_TRUE(query.FindKey({"OUT", "GP"}));
  query.Delete();  // the cursor goes on to the next row
  EXPECT_EQ(query.FieldByName("CLAIM_CODE").AsString(), "SP");
  for (query.First(); !query.Eof();) query.Delete();
  EXPECT_TRUE(query.IsEmpty());
  query.Close();
  query.CloseStatement();

  TAdsTable check;
  check.SetAdsConnection(&connection);
  check.SetTableName("MEDSCH");
  check.Open();
  EXPECT_EQ(check.RecordCount(), 0u);
}

TEST_F(Queries, AStaticResultReadsLikeATable) {
  Insert("OUT", "SP", "80");
  Insert("OUT", "GP", "25.50");
  query.SQL().Clear();
  query.SQL().Add("SELECT SUM(AMOUNT) AS TOTAL, COUNT(*) AS N FROM MEDSCH");
  query.Open();
  EXPECT_EQ(query.FieldByName("TOTAL").AsCurrency(), *kv::Currency::Parse("105.5"));
  EXPECT_EQ(query.FieldByName("N").AsInteger(), 2);
  EXPECT_EQ(query.RecordCount(), 1u);
  query.Close();
  query.CloseStatement();
}

TEST_F(Queries, CloseStatementTreatsAnAlreadyClosedStatementAsClosed) {
  Insert("OUT", "SP", "80");
  query.SQL().Clear();
  query.SQL().Add("DELETE FROM MEDSCH WHERE SCHEME_CODE = 'OUT'");
  query.ExecSQL();
  EXPECT_EQ(query.RowsAffected(), 1u);
  ASSERT_NE(query.StatementHandle(), 0u);
  EXPECT_EQ(ace::AdsCloseSQLStatement(query.StatementHandle()), 0u);
  const auto trace = Traced([&] { EXPECT_NO_THROW(query.CloseStatement()); });
  EXPECT_THAT(CallNames(trace), ElementsAre("AdsCloseSQLStatement"));  // answered 5106
  EXPECT_EQ(query.StatementHandle(), 0u);
  EXPECT_NO_THROW(query.CloseStatement());
}

TEST_F(Queries, PasswordsOpenEncryptedFreeTablesForAStatement) {
  Insert("OUT", "SP", "80");
  {
    TAdsTable t;
    t.SetAdsConnection(&connection);
    t.SetTableName("MEDSCH");
    t.SetExclusive(true);
    t.Open();
    t.EnableEncryption(kTablePassword);
    t.EncryptTable();
  }
  auto count = [&] {
    query.SQL().Clear();
    query.SQL().Add("SELECT COUNT(*) AS N FROM MEDSCH");
    query.Open();
    const auto n = query.FieldByName("N").AsInteger();
    query.Close();
    return n;
  };
  try {
    count();
    FAIL() << "an encrypted table was read without a password";
  } catch (const EADSDatabaseError& e) {
    EXPECT_EQ(e.ACEErrorCode(), ace::code::kPasswordRequired);
  }
  query.SetTablePassword("MEDSCH.ADT", kTablePassword);
  EXPECT_EQ(count(), 1);
  query.ClearTablePasswords();
  EXPECT_THROW(count(), EADSDatabaseError);
  query.EnableStatementEncryption(kTablePassword);
  EXPECT_EQ(count(), 1);
  query.CloseStatement();
  // A new statement starts without passwords.
  EXPECT_THROW(count(), EADSDatabaseError);
}

TEST_F(Queries, RecordFiltersOnTables) {
  MakeTable("RTABLE", [](TFieldDefs& f) {
    f.Add("NO", FT::ftInteger);
    f.Add("DATABASE1", FT::ftString, 10);
  }, {{"NO", "NO"}});
  TAdsTable rtable("wwTableRtable", "Form1");
  rtable.SetAdsConnection(&connection);
  rtable.SetTableName("RTABLE.ADT");
  rtable.SetIndexFieldNames("NO");
  rtable.Open();
  const std::pair<int, const char*> rows[] = {{1, "ALLW"}, {2, "DEDT"}, {3, "ALLW"}};
  for (const auto& [no, db] : rows) {
    rtable.Append();
    rtable.FieldByName("NO").SetAsInteger(no);
    rtable.FieldByName("DATABASE1").SetAsString(db);
    rtable.Post();
  }
  rtable.Close();
  rtable.SetFilter("database1='ALLW'");
  rtable.SetFiltered(true);
  const auto trace = Traced([&] { rtable.Open(); });
  EXPECT_THAT(CallsOf(trace, "AdsSetFilter"), ElementsAre(HasSubstr("\"database1='ALLW'\"")));
  std::vector<std::int64_t> seen;
  for (rtable.First(); !rtable.Eof(); rtable.Next()) seen.push_back(rtable.FieldByName("NO").AsInteger());
  EXPECT_THAT(seen, ElementsAre(1, 3));
  EXPECT_FALSE(rtable.FindKey({2}));
  rtable.SetFiltered(false);
  EXPECT_TRUE(rtable.FindKey({2}));
  rtable.SetFilter("NOSUCH = 1");
  EXPECT_THROW(rtable.SetFiltered(true), EADSDatabaseError);
}

}  // namespace
}  // namespace kv::engine::testing
