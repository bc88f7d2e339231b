#include "shell/child_windows.h"
#include "shell/settings.h"
#include "storage/access.h"
#include "storage/objects.h"
#include "storage/project_commands.h"
#include "storage_fixture.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

class ProjectCommands : public testing::StorageTest {
protected:
  ProjectCommands() { settings.Load(Path("config.vd")); }

  // What the "New Project" dialog does when the user presses OK.
  bool CreateWithDefaults(const std::string& path) {
    ++newProjectRuns;
    return APSCreateProject(path, "", NewProjectInfo("Made"));
  }
  std::function<bool(const std::string&)> NewProject() {
    return [this](const std::string& path) { return CreateWithDefaults(path); };
  }
  // A project p<n>/p.vdp, created and left closed.
  std::string MakeProject(int n) {
    const std::string path = Path("p" + std::to_string(n) + "/p.vdp");
    EXPECT_TRUE(APSCreateProject(path, "", NewProjectInfo("p")));
    return path;
  }

  TSettings settings;
  int newProjectRuns = 0;
};

TEST_F(ProjectCommands, OpeningListsTheResolvedFileAtTheTop) {
  ASSERT_TRUE(APSCreateProject(Path("p1/p"), "", NewProjectInfo("p")));
  const std::string first = Path("p1/p.vdp");
  const std::string second = MakeProject(2);
  // Named without its extension, the project is listed by its file.
  ASSERT_TRUE(OpenProjectCommand(Path("p1/p"), NewProject(), settings));
  EXPECT_EQ(first, APSProjectPath());
  ASSERT_TRUE(OpenProjectCommand(second, NewProject(), settings));
  ASSERT_TRUE(OpenProjectCommand(first, NewProject(), settings));
  EXPECT_EQ((std::vector<std::string>{first, second}), settings.RecentProjects());
  EXPECT_EQ(0, newProjectRuns);
  EXPECT_TRUE(sink.Messages().empty());

  // The user keeping the open project opens nothing.
  EXPECT_FALSE(OpenProjectCommand(second, NewProject(), settings, [] { return false; }));
  EXPECT_EQ(first, APSProjectPath());

  // Declining to create a project that is gone leaves the list and the open
  // project alone.
  std::filesystem::remove(second);
  sink.Answer(false);
  EXPECT_FALSE(OpenProjectCommand(second, NewProject(), settings));
  EXPECT_EQ(2u, settings.RecentProjects().size());
  EXPECT_EQ(first, APSProjectPath());
}

TEST_F(ProjectCommands, AMissingProjectIsCreatedOnlyWhenTheUserSaysYes) {
  const std::string path = Path("new/Fresh.vdp");
  sink.Answer(false, "Project doesn't exist.\r\nDo you want to create new one?");
  EXPECT_FALSE(OpenProjectCommand(path, NewProject(), settings));
  EXPECT_EQ("Can't open the project " + path, sink.Last());
  EXPECT_EQ(0, newProjectRuns);
  EXPECT_FALSE(std::filesystem::exists(path));

  sink.Answer(true);
  ASSERT_TRUE(OpenProjectCommand(path, NewProject(), settings));
  EXPECT_EQ(1, newProjectRuns);
  EXPECT_EQ("Made", CurrentProject()->Info().Name);
  EXPECT_EQ(std::vector<std::string>{path}, settings.RecentProjects());

  // The dialog cancelled: nothing else is opened.
  sink.Answer(true);
  EXPECT_FALSE(OpenProjectCommand(
      Path("other.vdp"), [](const std::string&) { return false; }, settings));
  EXPECT_EQ(path, APSProjectPath());
}

class RenameObject : public testing::StorageTest {
protected:
  RenameObject() {
    CreateAndOpen();
    ann = APSCreateObject("ANN");
    bob = APSCreateObject("BOB");
  }
  const std::string kWarning =
      "Warning: If the object name is used in formulas,\r\nthe change of the name may cause its "
      "inadequate performance\r\n\r\nAre you sure?";
  int32_t ann = 0, bob = 0;
};

TEST_F(RenameObject, TheUserConfirmsAndTheNameChanges) {
  sink.Answer(false, kWarning);
  EXPECT_FALSE(RenameObjectCommand(ann, "Anna", false));
  EXPECT_EQ("ANN", APSObjectName(ann));

  sink.Answer(true, kWarning);
  EXPECT_TRUE(RenameObjectCommand(ann, "  Anna ", false));
  EXPECT_EQ("ANNA", APSObjectName(ann));
  EXPECT_TRUE(sink.Messages().empty());

  // Only the case differs: nothing to change, nothing asked.
  EXPECT_TRUE(RenameObjectCommand(ann, "anna", false));
}

TEST_F(RenameObject, Refusals) {
  TChildWindows lists; // an open record dialog on ANN
  struct Dialog final : TChildWindow {
    int32_t object;
    explicit Dialog(int32_t id) : object(id) {}
    TChildKind Kind() const override { return TChildKind::RecordDialog; }
    TChildPlace Place() const override { return {}; }
    bool UsesObject(int32_t id) const override { return id == object; }
    void CloseForProject() override {}
  } dialog(ann);
  lists.Add(dialog);
  EXPECT_FALSE(RenameObjectCommand(ann, "Anna", lists.ObjectInUse(ann)));
  EXPECT_EQ("Can't change name: object is in use", sink.Last());

  EXPECT_FALSE(RenameObjectCommand(bob, " ", lists.ObjectInUse(bob)));

  sink.Reset();
  sink.Answer(true, kWarning);
  EXPECT_FALSE(RenameObjectCommand(bob, "ann", false));
  ASSERT_EQ(2u, sink.Messages().size());
  EXPECT_EQ("Object named ann already exists. Change the name and try again", sink.Messages()[0]);
  EXPECT_EQ("Can't change name:\r\nObject with such aname already exists", sink.Messages()[1]);

  // An object that is gone.
  sink.Reset();
  EXPECT_FALSE(RenameObjectCommand(96 * 10, "Carl", false));
  EXPECT_EQ("Can't change object name", sink.Last());
  EXPECT_EQ("BOB", APSObjectName(bob));
}

} // namespace
} // namespace vandro
