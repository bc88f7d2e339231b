#include "language/parameter_naming.h"
#include "model/parameter.h"
#include "storage/parameter_rows.h"
#include "storage_fixture.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

using testing::Cp;

class StorageParameters : public testing::StorageTest {
protected:
  StorageParameters() : project(CreateAndOpen()) {}

  TParameter& Add(const std::string& name, const std::string& category = "Data") {
    auto parameter = std::make_unique<TParameter>();
    parameter->ParamName = name;
    parameter->Category = category;
    return project.AddParameter(std::move(parameter));
  }

  TProject& project;
};

TEST(StorageParameterNaming, RulesAreCheckedInOrder) {
  testing::ScriptedSink sink;
  struct Case {
    const char* name;
    const char* category;
    std::string message; // empty: accepted
  };
  const Case cases[] = {
      {"Weight", "Body", ""},
      {"_private2", "", ""},
      {"Weight", "system", "You can't set parameter category to 'System'"},
      {"2nd", "SYSTEM", "You can't set parameter category to 'System'"},
      {"2nd", "Body", "Parameter name should be an identifier"},
      {"", "Body", "Parameter name should be an identifier"},
      {"heart rate", "Body", "Parameter name should be an identifier"},
      {"_object_id", "Body", "Duplicate parameter name"},
      {"Project", "Body", "Duplicate parameter name"},
      {"Sqrt", "Body", "Sqrt is a standard function"},
      {"globalvar", "Body", "globalvar is a standard function"},
      {"Begin", "Body", "The parameter name is a reserved word"},
      {"div", "Body", "The parameter name is a reserved word"},
      {"\xE8\xeb\xe8", "Body", "The parameter name is a reserved word"}, // "или", or
  };
  for (const auto& c : cases) {
    sink.Reset();
    TParameter parameter;
    parameter.ParamName = c.name;
    parameter.Category = c.category;
    EXPECT_EQ(c.message.empty(), CheckParameterNaming(parameter)) << c.name;
    EXPECT_EQ(c.message, sink.Last()) << c.name;
  }

  TParameter system;
  system.Category = "System";
  EXPECT_FALSE(CanEditParameter(system));
  EXPECT_EQ("Editing of system parameters is not allowed", sink.Last());
  system.Category = "system"; // only the exact label marks a system parameter
  EXPECT_TRUE(CanEditParameter(system));
}

TEST_F(StorageParameters, NamesAreUniqueWithoutRegardToCaseCyrillicIncluded) {
  const TParameter& pressure = Add(Cp("Давление"));
  EXPECT_THROW(Add(Cp("ДАВЛЕНИЕ")), ErrorException);
  EXPECT_EQ("Duplicate parameter name", sink.Last());
  EXPECT_EQ(11u, project.Parameters().size());
  // The refused parameter's identifier stays used.
  EXPECT_EQ(pressure.Idtor + 2, Add("Pulse").Idtor);
  EXPECT_EQ(&pressure, project.FindParameter(Cp("давление")));

  // Renaming onto a taken name is refused as well, and changes nothing.
  TParameter edited;
  edited.Assign(*project.FindParameter("Pulse"));
  edited.ParamName = Cp("давление");
  EXPECT_THROW(project.UpdateParameter(edited), ErrorException);
  EXPECT_EQ("Duplicate parameter name", sink.Last());
  EXPECT_NE(nullptr, Reopen().FindParameter("Pulse"));
}

TEST_F(StorageParameters, UpdatesAndDeletesReachTheTable) {
  TParameter& weight = Add("Weight", "Body");
  const int32_t id = weight.Idtor;
  TParameter edited;
  edited.Assign(weight);
  edited.ParamName = "Mass_of_a_patient_measured_in_the_morning";
  EXPECT_THROW(project.UpdateParameter(edited), ErrorException); // never cut
  EXPECT_EQ("The name is longer than 32 characters: Mass_of_a_patient_measured_in_the_morning",
            sink.Last());
  edited.ParamName = "Mass_of_a_patient_measured_in_th";
  edited.ShortName = "m";
  edited.Category = "Anthropometry";
  edited.DefValue.SetArray();
  TValue::Ptr item = TValue::Create("test");
  item->SetPlain("70 [kg]");
  edited.DefValue.AddItem(std::move(item));
  project.UpdateParameter(edited);
  EXPECT_EQ(&weight, project.ParameterById(id)); // the same object, edited in place
  EXPECT_EQ("Mass_of_a_patient_measured_in_th", weight.ParamName);
  EXPECT_EQ("Anthropometry", project.ParameterCategories().front());

  const std::string name = Cp("Рост");
  Add(name, "Body");
  TProject& again = Reopen();
  const TParameter* stored = again.ParameterById(id);
  ASSERT_NE(nullptr, stored);
  EXPECT_EQ("Mass_of_a_patient_measured_in_th", stored->ParamName);
  EXPECT_EQ("m", stored->ShortName);
  ASSERT_TRUE(stored->DefValue.IsArray());
  EXPECT_EQ("70 [kg]", stored->DefValue.GetItem(0).Text());
  // The list comes back in name order without regard to case.
  std::vector<std::string> names;
  for (const auto& parameter : again.Parameters())
    names.push_back(parameter->ParamName);
  EXPECT_EQ("Mass_of_a_patient_measured_in_th", names.front());
  EXPECT_EQ(name, names.back());

  again.DeleteParameter(id);
  again.DeleteParameter(999); // nothing there: nothing happens
  EXPECT_EQ(nullptr, again.ParameterById(id));
  EXPECT_EQ(nullptr, Reopen().ParameterById(id));
}

TEST_F(StorageParameters, AMissingRowIsABrokenProject) {
  TParameter ghost;
  ghost.Idtor = 999;
  ghost.ParamName = "Ghost";
  EXPECT_THROW(project.UpdateParameter(ghost), ErrorException);
  EXPECT_EQ("System Error: Something wrong.\r\nCan't find parameter. Idtor = 999", sink.Last());
  EXPECT_EQ(nullptr, project.FindParameter("Ghost"));
}

TEST_F(StorageParameters, AValueTooLongToStoreIsRefusedWhole) {
  auto parameter = std::make_unique<TParameter>();
  parameter->ParamName = "Notes";
  parameter->DefValue.SetPlain(std::string(70000, 'n'));
  EXPECT_THROW(project.AddParameter(std::move(parameter)), ErrorException);
  EXPECT_EQ("Value is too long to store", sink.Last());
  EXPECT_EQ(nullptr, project.FindParameter("Notes"));
  EXPECT_EQ(nullptr, Reopen().FindParameter("Notes"));
}

} // namespace
} // namespace vandro

namespace vandro {
namespace {

// The same operations on a project without files.
TEST(StorageInMemoryProject, ListsChangeWithoutAStore) {
  testing::ScriptedSink sink;
  auto project = TProject::CreateInMemory();
  TParameter ghost;
  ghost.Idtor = 999;
  EXPECT_THROW(project->UpdateParameter(ghost), ErrorException);
  EXPECT_EQ("System Error: Something wrong.\r\nCan't find parameter. Idtor = 999", sink.Last());

  TVariable variable;
  variable.Name = "first";
  variable.Value.SetPlain("1");
  ASSERT_TRUE(project->SaveVariable(variable));
  variable.Name = "second";
  ASSERT_TRUE(project->SaveVariable(variable, "FIRST"));
  ASSERT_EQ(1u, project->Variables().size());
  EXPECT_EQ("SECOND", project->Variables()[0]->Name);
  project->DeleteVariable("second");
  EXPECT_TRUE(project->Variables().empty());
}

TEST(StorageInMemoryProject, IdentifiersNeverWrapRound) {
  testing::ScriptedSink sink;
  TProject project;
  project.SetCounters(2147483616 - 32, 2147483646);
  EXPECT_EQ(2147483616, project.NewObjectId());
  EXPECT_EQ(2147483647, project.NewId());
  EXPECT_THROW(project.NewObjectId(), ErrorException);
  EXPECT_THROW(project.NewId(), ErrorException);
  EXPECT_EQ("System Error: Something wrong.\r\nThe project has no identifiers left", sink.Last());
}

} // namespace
} // namespace vandro
