// The refusals of the component objects, each with the text callers show.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace kv::engine::testing {
namespace {

using FT = TFieldType;

enum class Raised { Component, Connection };

struct Rule {
  const char* situation;
  std::function<void(FreeTables&, TAdsConnection&)> work;
  Raised kind;
  const char* message;
};

class StateRules : public FreeTables {
 protected:
  void SetUp() override {
    FreeTables::SetUp();
    MakeTable("CPFTRX", [](TFieldDefs& f) {
      f.Add("EMPCODE", FT::ftString, 10);
      f.Add("PPERIOD", FT::ftString, 6);
    }, {{"EMPCODE", "EMPCODE;PPERIOD"}});
  }
};

// An open table of the fixture's folder.
struct OpenTable {
  explicit OpenTable(TAdsConnection& c, const std::string& order = "") {
    t.SetAdsConnection(&c);
    t.SetTableName("CPFTRX");
    t.SetIndexFieldNames(order);
    t.Open();
  }
  TAdsTable t;
};

TEST_F(StateRules, EachRefusalHasItsText) {
  const char* kOpen = "Cannot perform this operation on an open dataset";
  const Rule rules[] = {
      {"connect without a path",
       [](FreeTables&, TAdsConnection&) { TAdsConnection c; c.Connect(); }, Raised::Connection,
       "Must specify connection string before getting a server connection."},
      {"path changed while connected",
       [](FreeTables&, TAdsConnection& c) { c.Connect(); c.SetConnectPath("C:\\OTHER\\"); }, Raised::Connection,
       "The TAdsConnection.ConnectPath may not be changed when IsConnected is TRUE"},
      {"open without a table name",
       [](FreeTables&, TAdsConnection& c) { TAdsTable t; t.SetAdsConnection(&c); t.Open(); }, Raised::Component,
       "Missing TableName property"},
      {"open without a connection",
       [](FreeTables&, TAdsConnection&) { TAdsTable t; t.SetTableName("CPFTRX"); t.Open(); }, Raised::Component,
       "One of the DatabaseName property or the AdsConnection property must have a value."},
      {"open through a name no connection has",
       [](FreeTables&, TAdsConnection&) { TAdsTable t; t.SetDatabaseName("AdsConnectionX"); t.SetTableName("CPFTRX"); t.Open(); },
       Raised::Component, "One of the DatabaseName property or the AdsConnection property must have a value."},
      {"open an open table",
       [](FreeTables&, TAdsConnection& c) { OpenTable o(c); o.t.Open(); }, Raised::Component, "Table is already open."},
      {"table name changed while open",
       [](FreeTables&, TAdsConnection& c) { OpenTable o(c); o.t.SetTableName("OTHER"); }, Raised::Component, kOpen},
      {"table type changed while open",
       [](FreeTables&, TAdsConnection& c) { OpenTable o(c); o.t.SetTableType(TAdsTableTypes::ttAdsCDX); },
       Raised::Component, kOpen},
      {"exclusive changed while open",
       [](FreeTables&, TAdsConnection& c) { OpenTable o(c); o.t.SetExclusive(true); }, Raised::Component, kOpen},
      {"create over an open table",
       [](FreeTables&, TAdsConnection& c) { OpenTable o(c); o.t.CreateTable(); }, Raised::Component, kOpen},
      {"order by fields no index covers",
       [](FreeTables&, TAdsConnection& c) { OpenTable o(c, "PPERIOD;EMPCODE"); }, Raised::Component,
       "Not a valid index field name:PPERIOD;EMPCODE"},
      {"order changed to fields no index covers while open",
       [](FreeTables&, TAdsConnection& c) { OpenTable o(c); o.t.SetIndexFieldNames("PPERIOD"); }, Raised::Component,
       "Not a valid index field name:PPERIOD"},
      {"FindKey without an order",
       [](FreeTables&, TAdsConnection& c) { OpenTable o(c); o.t.FindKey({"E1"}); }, Raised::Component,
       "No parseable expressions in setting key fields"},
      {"FindKey with more values than key fields",
       [](FreeTables&, TAdsConnection& c) { OpenTable o(c, "EMPCODE;PPERIOD"); o.t.FindKey({"E1", "202401", "X"}); },
       Raised::Component, "Too many values given for current index"},
      {"SetRange without an order",
       [](FreeTables&, TAdsConnection& c) { OpenTable o(c); o.t.SetRange({"A"}, {"B"}); }, Raised::Component,
       "No parseable expressions in setting key fields"},
      {"case-insensitive expression index",
       [](FreeTables&, TAdsConnection& c) {
         OpenTable o(c);
         o.t.AddIndex("X", "EMPCODE", {TIndexOption::ixCaseInsensitive, TIndexOption::ixExpression});
       },
       Raised::Component, "ixCaseInsensitive is not supported with ixExpression indexes"},
      {"Prepare with an open result",
       [](FreeTables&, TAdsConnection& c) {
         TAdsQuery q;
         q.SetAdsConnection(&c);
         q.SQL().Add("SELECT * FROM CPFTRX");
         q.Open();
         q.Prepare();
       },
       Raised::Component, kOpen},
      {"CloseStatement with an open result",
       [](FreeTables&, TAdsConnection& c) {
         TAdsQuery q;
         q.SetAdsConnection(&c);
         q.SQL().Add("SELECT * FROM CPFTRX");
         q.Open();
         q.CloseStatement();
       },
       Raised::Component, kOpen},
      {"query without a connection",
       [](FreeTables&, TAdsConnection&) { TAdsQuery q; q.SQL().Add("DELETE FROM CPFTRX"); q.ExecSQL(); },
       Raised::Component, "The DatabaseName property has not been assigned a value."},
      {"statement password without a connection",
       [](FreeTables&, TAdsConnection&) { TAdsQuery q; q.SetTablePassword("CPFTRX", "x"); }, Raised::Component,
       "The DatabaseName property has not been assigned a value."},
  };
  for (const Rule& rule : rules) {
    TAdsConnection c;
    c.SetConnectPath(dir.SuitePath());
    std::string message = "<none>";
    try {
      rule.work(*this, c);
    } catch (const EADSDatabaseError& e) {
      message = e.what();
      EXPECT_EQ(rule.kind, Raised::Component) << rule.situation;
      EXPECT_EQ(e.ACEErrorCode(), 5121u) << rule.situation;
    } catch (const AdsConnectionError& e) {
      message = e.what();
      EXPECT_EQ(rule.kind, Raised::Connection) << rule.situation;
    }
    EXPECT_EQ(message, rule.message) << rule.situation;
  }
}

TEST_F(StateRules, NamedObjectsPutTheirNameBeforeTheText) {
  TAdsTable placed("AdsTable1", "Form1");
  placed.SetAdsConnection(&connection);
  EXPECT_EQ(MessageOf<EADSDatabaseError>([&] { placed.Open(); }), "AdsTable1: Missing TableName property");
  TAdsQuery query("AdsQuery1", "Form1");
  EXPECT_EQ(MessageOf<EADSDatabaseError>([&] { query.ExecSQL(); }),
            "AdsQuery1: The DatabaseName property has not been assigned a value.");
}

TEST_F(StateRules, ClosedTablesMayChangeAndAFailedOpenLeavesTheTableClosed) {
  TAdsTable t;
  t.SetAdsConnection(&connection);
  t.SetTableName("CPFTRX");
  t.SetIndexFieldNames("NOPE");
  EXPECT_THROW(t.Open(), EADSDatabaseError);
  EXPECT_FALSE(t.Active());
  t.SetIndexFieldNames("");
  t.SetExclusive(true);
  t.SetTableType(TAdsTableTypes::ttAdsADT);
  t.Open();
  EXPECT_TRUE(t.Active());
  EXPECT_NO_THROW(t.SetTableType(TAdsTableTypes::ttAdsADT));  // no change is no change
}

}  // namespace
}  // namespace kv::engine::testing
