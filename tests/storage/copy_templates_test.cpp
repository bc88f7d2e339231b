#include "model/template.h"
#include "storage/access.h"
#include "storage/session.h"
#include "storage_fixture.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

using testing::Cp;

class StorageCopyTemplates : public testing::StorageTest {
protected:
  // Creates and opens the base project "Base" in the directory.
  void OpenBase() {
    ASSERT_TRUE(APSCreateProject(Path("Base.vdp"), "", NewProjectInfo("Base")));
    ASSERT_TRUE(OpenProject(Path("Base.vdp")));
  }

  static const TParameter& Parameter(const std::string& name) {
    if (const TParameter* found = CurrentProject()->FindParameter(name)) return *found;
    auto parameter = std::make_unique<TParameter>();
    parameter->ParamName = name;
    parameter->Category = "Body";
    return CurrentProject()->AddParameter(std::move(parameter));
  }

  // A template with a line per parameter name, in order, and the actions.
  static void Store(const std::string& name, const std::vector<std::string>& parameters,
                    std::vector<std::unique_ptr<TActionTemplate>> actions = {}) {
    TTemplate tmpl;
    tmpl.Name = name;
    tmpl.Naming.SetText(vkCalculated, "'N' && _OBJECT_ID");
    for (const auto& parameter : parameters) {
      auto line = std::make_unique<TParamTemplate>();
      line->Parameter = &Parameter(parameter);
      line->DefValue.SetPlain("1");
      tmpl.ParamLines.push_back(std::move(line));
    }
    tmpl.Actions = std::move(actions);
    ASSERT_TRUE(tmpl.Save());
  }

  bool CreateFromBase() {
    CloseProject();
    sink.Reset();
    const bool created = APSCreateProject(ProjectFile(), Path("Base.vdp"), NewProjectInfo("Test"));
    EXPECT_TRUE(OpenProject(ProjectFile()));
    return created;
  }

  static std::unique_ptr<TTemplate> Loaded(const std::string& name) {
    auto tmpl = std::make_unique<TTemplate>();
    tmpl->Name = name;
    tmpl->Load();
    return tmpl;
  }
};

TEST_F(StorageCopyTemplates, TemplatesAreCopiedWithNewIdentifiersAndWithoutReferences) {
  OpenBase();
  for (int i = 0; i < 40; ++i) // the base's identifiers run ahead of the new project's
    APSNewId();
  const int32_t group = APSNewObjectId();
  auto addToGroup = std::make_unique<TActionTemplate>();
  addToGroup->Argument.SetText(vkObject, std::to_string(group));
  addToGroup->ApplyTo = apState;
  auto message = std::make_unique<TActionTemplate>();
  message->ActionType = atMessage;
  message->Launch = lmBeforeCreate;
  message->Condition.SetText(vkCalculated, "Pulse > 100");
  message->Argument.SetPlain("Fast");
  std::vector<std::unique_ptr<TActionTemplate>> actions;
  actions.push_back(std::move(addToGroup));
  actions.push_back(std::move(message));
  Store("Visit", {"Weight", Cp("Пульс"), "Pulse"}, std::move(actions));
  {
    auto visit = Loaded("Visit");
    std::swap(visit->ParamLines[0], visit->ParamLines[2]); // lines in another order than rows
    visit->ParamLine(1).DefValue.SetText(vkObject, std::to_string(group));
    visit->ParamLine(1).Invisible = true;
    ASSERT_TRUE(visit->Save());
  }

  ASSERT_TRUE(CreateFromBase());
  EXPECT_TRUE(sink.Messages().empty()) << sink.Last();
  EXPECT_EQ(std::vector<std::string>{"VISIT"}, CurrentProject()->TemplateNames());
  auto copy = Loaded("visit");
  // Parameters 137..139 (copied in name order), then the template and lines.
  EXPECT_EQ(140, copy->Idtor);
  EXPECT_EQ("'N' && _OBJECT_ID", copy->Naming.Text());
  ASSERT_EQ(3, copy->ParamLineCount());
  const std::vector<std::string> order = {"Pulse", Cp("Пульс"), "Weight"};
  for (int i = 0; i < 3; ++i) {
    const TParamTemplate& line = copy->ParamLine(i);
    ASSERT_NE(nullptr, line.Parameter) << i;
    EXPECT_EQ(order[static_cast<size_t>(i)], line.Parameter->ParamName);
    EXPECT_EQ(line.Parameter, CurrentProject()->FindParameter(order[static_cast<size_t>(i)]));
    EXPECT_EQ(141 + i, line.Idtor);
    EXPECT_EQ(i, line.SerialNum);
  }
  EXPECT_TRUE(copy->ParamLine(1).DefValue.IsNull()); // the reference is emptied
  EXPECT_TRUE(copy->ParamLine(1).Invisible);
  EXPECT_EQ("1", copy->ParamLine(0).DefValue.Text());
  ASSERT_EQ(2, copy->ActionCount());
  EXPECT_TRUE(copy->Action(0).Argument.IsNull());
  EXPECT_EQ(apState, copy->Action(0).ApplyTo);
  EXPECT_EQ(atMessage, copy->Action(1).ActionType);
  EXPECT_EQ(lmBeforeCreate, copy->Action(1).Launch);
  EXPECT_EQ("Pulse > 100", copy->Action(1).Condition.Text());
  EXPECT_EQ("Fast", copy->Action(1).Argument.Text());
}

TEST_F(StorageCopyTemplates, ALineOfASystemParameterStopsTheCopyAtItsTemplate) {
  OpenBase();
  Store("A", {"Weight"});
  Store("B", {"Pulse", "_OBJECT_NAME"});
  Store("C", {"Weight"});
  ASSERT_TRUE(CreateFromBase()); // creation goes on
  EXPECT_EQ(std::vector<std::string>{"Parameter not found"}, sink.Messages());
  EXPECT_EQ(std::vector<std::string>{"A"}, CurrentProject()->TemplateNames());
  EXPECT_NE(nullptr, CurrentProject()->FindParameter("Pulse")); // copied before the templates
}

TEST_F(StorageCopyTemplates, ADamagedActionCodeStopsTheCopy) {
  OpenBase();
  Store("A", {"Weight"});
  auto action = std::make_unique<TActionTemplate>();
  std::vector<std::unique_ptr<TActionTemplate>> actions;
  actions.push_back(std::move(action));
  Store("B", {"Weight"}, std::move(actions));
  APSDatabase().Execute("UPDATE VD_Act_Templ SET Launch = 9");
  ASSERT_TRUE(CreateFromBase());
  EXPECT_EQ(std::vector<std::string>{"Invalid launch condition"}, sink.Messages());
  EXPECT_EQ(std::vector<std::string>{"A"}, CurrentProject()->TemplateNames());
}

} // namespace
} // namespace vandro
