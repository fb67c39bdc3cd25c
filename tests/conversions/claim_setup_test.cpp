#include "conversions/claim_setup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conversion_fixture.h"

namespace kv::conversions::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using Rows = std::vector<std::vector<std::pair<std::string, std::string>>>;

// MEDTABLE rows: scheme, claim code, ID, maximum, from, to.
Rows MedTableRows(const std::vector<std::vector<std::string>>& rows) {
  Rows out;
  for (const auto& r : rows)
    out.push_back({{"CATEGORY", r[0]}, {"MEDICAL_CODE", r[1]}, {"ID", r[2]}, {"MAX_CLAIM", r[3]}, {"FROM", r[4]},
                   {"TO", r[5]}});
  return out;
}

// The claim set-up header as the suite has it.
void MedschFields(TFieldDefs& f) {
  f.Add("SCHEME_CODE", FT::ftString, 8);
  f.Add("CLAIM_CODE", FT::ftString, 8);
  f.Add("SUBCLAIM", FT::ftString, 8);
  f.Add("CLAIMTYPE", FT::ftString, 1);
  f.Add("TRNNO", FT::ftString, 12);
  f.Add("ITEMTYPE", FT::ftString, 1);
  f.Add("SUBLIMIT", FT::ftCurrency);
}

class ClaimSetup : public Conversion {
 protected:
  // The claim tables, MEDSCH and MEDTBL holding an older set-up, TRNNO's AUTO2 at `auto2`.
  // MEDTBL's ID is numbered by the engine, or by the conversion when `idType` is an integer.
  void MakeClaimTables(const Rows& medTable, const Rows& medsch, const Rows& medtbl, const std::string& auto2,
                       FT idType = FT::ftAutoInc) {
    MakeFreeCompany({
        {"MEDTABLE",
         [](TFieldDefs& f) {
           f.Add("CATEGORY", FT::ftString, 8);
           f.Add("MEDICAL_CODE", FT::ftString, 8);
           f.Add("ID", FT::ftInteger);
           f.Add("MAX_CLAIM", FT::ftCurrency);
           f.Add("FROM", FT::ftCurrency);
           f.Add("TO", FT::ftCurrency);
         },
         medTable},
        {"MEDSCH", MedschFields, medsch},
        {"MEDTBL",
         [idType](TFieldDefs& f) {
           f.Add("TRNNO", FT::ftString, 12);
           f.Add("ID", idType);
           f.Add("MAX_CLAIM", FT::ftCurrency);
           f.Add("FROM", FT::ftCurrency);
           f.Add("TO", FT::ftCurrency);
         },
         medtbl},
        {"TRNNO", [](TFieldDefs& f) { f.Add("AUTO2", FT::ftInteger); }, {{{"AUTO2", auto2}}}},
    });
    AddIndexes("MEDTABLE", {{"CATEGORY", "CATEGORY;MEDICAL_CODE;ID"}});
    AddIndexes("MEDSCH", {{"SCHEME_CODE", "SCHEME_CODE;CLAIM_CODE"}});
    AddIndexes("MEDTBL", {{"TRNNO", "TRNNO;ID"}});
  }

  void SetUp() override {
    Company::SetUp();
    for (engine::TAdsDataSet* d : std::initializer_list<engine::TAdsDataSet*>{
             &AdsTableMedTable, &AdsTableAllocate, &TableTrnno, &QueryClaim})
      Place(*d);
    AdsTableMedTable.SetTableName("MEDTABLE.ADT");
    AdsTableMedTable.SetIndexFieldNames("CATEGORY;MEDICAL_CODE;ID");
    AdsTableAllocate.SetTableName("MEDTBL.adt");
    AdsTableAllocate.SetIndexFieldNames("TRNNO;ID");
    TableTrnno.SetTableName("TRNNO.ADT");
    QueryClaim.SQL().Add("SELECT * FROM  MEDSCH");
    QueryClaim.SetIndexFieldNames("SCHEME_CODE;CLAIM_CODE");
    QueryClaim.RequestLive = true;
    QueryClaim.OnNewRecord = [this](engine::TAdsDataSet&) { QueryClaimNewRecord(Objects()); };
    AdsTableAllocate.SetMasterSource(&QueryClaim, "TRNNO");
  }

  void TearDown() override {
    for (engine::TAdsDataSet* d : std::initializer_list<engine::TAdsDataSet*>{
             &AdsTableMedTable, &AdsTableAllocate, &TableTrnno, &QueryClaim})
      d->Close();
    Company::TearDown();
  }

  ClaimSetupObjects Objects() { return {AdsTableMedTable, AdsTableAllocate, TableTrnno, QueryClaim}; }

  std::vector<std::string> SetupRows() {
    return RowsOf("MEDSCH", {"SCHEME_CODE", "CLAIM_CODE", "CLAIMTYPE", "TRNNO", "ITEMTYPE"});
  }
  // The tiers of one set-up row in ID order: "max/from/to".
  std::vector<std::string> Tiers(const std::string& trnno) {
    std::vector<std::string> tiers;
    for (const std::string& row : RowsOf("MEDTBL", {"TRNNO", "MAX_CLAIM", "FROM", "TO"}))
      if (row.rfind("TRNNO=" + trnno + "|", 0) == 0) tiers.push_back(row.substr(row.find('|') + 1));
    return tiers;
  }
  std::vector<std::string> Auto2() { return RowsOf("TRNNO", {"AUTO2"}); }

  void ExpectLeftClosed() {
    EXPECT_FALSE(AdsTableMedTable.Active());
    EXPECT_FALSE(AdsTableAllocate.Active());
    EXPECT_FALSE(TableTrnno.Active());
    EXPECT_FALSE(QueryClaim.Active());
    EXPECT_EQ(QueryClaim.StatementHandle(), 0u);
  }

  engine::TAdsTable AdsTableMedTable{"AdsTableMedTable", "Form1"};
  engine::TAdsTable AdsTableAllocate{"AdsTableAllocate", "Form1"};
  engine::TAdsTable TableTrnno{"TableTrnno", "Form1"};
  engine::TAdsQuery QueryClaim{"QueryClaim", "Form1"};
};

const std::string kEmptyTier = "MAX_CLAIM=|FROM=|TO=";  // a tier no MEDTABLE row has filled

std::vector<std::string> WithEmptyTiers(std::vector<std::string> filled) {
  while (filled.size() < 10) filled.push_back(kEmptyTier);
  return filled;
}

TEST_F(ClaimSetup, RebuildGivesEachPairOneRowFrom111WithItsRowsInIdOrder) {
  // An older set-up: a row numbered 111 with its tiers, and tiers numbered 112 whose row had gone already.
  MakeClaimTables(MedTableRows({{"GEN", "OUTPT", "3", "300", "2001", "3000"},
                                {"GEN", "OUTPT", "1", "100", "0", "1000"},
                                {"GEN", "OUTPT", "2", "0", "1001", "2000"},  // no maximum: kept all the same
                                {"EXEC", "DENTAL", "1", "450", "0", "0"}}),
                  {{{"SCHEME_CODE", "OLD"}, {"CLAIM_CODE", "X"}, {"TRNNO", "111"}}},
                  {{{"TRNNO", "111"}, {"MAX_CLAIM", "999"}}, {{"TRNNO", "112"}, {"MAX_CLAIM", "888"}}}, "57",
                  FT::ftInteger);
  RebuildClaimSetup(Objects());

  EXPECT_THAT(SetupRows(), ElementsAre("SCHEME_CODE=EXEC|CLAIM_CODE=DENTAL|CLAIMTYPE=0|TRNNO=111|ITEMTYPE=F",
                                   "SCHEME_CODE=GEN|CLAIM_CODE=OUTPT|CLAIMTYPE=0|TRNNO=112|ITEMTYPE=F"));
  EXPECT_THAT(Tiers("111"), ElementsAreArray(WithEmptyTiers({"MAX_CLAIM=450|FROM=0|TO=0"})));
  EXPECT_THAT(Tiers("112"), ElementsAreArray(WithEmptyTiers({"MAX_CLAIM=100|FROM=0|TO=1000",
                                                             "MAX_CLAIM=0|FROM=1001|TO=2000",
                                                             "MAX_CLAIM=300|FROM=2001|TO=3000"})));
  EXPECT_EQ(RowsOf("MEDTBL", {"TRNNO"}).size(), 20u);  // no old tier is left
  EXPECT_THAT(Auto2(), ElementsAre("AUTO2=112"));
  ExpectLeftClosed();

  // The tiers are numbered 1 to 10 within their row; a second rebuild numbers from 111 again and writes the
  // same set-up, row for row.
  const std::vector<std::string> fields = {"TRNNO", "ID", "MAX_CLAIM", "FROM", "TO"};
  const auto tiers = RowsOf("MEDTBL", fields);
  EXPECT_EQ(tiers.front(), "TRNNO=111|ID=1|MAX_CLAIM=450|FROM=0|TO=0");
  EXPECT_EQ(tiers.back(), "TRNNO=112|ID=10|MAX_CLAIM=|FROM=|TO=");
  const auto setup = SetupRows();
  RebuildClaimSetup(Objects());
  EXPECT_EQ(SetupRows(), setup);
  EXPECT_EQ(RowsOf("MEDTBL", fields), tiers);
}

TEST_F(ClaimSetup, APairWithMoreThanTenRowsKeepsTheFirstTen) {
  std::vector<std::vector<std::string>> rows;
  for (int id = 1; id <= 12; ++id) rows.push_back({"GEN", "SPEC", std::to_string(id), std::to_string(id * 10), "0", "0"});
  MakeClaimTables(MedTableRows(rows), {}, {}, "0");
  RebuildClaimSetup(Objects());
  std::vector<std::string> expected;
  for (int id = 1; id <= 10; ++id) expected.push_back("MAX_CLAIM=" + std::to_string(id * 10) + "|FROM=0|TO=0");
  EXPECT_THAT(Tiers("111"), ElementsAreArray(expected));
  EXPECT_EQ(RowsOf("MEDTBL", {"TRNNO"}).size(), 10u);
}

TEST_F(ClaimSetup, RebuildOfAnEmptySourceEmptiesTheSetup) {
  MakeClaimTables({}, {{{"SCHEME_CODE", "OLD"}, {"CLAIM_CODE", "X"}, {"TRNNO", "5"}}}, {{{"TRNNO", "5"}}}, "");
  RebuildClaimSetup(Objects());
  EXPECT_THAT(SetupRows(), IsEmpty());
  EXPECT_THAT(RowsOf("MEDTBL", {"TRNNO"}), IsEmpty());
  EXPECT_THAT(Auto2(), ElementsAre("AUTO2=110"));
}

TEST_F(ClaimSetup, ARowAppendedThroughTheQueryAtAnyTimeIsNumberedAndGetsTenTiers) {
  MakeClaimTables({}, {}, {}, "200");
  QueryClaim.Open();
  QueryClaim.Append();
  QueryClaim.FieldByName("SCHEME_CODE").SetAsString("GEN");
  QueryClaim.FieldByName("CLAIM_CODE").SetAsString("OPTICAL");
  QueryClaim.Post();
  // The detail follows the new row.
  EXPECT_EQ(AdsTableAllocate.Active(), false);
  AdsTableAllocate.Open();
  EXPECT_EQ(AdsTableAllocate.RecordCount(), 10u);
  EXPECT_EQ(AdsTableAllocate.FieldByName("TRNNO").AsString(), "201");
  AdsTableAllocate.Close();
  QueryClaim.Close();
  QueryClaim.CloseStatement();
  EXPECT_THAT(SetupRows(), ElementsAre("SCHEME_CODE=GEN|CLAIM_CODE=OPTICAL|CLAIMTYPE=|TRNNO=201|ITEMTYPE=F"));
  EXPECT_EQ(Tiers("201").size(), 10u);
  EXPECT_THAT(Auto2(), ElementsAre("AUTO2=201"));
  EXPECT_FALSE(TableTrnno.Active());  // opened for the handler and closed again
}

// ---- AddSchemzEzaroLimits ----

class SubClaimLimits : public Conversion, public ::testing::WithParamInterface<bool> {
 protected:
  void MakeCompany(bool dictionary) {
    const std::vector<TableSpec> tables = {
        {"EMPLOYEE",
         [](TFieldDefs& f) {
           f.Add("EMP_NO", FT::ftString, 12);
           f.Add("BENEFIT_SCHEME", FT::ftString, 8);
         },
         {{{"EMP_NO", "E1"}, {"BENEFIT_SCHEME", "GEN"}},
          {{"EMP_NO", "E2"}, {"BENEFIT_SCHEME", "EXEC"}},
          {{"EMP_NO", "E3"}, {"BENEFIT_SCHEME", "GEN"}}},
         true},
        {"ALOCLAIM",
         [](TFieldDefs& f) {
           f.Add("MEDICAL", FT::ftString, 8);
           f.Add("CODE", FT::ftString, 8);
           f.Add("MAX_CLAIM", FT::ftCurrency);
         },
         {{{"MEDICAL", "OUTPT"}, {"CODE", "GP"}, {"MAX_CLAIM", "30"}},
          {{"MEDICAL", "OUTPT"}, {"CODE", "TCM"}, {"MAX_CLAIM", "20"}},
          {{"MEDICAL", "DENTAL"}, {"CODE", "SCALE"}, {"MAX_CLAIM", "80"}}}},
        {"MEDSCH", MedschFields,
         // A claim row and a sub-claim limit set by hand, which stays as it is.
         {{{"SCHEME_CODE", "GEN"}, {"CLAIM_CODE", "OUTPT"}, {"CLAIMTYPE", "0"}},
          {{"SCHEME_CODE", "GEN"}, {"CLAIM_CODE", "OUTPT"}, {"SUBCLAIM", "GP"}, {"CLAIMTYPE", "1"},
           {"SUBLIMIT", "35"}}}},
    };
    if (dictionary)
      MakeDictionaryCompany(tables);
    else
      MakeFreeCompany(tables);
    AdsConnection1.Disconnect();
    AddIndexes("MEDSCH", {{"SCHEME_CODE2", "SCHEME_CODE;CLAIM_CODE;SUBCLAIM;CLAIMTYPE"}});
    AdsConnection1.Connect();
    Place(AdsTable2);
    Place(AdsTable3);
  }

  std::vector<std::string> Limits() {
    std::vector<std::string> rows;
    for (const std::string& row : RowsOf("MEDSCH", {"SCHEME_CODE", "CLAIM_CODE", "SUBCLAIM", "CLAIMTYPE", "SUBLIMIT"},
                                         GetParam()))
      rows.push_back(row);
    return rows;
  }

  engine::TAdsTable AdsTable2{"AdsTable2", "Form1"};
  engine::TAdsTable AdsTable3{"AdsTable3", "Form1"};
};

TEST_P(SubClaimLimits, EveryBenefitSchemeGetsEveryAllocationOnce) {
  MakeCompany(GetParam());
  AddSchemzEzaroLimits(Window(), AdsTable2, AdsTable3);
  const std::vector<std::string> expected = {
      "SCHEME_CODE=GEN|CLAIM_CODE=OUTPT|SUBCLAIM=|CLAIMTYPE=0|SUBLIMIT=",
      "SCHEME_CODE=GEN|CLAIM_CODE=OUTPT|SUBCLAIM=GP|CLAIMTYPE=1|SUBLIMIT=35",
      "SCHEME_CODE=EXEC|CLAIM_CODE=OUTPT|SUBCLAIM=GP|CLAIMTYPE=1|SUBLIMIT=30",
      "SCHEME_CODE=EXEC|CLAIM_CODE=OUTPT|SUBCLAIM=TCM|CLAIMTYPE=1|SUBLIMIT=20",
      "SCHEME_CODE=EXEC|CLAIM_CODE=DENTAL|SUBCLAIM=SCALE|CLAIMTYPE=1|SUBLIMIT=80",
      "SCHEME_CODE=GEN|CLAIM_CODE=OUTPT|SUBCLAIM=TCM|CLAIMTYPE=1|SUBLIMIT=20",
      "SCHEME_CODE=GEN|CLAIM_CODE=DENTAL|SUBCLAIM=SCALE|CLAIMTYPE=1|SUBLIMIT=80",
  };
  EXPECT_THAT(Limits(), ElementsAreArray(expected));
  AddSchemzEzaroLimits(Window(), AdsTable2, AdsTable3);
  EXPECT_THAT(Limits(), ElementsAreArray(expected));
  for (engine::TAdsTable* t : {&AdsTable2, &AdsTable3}) {
    EXPECT_FALSE(t->Active());
    EXPECT_EQ(t->TableName(), "");
    EXPECT_EQ(t->IndexFieldNames(), "");
  }
  EXPECT_FALSE(AdsQuery1.Active());
}

INSTANTIATE_TEST_SUITE_P(FreeAndDictionary, SubClaimLimits, ::testing::Bool());

}  // namespace
}  // namespace kv::conversions::testing
