#include "model/template.h"
#include "storage/objects.h"
#include "storage/session.h"
#include "storage/template_rows.h"
#include "storage_fixture.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

using testing::Cp;

int64_t Count(const char* sql, int32_t id) {
  auto query = APSDatabase().Query(sql);
  query.Bind(id);
  query.Step();
  return query.Int(0);
}

int64_t Rows(const char* table) {
  auto query = APSDatabase().Query((std::string("SELECT count(*) FROM ") + table).c_str());
  query.Step();
  return query.Int(0);
}

class StorageTemplates : public testing::StorageTest {
protected:
  StorageTemplates() { CreateAndOpen(); }

  static TParameter& Add(const std::string& name) {
    auto parameter = std::make_unique<TParameter>();
    parameter->ParamName = name;
    parameter->Category = "Body";
    return CurrentProject()->AddParameter(std::move(parameter));
  }

  static std::unique_ptr<TParamTemplate> Line(const TParameter& parameter,
                                              const std::string& defValue = "") {
    auto line = std::make_unique<TParamTemplate>();
    line->Parameter = &parameter;
    line->DefValue.SetPlain(defValue);
    return line;
  }

  static std::unique_ptr<TActionTemplate> Action(uint8_t type, uint8_t launch,
                                                 const std::string& argument) {
    auto action = std::make_unique<TActionTemplate>();
    action->ActionType = type;
    action->Launch = launch;
    action->Argument.SetPlain(argument);
    return action;
  }

  // "Visit": weight (70 kg, constrained), pulse (optional, hidden), note;
  // a message before saving and an add-to-group after.
  TTemplate& MakeVisit() {
    weight = &Add("Weight");
    pulse = &Add("Pulse");
    note = &Add("Note");
    visit = std::make_unique<TTemplate>();
    visit->Name = "Visit";
    visit->Naming.SetText(vkCalculated, "'P' && _OBJECT_ID");
    visit->ParamLines.push_back(Line(*weight, "70 [kg]"));
    visit->ParamLines.back()->Constr.SetText(vkCalculated, "Weight < 300 [kg]");
    visit->ParamLines.push_back(Line(*pulse));
    visit->ParamLines.back()->Optional = true;
    visit->ParamLines.back()->Invisible = true;
    visit->ParamLines.push_back(Line(*note, Cp("заметка")));
    visit->Actions.push_back(Action(atMessage, lmBeforeSave, "Saved"));
    visit->Actions.push_back(Action(atAddToGroup, lmAfterSave, ""));
    visit->Actions.back()->Argument.SetText(vkObject, "64");
    visit->Actions.back()->ApplyTo = apState;
    return *visit;
  }

  static std::unique_ptr<TTemplate> Loaded(const std::string& name) {
    auto tmpl = std::make_unique<TTemplate>();
    tmpl->Name = name;
    tmpl->Load();
    return tmpl;
  }

  const TParameter* weight = nullptr;
  const TParameter* pulse = nullptr;
  const TParameter* note = nullptr;
  std::unique_ptr<TTemplate> visit;
};

TEST_F(StorageTemplates, ASavedTemplateLoadsWithEveryFieldAfterReopening) {
  TTemplate& tmpl = MakeVisit();
  ASSERT_TRUE(tmpl.Save());
  EXPECT_EQ("VISIT", tmpl.Name);
  // Three parameters took 137..139; then the template, its lines, its actions.
  EXPECT_EQ(140, tmpl.Idtor);
  EXPECT_EQ(141, tmpl.ParamLine(0).Idtor);
  EXPECT_EQ(143, tmpl.ParamLine(2).Idtor);
  EXPECT_EQ(145, tmpl.Action(1).Idtor);
  EXPECT_EQ(140, tmpl.Action(1).TemplateId);
  EXPECT_EQ(std::vector<std::string>{"VISIT"}, CurrentProject()->TemplateNames());

  Reopen();
  EXPECT_EQ(std::vector<std::string>{"VISIT"}, CurrentProject()->TemplateNames());
  auto loaded = Loaded("vIsIt");
  EXPECT_EQ(140, loaded->Idtor);
  EXPECT_EQ("VISIT", loaded->Name);
  EXPECT_TRUE(loaded->Naming.IsCalculated());
  EXPECT_EQ("'P' && _OBJECT_ID", loaded->Naming.Text());
  ASSERT_EQ(3, loaded->ParamLineCount());
  const TParamTemplate& first = loaded->ParamLine(0);
  ASSERT_NE(nullptr, first.Parameter);
  EXPECT_EQ("Weight", first.Parameter->ParamName);
  EXPECT_EQ(first.Parameter, CurrentProject()->FindParameter("weight"));
  EXPECT_EQ(137, first.ParamId);
  EXPECT_EQ(140, first.TemplateId);
  EXPECT_EQ("70 [kg]", first.DefValue.Text());
  EXPECT_EQ("Weight < 300 [kg]", first.Constr.Text());
  EXPECT_FALSE(first.Optional);
  EXPECT_FALSE(first.Invisible);
  EXPECT_TRUE(loaded->ParamLine(1).Optional);
  EXPECT_TRUE(loaded->ParamLine(1).Invisible);
  EXPECT_TRUE(loaded->ParamLine(1).DefValue.IsNull());
  EXPECT_EQ(Cp("заметка"), loaded->ParamLine(2).DefValue.Text());
  EXPECT_EQ(2, loaded->ParamLine(2).SerialNum);
  ASSERT_EQ(2, loaded->ActionCount());
  EXPECT_EQ(atMessage, loaded->Action(0).ActionType);
  EXPECT_EQ(lmBeforeSave, loaded->Action(0).Launch);
  EXPECT_EQ("Saved", loaded->Action(0).Argument.Text());
  EXPECT_TRUE(loaded->Action(0).Condition.IsNull());
  EXPECT_EQ(atAddToGroup, loaded->Action(1).ActionType);
  EXPECT_EQ(apState, loaded->Action(1).ApplyTo);
  EXPECT_TRUE(loaded->Action(1).Argument.IsObject());
  EXPECT_EQ(1, loaded->Action(1).SerialNum);
  // ReserveId is never written.
  EXPECT_EQ(1,
            Count("SELECT count(*) FROM VD_Templates WHERE Idtor = ? AND ReserveId IS NULL", 140));
}

TEST_F(StorageTemplates, LinesKeepTheOrderOfTheLastSaveAndRemovedLinesLoseTheirRows) {
  TTemplate& tmpl = MakeVisit();
  ASSERT_TRUE(tmpl.Save());
  std::swap(tmpl.ParamLines[1], tmpl.ParamLines[2]);
  std::unique_ptr<TActionTemplate> message = tmpl.RemoveAction(0);
  EXPECT_EQ(0, message->Idtor); // a new action, should it be kept elsewhere
  ASSERT_TRUE(tmpl.Save());
  EXPECT_EQ(0, tmpl.Action(0).SerialNum);
  EXPECT_EQ(1, Count("SELECT count(*) FROM VD_Param_Templ WHERE SerialNum = 2 AND Idtor = ?",
                     tmpl.ParamLine(2).Idtor));

  auto loaded = Loaded("Visit");
  ASSERT_EQ(3, loaded->ParamLineCount());
  EXPECT_EQ(weight, loaded->ParamLine(0).Parameter);
  EXPECT_EQ(note, loaded->ParamLine(1).Parameter);
  EXPECT_EQ(pulse, loaded->ParamLine(2).Parameter);
  ASSERT_EQ(1, loaded->ActionCount());
  EXPECT_EQ(atAddToGroup, loaded->Action(0).ActionType);
  EXPECT_EQ(0, Count("SELECT count(*) FROM VD_Act_Templ WHERE Idtor = ?", 144));

  // A line replaced by another loses its row at the next save too.
  loaded->SetParamLine(0, Line(*pulse, "60"));
  loaded->RemoveParamLine(2);
  ASSERT_TRUE(loaded->Save());
  EXPECT_EQ(2, Count("SELECT count(*) FROM VD_Param_Templ WHERE TemplateId = ?", 140));
  EXPECT_EQ(0, Count("SELECT count(*) FROM VD_Param_Templ WHERE Idtor = ?", 141));
}

TEST_F(StorageTemplates, ALineOfADeletedParameterLoadsUnresolvedAndKeepsItsParameter) {
  TTemplate& tmpl = MakeVisit();
  ASSERT_TRUE(tmpl.Save());
  CurrentProject()->DeleteParameter(pulse->Idtor);
  auto loaded = Loaded("VISIT");
  ASSERT_EQ(3, loaded->ParamLineCount());
  EXPECT_EQ(nullptr, loaded->ParamLine(1).Parameter);
  EXPECT_EQ(138, loaded->ParamLine(1).ParamId);
  EXPECT_EQ(2, loaded->FindParamLine(*note));
  ASSERT_TRUE(loaded->Save());
  EXPECT_EQ(1, Count("SELECT count(*) FROM VD_Param_Templ WHERE ParamId = ?", 138));
}

TEST_F(StorageTemplates, StoredCodesAreCheckedWhenLoaded) {
  ASSERT_TRUE(MakeVisit().Save());
  struct Case {
    const char* column;
    int value;
    std::string message; // empty: loads
  };
  const Case cases[] = {
      {"Launch", 3, ""},
      {"Launch", 4, "Invalid launch condition"},
      {"Launch", -1, "Invalid launch condition"},
      {"ActionType", 3, ""},
      {"ActionType", 4, "Invalid action type"},
      {"ApplyTo", 2, "Invalid action object"},
      {"ApplyTo", 1 << 20, "Invalid action object"},
  };
  for (const auto& c : cases) {
    auto& database = APSDatabase();
    database.Execute("UPDATE VD_Act_Templ SET ActionType = 1, Launch = 2, ApplyTo = 0");
    const std::string sql = std::string("UPDATE VD_Act_Templ SET ") + c.column + " = ?";
    database.Query(sql.c_str()).Bind(c.value).Run();
    sink.Reset();
    auto tmpl = std::make_unique<TTemplate>();
    tmpl->Name = "Visit";
    if (c.message.empty()) {
      EXPECT_NO_THROW(tmpl->Load()) << c.column << " " << c.value;
      const TActionTemplate& action = tmpl->Action(0);
      EXPECT_EQ(c.value, std::string(c.column) == "Launch" ? action.Launch : action.ActionType);
    } else {
      EXPECT_THROW(tmpl->Load(), ErrorException) << c.column << " " << c.value;
      EXPECT_EQ(c.message, sink.Last());
    }
  }
  // Nor are codes out of range ever written.
  APSDatabase().Execute("UPDATE VD_Act_Templ SET ActionType = 1, Launch = 2, ApplyTo = 0");
  auto tmpl = Loaded("Visit");
  tmpl->Action(0).ApplyTo = 7;
  sink.Reset();
  EXPECT_FALSE(tmpl->Save());
  EXPECT_EQ(std::vector<std::string>{"Invalid action object"}, sink.Messages());
}

TEST_F(StorageTemplates, NamesAreUniqueWithoutRegardToCase) {
  ASSERT_TRUE(MakeVisit().Save());
  TTemplate second;
  second.Name = "visit";
  second.ParamLines.push_back(Line(*weight));
  EXPECT_FALSE(second.Save());
  EXPECT_EQ("The template name should be unique within project", sink.Last());
  // Nothing was written and the new template is still new.
  EXPECT_EQ(0, second.Idtor);
  EXPECT_EQ("visit", second.Name);
  EXPECT_EQ(0, second.ParamLine(0).Idtor);
  EXPECT_EQ(1, Rows("VD_Templates"));
  EXPECT_EQ(3, Rows("VD_Param_Templ"));

  second.Name = Cp("Осмотр");
  ASSERT_TRUE(second.Save());
  EXPECT_EQ(Cp("ОСМОТР"), second.Name);
  // Its own name in other letters is no clash; another template's is.
  second.Name = Cp("осмотр");
  EXPECT_TRUE(second.Save());
  second.Name = "VISIT";
  EXPECT_FALSE(second.Save());
  EXPECT_EQ((std::vector<std::string>{"VISIT", Cp("ОСМОТР")}), CurrentProject()->TemplateNames());
}

TEST_F(StorageTemplates, AFailingSaveLeavesNothingWritten) {
  TTemplate& tmpl = MakeVisit();
  tmpl.ParamLine(2).DefValue.SetPlain(std::string(70000, 'x')); // too long to store
  sink.Reset();
  EXPECT_FALSE(tmpl.Save());
  EXPECT_EQ("Value is too long to store", sink.Last());
  EXPECT_EQ(0, tmpl.Idtor);
  EXPECT_EQ(0, tmpl.ParamLine(0).Idtor);
  EXPECT_EQ(0, tmpl.ParamLine(0).TemplateId);
  EXPECT_EQ(0, Rows("VD_Templates"));
  EXPECT_EQ(0, Rows("VD_Param_Templ"));
  EXPECT_TRUE(CurrentProject()->TemplateNames().empty());

  tmpl.ParamLine(2).DefValue.SetPlain("short");
  ASSERT_TRUE(tmpl.Save());
  EXPECT_EQ(3, Count("SELECT count(*) FROM VD_Param_Templ WHERE TemplateId = ?", tmpl.Idtor));
}

TEST_F(StorageTemplates, MissingRowsAreReportedWithTheirMessages) {
  TTemplate& tmpl = MakeVisit();
  ASSERT_TRUE(tmpl.Save());
  const std::string prefix = "System Error: Something wrong.\r\n";

  APSDatabase().Query("DELETE FROM VD_Param_Templ WHERE Idtor = ?").Bind(142).Run();
  sink.Reset();
  EXPECT_THROW(tmpl.ParamLine(1).Save(), ErrorException);
  EXPECT_EQ(prefix + "PT idtor doesn't exist:142", sink.Last());
  EXPECT_THROW(tmpl.ParamLine(1).Delete(), ErrorException);
  EXPECT_EQ(prefix + "PT idtor doesn't exist:142", sink.Last());
  // The whole save is refused and the other lines keep their rows as they were.
  tmpl.ParamLine(0).Optional = true;
  EXPECT_FALSE(tmpl.Save());
  EXPECT_EQ(prefix + "PT idtor doesn't exist:142", sink.Last());
  EXPECT_EQ(0, Count("SELECT count(*) FROM VD_Param_Templ WHERE Optional = 1 AND Idtor = ?", 141));

  APSDatabase().Query("DELETE FROM VD_Act_Templ WHERE Idtor = ?").Bind(145).Run();
  EXPECT_THROW(tmpl.Action(1).Delete(), ErrorException);
  EXPECT_EQ(prefix + "AT idtor doesn't exist:145", sink.Last());

  APSDatabase().Execute("DELETE FROM VD_Templates");
  EXPECT_FALSE(tmpl.Save());
  EXPECT_EQ(prefix + "Template doesn't exist. Id:140", sink.Last());

  TTemplate absent;
  absent.Name = "Absent";
  EXPECT_THROW(absent.Load(), ErrorException);
  EXPECT_EQ("Template doesn't exist. Name: Absent", sink.Last());
  EXPECT_THROW(DeleteTemplate("absent"), ErrorException);
  EXPECT_EQ("Template doesn't exist. Name: absent", sink.Last());
}

TEST_F(StorageTemplates, DeletingATemplateTakesItsLines) {
  ASSERT_TRUE(MakeVisit().Save());
  TTemplate other;
  other.Name = "Other";
  other.ParamLines.push_back(Line(*weight));
  ASSERT_TRUE(other.Save());
  DeleteTemplate("visit");
  EXPECT_EQ(std::vector<std::string>{"OTHER"}, CurrentProject()->TemplateNames());
  EXPECT_EQ(0, Count("SELECT count(*) FROM VD_Param_Templ WHERE TemplateId = ?", 140));
  EXPECT_EQ(0, Count("SELECT count(*) FROM VD_Act_Templ WHERE TemplateId = ?", 140));
  EXPECT_EQ(1, Count("SELECT count(*) FROM VD_Param_Templ WHERE TemplateId = ?", other.Idtor));
}

TEST(Templates, WithoutAProjectOnDiskTheyCannotBeKept) {
  testing::ScriptedSink sink;
  auto project = TProject::CreateInMemory();
  ScopedProject open(*project);
  TTemplate tmpl;
  tmpl.Name = "T";
  EXPECT_THROW(tmpl.Save(), ErrorException);
  EXPECT_THROW(tmpl.Load(), ErrorException);
  EXPECT_EQ(0u, sink.Last().find("System Error: Something wrong.")) << sink.Last();
}

TEST(Templates, LinesAndActionsAreIndexChecked) {
  testing::ScriptedSink sink;
  TTemplate tmpl;
  tmpl.SetParamLine(0, std::make_unique<TParamTemplate>());
  tmpl.SetAction(0, std::make_unique<TActionTemplate>());
  EXPECT_NO_THROW(tmpl.ParamLine(0));
  EXPECT_THROW(tmpl.ParamLine(1), ErrorException);
  EXPECT_EQ("Index out of range: 1", sink.Last());
  EXPECT_THROW(tmpl.Action(-1), ErrorException);
  EXPECT_THROW(tmpl.SetParamLine(2, std::make_unique<TParamTemplate>()), ErrorException);

  // A new action, and what Assign copies.
  TActionTemplate& action = tmpl.Action(0);
  EXPECT_EQ(atAddToGroup, action.ActionType);
  EXPECT_EQ(lmAfterSave, action.Launch);
  EXPECT_EQ(apObject, action.ApplyTo);
  TActionTemplate source;
  source.Idtor = 99;
  source.ActionType = atLaunch;
  source.Launch = lmBeforeCreate;
  source.ApplyTo = apState;
  source.Condition.SetText(vkCalculated, "TRUE");
  source.Argument.SetPlain("notes.txt");
  action.Assign(source);
  EXPECT_EQ(0, action.Idtor);
  EXPECT_EQ(atLaunch, action.ActionType);
  EXPECT_EQ(lmBeforeCreate, action.Launch);
  EXPECT_EQ(apState, action.ApplyTo);
  EXPECT_EQ("TRUE", action.Condition.Text());
  EXPECT_EQ("notes.txt", action.Argument.Text());
  EXPECT_EQ("Error Message", ActionTypeName(atErrorMessage));
  EXPECT_EQ("After Save", LaunchMomentName(lmAfterSave));
  EXPECT_EQ("", LaunchMomentName(3));
}

} // namespace
} // namespace vandro
