// The 2013 CPF rates as a step of the company run: after the tables are made, under "Update latest September's
// 2011 CPF table?", with its line in Edit2.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/console_fixture.h"
#include "cpf_tables.h"

namespace kv::rates::testing {
namespace {

using ::testing::Contains;
using ::testing::Each;
using ::testing::HasSubstr;
using ::testing::Not;

class CpfRunStep : public kv::console::testing::Installation {
 protected:
  // A selected company whose CPFNEW2 is there and empty (as an older release left it; the run's table creation
  // keeps it); the run's Edit2 lines are kept.
  std::unique_ptr<kv::console::TForm1> Company(const std::string& code) {
    MakeRegistry({{code, code + " PTE LTD", "1"}});
    MakeCompany(code);
    MakeCpfnew2(Connect(code));
    auto form = StartedForm();
    form->Edit2.Subscribe([this](const std::string& text) { steps.push_back(text); });
    ui.AnswerNext(true);
    return form;
  }
  std::vector<std::string> CpfRows(const std::string& code) {
    return kv::console::testing::RowsOf(Connect(code), "CPFNEW2", {"YEAR", "CPF_CAT", "CPF_AGE_TYPE"});
  }
  std::vector<std::string> steps;
};

TEST_F(CpfRunStep, TickedTheRunLoadsThe2013RatesAfterTheTables) {
  auto form = Company("ABC");
  ASSERT_TRUE(form->chkCPFFWL.Checked());  // ticked unless the administrator unticks it
  form->BitBtn1Click();
  EXPECT_TRUE(form->Closed());
  const std::vector<std::string> rows = CpfRows("ABC");
  EXPECT_EQ(rows.size(), 88u);
  EXPECT_EQ(rows.front(), "YEAR=2013|CPF_CAT=VOL1|CPF_AGE_TYPE=1");
  EXPECT_EQ(rows.back(), "YEAR=2013|CPF_CAT=COW|CPF_AGE_TYPE=1");
  // The step's line follows the company's connect path, which the table creation shows.
  const auto line = std::find(steps.begin(), steps.end(), "UPDATE TABLE : CPFNEW2.ADT");
  ASSERT_NE(line, steps.end());
  ASSERT_NE(line, steps.begin());
  EXPECT_EQ(*(line - 1), CompanyPath("ABC"));
}

// A second run finds every row there: nothing is added, and the statements the run sends through AdsQuery1
// after the rates are not refused for a query left open on the last count.
TEST_F(CpfRunStep, ASecondRunAddsNothingAndTheLaterStepsStillRun) {
  Company("ABC")->BitBtn1Click();
  const std::vector<std::string> first = CpfRows("ABC");
  auto again = StartedForm();
  ASSERT_TRUE(again->SelectCompany("ABC", true));
  ui.AnswerNext(true);
  again->BitBtn1Click();
  EXPECT_TRUE(again->Closed());
  EXPECT_EQ(CpfRows("ABC"), first);
  EXPECT_THAT(ui.Messages(), Each(Not(HasSubstr("open dataset"))));
}

TEST_F(CpfRunStep, UntickedTheRunLeavesCpfnew2AsItWas) {
  auto form = Company("ABC");
  form->chkCPFFWL.Click();
  ASSERT_FALSE(form->chkCPFFWL.Checked());
  form->BitBtn1Click();
  EXPECT_TRUE(form->Closed());
  EXPECT_EQ(CpfRows("ABC").size(), 0u);
  EXPECT_THAT(steps, Not(Contains("UPDATE TABLE : CPFNEW2.ADT")));
}

}  // namespace
}  // namespace kv::rates::testing
