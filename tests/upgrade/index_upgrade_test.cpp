#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "company_fixture.h"
#include "upgrade/index_upgrade.h"

namespace kv::upgrade::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

// A table of string fields ("DATE" a date), one row.
TableSpec Strings(const std::string& name, const std::vector<std::string>& fields, bool encrypted = false) {
  return {name,
          [fields](TFieldDefs& f) {
            for (const std::string& field : fields)
              if (field == "DATE")
                f.Add(field, FT::ftDate);
              else
                f.Add(field, FT::ftString, 10);
          },
          {{{fields.front(), "K1"}}},
          encrypted};
}

class IndexUpgrade : public Company {
 protected:
  void SetUp() override {
    Company::SetUp();
    AdsQueryIndex.SetAdsConnection(&AdsConnection1);
    AdsTableCode.SetAdsConnection(&AdsConnection1);
  }
  void TearDown() override {
    AdsQueryIndex.Close();
    AdsTableCode.Close();
    Company::TearDown();
  }

  void Upgrade() {
    const WindowObjects window = Window();
    UpgradeIndexes({window, AdsQueryIndex, AdsTableCode});
  }

  // Adds an index to a table through a connection of its own (registered when through the dictionary).
  void AddIndexTo(const std::string& table, const std::string& name, const std::string& fields,
                  bool throughDictionary = false) {
    engine::TAdsConnection c;
    Point(c, throughDictionary);
    engine::TAdsTable t;
    t.SetAdsConnection(&c);
    t.SetTableName(table);
    t.SetExclusive(true);
    t.AddIndex(name, fields, {engine::TIndexOption::ixExpression});
  }

  std::vector<std::string> RegisteredIndexes(const std::string& table) {
    engine::TAdsDictionary d;
    ConnectAdmin(d);
    std::vector<std::string> names;
    d.IndexNames(table, names);
    return names;
  }

  std::vector<std::string> CreateIndexStatements(const std::vector<std::string>& trace) {
    std::vector<std::string> sent;
    for (std::string text : PreparedStatements(trace)) {
      while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
      if (text.rfind("Create Index", 0) == 0) sent.push_back(text);
    }
    return sent;
  }

  engine::TAdsQuery AdsQueryIndex{"AdsQueryIndex", "Form1"};
  engine::TAdsTable AdsTableCode{"AdsTableCode", "Form1"};
};

TEST_F(IndexUpgrade, FreeTablesGetTheMissingIndexesJudgedByTheirFields) {
  MakeFreeCompany({
      Strings("FREEFIELD", {"MODULE", "LINE", "CTLFIELD"}),
      Strings("APPD8B", {"INC_NO"}),
      Strings("GLCOST", {"LINE"}),
      Strings("LEAV_TRX", {"LEAVE_CODE", "EMPCODE", "DATE", "ID"}),
      Strings("CODE", {"CATEGORY", "DESC"}),
      Strings("EMPLEAVE", {"EMPCODE", "START_DATE", "LEAVE_CODE", "ID"}),
      Strings("INCOMETB", {"YEAR", "FORWHAT"}),
      Strings("MEDICAL", {"EMPCODE", "BNO"}),
  });
  // The same fields under another name count as the index; another letter case of a field does not.
  AddIndexTo("APPD8B", "MYINC", "INC_NO");
  AddIndexTo("MEDICAL", "LOWER", "empcode;bno");
  AdsTableCode.SetTableName("CODE");
  AdsTableCode.Open();  // the window keeps CODE open; the CODE step closes it first

  ace::AdsTraceStart();
  Upgrade();
  const std::vector<std::string> trace = ace::AdsTraceStop();

  EXPECT_THAT(IndexesOf("FREEFIELD"), ElementsAre("CTLFIELD=MODULE;LINE;CTLFIELD"));
  EXPECT_THAT(IndexesOf("APPD8B"), ElementsAre("MYINC=INC_NO"));
  EXPECT_THAT(IndexesOf("GLCOST"), ElementsAre("  LINE=LINE"));  // the name's blanks kept as sent
  // LEAVE_TRX1 of the report-table group covers the later LEAV_TRX step, which makes nothing.
  EXPECT_THAT(IndexesOf("LEAV_TRX"), ElementsAre("LEAVE_TRX1=LEAVE_CODE;EMPCODE;DATE;ID"));
  EXPECT_THAT(IndexesOf("CODE"), ElementsAre("CATDESC=CATEGORY;DESC"));
  EXPECT_THAT(IndexesOf("EMPLEAVE"), ElementsAre("EMPCODE1=EMPCODE;START_DATE;LEAVE_CODE;ID"));
  EXPECT_THAT(IndexesOf("INCOMETB"), ElementsAre("FORWHAT=YEAR;FORWHAT"));
  EXPECT_THAT(IndexesOf("MEDICAL"), ElementsAre("LOWER=empcode;bno", "BNO=EMPCODE;BNO"));
  EXPECT_THAT(CreateIndexStatements(trace),
              ElementsAre(R"(Create Index "CTLFIELD" on FREEFIELD(MODULE,LINE,CTLFIELD))",
                          R"(Create Index "LEAVE_TRX1" on LEAV_TRX( LEAVE_CODE,EMPCODE,"DATE",ID))",
                          R"(Create Index "CATDESC" on CODE(CATEGORY,"DESC"))",
                          R"(Create Index "BNO" on MEDICAL(EMPCODE,BNO ))",
                          R"(Create Index "  LINE" on GLCOST(LINE))"));
  EXPECT_FALSE(AdsTable1.Active());
  EXPECT_THAT(ui.Messages(), IsEmpty());

  // A second run finds every index in place. FREEFIELD's index is looked for on CTLFIELD alone, so its statement
  // goes again and the engine refuses the name it has already; nothing changes and nothing is said.
  ace::AdsTraceStart();
  Upgrade();
  EXPECT_THAT(CreateIndexStatements(ace::AdsTraceStop()),
              ElementsAre(R"(Create Index "CTLFIELD" on FREEFIELD(MODULE,LINE,CTLFIELD))"));
  EXPECT_THAT(IndexesOf("FREEFIELD"), ElementsAre("CTLFIELD=MODULE;LINE;CTLFIELD"));
  EXPECT_THAT(ui.Messages(), IsEmpty());
}

// The tax and report tables are encrypted with the table password before the index step; the step gives it, so
// encrypted and clear tables alike get their index. RBTABLE's comes in the same run as LEAV_TRX's, whose
// statement is closed between the password its group starts with and RBTABLE's statement.
TEST_F(IndexUpgrade, EncryptedFreeTablesGetTheirIndexesToo) {
  MakeFreeCompany({
      Strings("IR8AR", {"USERID", "EMPCODE", "TYPE"}, true),
      Strings("RPTRX", {"EMPCODE", "PAYCODE", "PERIOD", "CYCLE"}, true),
      Strings("P_HIST1", {"USERID", "EMPCODE", "ID", "ALW_CODE", "DESC01"}, true),
      Strings("LEAV_TRX", {"LEAVE_CODE", "EMPCODE", "DATE", "ID"}),
      Strings("RBTABLE", {"TABLENAME"}, true),
      Strings("RBFIELD", {"TABLENAME", "FIELDNAME"}),
  });
  Upgrade();
  EXPECT_THAT(IndexesOf("LEAV_TRX"), ElementsAre("LEAVE_TRX1=LEAVE_CODE;EMPCODE;DATE;ID"));
  EXPECT_THAT(IndexesOf("IR8AR"), ElementsAre("PRIMARY1=USERID;EMPCODE;TYPE"));
  EXPECT_THAT(IndexesOf("RPTRX"), ElementsAre("PAYCODE=EMPCODE;PAYCODE;PERIOD;CYCLE"));
  EXPECT_THAT(IndexesOf("P_HIST1"), ElementsAre("P_HIST=USERID;EMPCODE;ID;ALW_CODE;DESC01"));
  EXPECT_THAT(IndexesOf("RBTABLE"), ElementsAre("TABLENAME=TABLENAME"));
  EXPECT_THAT(IndexesOf("RBFIELD"), ElementsAre("TABLENAME=TABLENAME;FIELDNAME"));
  EXPECT_TRUE(FileEncrypted("IR8AR"));
  EXPECT_THAT(RowsOf("IR8AR", {"USERID"}), ElementsAre("USERID=K1"));
}

TEST_F(IndexUpgrade, AFailedFirstHistoryIndexSkipsTheOtherTwo) {
  // No PAYCODE1 column: the first statement fails, and PAYCODE2 and ID are not tried in this run.
  MakeFreeCompany({Strings("P_HIST4", {"USERID", "DEPT_CODE", "CST_CODE", "CAT_CODE", "PAYCODE2", "ID"}),
                   Strings("LEAVESET", {"PERIOD", "SCHEME"})});
  ace::AdsTraceStart();
  Upgrade();
  const std::vector<std::string> trace = ace::AdsTraceStop();
  EXPECT_THAT(IndexesOf("P_HIST4"), IsEmpty());
  EXPECT_THAT(CreateIndexStatements(trace),
              ElementsAre(R"(Create Index "PERIOD1" on LEAVESET(PERIOD,SCHEME))",
                          R"(Create Index "PAYCODE1" on P_HIST4(USERID,DEPT_CODE,CST_CODE,CAT_CODE,PAYCODE1))"));
  EXPECT_THAT(ui.Messages(), IsEmpty());
}

TEST_F(IndexUpgrade, DictionaryCompaniesRebuildTheTwoReportWorkTables) {
  MakeDictionaryCompany({
      Strings("FREEFIELD", {"MODULE", "LINE", "CTLFIELD"}),
      Strings("APPD8B", {"INC_NO"}),
      Strings("RPTRX", {"EMPCODE", "PAYCODE", "PERIOD", "CYCLE"}, true),
      Strings("TEMPPAYGROUP", {"PAYGROUP", "YEAR", "MONTH", "TYPE"}),
      Strings("CODE", {"CATEGORY", "DESC"}),
  });
  AddIndexTo("RPTRX", "EMPCODE", "EMPCODE", true);
  AddIndexTo("RPTRX", "PAYCODE", "EMPCODE;PAYCODE;PERIOD;CYCLE", true);
  AddIndexTo("TEMPPAYGROUP", "OLD", "YEAR;MONTH", true);
  ASSERT_THAT(RegisteredIndexes("RPTRX"), ElementsAre("EMPCODE", "PAYCODE"));

  Upgrade();

  EXPECT_THAT(IndexesOf("RPTRX", true), ElementsAre("PAYCODE=EMPCODE;PAYCODE;PERIOD;CYCLE"));
  EXPECT_THAT(RegisteredIndexes("RPTRX"), ElementsAre("PAYCODE"));
  EXPECT_THAT(IndexesOf("TEMPPAYGROUP", true), ElementsAre("PAYGROUP=PAYGROUP;YEAR;MONTH;TYPE"));
  EXPECT_THAT(IndexesOf("FREEFIELD", true), ElementsAre("CTLFIELD=MODULE;LINE;CTLFIELD"));
  EXPECT_THAT(IndexesOf("APPD8B", true), ElementsAre("INC_NO=INC_NO"));
  EXPECT_THAT(IndexesOf("CODE", true), IsEmpty());  // the free-table steps do not run
  EXPECT_EQ(Property("RPTRX", ace::dd_property::kAutoCreate), 1);
  EXPECT_EQ(Property("RPTRX", ace::dd_property::kEncryption), 1);
  EXPECT_THAT(RowsOf("RPTRX", {"EMPCODE"}, true), ElementsAre("EMPCODE=K1"));
  EXPECT_FALSE(AdsDictionary1.IsConnected());
  EXPECT_TRUE(AdsConnection1.IsConnected());
}

TEST_F(IndexUpgrade, ADictionaryRebuildOfAMissingTableEndsTheRun) {
  MakeDictionaryCompany({Strings("TEMPPAYGROUP", {"PAYGROUP", "YEAR", "MONTH", "TYPE"})});
  EXPECT_ANY_THROW(Upgrade());
  EXPECT_THAT(IndexesOf("TEMPPAYGROUP", true), ElementsAre("PAYGROUP=PAYGROUP;YEAR;MONTH;TYPE"));
}

}  // namespace
}  // namespace kv::upgrade::testing
