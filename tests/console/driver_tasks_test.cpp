// The driver's own per-company tasks, through runs as Process makes them: companies registered from their
// folders, FIN numbers, the standard reminder codes and the employee record walk; and the single-purpose options
// that end a company's run after their task.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "console_fixture.h"

namespace kv::console::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class DriverTasks : public Installation {
 protected:
  std::unique_ptr<TForm1> Form() {
    auto form = StartedForm();
    form->Clock = [] { return kv::DateTime(kv::Date::FromYmd(2026, 12, 10), 14, 5, 9); };
    return form;
  }

  // The tables the employee tasks read, beside those of every run: employees (encrypted, as the suite keeps
  // them), their employment and other details, family, set-up, cost centres, codes, careers and reminders.
  void AddEmployeeTables(const std::string& code) {
    auto& c = Connect(code);
    MakeTable(c, {"EMPLOYEE",
                  [](TFieldDefs& f) {
                    for (const char* n : {"EMP_NO", "EMP_NAME", "NEW_IC", "INCOME_TAX_AC_NO", "EMP_PASS_AC_NO",
                                          "TEL_NO", "EMG_TEL", "EMG_TEL2", "SPOUSE_PHONE", "SEX_TITLE",
                                          "SPOUSE_JOB_CODE", "SPOUSE_NAME", "COST_CENTRE_CODE", "NS_SERVICE", "DIVISION_CODE"})
                      f.Add(n, FT::ftString, 20);
                    f.Add("HIRED_DATE", FT::ftDate);
                    f.Add("CHANGE_DATE", FT::ftDate);
                  },
                  {"EMP_NO=EMP_NO"}});
    AppendRows(c, "EMPLOYEE",
               {{{"EMP_NO", "E1"}, {"NEW_IC", "S1234567/D"}, {"TEL_NO", "6123456"}, {"EMG_TEL", "61234567"},
                 {"EMP_PASS_AC_NO", "G0000000A"}, {"SEX_TITLE", "DR"}, {"COST_CENTRE_CODE", "CC1"},
                 {"HIRED_DATE", "2005-03-01"}},
                {{"EMP_NO", "E2"}, {"INCOME_TAX_AC_NO", "T1"}, {"EMP_PASS_AC_NO", "G1111111B"},
                 {"COST_CENTRE_CODE", "CC2"}},
                {{"EMP_NO", "E3"}, {"EMP_PASS_AC_NO", "1234"}, {"COST_CENTRE_CODE", "CC3"}}});
    EncryptFree(c, "EMPLOYEE");
    MakeTable(c, {"EMPLOYMT", [](TFieldDefs& f) { Strings(f, {"EMP_NO", "UNIT", "TENURE_SERV", "STATE", "REMARK"}, 8); },
                  {"EMP_NO=EMP_NO"}});
    AppendRows(c, "EMPLOYMT", {{{"EMP_NO", "E1"}, {"REMARK", "KEEP"}}});
    MakeTable(c, {"EMPMISC", [](TFieldDefs& f) { Strings(f, {"EMP_NO", "BOOLEAN10", "CHAR1"}, 8); }, {"EMP_NO=EMP_NO"}});
    MakeTable(c, {"FAMILY", [](TFieldDefs& f) { Strings(f, {"EMP_CODE", "IC_PASSPORT_NUM", "RELATIONSHIP"}, 16); },
                  {"EMP_CODE=EMP_CODE;IC_PASSPORT_NUM"}});
    MakeTable(c, {"SETUP", [](TFieldDefs& f) { Strings(f, {"Empid", "Empcom"}, 12); }, {"EMPID=Empid;Empcom"}});
    MakeTable(c, {"COSTCTR",
                  [](TFieldDefs& f) {
                    Strings(f, {"EMPCODE", "PERIOD", "COST_CENTRE"}, 12);
                    f.Add("PERCENT", FT::ftCurrency);
                  },
                  {"EMPCODE=EMPCODE;PERIOD;COST_CENTRE"}});
    AppendRows(c, "COSTCTR",
               {{{"EMPCODE", "E1"}, {"PERIOD", "200201"}, {"COST_CENTRE", "X"}, {"PERCENT", "40"}},
                {{"EMPCODE", "E1"}, {"PERIOD", "200201"}, {"COST_CENTRE", "Y"}, {"PERCENT", "60"}},
                {{"EMPCODE", "E1"}, {"PERIOD", "200301"}, {"COST_CENTRE", "X"}, {"PERCENT", "100"}}});
    MakeTable(c, {"CODE", [](TFieldDefs& f) { Strings(f, {"CATEGORY", "CODE", "DESC", "N1CLAIM", "METHOD"}, 8); },
                  {"CATEGORY=CATEGORY;CODE"}});
    MakeTable(c, {"EMP_PROS",
                  [](TFieldDefs& f) {
                    Strings(f, {"EMP_CODE", "SALTYPE"}, 12);
                    f.Add("PAY_EFFECTIVE_DATE", FT::ftDate);
                    f.Add("PROGRESSION_DATE", FT::ftDate);
                    f.Add("ID", FT::ftInteger);
                    f.Add("PERCENT", FT::ftCurrency);
                    f.Add("NEW_SALARY", FT::ftCurrency);
                  },
                  {"EMP_CODE=EMP_CODE;PAY_EFFECTIVE_DATE;ID", "PROGRESS=EMP_CODE;PROGRESSION_DATE"}});
    AppendRows(c, "EMP_PROS", {{{"EMP_CODE", "E1"}, {"SALTYPE", "H"}}, {{"EMP_CODE", "E2"}, {"PERCENT", "80"}}});
    MakeTable(c, {"NSMAN",
                  [](TFieldDefs& f) {
                    Strings(f, {"EMP_CODE", "NS_PSA_SERVICE"}, 12);
                    f.Add("ID", FT::ftInteger);
                    f.Add("ENLISTMENT_DATE", FT::ftDate);
                    f.Add("NS_ORD", FT::ftDate);
                  },
                  {"EMP_CODE=EMP_CODE;ID"}});
    AppendRows(c, "NSMAN", {{{"EMP_CODE", "E1"}, {"NS_PSA_SERVICE", "Y"}, {"ID", "1"},
                             {"ENLISTMENT_DATE", "2000-01-01"}, {"NS_ORD", "2001-12-31"}}});
    MakeTable(c, {"AUTOSET",
                  [](TFieldDefs& f) {
                    Strings(f, {"RPTTYPE", "REPCODE", "REPDESC", "FIELDNAME", "DATABASENAME", "VALUE"}, 40);
                    f.Add("ENABLED", FT::ftBoolean);
                  },
                  {"RPTTYPE=RPTTYPE;REPCODE"}});
    AppendRows(c, "AUTOSET", {{{"RPTTYPE", "OTH"}, {"REPCODE", "08"}, {"REPDESC", "OWN WORDING"}}});
  }

  static void Strings(TFieldDefs& f, std::initializer_list<const char*> names, int size) {
    for (const char* n : names) f.Add(n, FT::ftString, size);
  }
  static void EncryptFree(engine::TAdsConnection& c, const std::string& table) {
    engine::TAdsTable t;
    t.SetAdsConnection(&c);
    t.SetTableName(table);
    t.SetExclusive(true);
    t.Open();
    t.EnableEncryption(engine::kTablePassword);
    t.EncryptTable();
    t.Close();
  }
  std::vector<std::string> Employees(const std::vector<std::string>& fields) { return Rows("EMPLOYEE", fields); }
  // The rows of a table of company A, with the password where the run left the table encrypted.
  std::vector<std::string> Rows(const std::string& table, const std::vector<std::string>& fields) {
    auto& a = Connect("A");
    return RowsOf(a, table, fields, IsEncrypted(a, table));
  }
  void RunWith(std::initializer_list<const char*> ticked) {
    auto form = Form();
    for (const char* option : ticked) form->Option(option).Click();
    ASSERT_TRUE(form->SelectCompany("A", true));
    ui.AnswerNext(true);
    form->BitBtn1Click();
    EXPECT_TRUE(form->Closed());
  }
};

// Folders under COMPANY: "A" is registered, "NEW1" is not, "A.OLD" is a copy put aside and "NOTES" a plain file.
TEST_F(DriverTasks, FoldersMissingFromTheRegistryAreOfferedAndRegisteredButNotProcessedInThatRun) {
  MakeRegistry({{"A", "AY", ""}});
  MakeCompany("A");
  for (const char* folder : {"New1", "A.OLD"}) {
    kv::fs::CreateFolders(CompanyPath(folder));
    MakeTable(Connect(folder), {"PAYPARA1",
                                [](TFieldDefs& f) {
                                  f.Add("YEAR", FT::ftString, 4);
                                  f.Add("COMPANY", FT::ftString, 40);
                                },
                                {"YEAR=YEAR"}});
    AppendRows(Connect(folder), "PAYPARA1",
               {{{"YEAR", "2008"}, {"COMPANY", "OLD NAME"}}, {{"YEAR", "2009"}, {"COMPANY", "NEW ONE PTE LTD"}}});
    EncryptFree(Connect(folder), "PAYPARA1");
  }
  dir.Write("COMPANY/NOTES", "not a company");
  auto form = Form();
  form->CheckBoxDir.Click();  // re-applies "select all" (not ticked): nothing selected
  ASSERT_TRUE(form->SelectCompany("A", true));
  ui.AnswerNext(true);
  ui.AnswerNext(true);
  form->BitBtn1Click();

  std::vector<std::string> confirmations;
  for (const auto& e : ui.Events())
    if (e.kind == kv::ui::ScriptedUi::Event::Kind::Confirm) confirmations.push_back(e.text);
  EXPECT_THAT(confirmations, ElementsAre("Do you wish to proceed this function ?",
                                         "Do you want to create company code New1 ?"));
  engine::TAdsConnection registry;
  registry.SetConnectPath(DataPath());
  EXPECT_THAT(RowsOf(registry, "mcompany.ADT", {"COMPANY_CODE", "COMPANY_NAME", "PAYROLL_ACCESS_NO", "MERGE"}),
              ElementsAre("COMPANY_CODE=A|COMPANY_NAME=AY|PAYROLL_ACCESS_NO=|MERGE=",
                          "COMPANY_CODE=NEW1|COMPANY_NAME=NEW ONE PTE LTD|PAYROLL_ACCESS_NO=0|MERGE="));
  // A was upgraded and backed up; the new company was not touched.
  EXPECT_EQ(VersionOf("A"), "VERSION=9.07");
  EXPECT_TRUE(kv::fs::FindFiles(DataPath() + "BACKUP\\NEW1*.zip").empty());
  EXPECT_FALSE(kv::fs::FindFiles(DataPath() + "BACKUP\\A *.zip").empty());
  EXPECT_THAT(ui.Messages(), IsEmpty());
}

TEST_F(DriverTasks, TheEmployeeWalkAndTheReminderCodesInTheNormalFlowTwiceInARow) {
  MakeRegistry({{"A", "AY", ""}});
  MakeCompany("A");
  AddEmployeeTables("A");
  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE(run);
    RunWith({"CheckBoxaddr", "CheckBoxNS", "CheckBoxCost"});
    EXPECT_THAT(ui.Messages(), IsEmpty());
  }
  // Seven-character numbers get the 6 once; eight characters stay. E1 served national service for 731 days.
  EXPECT_THAT(Employees({"EMP_NO", "TEL_NO", "EMG_TEL", "NS_SERVICE", "CHANGE_DATE"}),
              ElementsAre("EMP_NO=E1|TEL_NO=66123456|EMG_TEL=61234567|NS_SERVICE=T|CHANGE_DATE=2003-03-01",
                          "EMP_NO=E2|TEL_NO=|EMG_TEL=|NS_SERVICE=F|CHANGE_DATE=",
                          "EMP_NO=E3|TEL_NO=|EMG_TEL=|NS_SERVICE=F|CHANGE_DATE="));
  // Exactly twelve 2002 records at 100 percent for each employee; other years kept.
  const auto costs = Rows("COSTCTR", {"EMPCODE", "PERIOD", "COST_CENTRE", "PERCENT"});
  EXPECT_EQ(costs.size(), 37u);
  EXPECT_THAT(costs, Contains("EMPCODE=E1|PERIOD=200301|COST_CENTRE=X|PERCENT=100"));
  EXPECT_THAT(costs, Contains("EMPCODE=E2|PERIOD=200212|COST_CENTRE=CC2|PERCENT=100"));
  EXPECT_EQ(std::count(costs.begin(), costs.end(), "EMPCODE=E1|PERIOD=200201|COST_CENTRE=CC1|PERCENT=100"), 1);
  // Every employee has its employment and other details, new ones with NONE in their 8-character texts.
  EXPECT_THAT(Rows("EMPLOYMT", {"EMP_NO", "UNIT", "STATE", "REMARK"}),
              ElementsAre("EMP_NO=E1|UNIT=|STATE=|REMARK=KEEP", "EMP_NO=E2|UNIT=NONE|STATE=|REMARK=NONE",
                          "EMP_NO=E3|UNIT=NONE|STATE=|REMARK=NONE"));
  EXPECT_EQ(Rows("EMPMISC", {"EMP_NO"}).size(), 3u);
  // Career defaults where empty. The title became a code; so did the unit "NONE" the first walk gave the new
  // employment records, as the second walk found it.
  EXPECT_THAT(Rows("EMP_PROS", {"EMP_CODE", "SALTYPE", "PERCENT"}),
              ElementsAre("EMP_CODE=E1|SALTYPE=H|PERCENT=100", "EMP_CODE=E2|SALTYPE=M|PERCENT=80"));
  // The two leave types list D adds come first in the code order (their descriptions cut to this table's width).
  EXPECT_THAT(Rows("CODE", {"CATEGORY", "CODE", "DESC"}),
              ElementsAre("CATEGORY=LEA|CODE=ECHILD|DESC=Enhanced", "CATEGORY=LEA|CODE=INFANT|DESC=Infant C",
                          "CATEGORY=SEX|CODE=DR|DESC=DR", "CATEGORY=UNT|CODE=NONE|DESC="));
  // The standard "other" reminder codes, added once; a code already there keeps its own wording.
  const auto reminders = Rows("AUTOSET", {"RPTTYPE", "REPCODE", "REPDESC", "ENABLED"});
  EXPECT_EQ(reminders.size(), 11u);
  EXPECT_EQ(reminders.front(), "RPTTYPE=OTH|REPCODE=08|REPDESC=OWN WORDING|ENABLED=");
  EXPECT_THAT(reminders, Contains("RPTTYPE=OTH|REPCODE=16|REPDESC=PASSPORT EXPIRY DATE|ENABLED=True"));
}

TEST_F(DriverTasks, FinNumbersAndNricSlashesEndTheCompanysRunAfterTheirTask) {
  MakeRegistry({{"A", "AY", ""}});
  MakeCompany("A");
  AddEmployeeTables("A");
  RunWith({"removeNRIC"});
  EXPECT_THAT(Employees({"NEW_IC", "INCOME_TAX_AC_NO"}),
              ElementsAre("NEW_IC=S1234567D|INCOME_TAX_AC_NO=", "NEW_IC=|INCOME_TAX_AC_NO=T1",
                          "NEW_IC=|INCOME_TAX_AC_NO="));
  EXPECT_EQ(VersionOf("A"), "VERSION=8.5");
  RunWith({"CheckBoxFin"});
  // A pass number starting with a letter fills an empty tax number; one starting with a digit does not.
  EXPECT_THAT(Employees({"INCOME_TAX_AC_NO"}),
              ElementsAre("INCOME_TAX_AC_NO=G0000000A", "INCOME_TAX_AC_NO=T1", "INCOME_TAX_AC_NO="));
  EXPECT_EQ(VersionOf("A"), "VERSION=8.5");
  EXPECT_EQ(RowsOf(Connect("A"), "AUTOSET", {"REPCODE"}).size(), 1u);  // the normal flow's later part did not run
  EXPECT_THAT(ui.Messages(), IsEmpty());
}

}  // namespace
}  // namespace kv::console::testing
