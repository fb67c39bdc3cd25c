#include "platform/ui.h"

#include <gtest/gtest.h>

namespace kv::ui {
namespace {

TEST(ScriptedUi, RecordsMessagesAndAnswersFromTheQueue) {
  ScriptedUi ui;
  ui.AnswerNext(true);
  ui.AnswerNext(false);
  ui.ShowMessage("Update completed");
  EXPECT_TRUE(ui.Confirm("Do you wish to proceed this function ?", "Confirm"));
  ui.MessageBox("Cannot create CPFTRX", "Table Creation Failure");
  EXPECT_FALSE(ui.Confirm("Create mcompany.adt on the kv8 folder?", "Confirm"));
  EXPECT_EQ(ui.Messages(), (std::vector<std::string>{"Update completed", "Cannot create CPFTRX"}));
  ASSERT_EQ(ui.Events().size(), 4u);
  EXPECT_EQ(ui.Events()[2].caption, "Table Creation Failure");
  EXPECT_EQ(ui.Events()[3].text, "Create mcompany.adt on the kv8 folder?");
  EXPECT_EQ(ui.UnusedAnswers(), 0u);
}

TEST(ScriptedUi, UnscriptedPromptFailsLoudly) {
  ScriptedUi ui;
  EXPECT_THROW(ui.Confirm("Do you wish to proceed this function ?", ""), UnexpectedPrompt);
}

TEST(ScopedScreenCursor, RestoresAlsoWhenAnExceptionPasses) {
  ScriptedUi ui;
  try {
    ScopedScreenCursor wait(ui, Cursor::Hourglass);
    EXPECT_EQ(ui.ScreenCursor(), Cursor::Hourglass);
    throw std::runtime_error("step failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(ui.ScreenCursor(), Cursor::Default);
  ui.ProcessMessages();
  EXPECT_EQ(ui.Repaints(), 1u);
}

}  // namespace
}  // namespace kv::ui
