#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "company_fixture.h"
#include "upgrade/column_upgrade.h"

namespace kv::upgrade::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::IsEmpty;
using ::testing::StartsWith;

TableSpec Sample(bool encrypted = false) {
  return {"SAMPLE",
          [](TFieldDefs& f) {
            f.Add("CODE", FT::ftString, 6);
            f.Add("WIDE", FT::ftString, 8);
            f.Add("AMOUNT", FT::ftCurrency);
            f.Add("DAY", FT::ftDate);
            f.Add("QTY", FT::ftInteger);
            f.Add("FLAG", FT::ftBoolean);
            f.Add("AT", FT::ftTime);
            f.Add("PIC", FT::ftBlob);
            f.Add("RATE", FT::ftFloat);
            f.Add("NOTE", FT::ftMemo);
            f.Add("TXT", FT::ftString, 10);
          },
          {{{"CODE", "A1"}, {"WIDE", "12.5"}, {"AMOUNT", "3.25"}, {"QTY", "7"}, {"RATE", "2"}}},
          encrypted};
}

TableSpec Items() {
  return {"ITEMS",
          [](TFieldDefs& f) {
            f.Add("NO", FT::ftAutoInc);
            f.Add("DESC", FT::ftString, 10);
          },
          {{{"DESC", "first"}}, {{"DESC", "second"}}}};
}

TableSpec Pass(bool encrypted) {
  return {"PASS",
          [](TFieldDefs& f) {
            f.Add("USERID", FT::ftString, 10);
            f.Add("PRINTER", FT::ftString, 2);
          },
          {{{"USERID", "ADMIN"}, {"PRINTER", "P1"}}, {{"USERID", "CLERK"}, {"PRINTER", "L2"}}},
          encrypted};
}

TableSpec Payroll(const std::string& name) {
  return {name,
          [](TFieldDefs& f) {
            f.Add("EMP_NO", FT::ftString, 12);
            f.Add("AMT", FT::ftCurrency);
          },
          {{{"EMP_NO", "S100"}, {"AMT", "1500"}}, {{"EMP_NO", "S200"}, {"AMT", "2500.5"}}},
          true};
}

std::string Statement(const std::string& table, const std::string& secondLine) {
  return "ALTER TABLE \"" + table + ".ADT\"\r\n" + secondLine + "\r\n";
}

// ---- the statements of every type code and path, on a free table without encryption ----

struct Request {
  std::string table, column, code, size;
  std::string secondLine;  // the statement's second line; empty when nothing may be sent
  enum class Outcome { Done, Rejected, Refused } outcome = Outcome::Done;
  std::string fieldAfter{};  // "NAME:type:size" of the column afterwards, when it matters
};
using O = Request::Outcome;

void PrintTo(const Request& r, std::ostream* os) {
  *os << r.table << "." << r.column << " " << r.code << " " << r.size;
}

class Requests : public Company, public ::testing::WithParamInterface<Request> {};

TEST_P(Requests, SendExactlyTheirStatement) {
  const Request& r = GetParam();
  MakeFreeCompany({Sample(), Items()});
  const auto fieldsBefore = FieldsOf(r.table);
  ace::AdsTraceStart();
  UpgradeColumn(Window(), r.table, r.column, r.code, r.size, false);
  const auto trace = ace::AdsTraceStop();

  const auto sent = PreparedStatements(trace);
  if (r.secondLine.empty())
    EXPECT_THAT(sent, IsEmpty());
  else
    EXPECT_THAT(sent, ElementsAre(Statement(r.table, r.secondLine)));
  EXPECT_THAT(progress, ElementsAre("Updating file : " + r.table + " Field : " + r.column));

  switch (r.outcome) {
    case O::Done:
      EXPECT_THAT(ui.Messages(), IsEmpty());
      if (r.secondLine.empty()) {
        EXPECT_EQ(FieldsOf(r.table), fieldsBefore);
      }
      if (!r.fieldAfter.empty()) {
        EXPECT_THAT(FieldsOf(r.table), Contains(r.fieldAfter));
      }
      break;
    case O::Rejected:
      ASSERT_EQ(ui.Messages().size(), 1u);
      EXPECT_THAT(ui.Messages()[0],
                  EndsWith(" Table Name " + r.table + "\r\n SQL " + Statement(r.table, r.secondLine)));
      EXPECT_EQ(FieldsOf(r.table), fieldsBefore);
      break;
    case O::Refused:
      ASSERT_EQ(ui.Messages().size(), 1u);
      EXPECT_THAT(ui.Messages()[0], StartsWith("Unknown column type " + r.code + " for column " + r.column));
      EXPECT_THAT(ui.Messages()[0], EndsWith("Table Name " + r.table));
      EXPECT_EQ(FieldsOf(r.table), fieldsBefore);
      break;
  }
  // The shared objects as the next request expects them.
  EXPECT_FALSE(AdsTable1.Active());
  EXPECT_TRUE(AdsTable1.Exclusive());
  EXPECT_FALSE(AdsQuery1.Active());
  EXPECT_TRUE(AdsConnection1.IsConnected());
}

INSTANTIATE_TEST_SUITE_P(
    EveryCodeAndPath, Requests,
    ::testing::Values(
        // Add path: the column is missing.
        Request{"SAMPLE", "NEWC", "C", "8", "add column NEWC char(8)", O::Done, "NEWC:ftString:8"},
        Request{"SAMPLE", "NEWM", "$", "1", "add column NEWM curdouble ", O::Done, "NEWM:ftCurrency:0"},
        Request{"SAMPLE", "NEWD", "D", "1", "add column NEWD date ", O::Done, "NEWD:ftDate:0"},
        Request{"SAMPLE", "NEWI", "I", "4", "add column NEWI INTEGER ", O::Done, "NEWI:ftInteger:0"},
        Request{"SAMPLE", "NEWL", "L", "1", "add column NEWL LOGICAL ", O::Done, "NEWL:ftBoolean:0"},
        Request{"SAMPLE", "NEWT", "T", "1", "ADD column NEWT TIME ", O::Done, "NEWT:ftTime:0"},
        Request{"SAMPLE", "NEWB", "B", "1", "add column NEWB BLOB ", O::Done, "NEWB:ftBlob:0"},
        Request{"SAMPLE", "NEWZ", "Z", "8", "add column NEWZ double ", O::Done, "NEWZ:ftFloat:0"},
        Request{"SAMPLE", "NEWA", "+", "4", "add column NEWA AutoInc ", O::Done, "NEWA:ftAutoInc:0"},
        Request{"ITEMS", "ID", "I", "4", "add column ID INTEGER ", O::Done, "ID:ftInteger:0"},
        // "IC" for a missing column sends its conversion form, which the engine rejects.
        Request{"SAMPLE", "NEWX", "IC", "5", "alter column NEWX \"NEWX\" char(5)", O::Rejected},
        // An existing column is left alone by the add codes, whatever its size.
        Request{"SAMPLE", "CODE", "C", "10", "", O::Done, "CODE:ftString:6"},
        Request{"SAMPLE", "QTY", "I", "8", ""},
        Request{"SAMPLE", "AMOUNT", "$", "8", ""},
        // The change test: "AS" and "IC" want a character column of exactly Size.
        Request{"SAMPLE", "CODE", "AS", "6", ""},
        Request{"SAMPLE", "CODE", "AS", "10", "alter column \"CODE\" \"CODE\" char(10)", O::Done, "CODE:ftString:10"},
        Request{"SAMPLE", "QTY", "AS", "4", "alter column \"QTY\" \"QTY\" char(4)", O::Done, "QTY:ftString:4"},
        Request{"SAMPLE", "CODE", "IC", "6", ""},
        Request{"SAMPLE", "QTY", "IC", "6", "alter column \"QTY\" \"QTY\" char(6)", O::Done, "QTY:ftString:6"},
        // Size "0": the conversion forms.
        Request{"SAMPLE", "AMOUNT", "$", "0", ""},
        Request{"SAMPLE", "WIDE", "$", "0", "alter column WIDE WIDE curdouble", O::Done, "WIDE:ftCurrency:0"},
        Request{"SAMPLE", "TXT", "D", "0", "alter column TXT TXT date", O::Done, "TXT:ftDate:0"},
        Request{"SAMPLE", "DAY", "D", "0", "alter column DAY DAY date", O::Done, "DAY:ftDate:0"},
        Request{"SAMPLE", "RATE", "I", "0", "alter column RATE RATE INTEGER", O::Done, "RATE:ftInteger:0"},
        Request{"SAMPLE", "TXT", "L", "0", "alter column TXT TXT Logical", O::Done, "TXT:ftBoolean:0"},
        Request{"SAMPLE", "NOTE", "B", "0", "alter column NOTE NOTE BLOB", O::Done, "NOTE:ftBlob:0"},
        Request{"SAMPLE", "TXT", "T", "0", "alter column TXT TXT TIME", O::Done, "TXT:ftTime:0"},
        // Auto-increment NO and ID take the add path: "AI" converts, any other code is rejected.
        Request{"ITEMS", "NO", "AI", "4", "alter column NO NO INTEGER ", O::Done, "NO:ftInteger:0"},
        Request{"ITEMS", "NO", "C", "4", "add column NO char(4)", O::Rejected},
        Request{"ITEMS", "DESC", "AI", "4", ""},
        // A resize of a missing column adds it at that size.
        Request{"SAMPLE", "NEWS", "AS", "4", "add column NEWS char(4)", O::Done, "NEWS:ftString:4"},
        // Size "0" where the code has no conversion form: the column stays as it is.
        Request{"SAMPLE", "CODE", "C", "0", "", O::Done, "CODE:ftString:6"},
        Request{"SAMPLE", "CODE", "AS", "0", ""},
        Request{"SAMPLE", "CODE", "IC", "0", ""},
        Request{"SAMPLE", "RATE", "Z", "0", "", O::Done, "RATE:ftFloat:0"},
        Request{"SAMPLE", "QTY", "+", "0", ""},
        Request{"ITEMS", "NO", "AI", "0", "", O::Done, "NO:ftAutoInc:0"},
        // An unknown code is said and nothing is sent, for a missing column as for an existing one.
        Request{"SAMPLE", "NEWQ", "Q", "4", "", O::Refused},
        Request{"SAMPLE", "CODE", "Q", "0", "", O::Refused}));

// ---- free tables: encryption, packing, failures ----

class FreeCompany : public Company {};

TEST_F(FreeCompany, ResizeKeepsEveryValueAndTheEncryption) {
  MakeFreeCompany({Pass(true)});
  ace::AdsTraceStart();
  UpgradeColumn(Window(), "PASS", "PRINTER", "AS", "4", true);
  const auto trace = ace::AdsTraceStop();
  const std::string widen = Statement("PASS", "alter column \"PRINTER\" \"PRINTER\" char(4)");
  EXPECT_THAT(PreparedStatements(trace), ElementsAre(widen));
  EXPECT_TRUE(Called(trace, "AdsDecryptTable"));
  EXPECT_TRUE(Called(trace, "AdsPackTable"));
  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_THAT(FieldsOf("PASS"), Contains("PRINTER:ftString:4"));
  EXPECT_TRUE(FileEncrypted("PASS"));
  EXPECT_THAT(RowsOf("PASS", {"USERID", "PRINTER"}), ElementsAre("USERID=ADMIN|PRINTER=P1", "USERID=CLERK|PRINTER=L2"));

  // Already of that length now: the second request only opens the table.
  ace::AdsTraceStart();
  UpgradeColumn(Window(), "PASS", "PRINTER", "AS", "4", true);
  const auto again = ace::AdsTraceStop();
  EXPECT_THAT(PreparedStatements(again), IsEmpty());
  EXPECT_FALSE(Called(again, "AdsDecryptTable"));
  EXPECT_TRUE(FileEncrypted("PASS"));
}

TEST_F(FreeCompany, AddedColumnOnEncryptedTableIsPackedAndEncrypted) {
  MakeFreeCompany({Payroll("EMPLOYEE")});
  ace::AdsTraceStart();
  UpgradeColumn(Window(), "EMPLOYEE", "FWL1TOFWL2", "C", "8", true);
  const auto trace = ace::AdsTraceStop();
  EXPECT_THAT(PreparedStatements(trace), ElementsAre(Statement("EMPLOYEE", "add column FWL1TOFWL2 char(8)")));
  EXPECT_TRUE(Called(trace, "AdsPackTable"));
  EXPECT_TRUE(FileEncrypted("EMPLOYEE"));
  EXPECT_THAT(RowsOf("EMPLOYEE", {"EMP_NO", "AMT", "FWL1TOFWL2"}),
              ElementsAre("EMP_NO=S100|AMT=1500|FWL1TOFWL2=", "EMP_NO=S200|AMT=2500.5|FWL1TOFWL2="));
}

TEST_F(FreeCompany, MissingTableIsSkippedSilently) {
  MakeFreeCompany({Sample()});
  ace::AdsTraceStart();
  UpgradeColumn(Window(), "NOSUCH", "CODE", "C", "8", true);
  DropColumn(Window(), "NOSUCH", "CODE", true);
  const auto trace = ace::AdsTraceStop();
  EXPECT_THAT(PreparedStatements(trace), IsEmpty());
  EXPECT_FALSE(Called(trace, "AdsOpenTable"));
  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_FALSE(kv::fs::FileExists(Folder() + "\\NOSUCH.ADT"));
}

TEST_F(FreeCompany, RejectedStatementLeavesTheTableEncryptedAndWhole) {
  MakeFreeCompany({Payroll("EMPLOYEE")});
  const auto fields = FieldsOf("EMPLOYEE");
  ace::AdsTraceStart();
  UpgradeColumn(Window(), "EMPLOYEE", "NOSUCH", "IC", "5", true);
  const auto trace = ace::AdsTraceStop();
  EXPECT_TRUE(Called(trace, "AdsDecryptTable"));
  EXPECT_FALSE(Called(trace, "AdsPackTable"));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_THAT(ui.Messages()[0], StartsWith("AdsQuery1: "));
  EXPECT_THAT(ui.Messages()[0],
              EndsWith(" Table Name EMPLOYEE\r\n SQL " +
                       Statement("EMPLOYEE", "alter column NOSUCH \"NOSUCH\" char(5)")));
  EXPECT_TRUE(FileEncrypted("EMPLOYEE"));
  EXPECT_EQ(FieldsOf("EMPLOYEE"), fields);
  EXPECT_THAT(RowsOf("EMPLOYEE", {"EMP_NO", "AMT"}), ElementsAre("EMP_NO=S100|AMT=1500", "EMP_NO=S200|AMT=2500.5"));
  EXPECT_FALSE(AdsTable1.Active());
  EXPECT_TRUE(AdsTable1.Exclusive());
}

TEST_F(FreeCompany, TableInUseElsewhereIsReportedAndNotTouched) {
  MakeFreeCompany({Pass(true)});
  engine::TAdsConnection other;
  other.SetConnectPath(Folder());
  engine::TAdsTable held;
  held.SetAdsConnection(&other);
  held.SetTableName("PASS");
  held.Open();  // shared: the exclusive open of the change fails
  ace::AdsTraceStart();
  UpgradeColumn(Window(), "PASS", "PRINTER", "AS", "4", true);
  const auto trace = ace::AdsTraceStop();
  EXPECT_THAT(PreparedStatements(trace), IsEmpty());
  EXPECT_FALSE(Called(trace, "AdsDecryptTable"));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_THAT(ui.Messages()[0],
              EndsWith(" Table Name PASS\r\n SQL " +
                       Statement("PASS", "alter column \"PRINTER\" \"PRINTER\" char(4)")));
  held.Close();
  EXPECT_TRUE(FileEncrypted("PASS"));
  EXPECT_THAT(FieldsOf("PASS"), Contains("PRINTER:ftString:2"));
}

TEST_F(FreeCompany, FailedSharedOpenIsShownAndPassedOn) {
  MakeFreeCompany({Pass(false)});
  engine::TAdsConnection other;
  other.SetConnectPath(Folder());
  engine::TAdsTable held;
  held.SetAdsConnection(&other);
  held.SetTableName("PASS");
  held.SetExclusive(true);
  held.Open();
  EXPECT_THROW(UpgradeColumn(Window(), "PASS", "PRINTER", "AS", "4", false), engine::EADSDatabaseError);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_THAT(ui.Messages()[0], StartsWith("AdsTable1: "));
  EXPECT_THAT(ui.Messages()[0], EndsWith(" Table Name Updating file : PASS Field : PRINTER"));
}

// ---- DropColumn ----

TEST_F(FreeCompany, DropColumnOnEncryptedTable) {
  MakeFreeCompany({Payroll("EMP_ALW")});
  ace::AdsTraceStart();
  DropColumn(Window(), "EMP_ALW", "AMT", true);
  DropColumn(Window(), "EMP_ALW", "AMT", true);  // gone now: nothing more is sent
  const auto trace = ace::AdsTraceStop();
  EXPECT_THAT(PreparedStatements(trace), ElementsAre("ALTER TABLE \"EMP_ALW.ADT\" \r\nDROP column \"AMT\"\r\n"));
  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_THAT(progress, ElementsAre("Updating file : EMP_ALW Field : AMT", "Updating file : EMP_ALW Field : AMT"));
  EXPECT_THAT(FieldsOf("EMP_ALW"), ElementsAre("EMP_NO:ftString:12"));
  EXPECT_TRUE(FileEncrypted("EMP_ALW"));
  EXPECT_THAT(RowsOf("EMP_ALW", {"EMP_NO"}), ElementsAre("EMP_NO=S100", "EMP_NO=S200"));
}

TEST_F(FreeCompany, RefusedDropLeavesTheTableEncrypted) {
  MakeFreeCompany({{"ONECOL", [](TFieldDefs& f) { f.Add("CODE", FT::ftString, 4); }, {{{"CODE", "K1"}}}, true}});
  DropColumn(Window(), "ONECOL", "CODE", true);  // the last column cannot go
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_THAT(ui.Messages()[0], EndsWith(" Table Name Updating file : ONECOL Field : CODE"));
  EXPECT_TRUE(FileEncrypted("ONECOL"));
  EXPECT_THAT(RowsOf("ONECOL", {"CODE"}), ElementsAre("CODE=K1"));
}

// ---- dictionary mode ----

class DictionaryCompany : public Company {
 protected:
  void ExpectBackOnTheDictionary() {
    EXPECT_EQ(AdsConnection1.ConnectPath(), DictionaryPath());
    EXPECT_TRUE(AdsConnection1.IsConnected());
    EXPECT_FALSE(AdsDictionary1.IsConnected());
    EXPECT_EQ(AdsTableCompany.FieldByName("COMPANY_CODE").AsString(), "ABC");
  }
};

TEST_F(DictionaryCompany, DictionaryTableStaysEncryptedThroughTheDictionaryUnpacked) {
  TableSpec htrx = Payroll("P_HTRX");
  MakeDictionaryCompany({htrx});
  ace::AdsTraceStart();
  UpgradeColumn(Window(), "P_HTRX", "BANKAMT", "$", "1", false);  // treated as encrypted all the same
  const auto trace = ace::AdsTraceStop();
  EXPECT_THAT(PreparedStatements(trace), ElementsAre(Statement("P_HTRX", "add column BANKAMT curdouble ")));
  EXPECT_FALSE(Called(trace, "AdsPackTable"));
  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_THAT(RegisteredTables(), ElementsAre("P_HTRX"));
  EXPECT_EQ(Property("P_HTRX", ace::dd_property::kEncryption), 1);
  EXPECT_EQ(Property("P_HTRX", ace::dd_property::kAutoCreate), 1);
  EXPECT_TRUE(FileEncrypted("P_HTRX"));
  EXPECT_THAT(RightsOn("P_HTRX"), ElementsAre("readuser=RI", "KAVENPAY8=RWI", "USER88=RWI", "UTC=RWI"));
  EXPECT_THAT(RowsOf("P_HTRX", {"EMP_NO", "AMT", "BANKAMT"}, true),
              ElementsAre("EMP_NO=S100|AMT=1500|BANKAMT=", "EMP_NO=S200|AMT=2500.5|BANKAMT="));
  ExpectBackOnTheDictionary();
}

TEST_F(DictionaryCompany, RejectedStatementLeavesTheTableRegisteredAndEncrypted) {
  MakeDictionaryCompany({Payroll("EMPLOYEE")});
  UpgradeColumn(Window(), "EMPLOYEE", "NOSUCH", "IC", "5", true);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_THAT(ui.Messages()[0], EndsWith(" SQL " + Statement("EMPLOYEE", "alter column NOSUCH \"NOSUCH\" char(5)")));
  EXPECT_THAT(RegisteredTables(), ElementsAre("EMPLOYEE"));
  EXPECT_EQ(Property("EMPLOYEE", ace::dd_property::kEncryption), 1);
  EXPECT_TRUE(FileEncrypted("EMPLOYEE"));
  EXPECT_THAT(RightsOn("EMPLOYEE"), ElementsAre("readuser=RI", "KAVENPAY8=RWI", "USER88=RWI", "UTC=RWI"));
  EXPECT_THAT(RowsOf("EMPLOYEE", {"EMP_NO"}, true), ElementsAre("EMP_NO=S100", "EMP_NO=S200"));
  ExpectBackOnTheDictionary();
}

TEST_F(DictionaryCompany, OtherTablesKeepTheirEncryptionAndArePackedWhenAsked) {
  TableSpec pass = Pass(true);
  TableSpec clear = Sample(false);
  MakeDictionaryCompany({pass, clear});
  // Encrypted by the dictionary, but the request does not say so: it comes back encrypted, not packed.
  ace::AdsTraceStart();
  UpgradeColumn(Window(), "PASS", "PRINTER", "AS", "4", false);
  auto trace = ace::AdsTraceStop();
  EXPECT_FALSE(Called(trace, "AdsPackTable"));
  EXPECT_EQ(Property("PASS", ace::dd_property::kEncryption), 1);
  EXPECT_THAT(RowsOf("PASS", {"USERID", "PRINTER"}, true),
              ElementsAre("USERID=ADMIN|PRINTER=P1", "USERID=CLERK|PRINTER=L2"));
  // Encrypted asked for on a clear table: the dictionary encrypts it, and it is packed.
  ace::AdsTraceStart();
  UpgradeColumn(Window(), "SAMPLE", "NEWC", "C", "3", true);
  trace = ace::AdsTraceStop();
  EXPECT_TRUE(Called(trace, "AdsPackTable"));
  EXPECT_EQ(Property("SAMPLE", ace::dd_property::kEncryption), 1);
  EXPECT_THAT(FieldsOf("SAMPLE", true), Contains("NEWC:ftString:3"));
  EXPECT_THAT(ui.Messages(), IsEmpty());
  ExpectBackOnTheDictionary();
}

TEST_F(DictionaryCompany, UnregisteredTableInTheFolderIsRegisteredWithRights) {
  MakeDictionaryCompany({Pass(false)});
  {
    engine::TAdsConnection folder;
    folder.SetConnectPath(Folder());
    engine::TAdsTable t;
    t.SetAdsConnection(&folder);
    t.SetTableName("EXTRA");
    t.FieldDefs.Add("CODE", FT::ftString, 4);
    t.CreateTable();
  }
  UpgradeColumn(Window(), "EXTRA", "NAME", "C", "20", false);
  EXPECT_THAT(ui.Messages(), IsEmpty());
  EXPECT_THAT(RegisteredTables(), ElementsAre("PASS", "EXTRA"));
  EXPECT_EQ(Property("EXTRA", ace::dd_property::kAutoCreate), 1);
  EXPECT_THAT(RightsOn("EXTRA"), ElementsAre("readuser=RI", "KAVENPAY8=RWI", "USER88=RWI", "UTC=RWI"));
  EXPECT_THAT(FieldsOf("EXTRA", true), ElementsAre("CODE:ftString:4", "NAME:ftString:20"));
  ExpectBackOnTheDictionary();
}

}  // namespace
}  // namespace kv::upgrade::testing
