// The catalogue's creators in the run: SUPVRTBL at run start under its own guard, every missing company table
// in each company with no guard around it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "catalogue/catalogue.h"
#include "console_fixture.h"

namespace kv::console::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class TableCreation : public Installation {
 protected:
  std::unique_ptr<TForm1> Form() {
    auto form = StartedForm();
    form->CheckBoxbackup.SetChecked(false);
    ui.AnswerNext(true);
    return form;
  }
  std::uint64_t RowCount(engine::TAdsConnection& c, const std::string& name) {
    engine::TAdsTable table;
    table.SetAdsConnection(&c);
    table.SetTableName(name);
    table.Open();
    const std::uint64_t rows = table.RecordCount();
    table.Close();
    return rows;
  }
};

TEST_F(TableCreation, ARunMakesEveryMissingTableAndTheSharedSupervisorTable) {
  MakeRegistry({{"A", "AY", "1"}});
  MakeCompany("A");
  auto form = Form();
  form->BitBtn1Click();

  EXPECT_TRUE(form->Closed());
  for (const std::string& message : ui.Messages()) EXPECT_THAT(message, Not(HasSubstr("Could Not Be Created")));
  for (const auto& definition : kv::catalogue::CompanyTables()) {
    std::string file = CompanyPath("A") + "\\" + std::string(definition.name);
    if (file.find('.', file.rfind('\\')) == std::string::npos) file += ".adt";
    EXPECT_TRUE(kv::fs::FileExists(file)) << file;
  }
  auto& a = Connect("A");
  EXPECT_EQ(RowCount(a, "IRAS_NAT_2007"), 244u);
  EXPECT_EQ(RowCount(a, "CPFNEW"), 61u);
  EXPECT_TRUE(kv::fs::FileExists(DataPath() + "SHARE_FOLDER\\SUPVRTBL.ADT"));
  EXPECT_EQ(VersionOf("A"), "VERSION=9.07");
}

TEST_F(TableCreation, ASupervisorTableThatCannotBeMadeIsShownAndTheRunGoesOn) {
  MakeRegistry({{"A", "AY", "0"}});
  std::filesystem::create_directories(dir.Path() / "SHARE_FOLDER" / "SUPVRTBL.ADT");
  auto form = Form();
  form->BitBtn1Click();

  const auto messages = ui.Messages();
  ASSERT_EQ(messages.size(), 2u) << ::testing::PrintToString(messages);
  EXPECT_EQ(messages[0], "Table SUPVRTBL.ADT Could Not Be Created");
  EXPECT_THAT(messages[1], ::testing::EndsWith(DataPath() + "SHARE_FOLDER"));
  EXPECT_GT(messages[1].size(), (DataPath() + "SHARE_FOLDER").size());
  EXPECT_TRUE(form->Closed());
}

TEST_F(TableCreation, ACompanyTableThatCannotBeMadeEndsTheRun) {
  MakeRegistry({{"A", "AY", "1"}});
  MakeCompany("A");
  std::filesystem::create_directories(dir.Path() / "COMPANY" / "A" / "CodeRate.ADT");
  auto form = Form();
  EXPECT_THROW(form->BitBtn1Click(), engine::EADSDatabaseError);

  // The box is the last thing shown: the run ended there.
  const auto messages = ui.Messages();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back(), "Table CodeRate.adt Could Not Be Created");
  EXPECT_EQ(std::count(messages.begin(), messages.end(), messages.back()), 1);
  EXPECT_FALSE(form->Closed());
  EXPECT_FALSE(form->BitBtn1.enabled.Get());
  EXPECT_FALSE(kv::fs::FileExists(CompanyPath("A") + "\\WK_TEMP.ADT"));
  EXPECT_EQ(VersionOf("A"), "VERSION=8.5");
}

}  // namespace
}  // namespace kv::console::testing
