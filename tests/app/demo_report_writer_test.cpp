// The report writer's tables of a demo company after a whole run through the window: the catalogue rows the
// release registers with their values, the repairs, the labels and variables added, the claim template copied
// from the update archive, and, with "Rearrange Custom Report", the allowance fields renumbered.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/demo/installation.h"
#include "common/temp_folder.h"
#include "console/console_fixture.h"
#include "console/form.h"
#include "engine/engine.h"
#include "platform/fs.h"
#include "platform/ui.h"
#include "upgrade/report_field_rows.h"

namespace kv::console {
namespace {

using ::testing::ElementsAre;

class DemoReportWriter : public ::testing::Test {
 protected:
  // One free-table company of three employees, in the layouts of today's tables (the lists find less to do).
  void SetUp() override {
    demo::DemoOptions options;
    options.dir = dir.Path().string();
    options.companies = 1;
    options.employees = 3;
    options.dictionaries = 0;
    options.olderColumnLayouts = false;
    demo::MakeDemoInstallation(options);
  }

  std::unique_ptr<TForm1> RunWith(const std::vector<std::string>& ticked, const std::string& edit3 = "") {
    auto form = std::make_unique<TForm1>(ui, dir.SuitePath() + "kv8mtn.exe");
    form->FormCreate();
    form->FormShow();
    for (const std::string& name : ticked) form->Option(name).SetChecked(true);
    form->Edit3.SetText(edit3);
    EXPECT_TRUE(form->SelectCompany("DEMO01", true));
    form->Edit1.Subscribe([this](const std::string& text) { progress.push_back(text); });
    ui.AnswerNext(true);
    form->BitBtn1Click();
    EXPECT_TRUE(form->Closed());
    return form;
  }

  // "FIELD=value|..." of every row; sorted when asked, so that rows read in the order of their leading fields.
  std::vector<std::string> Rows(const std::string& table, const std::vector<std::string>& fields,
                                bool sorted = false) {
    engine::TAdsConnection c;
    c.SetConnectPath(dir.SuitePath() + "COMPANY\\DEMO01");
    std::vector<std::string> rows = testing::RowsOf(c, table, fields);
    if (sorted) std::sort(rows.begin(), rows.end());
    return rows;
  }

  std::map<std::string, std::string> Catalogue() {
    std::map<std::string, std::string> rows;
    for (const std::string& row : Rows("RTABLE", {"NO", "NO2", "HEADING", "DATABASE1", "FIELD", "CODE", "WIDTH",
                                                  "TYPE1", "HIDE_WAGE"}))
      rows[row.substr(3, row.find('|') - 3)] = row;
    return rows;
  }

  static std::string RowOf(const upgrade::ReportField& f, std::string_view width) {
    return "NO=" + std::string(f.no) + "|NO2=" + std::string(f.no2) + "|HEADING=" + std::string(f.heading) +
           "|DATABASE1=" + std::string(f.database1) + "|FIELD=" + std::string(f.field) + "|CODE=" +
           std::string(f.code) + "|WIDTH=" + std::string(width) + "|TYPE1=" + std::string(f.type1) +
           "|HIDE_WAGE=" + std::string(f.hideWage);
  }

  kv::testing::TempFolder dir;
  kv::ui::ScriptedUi ui;
  std::vector<std::string> progress;  // Edit1
};

TEST_F(DemoReportWriter, TheRunRegistersRepairsAndCopiesTheClaimTemplate) {
  const auto form = RunWith({"CheckBox4"}, "3");
  EXPECT_THAT(ui.Messages(), ::testing::IsEmpty());
  EXPECT_TRUE(form->wwTableRtable.Filtered());
  EXPECT_EQ(form->wwTableRtable.Filter(), "database1='ALLW'");

  const auto catalogue = Catalogue();
  // The template update's rows are the run's last word on their numbers.
  for (const upgrade::ReportField& f : upgrade::TemplateRegistrations())
    EXPECT_EQ(catalogue.at(std::string(f.no)), RowOf(f, f.width));
  // The lists' other rows, after the run's statement that widens the widths of 20 and 30 to 60.
  for (const upgrade::ReportField& f : upgrade::ListRegistrationRows()) {
    bool later = false;
    for (const upgrade::ReportField& t : upgrade::TemplateRegistrations()) later = later || t.no == f.no;
    if (!later) {
      EXPECT_EQ(catalogue.at(std::string(f.no)), RowOf(f, f.width == "30" ? "60" : f.width));
    }
  }
  EXPECT_EQ(catalogue.count("710"), 0u);
  EXPECT_EQ(catalogue.at("1212").substr(0, 16), "NO=1212|NO2=900|");
  EXPECT_THAT(catalogue.at("1059"), ::testing::HasSubstr("|CODE=WARD_CLASS|"));
  EXPECT_THAT(catalogue.at("80"), ::testing::HasSubstr("|HEADING=JOB GRADE|"));

  EXPECT_EQ(Rows("FREEFIELD", {"CTLFIELD"}).size(), 15u);
  EXPECT_EQ(Rows("FORMULA", {"FIELD"}).size(), 16u);
  // Template 3 as the release ships it; 1 and 2 as the company had them; the extracted copy gone again.
  EXPECT_THAT(Rows("CLMTMPL", {"TMPLNO", "FIELDNO", "FIELDNAME"}, true),
              ElementsAre("TMPLNO=1|FIELDNO=1|FIELDNAME=CLINIC", "TMPLNO=1|FIELDNO=2|FIELDNAME=DIAGNOSIS",
                          "TMPLNO=1|FIELDNO=3|FIELDNAME=RECEIPT", "TMPLNO=2|FIELDNO=1|FIELDNAME=CLINIC",
                          "TMPLNO=2|FIELDNO=2|FIELDNAME=TREATMENT", "TMPLNO=3|FIELDNO=1|FIELDNAME=FROM",
                          "TMPLNO=3|FIELDNO=2|FIELDNAME=TO", "TMPLNO=3|FIELDNO=3|FIELDNAME=PURPOSE",
                          "TMPLNO=3|FIELDNO=4|FIELDNAME=VEHICLE", "TMPLNO=3|FIELDNO=5|FIELDNAME=MILEAGE",
                          "TMPLNO=3|FIELDNO=6|FIELDNAME=TOLL"));
  EXPECT_THAT(progress, ::testing::Contains("unZipping : CLMTMPL.ADT Percentage : 100"));
  EXPECT_FALSE(fs::FileExists(dir.SuitePath() + "CLMTMPL.ADT"));
  EXPECT_TRUE(fs::FileExists(dir.SuitePath() + "UPDATEKV8.ZIP"));
}

TEST_F(DemoReportWriter, RearrangeCustomReportRenumbersTheAllowancesAndEndsTheCompanyBeforeItsTables) {
  const auto form = RunWith({"CheckBoxRearrange"});
  EXPECT_THAT(ui.Messages(), ::testing::IsEmpty());
  // From 1500 in the order of the codes, every year of a code under one number.
  EXPECT_THAT(Rows("ALLOWNCE", {"ALLOW_CODE", "YEAR", "TRNNO"}, true),
              ElementsAre("ALLOW_CODE=CAR|YEAR=2009|TRNNO=1500", "ALLOW_CODE=CAR|YEAR=2010|TRNNO=1500",
                          "ALLOW_CODE=HOUSING|YEAR=2009|TRNNO=1501", "ALLOW_CODE=HOUSING|YEAR=2010|TRNNO=1501",
                          "ALLOW_CODE=MEAL|YEAR=2009|TRNNO=1502", "ALLOW_CODE=MEAL|YEAR=2010|TRNNO=1502",
                          "ALLOW_CODE=PHONE|YEAR=2009|TRNNO=1503", "ALLOW_CODE=PHONE|YEAR=2010|TRNNO=1503",
                          "ALLOW_CODE=SHIFT|YEAR=2009|TRNNO=1504", "ALLOW_CODE=SHIFT|YEAR=2010|TRNNO=1504",
                          "ALLOW_CODE=TRANS|YEAR=2009|TRNNO=1505", "ALLOW_CODE=TRANS|YEAR=2010|TRNNO=1505"));
  EXPECT_THAT(Rows("TRNNO", {"TRNNO"}), ElementsAre("TRNNO=1506"));
  const auto catalogue = Catalogue();
  EXPECT_EQ(catalogue.count("1001"), 0u);
  EXPECT_EQ(catalogue.at("1505"),
            "NO=1505|NO2=|HEADING=TRANSPORT ALLOWANCE|DATABASE1=ALLW|FIELD=TRANS|CODE=AMOUNT|WIDTH=12|TYPE1=N|"
            "HIDE_WAGE=T");
  EXPECT_THAT(Rows("RTPDETL", {"ID", "FIELD", "COL"}),
              ElementsAre("ID=1|FIELD=EMP_NO|COL=1", "ID=2|FIELD=EMP_NAME|COL=2", "ID=3|FIELD=NETT_WAGE|COL=203",
                          "ID=4|FIELD=TRANS|COL=1505", "ID=5|FIELD=MEAL|COL=1502", "ID=6|FIELD=EMP_NO|COL=1",
                          "ID=7|FIELD=CAR|COL=1500", "ID=8|FIELD=SHIFT|COL=1504", "ID=9|FIELD=HOUSING|COL=1501"));
  EXPECT_TRUE(form->wwTableRtable.Filtered());
  EXPECT_TRUE(form->wwTableRep.Filtered());
  // The company ended after the second renumbering: its version is not written.
  EXPECT_THAT(Rows("PAYPARA", {"VERSION"}), ElementsAre("VERSION=8.5"));
}

}  // namespace
}  // namespace kv::console
