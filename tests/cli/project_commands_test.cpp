// vandro-cli's project commands, driven in-process against projects in a
// fresh directory, with a fixed clock and a settings folder of their own.
#include "cli_fixture.h"
#include "model/parameter.h"
#include "model/project.h"
#include "model/template.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "shell/settings.h"
#include "storage/project_file.h"
#include "storage/project_lifecycle.h"
#include "storage/session.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace vandro::cli {
namespace {

using testing::Outcome;

class CliProject : public testing::CliTest {
protected:
  CliProject() : CliTest(40000.25) {} // 6 July 2009, 06:00

  std::string Health() {
    if (!std::filesystem::exists(dir + "/Health.vdp")) Ok({"new", dir + "/Health"});
    return dir + "/Health";
  }
};

// The lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

TEST_F(CliProject, NewCreatesAProjectCheckedFieldByField) {
  const Outcome created =
      Run({"new", dir + "/Health", "--name", "Health monitor", "--version", "2.0", "--description",
           "Давление", "--author", "Ann", "--organization", "Clinic", "--comments", "first"});
  ASSERT_EQ(kExitOk, created.status) << created.err;
  EXPECT_EQ(dir + "/Health.vdp\n", created.out);
  EXPECT_EQ("", created.err);

  // The project file.
  ASSERT_EQ(688u, std::filesystem::file_size(dir + "/Health.vdp"));
  TProjectFileContent content;
  ASSERT_TRUE(ReadProjectFile(dir + "/Health.vdp", content));
  EXPECT_EQ(32, content.ObjectCounter);
  EXPECT_EQ(136, content.IdCounter);
  EXPECT_EQ("Health monitor", content.Info.Name);
  EXPECT_EQ(dir + "/Health.vdp", content.Info.Location);
  EXPECT_EQ("2.0", content.Info.Version);
  EXPECT_EQ("\xC4\xE0\xE2\xEB\xE5\xED\xE8\xE5", content.Info.Description); // code page 1251
  EXPECT_EQ("Ann", content.Info.Author);
  EXPECT_EQ("Clinic", content.Info.Organization);
  EXPECT_EQ("first", content.Info.Comments);
  EXPECT_EQ(40000.25, content.Info.StartDate);
  EXPECT_EQ(40000.25, content.Info.LastOpened);
  EXPECT_EQ(40000.25, content.Info.EarliestRecordTime);

  // The rows of the database, read as stored.
  ASSERT_TRUE(APSOpenProject(dir + "/Health.vdp"));
  {
    auto query = APSDatabase().Query(
        "SELECT Idtor, ParamName, ShortName, Category, ParamType, length(DefValue), Descript, "
        "ValidTime FROM VD_Params ORDER BY Idtor");
    const TSystemParameterRow* rows = SystemParameterRows();
    for (int i = 0; i < kSystemParameterCount; ++i) {
      ASSERT_TRUE(query.Step()) << i;
      EXPECT_EQ(2 + i, query.Int(0));
      EXPECT_EQ(rows[i].name, query.Text(1));
      EXPECT_EQ(rows[i].shortName, query.Text(2));
      EXPECT_EQ("System", query.Text(3));
      EXPECT_EQ(rows[i].type, query.Int(4));
      EXPECT_EQ(0, query.Int(5)) << rows[i].name;
      EXPECT_EQ(rows[i].description, query.Text(6));
      EXPECT_EQ(0, query.Int(7));
    }
    EXPECT_FALSE(query.Step());
  }
  {
    auto query = APSDatabase().Query("SELECT UntIdtor, UntName FROM VD_Units ORDER BY UntIdtor");
    std::vector<int64_t> ids;
    std::vector<std::string> names;
    while (query.Step()) {
      ids.push_back(query.Int(0));
      names.push_back(query.Text(1));
    }
    std::vector<int64_t> expected;
    for (int id = 12; id <= 136; ++id)
      if (id % 32 != 0) expected.push_back(id);
    EXPECT_EQ(121u, expected.size());
    EXPECT_EQ(expected, ids);
    EXPECT_EQ("None", names.front());
    EXPECT_EQ("gray", names.back());
  }
  for (const char* table : {"VD_Objects", "VD_Records", "VD_Templates", "VD_Param_Templ",
                            "VD_Act_Templ", "VD_Object_NDX", "VD_Rpt_Frm_Chrt"}) {
    auto query = APSDatabase().Query((std::string("SELECT count(*) FROM ") + table).c_str());
    ASSERT_TRUE(query.Step());
    EXPECT_EQ(0, query.Int(0)) << table;
  }
  CloseProject();

  // An existing project is replaced only when the user says so: the default
  // answer is No.
  const Outcome again = Run({"new", dir + "/Health.vdp"});
  EXPECT_EQ(kExitFailed, again.status);
  EXPECT_EQ("File " + dir + "/Health.vdb already exists\nDo you want to delete it? [No]\n",
            again.err);
  ASSERT_TRUE(ReadProjectFile(dir + "/Health.vdp", content));
  EXPECT_EQ("Health monitor", content.Info.Name);
}

TEST_F(CliProject, ANewProjectOpensInTheSqliteShell) {
  if (std::system("command -v sqlite3 >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "the sqlite3 shell is not installed";
  const std::string project = Health();
  Ok({"unit", "add", project, "верста", "--short", "vrs", "--category", "Distance", "--factor",
      "1066.8"});
  const auto shell = [&](const std::string& sql) {
    const std::string command = "sqlite3 -batch -readonly '" + dir + "/Health.vdb' \"" + sql + "\"";
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
      char buffer[4096];
      for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
      EXPECT_EQ(0, pclose(pipe)) << sql;
    }
    return output;
  };
  EXPECT_EQ("VD_Act_Templ\nVD_Object_NDX\nVD_Objects\nVD_Param_Templ\nVD_Params\n"
            "VD_RecordVersions\nVD_Records\nVD_Rpt_Frm_Chrt\nVD_Templates\nVD_Units\n",
            shell("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));
  EXPECT_EQ("12|None|none|Quantity\n24|kilogram|kg|Mass\n136|gray|gray|Radiation Dose\n"
            "137|верста|vrs|Distance\n",
            shell("SELECT UntIdtor, UntName, UntShrtNm, UntCatgry FROM VD_Units "
                  "WHERE UntIdtor IN (12, 24, 136, 137) ORDER BY UntIdtor"));
}

TEST_F(CliProject, InfoAndListingsShowWhatTheWindowsShow) {
  const std::string project = Health();
  Ok({"param", "add", project, "Weight", "--short", "w", "--category", "Body", "--default",
      "70 [kg]", "--description", "Body weight\tin kg"});
  Ok({"var", "set", project, "Limit", "--value", "120 [kg]", "--comment", "верх"});
  ASSERT_TRUE(OpenProject(project + ".vdp"));
  {
    TTemplate visit;
    visit.Name = "Visit";
    auto line = std::make_unique<TParamTemplate>();
    line->Parameter = CurrentProject()->FindParameter("w");
    line->DefValue.SetPlain("70");
    line->Constr.SetText(vkCalculated, "w < 300");
    line->Optional = true;
    visit.ParamLines.push_back(std::move(line));
    ASSERT_TRUE(visit.Save());
  }
  CloseProject();
  clock.Advance(1);

  // The settings say US dates.
  TSettings settings;
  settings.Load(SettingsPath());
  settings.SetDateStyle(false);
  SetDateStyle(TDateStyle::European);
  EXPECT_EQ("Project Name: Health\n"
            "Version: 1.0\n"
            "Project Description: \n"
            "Author Name: " +
                NewProjectInfo("").Author +
                "\n"
                "Organization: \n"
                "Start Date: 07/06/2009 06:00:00\n"
                "Last Opened: 07/06/2009 06:00:00\n"
                "Comments: \n",
            Ok({"info", project}));
  EXPECT_EQ(TDateStyle::European, DateStyle()); // put back after the command

  const auto params = Lines(Ok({"params", project}));
  ASSERT_EQ(12u, params.size());
  EXPECT_EQ("Param Name\tBrief Name\tDefault Value\tDescription\tCategory", params[0]);
  EXPECT_EQ("Weight\tw\t70 [kg]\tBody weight in kg\tBody", params[1]);
  EXPECT_EQ("_CONTENT\t_CONTENT\tNull\tThe content of a group object\tSystem", params[2]);

  const auto units = Lines(Ok({"units", project, "--category", "force"}));
  EXPECT_EQ(
      (std::vector<std::string>{
          "Item No\tUnit Name\tUntNm\tCategory\tFactor\tOffset\tFormula\tBasic\tDimension\t"
          "Dim.Factor\tGeneric\tDescription",
          "1\tdyne\tdyne\tForce\t0.00001\t0\t\tNo\t(kilogram)*(meter)*(second^-2)\t0.00001\tYes\t",
          "2\tnewton\tnewton\tForce\t1\t0\tm*kg*s^-2\tYes\t(kilogram)*(meter)*(second^-2)\t1"
          "\tYes\t"}),
      units);
  EXPECT_EQ(122u, Lines(Ok({"units", project})).size());
  EXPECT_EQ(122u, Lines(Ok({"units", project, "--category", "(AllCategories)"})).size());
  const Outcome unknown = Run({"units", project, "--category", "Nothing"});
  EXPECT_EQ(kExitFailed, unknown.status);
  EXPECT_EQ("Unknown unit category: Nothing\n", unknown.err);

  EXPECT_EQ("Template Name\nVISIT\n", Ok({"templates", project}));
  EXPECT_EQ("Parameter\tDefault Value\tConstraints\tOptional\tInvisible\n"
            "Weight\t70\t<w < 300>\tYes\tNo\n",
            Ok({"templates", project, "visit"}));
  EXPECT_EQ("Name\tValue\tComment\nLIMIT\t120 [kg]\tверх\n", Ok({"vars", project}));

  // Listing leaves the project file as it was.
  TProjectFileContent content;
  ASSERT_TRUE(ReadProjectFile(project + ".vdp", content));
  EXPECT_EQ(40000.25, content.Info.LastOpened);
}

TEST_F(CliProject, ParametersFollowTheRulesOfTheEditorAndTheList) {
  const std::string project = Health();
  EXPECT_EQ("137\n", Ok({"param", "add", project, "Weight", "--category", "Body"}));
  Ok({"param", "add", project, "Pulse", "--short", "p"});
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case refused[] = {
      {{"param", "add", project, ""}, "Parameter name is not defined"},
      {{"param", "add", project, "Height", "--category", "system"},
       "You can't set parameter category to 'System'"},
      {{"param", "add", project, "1st"}, "Parameter name should be an identifier"},
      {{"param", "add", project, "_object_id"}, "Duplicate parameter name"},
      {{"param", "add", project, "Sin"}, "Sin is a standard function"},
      {{"param", "add", project, "While"}, "The parameter name is a reserved word"},
      {{"param", "add", project, "weight"}, "Parameter name is already in use:weight"},
      {{"param", "add", project, "P"}, "Parameter name is already in use:P"},
      {{"param", "add", project, "Height", "--short", "PULSE"},
       "Parameter short name is already in use:PULSE"},
      {{"param", "edit", project, "_RECORD_ID", "--description", "x"},
       "Editing of system parameters is not allowed"},
      {{"param", "edit", project, "Height"}, "Unknown Parameter:Height"},
      {{"param", "edit", project, "Pulse", "--rename", "Weight"},
       "Parameter name is already in use:Weight"},
      {{"param", "delete", project, "Height"}, "Unknown Parameter:Height"},
      {{"--yes", "param", "delete", project, "_OBJECT_ID"},
       "Editing of system parameters is not allowed"},
      {{"param", "delete", project, "Pulse"},
       "Parameter Pulse will be deleted.\nAre you sure? [No]"},
  };
  for (const auto& c : refused) {
    const Outcome outcome = Run(c.args);
    EXPECT_EQ(kExitFailed, outcome.status) << c.message;
    EXPECT_EQ(c.message + "\n", outcome.err);
  }

  Ok({"param", "edit", project, "p", "--rename", "HeartRate", "--short", "hr", "--default", "=60+1",
      "--description", "beats"});
  Ok({"--yes", "param", "delete", project, "Weight"});
  const auto params = Lines(Ok({"params", project}));
  ASSERT_EQ(12u, params.size());
  EXPECT_EQ("HeartRate\thr\t<60+1>\tbeats\tNone", params[1]);
  ASSERT_TRUE(APSOpenProject(project + ".vdp"));
  EXPECT_EQ(138, CurrentProject()->FindParameter("hr")->Idtor);
  EXPECT_EQ(nullptr, CurrentProject()->FindParameter("Weight"));
}

TEST_F(CliProject, VariablesAreSetAndDeleted) {
  const std::string project = Health();
  Ok({"var", "set", project, "Limit", "--value", "120 [kg]", "--comment", "upper"});
  Ok({"var", "set", project, "limit", "--comment", "kept value"});
  Ok({"var", "set", project, "Empty"});
  EXPECT_EQ("Name\tValue\tComment\nEMPTY\tNull\t\nLIMIT\t120 [kg]\tkept value\n",
            Ok({"vars", project}));
  Ok({"var", "delete", project, "empty"});

  const Outcome missing = Run({"var", "delete", project, "Empty"});
  EXPECT_EQ(kExitFailed, missing.status);
  EXPECT_EQ("Can't find variable Empty\n", missing.err);
  const Outcome badName = Run({"var", "set", project, "two words"});
  EXPECT_EQ(kExitFailed, badName.status);
  EXPECT_EQ("Variable name should be an identifier: two words\n", badName.err);
  EXPECT_EQ("Name\tValue\tComment\nLIMIT\t120 [kg]\tkept value\n", Ok({"vars", project}));
}

TEST_F(CliProject, UnitsFollowTheCatalogueRules) {
  const std::string project = Health();
  EXPECT_EQ("137\n", Ok({"unit", "add", project, "sea_mile", "--short", "nmi", "--category",
                         "Distance", "--factor", "1852"}));
  const Outcome category = Run(
      {"unit", "add", project, "point", "--short", "pnt", "--category", "Typography", "--basic"});
  EXPECT_EQ(kExitOk, category.status);
  EXPECT_EQ("Do you want to introduce a new Unit Category:Typography [Yes]\n", category.err);
  Ok({"unit", "add", project, "pica", "--category", "Typography", "--factor", "12"});

  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case refused[] = {
      {{"unit", "add", project, "x1", "--category", "Distance", "--factor", "abc"},
       "Invalid Numeric Syntax: Factor"},
      {{"unit", "add", project, "knot2", "--short", "KM", "--category", "Velocity"},
       "Short Unit Name alredy exists"},
      {{"--yes", "unit", "delete", project, "km"}, "You can't delete a generic unit."},
      {{"--yes", "unit", "delete", project, "pnt"},
       "Can't delete a basic unit.\nCategory isn't empty"},
      {{"unit", "delete", project, "pica"},
       "You're about to delete the unit pica.\n Are you sure? [No]"},
      {{"unit", "make-basic", project, "m"}, "The unit is basic"},
      {{"unit", "make-basic", project, "furlong"}, "Unknown unit: furlong"},
  };
  for (const auto& c : refused) {
    const Outcome outcome = Run(c.args);
    EXPECT_EQ(kExitFailed, outcome.status) << c.message;
    EXPECT_EQ(c.message + "\n", outcome.err);
  }

  Ok({"unit", "make-basic", project, "pica"});
  const auto typography = Lines(Ok({"units", project, "--category", "typography"}));
  ASSERT_EQ(3u, typography.size());
  EXPECT_EQ(
      "1\tpoint\tpnt\tTypography\t0.0833333333333333\t0\t\tNo\t(pica)\t0.0833333333333333\tNo\t",
      typography[1]);
  EXPECT_EQ("2\tpica\tpica\tTypography\t1\t0\t\tYes\t(pica)\t1\tNo\t", typography[2]);
  Ok({"--yes", "unit", "delete", project, "nmi"});
  EXPECT_EQ(124u, Lines(Ok({"units", project})).size()); // a header and 123 units
}

TEST_F(CliProject, EvalWorksOnTheProjectsParametersUnitsAndVariables) {
  const std::string project = Health();
  Ok({"param", "add", project, "Weight", "--short", "w"});
  Ok({"unit", "add", project, "sea_mile", "--short", "nmi", "--category", "Distance", "--factor",
      "1852"});
  Ok({"var", "set", project, "Extra", "--value", "5 [kg]"});
  EXPECT_EQ("85 [KG]\n",
            Ok({"eval", "--project", project, "--set", "w=80 [kg]", "Weight + PROJECT.Extra"}));
  EXPECT_EQ("1 [NMI]\n", Ok({"eval", "--project", project, "1 [nmi] + 0 [m]"}));

  const Outcome unknown = Run({"eval", "--project", project, "--set", "Height=1", "Height"});
  EXPECT_EQ(kExitFailed, unknown.status);
  EXPECT_EQ("Parameter Height doesn't exist\n", unknown.err);
  // Nothing was added to the project.
  EXPECT_EQ(12u, Lines(Ok({"params", project})).size());
  const Outcome missing = Run({"eval", "--project", dir + "/Absent", "1"});
  EXPECT_EQ(kExitFailed, missing.status);
  EXPECT_NE(std::string::npos, missing.err.find("Can't open file Absent")) << missing.err;
}

TEST_F(CliProject, WrongUsageExitsTwo) {
  const std::string project = Health();
  const std::vector<std::vector<std::string>> cases = {
      {"new"},
      {"new", "a", "b"},
      {"new", "a", "--name"},
      {"new", "a", "--colour", "red"},
      {"info"},
      {"info", project, "extra"},
      {"units", project, "--category", "a", "--category", "b"},
      {"templates", project, "a", "b"},
      {"param"},
      {"param", "rename", project, "x"},
      {"param", "add", project},
      {"param", "add", project, "x", "y"},
      {"param", "add", project, "x", "--rename", "y"},
      {"param", "delete", project, "x", "--short", "y"},
      {"var", "delete", project, "x", "--value", "1"},
      {"unit", "delete", project, "x", "--basic"},
      {"eval", "--project", project, "--project", project, "1"},
  };
  for (const auto& args : cases) {
    const Outcome outcome = Run(args);
    EXPECT_EQ(kExitUsage, outcome.status) << args.size();
    EXPECT_NE(std::string::npos, outcome.err.find("Usage: vandro-cli " + args[0])) << outcome.err;
  }
}

} // namespace
} // namespace vandro::cli
