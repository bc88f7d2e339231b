#include "editing/project_manager.h"

#include "editing/project_info.h"
#include "editing/unit_editor.h"
#include "model/template.h"
#include "shell/datetime.h"
#include "storage/descriptors.h"
#include "storage/objects.h"
#include "storage/records_fixture.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

using Names = std::vector<std::string>;
using Kind = TManagerNodeKind;

Names Captions(const TManagerNode& node) {
  Names names;
  for (const TManagerNode& child : node.Children)
    names.push_back(child.Caption);
  return names;
}

const TManagerNode& Child(const TManagerNode& node, const std::string& caption) {
  for (const TManagerNode& child : node.Children)
    if (child.Caption == caption) return child;
  ADD_FAILURE() << "no node " << caption << " below " << node.Caption;
  static const TManagerNode none;
  return none;
}

// The project of RecordsTest (X, Y, Z in "Data") with W in "Vitals", a
// user-defined unit, the template DAILY over X and Y, a chart, two objects
// with an object-index entry each and a group with a group-index entry.
class ProjectManager : public testing::RecordsTest {
protected:
  ProjectManager() {
    auto w = std::make_unique<TParameter>();
    w->ParamName = "W";
    w->ShortName = "WW";
    w->Category = "Vitals";
    w->Descript = "weight";
    w->DefValue.SetPlain("70 [kg]");
    wId = CurrentProject()->AddParameter(std::move(w)).Idtor;
    TUnitForm unit;
    unit.Name = "stone";
    unit.ShortName = "st";
    unit.Category = "Mass";
    unit.Factor = "6.35";
    stoneId = StoreUnitForm(unit);

    TTemplate daily;
    daily.Name = "daily";
    for (const char* name : {"Y", "X"}) {
      auto line = std::make_unique<TParamTemplate>();
      line->Parameter = CurrentProject()->FindParameter(name);
      line->DefValue.SetPlain(name == std::string("Y") ? "5" : "");
      line->Optional = name == std::string("X");
      daily.ParamLines.push_back(std::move(line));
    }
    EXPECT_TRUE(daily.Save());
    EXPECT_TRUE(SaveDescriptor({"Title=Weight"}, "weights", dkChart, false, "weights"));
    LoadChartNames();

    anna = APSCreateObject("anna");
    boris = APSCreateObject("boris");
    ward = APSCreateObject("ward");
    EXPECT_TRUE(AddEntry(ikObjects, "Second", "", boris));
    EXPECT_TRUE(AddEntry(ikObjects, "first", "the first", anna));
    EXPECT_TRUE(AddEntry(ikGroups, "wards", "", ward));
    sink.Reset();
  }

  TProject& Project() { return *CurrentProject(); }

  TManagerNode Node(Kind kind, const std::string& caption, int32_t id = 0) {
    TManagerNode node;
    node.Kind = kind;
    node.Caption = caption;
    node.Id = id;
    return node;
  }

  int32_t wId = 0, stoneId = 0, anna = 0, boris = 0, ward = 0;
};

TEST_F(ProjectManager, TreeHoldsTheProjectContentInOrder) {
  const TManagerNode root = ProjectTree(Project());
  EXPECT_EQ("Test", root.Caption);
  EXPECT_EQ((Names{"Parameters", "Units", "Templates", "Charts", "Object Index", "Group Index"}),
            Captions(root));

  const TManagerNode& parameters = root.Children[0];
  EXPECT_EQ(Project().ParameterCategories(), Captions(parameters));
  EXPECT_EQ((Names{"X", "Y", "Z"}), Captions(Child(parameters, "Data")));
  const TManagerNode& w = Child(parameters, "Vitals").Children.at(0);
  EXPECT_EQ(Kind::Parameter, w.Kind);
  EXPECT_EQ(wId, w.Id);
  EXPECT_EQ(10u, Child(parameters, "System").Children.size());

  const TManagerNode& units = root.Children[1];
  EXPECT_EQ(Project().Units().Categories(), Captions(units));
  const Names mass = Captions(Child(units, "Mass"));
  EXPECT_NE(mass.end(), std::find(mass.begin(), mass.end(), "stone"));

  EXPECT_EQ(Names{"DAILY"}, Captions(root.Children[2]));
  EXPECT_EQ(Names{"WEIGHTS"}, Captions(root.Children[3]));
  EXPECT_EQ((Names{"FIRST", "SECOND"}), Captions(root.Children[4]));
  EXPECT_EQ((Names{"All Objects", "WARDS"}), Captions(root.Children[5]));
  EXPECT_EQ(Kind::AllObjects, root.Children[5].Children[0].Kind);
}

TEST_F(ProjectManager, CategoryWithoutParametersHasNoNode) {
  TParameter moved;
  moved.Assign(*Project().ParameterById(wId));
  moved.Category = "Data";
  ASSERT_TRUE(ApplyParameterEdit(moved));
  const TManagerNode parameters = ParametersNode(Project());
  const Names categories = Captions(parameters);
  EXPECT_EQ(categories.end(), std::find(categories.begin(), categories.end(), "Vitals"));
  EXPECT_EQ((Names{"W", "X", "Y", "Z"}), Captions(Child(parameters, "Data")));
}

TEST_F(ProjectManager, DetailGridsOfEachKindOfNode) {
  using Rows = std::vector<std::vector<std::string>>;
  const TDetailGrid parameter = NodeDetails(Project(), Node(Kind::Parameter, "W", wId));
  EXPECT_TRUE(parameter.Columns.empty());
  EXPECT_EQ((Rows{{"Parameter Name", "W"},
                  {"Short Name", "WW"},
                  {"Category", "Vitals"},
                  {"Description", "weight"},
                  {"Default Value", "70 [kg]"},
                  {"Param Type", ""},
                  {"Valid Time", "0"}}),
            parameter.Rows);

  const TDetailGrid stone = NodeDetails(Project(), Node(Kind::Unit, "stone", stoneId));
  EXPECT_EQ((Rows{{"Unit Name", "stone"},
                  {"Short Name", "st"},
                  {"Category", "Mass"},
                  {"Description", ""},
                  {"User Defined", "Yes"},
                  {"Basic Unit", "No"},
                  {"Factor", "6.35"},
                  {"Offset", "0"},
                  {"Formula", ""}}),
            stone.Rows);
  const TUnit* kilogram = Project().Units().FindUnit("kg");
  ASSERT_NE(nullptr, kilogram);
  const TDetailGrid supplied = NodeDetails(Project(), Node(Kind::Unit, "", kilogram->id));
  EXPECT_EQ((std::vector<std::string>{"User Defined", "No"}), supplied.Rows.at(4));

  const TDetailGrid daily = NodeDetails(Project(), Node(Kind::Template, "DAILY"));
  EXPECT_EQ((Names{"Parameter", "Default Value", "Constraints", "Optional", "Invisible"}),
            daily.Columns);
  EXPECT_EQ((Rows{{"Y", "5", "Null", "No", "No"}, {"X", "Null", "Null", "Yes", "No"}}), daily.Rows);

  EXPECT_EQ((Rows{{"Entry Name", "FIRST"},
                  {"Object Name", "ANNA"},
                  {"Object Identifier", std::to_string(anna)},
                  {"Description", "the first"}}),
            NodeDetails(Project(), Node(Kind::ObjectEntry, "FIRST")).Rows);

  const TDetailGrid root = NodeDetails(Project(), Node(Kind::Project, "Test"));
  Names captions;
  for (const auto& row : root.Rows)
    captions.push_back(row[0]);
  EXPECT_EQ((Names{"Project Name", "Version", "Project Description", "Author Name", "Organization",
                   "Start Date", "Last Opened", "Comments"}),
            captions);
  EXPECT_EQ("1.0", root.Rows[1][1]);
}

TEST_F(ProjectManager, EntriesMissingFromTheListsRaise) {
  EXPECT_THROW(NodeDetails(Project(), Node(Kind::ObjectEntry, "GONE")), ErrorException);
  EXPECT_EQ("??? Object index entry not found ???", sink.Last());
  // An entry of the other list is not found either.
  EXPECT_THROW(NodeAction(Project(), Node(Kind::GroupEntry, "FIRST")), ErrorException);
  EXPECT_EQ("??? Group index entry not found ???", sink.Last());
}

TEST_F(ProjectManager, DoubleClickDecidesWhatOpens) {
  const TUnit* kilogram = Project().Units().FindUnit("kg");
  ASSERT_NE(nullptr, kilogram);
  const TParameter* objectId = Project().FindParameter("_OBJECT_ID");
  struct Case {
    TManagerNode node;
    TNodeAction action;
    std::string message;
  };
  const Case cases[] = {
      {Node(Kind::Parameter, "W", wId), TNodeAction::EditParameter, ""},
      {Node(Kind::Parameter, "_OBJECT_ID", objectId->Idtor), TNodeAction::None,
       "Editing of system parameters is not allowed"},
      {Node(Kind::Unit, "stone", stoneId), TNodeAction::EditUnit, ""},
      {Node(Kind::Unit, "kilogram", kilogram->id), TNodeAction::None,
       "This unit can't be modified"},
      {Node(Kind::Template, "DAILY"), TNodeAction::EditTemplate, ""},
      {Node(Kind::Chart, "WEIGHTS"), TNodeAction::OpenChart, ""},
      {Node(Kind::GroupEntry, "WARDS"), TNodeAction::ViewObject, ""},
      {Node(Kind::AllObjects, "All Objects"), TNodeAction::ListGroups, ""},
      {Node(Kind::Units, "Units"), TNodeAction::None, ""},
  };
  for (const Case& c : cases) {
    sink.Reset();
    EXPECT_EQ(c.action, NodeAction(Project(), c.node)) << c.node.Caption;
    EXPECT_EQ(c.message, sink.Last()) << c.node.Caption;
  }
  EXPECT_EQ(ward, EntryObject(Project(), Node(Kind::GroupEntry, "WARDS")));
}

TEST_F(ProjectManager, ParameterEditsAreCheckedThenStored) {
  struct Case {
    std::string name, shortName, category, message;
  };
  const Case refused[] = {
      {"1W", "WW", "Vitals", "Parameter name should be an identifier"},
      {"X", "WW", "Vitals", "Parameter name is already in use:X"},
      {"W", "Y", "Vitals", "Parameter short name is already in use:Y"},
      {"W", "WW", "system", "You can't set parameter category to 'System'"},
      {"", "WW", "Vitals", "Parameter name is not defined"},
  };
  for (const Case& c : refused) {
    TParameter edited;
    edited.Assign(*Project().ParameterById(wId));
    edited.ParamName = c.name;
    edited.ShortName = c.shortName;
    edited.Category = c.category;
    EXPECT_FALSE(ApplyParameterEdit(edited)) << c.name;
    EXPECT_EQ(c.message, sink.Last()) << c.name;
    EXPECT_EQ("W", Project().ParameterById(wId)->ParamName);
  }

  TParameter edited;
  edited.Assign(*Project().ParameterById(wId));
  edited.ParamName = "Mass";
  edited.Category = "Body";
  ASSERT_TRUE(ApplyParameterEdit(edited));
  Reopen();
  const TManagerNode parameters = ParametersNode(Project());
  EXPECT_EQ(Names{"Mass"}, Captions(Child(parameters, "Body")));
}

TEST_F(ProjectManager, ProjectInformationEditKeepsTheDatesAndIsStored) {
  const double started = Project().Info().StartDate;
  std::vector<std::string> edited;
  for (const TInfoRowText& row : ProjectInfoRows(Project().Info(), TInfoUse::Editing))
    edited.push_back(row.Text);
  edited[irName] = std::string(40, 'N');
  edited[irStartDate] = "01.01.1990"; // the dates are not editable: ignored
  edited[irComments] = "kept";
  ApplyProjectInfo(Project(), edited);
  Reopen();
  EXPECT_EQ(std::string(32, 'N'), Project().Info().Name);
  EXPECT_EQ("kept", Project().Info().Comments);
  EXPECT_EQ(started, Project().Info().StartDate);
  const TDetailGrid grid = ProjectInfoGrid(Project().Info());
  EXPECT_EQ((std::vector<std::string>{"Start Date", DateTimeToText(started)}), grid.Rows.at(5));
  const std::vector<std::string> lines = ProjectInfoLines(Project().Info());
  EXPECT_EQ("Location:", lines.at(0));
  EXPECT_EQ("Version info: 1.0", lines.at(3));
  EXPECT_EQ("Project started: " + DateTimeToText(started), lines.at(7));
  EXPECT_EQ("kept", lines.back());
}

TEST_F(ProjectManager, VariablesGridAndItsButtons) {
  // No variables: one empty row, and the buttons ask for a selection.
  ASSERT_EQ(1u, VariableRows(Project(), TVariableOrder::Name).size());
  EXPECT_EQ("", VariableRows(Project(), TVariableOrder::Name)[0].Name);
  EXPECT_EQ(nullptr, VariableOfRow(Project(), true, ""));
  EXPECT_EQ("Select variable", sink.Last());

  ASSERT_TRUE(StoreVariable(Project(), {"rate", "3 [kg]", "b comment"}, ""));
  ASSERT_TRUE(StoreVariable(Project(), {" alpha ", "9", "a comment"}, ""));
  std::vector<TVariableRow> rows = VariableRows(Project(), TVariableOrder::Name);
  ASSERT_EQ(2u, rows.size());
  EXPECT_EQ("ALPHA", rows[0].Name);
  EXPECT_EQ("3 [kg]", rows[1].Value);
  EXPECT_EQ("RATE", VariableRows(Project(), TVariableOrder::Value)[0].Name);
  EXPECT_EQ("ALPHA", VariableRows(Project(), TVariableOrder::Comment)[0].Name);

  EXPECT_EQ(nullptr, VariableOfRow(Project(), false, "RATE"));
  EXPECT_EQ("Select variable", sink.Last());
  EXPECT_EQ(nullptr, VariableOfRow(Project(), true, "BETA"));
  EXPECT_EQ("Can't find variable BETA", sink.Last());

  struct Case {
    TVariableForm form;
    std::string stored, message;
  };
  const Case refused[] = {
      {{"", "1", ""}, "", "Variable name should be an identifier"},
      {{"two words", "1", ""}, "", "Variable name should be an identifier"},
      {{"_object_id", "1", ""}, "", "Variable name is a reserved name"},
      {{"alpha", "1", ""}, "", "Variable ALPHA already exists"},
      {{"alpha", "1", ""}, "RATE", "Variable ALPHA already exists"},
      {{"gamma", "1", ""}, "GONE", "Can't find variable GONE"},
  };
  for (const Case& c : refused) {
    sink.Reset();
    EXPECT_FALSE(StoreVariable(Project(), c.form, c.stored)) << c.form.Name;
    EXPECT_EQ(c.message, sink.Last()) << c.form.Name;
  }
  EXPECT_EQ("3 [kg]", ToDisplayText(&Project().FindVariable("RATE")->Value));

  // A rename keeps one variable; a value the dialog cannot edit is kept.
  Project().FindVariable("RATE")->Value.SetArray();
  Project().FindVariable("RATE")->Value.AddItem(TValue::Create("test"));
  ASSERT_TRUE(StoreVariable(Project(), {"speed", "", "line\r\nbreak", true}, "RATE"));
  Reopen();
  ASSERT_EQ(nullptr, Project().FindVariable("RATE"));
  TVariable* speed = Project().FindVariable("SPEED");
  ASSERT_NE(nullptr, speed);
  EXPECT_TRUE(speed->Value.IsArray());
  EXPECT_EQ("line  break", speed->Comment);
  EXPECT_EQ((Names{"Name: SPEED", "Comment: line  break", "Array of 1 items", "  Plain: Null"}),
            VariableViewLines(*speed));

  sink.Answer(false);
  EXPECT_FALSE(DeleteVariableAsked(Project(), *speed));
  EXPECT_EQ("Variable SPEED will be deleted.\r\nAre you sure?", sink.Questions().back());
  sink.Answer(true);
  EXPECT_TRUE(DeleteVariableAsked(Project(), *Project().FindVariable("SPEED")));
  sink.Answer(true);
  EXPECT_TRUE(DeleteVariableAsked(Project(), *Project().FindVariable("ALPHA")));
  Reopen();
  rows = VariableRows(Project(), TVariableOrder::Name);
  ASSERT_EQ(1u, rows.size());
  EXPECT_EQ("", rows[0].Name);
}

TEST_F(ProjectManager, IndexGridsListTheEntriesOfTheirKind) {
  const TDetailGrid objects = IndexGrid(Project(), ikObjects);
  EXPECT_EQ((Names{"Entry Name", "Object Name", "Object Identifier", "Description"}),
            objects.Columns);
  ASSERT_EQ(2u, objects.Rows.size());
  EXPECT_EQ((Names{"FIRST", "ANNA", std::to_string(anna), "the first"}), objects.Rows[0]);

  struct Case {
    TIndexKind kind;
    int row;
    std::string name;
    int32_t object;
    std::string message;
  };
  const int32_t gone = ward + 32 * 40;
  const Case refused[] = {
      {ikObjects, -1, "   ", anna, "Enter the entry name"},
      {ikObjects, -1, "third", 0, "Select an object"},
      {ikGroups, -1, "third", gone, "Select a group"},
      {ikObjects, -1, "third", anna, "Can't create index entry. Duplicate Names."},
      {ikObjects, 1, "first", boris, "Can't change index entry. Duplicate Names."},
  };
  for (const Case& c : refused) {
    sink.Reset();
    EXPECT_FALSE(StoreIndexEntry(c.kind, c.row, c.name, "", c.object)) << c.message;
    EXPECT_EQ(c.message, sink.Last());
  }
  EXPECT_EQ(objects.Rows, IndexGrid(Project(), ikObjects).Rows);
  ASSERT_TRUE(StoreIndexEntry(ikObjects, 0, "anna's", "moved", anna));
  EXPECT_EQ("ANNA'S", IndexGrid(Project(), ikObjects).Rows[0][0]);
  EXPECT_FALSE(EntrySelected(Project(), ikObjects, 2));
  EXPECT_EQ("Select an entry", sink.Last());
  EXPECT_TRUE(EntrySelected(Project(), ikObjects, 1));

  sink.Answer(true);
  ASSERT_TRUE(DeleteEntry(ikGroups, 0));
  EXPECT_EQ((std::vector<std::vector<std::string>>{{"", "", "", ""}}),
            IndexGrid(Project(), ikGroups).Rows);
}

TEST_F(ProjectManager, TheGroupIndexTakesOnlyGroups) {
  const int32_t east = APSCreateObject("east");
  std::vector<TValue::Ptr> added;
  added.push_back(TValue::Create("test"));
  added.back()->SetText(vkObject, std::to_string(anna));
  TObjectSet set;
  ASSERT_TRUE(set.Load(east));
  TStateTrack track;
  set.LatestStateAt(Day(1), track);
  ASSERT_NE(0, track.ModifyGroup(added, {}, Day(1)));
  EXPECT_TRUE(IsGroup(east));
  EXPECT_FALSE(IsGroup(anna));

  sink.Reset();
  EXPECT_FALSE(StoreIndexEntry(ikGroups, -1, "patient", "", anna));
  EXPECT_EQ("Select a group", sink.Last());
  EXPECT_TRUE(StoreIndexEntry(ikGroups, -1, "east wing", "", east));
  EXPECT_EQ("EAST WING", IndexGrid(Project(), ikGroups).Rows[0][0]);
}

TEST_F(ProjectManager, IndexEntriesShowTheNameTheirObjectHasNow) {
  ASSERT_TRUE(APSRenameObject(ward, "hall"));
  ASSERT_TRUE(APSRenameObject(anna, "anne"));
  EXPECT_EQ("HALL", IndexGrid(Project(), ikGroups).Rows[0][1]);
  EXPECT_EQ("ANNE", IndexGrid(Project(), ikObjects).Rows[0][1]);
  const TDetailGrid details = NodeDetails(Project(), Node(Kind::GroupEntry, "WARDS"));
  EXPECT_EQ((Names{"Object Name", "HALL"}), details.Rows[1]);
}

TEST_F(ProjectManager, AProjectOpenedForLookingOpensNoEditor) {
  for (const char* caption :
       {"Edit", "Add Entry", "Delete Entry", "Edit Entry", "Add Variable", "Delete Variable"})
    EXPECT_TRUE(ManagerButtonChangesProject(caption)) << caption;
  for (const char* caption : {"View", "View Object", "View Group", "Sort by Name", "Cancel"})
    EXPECT_FALSE(ManagerButtonChangesProject(caption)) << caption;

  CloseProject();
  ASSERT_TRUE(OpenProject(ProjectFile(), TOpenMode::Look));
  const std::string refusal =
      "The project " + ProjectFile() + " is open read-only: nothing can be changed";
  const TManagerNode editors[] = {Node(Kind::Parameter, "W", wId),
                                  Node(Kind::Unit, "stone", stoneId),
                                  Node(Kind::Template, "DAILY")};
  for (const TManagerNode& node : editors) {
    sink.Reset();
    EXPECT_EQ(TNodeAction::None, NodeAction(Project(), node)) << node.Caption;
    EXPECT_EQ(refusal, sink.Last());
  }
  // Looking goes on.
  EXPECT_EQ(TNodeAction::ViewObject, NodeAction(Project(), Node(Kind::ObjectEntry, "FIRST")));
  EXPECT_EQ(TNodeAction::ListGroups, NodeAction(Project(), Node(Kind::AllObjects, "All Objects")));
}

} // namespace
} // namespace vandro
