#include "editing/unit_editor.h"
#include "storage/access.h"
#include "storage/descriptors.h"
#include "storage/objects.h"
#include "storage/session.h"
#include "storage/unit_rows.h"
#include "storage_fixture.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

using testing::Cp;

class StorageCopyStructure : public testing::StorageTest {
protected:
  TParameter& Add(TProject& project, const std::string& name, const std::string& category) {
    auto parameter = std::make_unique<TParameter>();
    parameter->ParamName = name;
    parameter->Category = category;
    return project.AddParameter(std::move(parameter));
  }
};

TEST_F(StorageCopyStructure, UserParametersAndUnitsAreCopiedAndNothingElse) {
  ASSERT_TRUE(APSCreateProject(Path("Base.vdp"), "", NewProjectInfo("Base")));
  ASSERT_TRUE(OpenProject(Path("Base.vdp")));
  TProject& base = *CurrentProject();
  for (int i = 0; i < 30; ++i) // the base's identifiers run ahead of the new project's
    APSNewId();
  TParameter& weight = Add(base, Cp("Вес"), "Body");
  weight.DefValue.SetPlain("70 [kg]");
  base.UpdateParameter(weight);
  Add(base, "Hidden", "system"); // any spelling of the system category stays behind
  TUnitForm mile;
  mile.Name = "sea_mile";
  mile.ShortName = "nmi";
  mile.Category = "Distance";
  mile.Factor = "1852";
  ASSERT_NE(0, StoreUnitForm(mile));
  TUnit km = *base.Units().FindUnit("km");
  km.coefficient = 999; // a supplied unit changed in the base is not copied
  APSUpdateUnit(km);
  APSCreateObject("patient");
  ASSERT_TRUE(SaveDescriptor({"x"}, "chart", dkChart, false, "chart"));
  TVariable variable;
  variable.Name = "v";
  ASSERT_TRUE(base.SaveVariable(variable));
  CloseProject();

  ASSERT_TRUE(APSCreateProject(ProjectFile(), Path("Base.vdp"), NewProjectInfo("Test")));
  EXPECT_TRUE(sink.Messages().empty()) << sink.Last();
  ASSERT_TRUE(OpenProject(ProjectFile()));
  TProject& project = *CurrentProject();
  ASSERT_EQ(11u, project.Parameters().size());
  const TParameter* copied = project.FindParameter(Cp("вес"));
  ASSERT_NE(nullptr, copied);
  EXPECT_EQ(137, copied->Idtor);
  EXPECT_EQ("Body", copied->Category);
  EXPECT_EQ("70 [kg]", copied->DefValue.Text());
  EXPECT_EQ(nullptr, project.FindParameter("Hidden"));
  ASSERT_EQ(122, project.Units().Count());
  EXPECT_EQ(138, project.Units().FindUnit("nmi")->id);
  EXPECT_FALSE(project.Units().FindUnit("nmi")->generic);
  EXPECT_EQ(1000, static_cast<double>(project.Units().FindUnit("km")->coefficient));
  EXPECT_EQ(0, APSObjectCount());
  EXPECT_TRUE(project.Variables().empty());
  EXPECT_TRUE(project.ChartNames().empty());
  EXPECT_EQ(64, APSNewObjectId()); // objects are not copied, nor their identifiers
}

TEST_F(StorageCopyStructure, AnErrorWhileCopyingEndsTheCopyAndKeepsWhatWasCopied) {
  ASSERT_TRUE(APSCreateProject(Path("Base.vdp"), "", NewProjectInfo("Base")));
  ASSERT_TRUE(OpenProject(Path("Base.vdp")));
  Add(*CurrentProject(), "Alpha", "Data");
  const int32_t beta = Add(*CurrentProject(), "Beta", "Data").Idtor;
  APSDatabase()
      .Query("UPDATE VD_Params SET DefValue = ? WHERE Idtor = ?")
      .Bind(TBlob{std::string("\x00\x09\x00", 3) + "ab"}, beta) // says 9 bytes, holds 5
      .Run();
  TUnitForm mile;
  mile.Name = "sea_mile";
  mile.ShortName = "nmi";
  mile.Category = "Distance";
  mile.Factor = "1852";
  ASSERT_NE(0, StoreUnitForm(mile));
  CloseProject();

  sink.Reset();
  ASSERT_TRUE(APSCreateProject(ProjectFile(), Path("Base.vdp"), NewProjectInfo("Test")));
  ASSERT_EQ(1u, sink.Messages().size());
  EXPECT_EQ(0u, sink.Last().find("System Error: Something wrong.")) << sink.Last();
  ASSERT_TRUE(OpenProject(ProjectFile()));
  EXPECT_NE(nullptr, CurrentProject()->FindParameter("Alpha"));
  EXPECT_EQ(nullptr, CurrentProject()->FindParameter("Beta"));
  EXPECT_EQ(nullptr, CurrentProject()->Units().FindUnit("nmi"));
}

TEST_F(StorageCopyStructure, ABaseThatCannotBeReadIsReportedAndCreationGoesOn) {
  ASSERT_TRUE(APSCreateProject(Path("Lonely.vdp"), "", NewProjectInfo("Lonely")));
  std::filesystem::remove(Path("Lonely.vdb"));
  struct Case {
    std::string base;
    std::string message;
  };
  const Case cases[] = {
      {Path("Nothing"), "File not found:" + Path("Nothing.vdp")},
      {Path("Lonely.vdp"), "Can't connect to database:\r\n" + Path("Lonely.vdb")},
  };
  for (const auto& c : cases) {
    sink.Reset();
    ASSERT_TRUE(APSCreateProject(ProjectFile(), c.base, NewProjectInfo("Test")));
    EXPECT_EQ((std::vector<std::string>{c.message, "Can't copy structures from " + c.base}),
              sink.Messages());
    CloseProject();
    std::filesystem::remove(DatabaseFile()); // no question about it next time
  }
  ASSERT_TRUE(APSCreateProject(ProjectFile(), Path("Nothing"), NewProjectInfo("Test")));
  ASSERT_TRUE(OpenProject(ProjectFile()));
  EXPECT_EQ(10u, CurrentProject()->Parameters().size());
}

} // namespace
} // namespace vandro
