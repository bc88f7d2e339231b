#include "editing/parameter_list.h"

#include "model/project.h"
#include "storage/records_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vandro {
namespace {

// X, Y and Z in "Data", with W ("WW", "Vitals", 70 kg) added by the list.
class ParameterList : public testing::RecordsTest {
protected:
  ParameterList() {
    auto w = std::make_unique<TParameter>();
    w->ParamName = "W";
    w->ShortName = "WW";
    w->Category = "Vitals";
    w->Descript = "weight";
    w->DefValue.SetPlain("70 [kg]");
    EXPECT_NE(nullptr, AddParameterFromEditor(std::move(w)));
    sink.Reset();
  }

  static std::vector<std::string> Names(const std::vector<TParameterRow>& rows) {
    std::vector<std::string> names;
    for (const TParameterRow& row : rows)
      names.push_back(row.Name);
    return names;
  }
};

// The picker's tree: the project's categories in order, each with the
// names given; a name of no parameter comes last under no category.
TEST_F(ParameterList, ParametersByCategoryFollowTheProjectsCategories) {
  const TProject& project = *CurrentProject();
  const std::vector<TParameterCategory> tree =
      ParametersByCategory(project, {"Z", "w", "X", "Ghost"});
  ASSERT_EQ(3u, tree.size());
  const auto& categories = project.ParameterCategories();
  const auto at = [&](const std::string& category) {
    return std::find(categories.begin(), categories.end(), category) - categories.begin();
  };
  const bool dataFirst = at("Data") < at("Vitals");
  const TParameterCategory& data = tree[dataFirst ? 0 : 1];
  const TParameterCategory& vitals = tree[dataFirst ? 1 : 0];
  EXPECT_EQ("Data", data.Category);
  EXPECT_EQ((std::vector<std::string>{"Z", "X"}), data.Names);
  EXPECT_EQ("Vitals", vitals.Category);
  EXPECT_EQ((std::vector<std::string>{"w"}), vitals.Names);
  EXPECT_EQ("", tree[2].Category);
  EXPECT_EQ((std::vector<std::string>{"Ghost"}), tree[2].Names);
  EXPECT_TRUE(ParametersByCategory(project, {}).empty());
}

TEST_F(ParameterList, CategoryFilterAndColumns) {
  const TProject& project = *CurrentProject();
  const std::vector<std::string> categories = ListCategories(project);
  ASSERT_FALSE(categories.empty());
  EXPECT_EQ("(All Categories)", categories.front());
  EXPECT_EQ(project.ParameterCategories().size() + 1, categories.size());
  EXPECT_EQ(14u, ParameterRows(project, "(All Categories)").size());
  EXPECT_EQ((std::vector<std::string>{"X", "Y", "Z"}), Names(ParameterRows(project, "data")));
  const std::vector<TParameterRow> vitals = ParameterRows(project, "Vitals");
  ASSERT_EQ(1u, vitals.size());
  EXPECT_EQ("WW", vitals[0].ShortName);
  EXPECT_EQ("70 [kg]", vitals[0].Default);
  EXPECT_EQ("weight", vitals[0].Description);
}

TEST_F(ParameterList, AddingRefusesNamesInUse) {
  struct Case {
    const char* name;
    const char* shortName;
    const char* message;
  } cases[] = {
      {"", "", "Parameter name is not defined"},
      {"ww", "V", "Parameter name is already in use:ww"},
      {"V", "x", "Parameter short name is already in use:x"},
      {"V", "", ""},
  };
  for (const Case& c : cases) {
    sink.Reset();
    auto parameter = std::make_unique<TParameter>();
    parameter->ParamName = c.name;
    parameter->ShortName = c.shortName;
    parameter->Category = "Data";
    const bool added = AddParameterFromEditor(std::move(parameter)) != nullptr;
    EXPECT_EQ(*c.message == 0, added) << c.name;
    EXPECT_EQ(c.message, sink.Last()) << c.name;
  }
  EXPECT_NE(nullptr, Reopen().FindParameter("V"));
}

TEST_F(ParameterList, DeletingAsksAndLeavesTemplateLines) {
  sink.Answer(false, std::string("Parameter W will be deleted.\r\nAre you sure?"));
  EXPECT_FALSE(DeleteParameterFromList("ww"));
  EXPECT_NE(nullptr, CurrentProject()->FindParameter("W"));
  sink.Answer(true);
  EXPECT_TRUE(DeleteParameterFromList("W"));
  EXPECT_EQ(nullptr, Reopen().FindParameter("W"));
  EXPECT_FALSE(DeleteParameterFromList("W"));
  EXPECT_EQ("Unknown Parameter:W", sink.Last());
}

} // namespace
} // namespace vandro
