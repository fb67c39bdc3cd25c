// The window's Check and Last run buttons: the company the grid stands on, looked at without a run.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "console_fixture.h"

namespace kv::console::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

class WindowReports : public Installation {
 protected:
  // The titled boxes shown so far.
  std::vector<kv::ui::ScriptedUi::Event> Boxes() const {
    std::vector<kv::ui::ScriptedUi::Event> boxes;
    for (const auto& event : ui.Events())
      if (event.kind == kv::ui::ScriptedUi::Event::Kind::Box) boxes.push_back(event);
    return boxes;
  }
};

TEST_F(WindowReports, CheckAndLastRunOfTheCompanyInTheGrid) {
  MakeRegistry({{"A", "A PTE LTD", ""}});
  MakeCompany("A");
  auto form = StartedForm();

  form->ButtonLastRunClick();
  form->ButtonCheckClick();
  auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, "Last run");
  EXPECT_EQ(boxes[0].text, "Company A has no record of a run.");
  EXPECT_EQ(boxes[1].caption, "Check");
  // The catalogue's first table is the first difference; a long list is cut for the box and counted.
  EXPECT_THAT(boxes[1].text, StartsWith("Company A differs from a complete run in "));
  EXPECT_THAT(boxes[1].text, HasSubstr(" places:\r\ntable CPFNEW2 missing\r\n"));
  EXPECT_THAT(boxes[1].text, HasSubstr(" more"));

  ASSERT_TRUE(form->SelectCompany("A", true));
  ui.AnswerNext(true);
  form->BitBtn1Click();
  ASSERT_TRUE(form->Closed());
  // A complete run closes the window; the tool started again shows the run's record.
  form = StartedForm();
  form->ButtonLastRunClick();
  boxes = Boxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes.back().caption, "Last run");
  EXPECT_THAT(boxes.back().text, StartsWith("A "));
  EXPECT_THAT(boxes.back().text, HasSubstr("\"data version after\": 9.07,"));
}

}  // namespace
}  // namespace kv::console::testing
