#include "model/data_record.h"
#include "model/project.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "support/scripted_sink.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

class InMemoryProject : public ::testing::Test {
protected:
  std::unique_ptr<TProject> project = TProject::CreateInMemory();
  ScopedProject open{*project};

  TParameter& Add(const char* name, const char* shortName = "", const char* category = "Data") {
    auto parameter = std::make_unique<TParameter>();
    parameter->ParamName = name;
    parameter->ShortName = shortName;
    parameter->Category = category;
    return project->AddParameter(std::move(parameter));
  }
};

TEST_F(InMemoryProject, StartsWithTheSystemParametersAndDefaultUnits) {
  ASSERT_EQ(10u, project->Parameters().size());
  EXPECT_EQ(2, project->FindParameter("_OBJECT_ID")->Idtor);
  EXPECT_EQ(11, project->FindParameter("_history")->Idtor);
  EXPECT_EQ("_HISTORY", project->FindParameter("_CONTENT_HISTORY")->ParamName);
  EXPECT_EQ(kListParamType, project->FindParameter("_CONTENT")->ParamType);
  EXPECT_EQ(std::vector<std::string>{"System"}, project->ParameterCategories());
  EXPECT_EQ(121, project->Units().Count());
  EXPECT_EQ(&project->Units(), &ActiveUnits());
  // The next identifiers follow the units and skip the multiples of 32.
  EXPECT_EQ(137, project->NewId());
  EXPECT_EQ(64, project->NewObjectId());
}

TEST_F(InMemoryProject, ParametersAreKeptInNameOrderAndFoundByEitherName) {
  Add("weight", "w");
  // Names that do not fit are refused, never cut.
  EXPECT_THROW(Add("a123456789012345678901234567890123", "a"), ErrorException);
  EXPECT_THROW(Add("a", "abcdefghijklmnopq"), ErrorException);
  EXPECT_THROW(Add("a", "a", "E\txtra"), ErrorException);
  const TParameter& longName = Add("a1234567890123456789012345678901", "abcdefghijklmnop", "Extra");
  EXPECT_EQ("abcdefghijklmnop", longName.ShortName);
  EXPECT_EQ("a1234567890123456789012345678901", project->Parameters().front()->ParamName);
  EXPECT_EQ("weight", project->FindParameter("W")->ParamName);
  EXPECT_EQ(project->FindParameter("WEIGHT"),
            project->ParameterById(project->FindParameter("w")->Idtor));
  EXPECT_EQ(nullptr, project->FindParameter("height"));
  EXPECT_EQ((std::vector<std::string>{"Extra", "Data", "System"}), project->ParameterCategories());
}

TEST_F(InMemoryProject, SystemNames) {
  for (const char* name : {"_object_id", "PROJECT", "_History", "_CONTENT_COUNT"})
    EXPECT_TRUE(IsSystemName(name)) << name;
  for (const char* name : {"_CONTENT_HISTORY", "OBJECT", "", "_OBJECT"})
    EXPECT_FALSE(IsSystemName(name)) << name;
}

TEST_F(InMemoryProject, RecordsAnswerParametersAndSystemNames) {
  TFixedClock clock(38000.5);
  const TClock* previous = SetClock(&clock);
  const TParameter& weight = Add("weight", "w");
  TDataRecord first, second;
  first.Idtor = 33;
  second.Idtor = 35;
  second.ObjIdtor = 64;
  second.RecName = "Checkup";
  second.RealTime = 37987;
  second.Previous.push_back(&first);
  TValue value;
  value.SetPlain("70 [kg]");
  second.AddPV(weight, value).Invisible = false;

  struct Case {
    const char* name;
    bool found;
    std::string text;
  };
  const Case cases[] = {
      {"W", true, "70 [kg]"},
      {"height", false, ""},
      {"_OBJECT_ID", true, "64"},
      {"_record_id", true, "35"},
      {"_RECORD_NAME", true, "Checkup"},
      {"_REAL_TIME", true, "01.01.2004"},
      {"_SYSTEM_TIME", true, DateTimeToText(38000.5)},
      {"_PARAM_COUNT", true, "1"},
      {"_CONTENT_COUNT", true, "0"},
      {"_CONTENT", true, ""},
      {"_OBJECT_NAME", true, ""},
  };
  for (const auto& c : cases) {
    TValue result;
    result.SetPlain("stale");
    EXPECT_EQ(c.found, second.GetSystemValue(c.name, result)) << c.name;
    EXPECT_EQ(c.text, result.Text()) << c.name;
  }
  TValue history;
  ASSERT_TRUE(second.GetSystemValue("_HISTORY", history));
  ASSERT_EQ(2, history.ItemCount());
  EXPECT_EQ("33", history.GetItem(0).Text());
  EXPECT_TRUE(history.GetItem(1).IsObject());
  TValue kept;
  kept.SetPlain("as it was");
  EXPECT_TRUE(second.GetSystemValue("project", kept));
  EXPECT_EQ("as it was", kept.Text());

  TDataRecord copy;
  copy.Assign(second);
  copy.FindPV("weight")->Value.SetPlain("71");
  EXPECT_EQ("70 [kg]", second.FindPV("weight")->Value.Text());
  EXPECT_EQ(1u, copy.VisiblePVs.size());
  SetClock(previous);
}

TEST_F(InMemoryProject, VariablesAreKeptUpperCase) {
  TValue value;
  value.SetPlain("42");
  project->SetVariable("Answer", value, "the answer");
  EXPECT_EQ("ANSWER", project->FindVariable("answer")->Name);
  value.SetPlain("43");
  project->SetVariable("ANSWER", value);
  EXPECT_EQ(1u, project->Variables().size());
  EXPECT_EQ("43", project->FindVariable("Answer")->Value.Text());
}

} // namespace
} // namespace vandro
