#include "editing/template_editor.h"

#include "editing/value_constructor.h"
#include "model/project.h"
#include "storage/records_fixture.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

// The project of RecordsTest (X, Y, Z) with the templates DAILY (lines Y,
// X and one action) and WEEKLY.
class TemplateEditor : public testing::RecordsTest {
protected:
  TemplateEditor() {
    TTemplate daily;
    daily.Name = "daily";
    for (const char* name : {"Y", "X"}) {
      auto line = std::make_unique<TParamTemplate>();
      line->Parameter = CurrentProject()->FindParameter(name);
      daily.ParamLines.push_back(std::move(line));
    }
    auto action = std::make_unique<TActionTemplate>();
    SetActionType(*action, atMessage);
    action->Argument.SetPlain("stored");
    daily.Actions.push_back(std::move(action));
    EXPECT_TRUE(daily.Save());
    TTemplate weekly;
    weekly.Name = "weekly";
    EXPECT_TRUE(weekly.Save());
    sink.Reset();
  }

  static std::vector<std::string> LineNames(const TTemplate& tmpl) {
    std::vector<std::string> names;
    for (const auto& line : tmpl.ParamLines)
      names.push_back(line->Parameter ? line->Parameter->ParamName : "-");
    return names;
  }
};

TEST_F(TemplateEditor, SecondLineForTheSameParameterIsRefusedWithTheFirstLinesIndex) {
  auto editor = TTemplateEditor::ForTemplate("Daily");
  TParamTemplate line;
  // A new line, and line 0 renamed to the parameter of line 1 (by its short
  // name in other case: the same parameter).
  EXPECT_FALSE(AcceptParamLine(editor->Template(), -1, "x", line));
  EXPECT_EQ("Parameter template redeclared. See #1", sink.Last());
  EXPECT_FALSE(AcceptParamLine(editor->Template(), 0, " X ", line));
  EXPECT_EQ("Parameter template redeclared. See #1", sink.Last());
  EXPECT_EQ(nullptr, line.Parameter);
  // The line keeps its own parameter; another one that exists is taken.
  EXPECT_TRUE(AcceptParamLine(editor->Template(), 1, "X", line));
  EXPECT_TRUE(AcceptParamLine(editor->Template(), -1, "z", line));
  EXPECT_EQ("Z", line.Parameter->ParamName);
  EXPECT_FALSE(AcceptParamLine(editor->Template(), -1, "NOSUCH", line));
  EXPECT_EQ("Invalid parameter name", sink.Last());
  EXPECT_EQ("Z", line.Parameter->ParamName);
}

TEST_F(TemplateEditor, NameRules) {
  struct Case {
    const char* typed;
    bool accepted;
    const char* message;
  } cases[] = {
      {"dAiLy", true, ""}, // its own name in other case
      {"  monthly ", true, ""},
      {"weekly", false, "The template name should be unique within project"},
      {"", false, "The template name should be identifier"},
      {"2days", false, "The template name should be identifier"},
      {"two days", false, "The template name should be identifier"},
  };
  auto editor = TTemplateEditor::ForTemplate("DAILY");
  for (const Case& c : cases) {
    sink.Reset();
    EXPECT_EQ(c.accepted, editor->CheckName(c.typed)) << c.typed;
    EXPECT_EQ(c.message, sink.Last()) << c.typed;
  }
  EXPECT_TRUE(editor->CheckNameOnLeave(""));
  EXPECT_FALSE(editor->CheckNameOnLeave("a-b"));
  EXPECT_EQ("The template name is to be identifier", sink.Last());
}

TEST_F(TemplateEditor, RenamedAndReorderedTemplateIsStoredWhole) {
  auto editor = TTemplateEditor::ForTemplate("DAILY");
  ASSERT_TRUE(editor->MoveLine(1, 0));
  sink.Answer(true);
  ASSERT_TRUE(editor->DeleteAction(0));
  ASSERT_TRUE(editor->Save("Daily"));
  ASSERT_TRUE(editor->Save("diary"));
  EXPECT_EQ((std::vector<std::string>{"DIARY", "WEEKLY"}), CurrentProject()->TemplateNames());
  TTemplate stored;
  stored.Name = "diary";
  stored.Load();
  EXPECT_EQ((std::vector<std::string>{"X", "Y"}), LineNames(stored));
  EXPECT_EQ(0, stored.ActionCount());
}

TEST_F(TemplateEditor, RefusedSaveStoresNothingAndKeepsTheEdits) {
  auto editor = TTemplateEditor::ForTemplate("DAILY");
  editor->MoveLine(0, 1);
  // Another editor took the name first: the store refuses at OK.
  auto other = TTemplateEditor::ForNewTemplate();
  ASSERT_TRUE(other->Save("RENAMED"));
  EXPECT_FALSE(editor->Save("renamed"));
  EXPECT_EQ("The template name should be unique within project", sink.Last());
  EXPECT_EQ("DAILY", editor->Template().Name);
  EXPECT_EQ((std::vector<std::string>{"X", "Y"}), LineNames(editor->Template()));
  TTemplate stored;
  stored.Name = "DAILY";
  stored.Load();
  EXPECT_EQ((std::vector<std::string>{"Y", "X"}), LineNames(stored));
}

TEST_F(TemplateEditor, SelectionIsRequiredAndDeletingAsks) {
  auto editor = TTemplateEditor::ForTemplate("DAILY");
  EXPECT_FALSE(editor->CanEditLine(-1));
  EXPECT_EQ("Select a parameter to edit", sink.Last());
  EXPECT_FALSE(editor->CanEditAction(1));
  EXPECT_EQ("Select an action to edit", sink.Last());
  EXPECT_FALSE(editor->DeleteLine(-1));
  EXPECT_EQ("Select a parameter to delete", sink.Last());
  EXPECT_FALSE(editor->DeleteAction(-1));
  EXPECT_EQ("Select an action to delete", sink.Last());
  sink.Answer(false);
  EXPECT_FALSE(editor->DeleteLine(0));
  EXPECT_EQ(2, editor->Template().ParamLineCount());
  sink.Answer(true);
  EXPECT_TRUE(editor->DeleteLine(0));
  EXPECT_EQ((std::vector<std::string>{"X"}), LineNames(editor->Template()));
}

TEST_F(TemplateEditor, LineOfADeletedParameterOpensWithoutParameter) {
  CurrentProject()->DeleteParameter(CurrentProject()->FindParameter("Y")->Idtor);
  auto editor = TTemplateEditor::ForTemplate("DAILY");
  const std::vector<TParamLineRow> rows = editor->LineRows();
  ASSERT_EQ(2u, rows.size());
  EXPECT_EQ("", rows[0].Parameter);
  EXPECT_EQ("X", rows[1].Parameter);
  // The line can be given a parameter again.
  TParamTemplate& line = editor->Template().ParamLine(0);
  EXPECT_TRUE(AcceptParamLine(editor->Template(), 0, "Z", line));
  EXPECT_TRUE(editor->Save("DAILY"));
}

TEST_F(TemplateEditor, SaveAsTemplateTakesTheRecordsParameters) {
  TDataRecord record;
  record.AddPV(*CurrentProject()->FindParameter("Z"), TValue(), true);
  TValue five;
  five.SetPlain("5");
  record.AddPV(*CurrentProject()->FindParameter("X"), five, true).Invisible = true;
  TActionTemplate group;
  group.Argument.SetText(vkObject, "12");
  group.ApplyTo = apState;
  auto editor = TTemplateEditor::FromRecord(record, {&group});
  EXPECT_EQ((std::vector<std::string>{"Z", "X"}), LineNames(editor->Template()));
  EXPECT_EQ("5", editor->Template().ParamLine(1).DefValue.Text());
  EXPECT_TRUE(editor->Template().ParamLine(1).Invisible);
  // The group list's actions are copied, not shared.
  ASSERT_EQ(1, editor->Template().ActionCount());
  TActionTemplate& copy = editor->Template().Action(0);
  EXPECT_NE(&group, &copy);
  EXPECT_EQ("12", copy.Argument.Text());
  EXPECT_EQ(apState, copy.ApplyTo);
  EXPECT_EQ("", editor->FormerName());
  EXPECT_TRUE(editor->Save("FROMRECORD"));
}

TEST_F(TemplateEditor, DeletingATemplateAsksFirst) {
  sink.Answer(false, std::string("Template WEEKLY will be deleted.\r\nAre you sure?"));
  EXPECT_FALSE(DeleteTemplateFromList("WEEKLY"));
  sink.Answer(true);
  EXPECT_TRUE(DeleteTemplateFromList("WEEKLY"));
  EXPECT_EQ(std::vector<std::string>{"DAILY"}, CurrentProject()->TemplateNames());
}

TEST_F(TemplateEditor, DefaultValueOpensOnThePageOfItsKind) {
  TValue value;
  EXPECT_EQ(vpPlain, DefaultValuePage(value));
  value.SetText(vkCalculated, "X+1");
  EXPECT_EQ(vpCalculated, DefaultValuePage(value));
  value.SetText(vkLink, "a.txt");
  EXPECT_EQ(vpLink, DefaultValuePage(value));
  value.SetFuncMarker("SIN");
  EXPECT_THROW(DefaultValuePage(value), ErrorException);
  EXPECT_EQ("Invalid Value Tag", sink.Last());
}

// --- "Edit Action" ------------------------------------------------------------

TEST(ActionEditor, LayoutAndLaunchMomentFollowTheType) {
  struct Case {
    int type;
    const char* label;
    bool applyTo, launchFree, oneLine;
    int launchAfter; // from "Before Create"
  } cases[] = {
      {atAddToGroup, "Group:", true, false, false, lmAfterSave},
      {atMessage, "Text:", false, true, false, lmBeforeCreate},
      {atErrorMessage, "Error Msg:", false, false, false, lmBeforeSave},
      {atLaunch, "Command:", false, true, true, lmBeforeCreate},
  };
  for (const Case& c : cases) {
    const TActionLayout layout = ActionLayout(c.type);
    EXPECT_EQ(c.label, layout.ArgumentLabel);
    EXPECT_EQ(c.applyTo, layout.ApplyToEnabled) << c.label;
    EXPECT_EQ(c.launchFree, layout.LaunchEnabled) << c.label;
    EXPECT_EQ(c.oneLine, layout.OneLineArgument) << c.label;
    TActionTemplate action;
    action.Launch = lmBeforeCreate;
    SetActionType(action, c.type);
    EXPECT_EQ(c.launchAfter, action.Launch) << c.label;
  }
}

TEST(ActionEditor, ArgumentMustSuitTheType) {
  testing::ScriptedSink sink;
  struct Case {
    int type;
    TValueKind kind;
    const char* text;
    const char* refusal; // empty: accepted
  } cases[] = {
      {atLaunch, vkPlain, "notepad.exe", ""},
      {atLaunch, vkPlain, "one\r\ntwo", "Argument should be a string"},
      {atLaunch, vkCalculated, "'a'+'b'", ""}, // a formula always
      {atMessage, vkPlain, "Two\r\nlines", ""},
      {atMessage, vkObject, "33", "Argument should be a plain value"},
      {atErrorMessage, vkLink, "a.txt", "Argument should be a plain value"},
      {atAddToGroup, vkObject, "33", ""},
      {atAddToGroup, vkPlain, "WARD", "Argument should be a group"},
      {atAddToGroup, vkCalculated, "=X", "Argument should be a group"}, // an auto formula
  };
  for (const Case& c : cases) {
    sink.Reset();
    TActionTemplate action;
    SetActionType(action, c.type);
    action.Argument.SetPlain("before");
    TValue argument;
    argument.SetText(c.kind, c.text);
    const bool accepted = *c.refusal == 0;
    EXPECT_EQ(accepted, AcceptArgument(action, argument)) << c.text;
    EXPECT_EQ(c.refusal, sink.Last()) << c.text;
    EXPECT_EQ(accepted ? c.text : "before", action.Argument.Text());
  }
  TActionTemplate message;
  SetActionType(message, atMessage);
  message.Argument.SetPlain("a\r\nb");
  EXPECT_TRUE(MultiLineArgument(message));
  message.Argument.SetPlain("ab");
  EXPECT_FALSE(MultiLineArgument(message));
}

TEST(ActionEditor, ConditionIsAFormulaAndAnErrorMessageNeedsOne) {
  testing::ScriptedSink sink;
  TActionTemplate action;
  SetActionType(action, atErrorMessage);
  // A new action keeps its null condition until one is defined.
  EXPECT_TRUE(action.Condition.IsNull());
  EXPECT_EQ("true", ConditionText(action.Condition));
  TValue condition;
  EXPECT_FALSE(AcceptCondition(action, condition));
  EXPECT_EQ("Condition should be a formula", sink.Last());
  condition.SetPlain("TRUE");
  EXPECT_FALSE(AcceptCondition(action, condition));
  condition.SetText(vkCalculated, "X > 1");
  EXPECT_TRUE(AcceptCondition(action, condition));
  EXPECT_EQ("X > 1", ConditionText(action.Condition));
  // Null is refused for an "Error Message" only.
  SetActionType(action, atMessage);
  EXPECT_TRUE(AcceptCondition(action, TValue()));
  EXPECT_TRUE(action.Condition.IsNull());
}

} // namespace
} // namespace vandro
