#include "storage/access.h"
#include "storage/objects.h"
#include "storage/project_file.h"
#include "storage/project_lifecycle.h"
#include "storage/project_lock.h"
#include "storage/session.h"
#include "storage_fixture.h"
#include "support/cp.h"
#include "support/other_process.h"
#include "support/unwritable.h"
#include "values/default_units.h"
#include "values/value_text.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace vandro {
namespace {

using testing::Cp;
using testing::TUnwritable;

class StorageProject : public testing::StorageTest {};

TEST_F(StorageProject, ANewProjectHoldsTheSystemParametersAndDefaultUnits) {
  TProject& project = CreateAndOpen();

  ASSERT_EQ(10u, project.Parameters().size());
  const TSystemParameterRow* rows = SystemParameterRows();
  for (int i = 0; i < kSystemParameterCount; ++i) {
    const TParameter* parameter = project.FindParameter(rows[i].name);
    ASSERT_NE(nullptr, parameter) << rows[i].name;
    EXPECT_EQ(2 + i, parameter->Idtor) << rows[i].name;
    EXPECT_EQ(rows[i].shortName, parameter->ShortName);
    EXPECT_EQ("System", parameter->Category);
    EXPECT_EQ(rows[i].type, parameter->ParamType);
    EXPECT_EQ(rows[i].description, parameter->Descript);
    EXPECT_TRUE(parameter->DefValue.IsNull());
  }
  EXPECT_EQ(std::vector<std::string>{"System"}, project.ParameterCategories());

  TUnitCatalogue& units = project.Units();
  ASSERT_EQ(121, units.Count());
  EXPECT_EQ(33u, units.Categories().size());
  const auto defaults = DefaultUnits();
  for (int i = 0; i < units.Count(); ++i) {
    const TDefaultUnit& row = defaults[static_cast<size_t>(i)];
    EXPECT_EQ(DefaultUnitId(i), units[i].id) << row.name;
    EXPECT_NE(0, units[i].id % 32) << row.name;
    EXPECT_EQ(row.name, units[i].name);
    EXPECT_EQ(row.shortName, units[i].shortName);
    EXPECT_EQ(row.category, units[i].category);
    EXPECT_EQ(row.basic, units[i].basic);
    EXPECT_TRUE(units[i].generic);
    EXPECT_DOUBLE_EQ(static_cast<double>(row.coefficient),
                     static_cast<double>(units[i].coefficient));
    EXPECT_DOUBLE_EQ(static_cast<double>(row.offset), static_cast<double>(units[i].offset));
    EXPECT_EQ(row.formula, units[i].formula);
    EXPECT_EQ(row.description, units[i].description);
  }
  EXPECT_EQ(12, units[0].id);
  EXPECT_EQ("None", units[0].name);
  EXPECT_EQ(136, units[120].id);
  EXPECT_EQ("gray", units[120].name);
  // Every default unit normalises when the project opens.
  EXPECT_EQ(std::vector<std::string>{}, sink.Messages());

  EXPECT_EQ(64, APSCreateObject("first"));
  EXPECT_EQ(137, APSNewId());
}

TEST_F(StorageProject, CreatingWritesTheProjectFileWithTheInformationGiven) {
  TProjectInfo info = NewProjectInfo("Health monitor");
  EXPECT_EQ("1.0", info.Version);
  EXPECT_FALSE(info.Author.empty());
  info.Description = Cp("Давление и пульс");
  info.Organization = "Clinic";
  info.Comments = std::string(200, 'c');
  info.StartDate = 1; // the dates are the creation time, whatever is given
  ASSERT_TRUE(APSCreateProject(ProjectFile(), "", info));
  EXPECT_EQ(nullptr, CurrentProject()); // creating leaves the project closed

  const std::string bytes = ReadBytes(ProjectFile());
  ASSERT_EQ(688u, bytes.size());
  TProjectFileContent content;
  ASSERT_TRUE(DecodeProjectFile(bytes, content));
  EXPECT_EQ(32, content.ObjectCounter);
  EXPECT_EQ(136, content.IdCounter);
  EXPECT_EQ("Health monitor", content.Info.Name);
  EXPECT_EQ(ProjectFile(), content.Info.Location);
  EXPECT_EQ(Cp("Давление и пульс"), content.Info.Description);
  EXPECT_EQ("Clinic", content.Info.Organization);
  EXPECT_EQ(std::string(128, 'c'), content.Info.Comments);
  EXPECT_EQ(40000.25, content.Info.StartDate);
  EXPECT_EQ(40000.25, content.Info.LastOpened);
  EXPECT_EQ(40000.25, content.Info.EarliestRecordTime);
  EXPECT_TRUE(std::filesystem::is_regular_file(DatabaseFile()));
}

TEST_F(StorageProject, APathWithoutExtensionGetsVdpAndNamesTheDatabase) {
  ASSERT_TRUE(APSCreateProject(Path("sub/dir/Clinic.2009"), "", NewProjectInfo("x")));
  EXPECT_TRUE(std::filesystem::is_regular_file(Path("sub/dir/Clinic.2009")));
  EXPECT_TRUE(std::filesystem::is_regular_file(Path("sub/dir/Clinic.vdb")));

  ASSERT_TRUE(APSCreateProject(Path("Plain"), "", NewProjectInfo("x")));
  EXPECT_TRUE(std::filesystem::is_regular_file(Path("Plain.vdp")));
  EXPECT_TRUE(std::filesystem::is_regular_file(Path("Plain.vdb")));
  ASSERT_TRUE(OpenProject(Path("Plain")));
  EXPECT_EQ(Path("Plain.vdp"), APSProjectPath());
  EXPECT_EQ(dir, APSProjectDirectory());
  EXPECT_EQ("Plain", APSProjectName());
  CloseProject();

  // A project file spelled in capitals is still found by its bare name.
  ASSERT_TRUE(APSCreateProject(Path("Old.VDP"), "", NewProjectInfo("x")));
  ASSERT_TRUE(OpenProject(Path("Old")));
  EXPECT_EQ(Path("Old.VDP"), APSProjectPath());
}

// The program names files in its code page; on disk they carry their UTF-8
// names, so other programs (and the file dialogs) find them.
TEST_F(StorageProject, CyrillicFolderAndProjectNamesAreUtf8OnDisk) {
  const std::string folder = Cp("Проекты");
  ASSERT_TRUE(APSCreateProject(Path(folder + "/" + Cp("Клиника")), "", NewProjectInfo("x")));
  EXPECT_TRUE(std::filesystem::is_regular_file(Path("Проекты/Клиника.vdp")));
  EXPECT_TRUE(std::filesystem::is_regular_file(Path("Проекты/Клиника.vdb")));
  ASSERT_TRUE(OpenProject(Path(folder + "/" + Cp("Клиника"))));
  EXPECT_EQ(Cp("Клиника"), APSProjectName());
  EXPECT_EQ(Path(folder), APSProjectDirectory());
  CloseProject();

  // Relative names are read from a working directory named in Cyrillic too.
  const auto saved = std::filesystem::current_path();
  std::filesystem::current_path(Path("Проекты"));
  const bool opened = OpenProject(Cp("Клиника"));
  const std::string openedPath = opened ? APSProjectPath() : std::string();
  CloseProject();
  std::filesystem::current_path(saved);
  EXPECT_TRUE(opened);
  EXPECT_EQ(Path(folder + "/" + Cp("Клиника.vdp")), openedPath);
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(StorageProject, ReopeningGivesTheSameContentAndRecordsTheOpeningTime) {
  TProject& project = CreateAndOpen();
  auto weight = std::make_unique<TParameter>();
  weight->ParamName = Cp("Вес");
  weight->ShortName = "w";
  weight->Category = "Body";
  weight->DefValue.SetPlain("70 [kg]");
  weight->Descript = "Body weight";
  weight->ValidTime = 3;
  const int32_t weightId = project.AddParameter(std::move(weight)).Idtor;
  TVariable limit;
  limit.Name = "Limit";
  limit.Comment = Cp("верхняя граница");
  limit.Value.SetPlain("120 [kg]");
  ASSERT_TRUE(project.SaveVariable(limit));
  const int32_t object = APSCreateObject("patient");
  clock.Advance(2);

  TProject& again = Reopen();
  EXPECT_EQ(11u, again.Parameters().size());
  const TParameter* stored = again.FindParameter(Cp("ВЕС"));
  ASSERT_NE(nullptr, stored);
  EXPECT_EQ(weightId, stored->Idtor);
  EXPECT_EQ("w", stored->ShortName);
  EXPECT_EQ("70 [kg]", stored->DefValue.Text());
  EXPECT_EQ("Body weight", stored->Descript);
  EXPECT_EQ(3, stored->ValidTime);
  EXPECT_EQ((std::vector<std::string>{"System", "Body"}), again.ParameterCategories());
  ASSERT_EQ(1u, again.Variables().size());
  EXPECT_EQ("LIMIT", again.Variables()[0]->Name);
  EXPECT_EQ(Cp("верхняя граница"), again.Variables()[0]->Comment);
  EXPECT_EQ("120 [kg]", again.Variables()[0]->Value.Text());
  EXPECT_EQ(121, again.Units().Count());
  EXPECT_EQ("PATIENT", APSObjectName(object));
  EXPECT_EQ(40000.25, again.Info().StartDate);
  EXPECT_EQ(40002.25, again.Info().LastOpened);
  // The open project names objects for display texts.
  TValue reference;
  reference.SetText(vkObject, std::to_string(object));
  EXPECT_EQ("<PATIENT; ID:" + std::to_string(object) + ">", ToDisplayText(&reference));
}

TEST_F(StorageProject, CountersAreRaisedToTheStoredIdentifiersAfterACrash) {
  CreateAndOpen();
  // The project file as it was before the work the crash interrupts.
  const std::string before = ReadBytes(ProjectFile());
  EXPECT_EQ(64, APSCreateObject("a"));
  EXPECT_EQ(96, APSCreateObject("b"));
  auto parameter = std::make_unique<TParameter>();
  parameter->ParamName = "Pulse";
  EXPECT_EQ(137, CurrentProject()->AddParameter(std::move(parameter)).Idtor);
  CloseProject();
  WriteBytes(ProjectFile(), before);

  Reopen();
  TProjectFileContent content;
  ASSERT_TRUE(ReadProjectFile(ProjectFile(), content));
  EXPECT_EQ(96, content.ObjectCounter);
  EXPECT_EQ(137, content.IdCounter);
  EXPECT_EQ(128, APSNewObjectId());
  EXPECT_EQ(138, APSNewId());
}

TEST_F(StorageProject, DamagedCountersAreMendedOnOpen) {
  CreateAndOpen();
  CloseProject();
  TProjectFileContent content;
  ASSERT_TRUE(ReadProjectFile(ProjectFile(), content));
  content.ObjectCounter = 70; // not a multiple of 32
  content.IdCounter = -5;
  ASSERT_TRUE(WriteProjectFileAtomically(ProjectFile(), content));
  Reopen();
  EXPECT_EQ(128, APSNewObjectId());
  EXPECT_EQ(137, APSNewId());
}

TEST_F(StorageProject, ACounterNearItsEndIsSetFromTheStoredIdentifiers) {
  CreateAndOpen();
  const int32_t object = APSCreateObject("kept");
  auto parameter = std::make_unique<TParameter>();
  parameter->ParamName = "Pulse";
  const int32_t id = CurrentProject()->AddParameter(std::move(parameter)).Idtor;
  CloseProject();
  TProjectFileContent content;
  ASSERT_TRUE(ReadProjectFile(ProjectFile(), content));
  content.ObjectCounter = 2147483616 - 32 * 999;
  content.IdCounter = 2147483647 - 999;
  ASSERT_TRUE(WriteProjectFileAtomically(ProjectFile(), content));

  // A look hands out nothing and writes nothing, and has nothing to say.
  sink.Reset();
  ASSERT_TRUE(OpenProject(ProjectFile(), TOpenMode::Look));
  EXPECT_TRUE(sink.Messages().empty()) << sink.Last();
  CloseProject();

  Reopen();
  EXPECT_EQ((std::vector<std::string>{
                "The object identifier counter of the project was 2147451648; it is set to " +
                std::to_string(object) +
                " from the identifiers stored\r\n"
                "The identifier counter of the project was "
                "2147482648; it is set to " +
                std::to_string(id) + " from the identifiers stored"}),
            sink.Messages());
  EXPECT_EQ(object + 32, APSNewObjectId());
  EXPECT_EQ(id + 1, APSNewId());
  ASSERT_TRUE(ReadProjectFile(ProjectFile(), content));
  EXPECT_EQ(object + 32, content.ObjectCounter);

  // One more identifier left than the reserve: the counters are the file's.
  CloseProject();
  content.ObjectCounter = 2147483616 - 32 * 1000;
  content.IdCounter = 2147483647 - 1000;
  ASSERT_TRUE(WriteProjectFileAtomically(ProjectFile(), content));
  sink.Reset();
  Reopen();
  EXPECT_TRUE(sink.Messages().empty()) << sink.Last();
  EXPECT_EQ(2147483616 - 32 * 999, APSNewObjectId());
  EXPECT_EQ(2147483647 - 999, APSNewId());
}

TEST_F(StorageProject, EveryIdentifierChangeRewritesTheProjectFile) {
  CreateAndOpen();
  TProjectFileContent content;
  const int32_t object = APSNewObjectId();
  ASSERT_TRUE(ReadProjectFile(ProjectFile(), content));
  EXPECT_EQ(object, content.ObjectCounter);
  // The general counter skips 160, a multiple of 32.
  int32_t id = 0;
  for (int i = 0; i < 23; ++i)
    id = APSNewId();
  EXPECT_EQ(159, id);
  EXPECT_EQ(161, APSNewId());
  ASSERT_TRUE(ReadProjectFile(ProjectFile(), content));
  EXPECT_EQ(161, content.IdCounter);
  // No temporary file is left beside it.
  EXPECT_FALSE(std::filesystem::exists(ProjectFile() + ".tmp"));
}

TEST_F(StorageProject, RecordTimesBeforeTheStartLowerTheEarliestRecordTime) {
  TProject& project = CreateAndOpen();
  project.NoteRecordTime(40001); // later: nothing changes
  EXPECT_EQ(40000.25, project.Info().EarliestRecordTime);
  NoteRecordTime(39000.5);
  EXPECT_EQ(39000.5, project.Info().EarliestRecordTime);
  EXPECT_EQ(40000.25, project.Info().StartDate);
  TProjectFileContent content;
  ASSERT_TRUE(ReadProjectFile(ProjectFile(), content));
  EXPECT_EQ(39000.5, content.Info.EarliestRecordTime);
}

TEST_F(StorageProject, EditedInformationIsCutAndWritten) {
  TProject& project = CreateAndOpen();
  TProjectInfo edited = project.Info();
  edited.Name = std::string(40, 'n');
  edited.Version = "2.1";
  edited.Description = std::string(300, 'd');
  edited.Author = "Ann";
  edited.Organization = "Lab";
  edited.Comments = "ok";
  edited.Location = "elsewhere"; // not one of the edited fields
  edited.StartDate = 1;
  project.UpdateInfo(edited);
  TProjectFileContent content;
  ASSERT_TRUE(ReadProjectFile(ProjectFile(), content));
  EXPECT_EQ(std::string(32, 'n'), content.Info.Name);
  EXPECT_EQ("2.1", content.Info.Version);
  EXPECT_EQ(std::string(254, 'd'), content.Info.Description);
  EXPECT_EQ("Ann", content.Info.Author);
  EXPECT_EQ("Lab", content.Info.Organization);
  EXPECT_EQ("ok", content.Info.Comments);
  EXPECT_EQ(ProjectFile(), content.Info.Location);
  EXPECT_EQ(40000.25, content.Info.StartDate);
}

TEST_F(StorageProject, OpeningFailuresAreReportedAndLeaveNoProjectOpen) {
  CreateAndOpen();
  CloseProject();
  WriteBytes(Path("Short.vdp"), std::string(100, 'x'));
  std::filesystem::copy_file(ProjectFile(), Path("NoDatabase.vdp"));
  std::filesystem::copy_file(ProjectFile(), Path("Broken.vdp"));
  WriteBytes(Path("Broken.vdb"), "this is not a database, just some text to fill a page");
  const std::string lb = "\r\n";

  struct Case {
    std::string path;
    std::string message;
  };
  const Case cases[] = {
      {Path("missing/Test.vdp"), "Can't find the directory: " + Path("missing")},
      {Path("Absent.vdp"), "Can't open file Absent" + lb + "No such file or directory"},
      {Path("Short.vdp"),
       "Can't open file Short" + lb + "The file is 100 bytes long; a project file has 688 bytes"},
      {Path("NoDatabase.vdp"), "Can't connect to database:" + lb + Path("NoDatabase.vdb") + lb +
                                   "No such file or directory"},
      {Path("Broken.vdp"),
       "Can't connect to database:" + lb + Path("Broken.vdb") + lb + "file is not a database"},
  };
  for (const auto& c : cases) {
    sink.Reset();
    EXPECT_FALSE(OpenProject(c.path)) << c.path;
    EXPECT_EQ((std::vector<std::string>{c.message, "Can't open the project " + c.path}),
              sink.Messages());
    EXPECT_EQ(nullptr, CurrentProject());
    EXPECT_EQ("", APSProjectPath());
  }
}

TEST_F(StorageProject, ADatabaseWithoutItsTablesIsRefused) {
  CreateAndOpen();
  APSDatabase().Execute("DROP TABLE VD_Templates");
  CloseProject();
  EXPECT_FALSE(OpenProject(ProjectFile()));
  EXPECT_EQ("The database has no table VD_Templates:\r\n" + DatabaseFile(), sink.Messages().at(0));
}

TEST_F(StorageProject, AnExistingDatabaseIsReplacedOnlyWhenTheUserAgrees) {
  CreateAndOpen();
  APSCreateObject("kept");
  CloseProject();
  const std::string database = ReadBytes(DatabaseFile());
  const std::string question =
      "File " + DatabaseFile() + " already exists\r\nDo you want to delete it?";

  sink.Answer(false, question);
  EXPECT_FALSE(APSCreateProject(ProjectFile(), "", NewProjectInfo("Test")));
  EXPECT_EQ(database, ReadBytes(DatabaseFile()));

  // A journal left by a crash would be played into the new database.
  WriteBytes(DatabaseFile() + "-journal", "stale");
  sink.Answer(true, question);
  sink.Answer(true,
              "File " + DatabaseFile() + "-journal already exists\r\nDo you want to delete it?");
  EXPECT_TRUE(APSCreateProject(ProjectFile(), "", NewProjectInfo("Test")));
  EXPECT_FALSE(std::filesystem::exists(DatabaseFile() + "-journal"));
  ASSERT_TRUE(OpenProject(ProjectFile()));
  EXPECT_EQ(0, APSObjectCount());
}

TEST_F(StorageProject, ADirectoryThatCannotBeMadeIsReported) {
  WriteBytes(Path("file"), "x");
  EXPECT_FALSE(APSCreateProject(Path("file/Test.vdp"), "", NewProjectInfo("Test")));
  EXPECT_EQ("Can't create a new directory: " + Path("file"), sink.Last());
}

TEST_F(StorageProject, AProjectOpenInAnotherProcessIsRefused) {
  ASSERT_TRUE(APSCreateProject(ProjectFile(), "", NewProjectInfo("Test")));
  int toChild[2], toParent[2];
  ASSERT_EQ(0, pipe(toChild));
  ASSERT_EQ(0, pipe(toParent));
  const pid_t child = fork();
  ASSERT_NE(-1, child);
  if (child == 0) {
    // The other process: opens the project, says so, and keeps it open
    // until told to close.
    const char opened = OpenProject(ProjectFile()) ? '1' : '0';
    char go = 0;
    if (write(toParent[1], &opened, 1) != 1 || read(toChild[0], &go, 1) != 1) _exit(2);
    CloseProject();
    _exit(0);
  }
  char opened = 0;
  ASSERT_EQ(1, read(toParent[0], &opened, 1));
  ASSERT_EQ('1', opened);

  EXPECT_FALSE(OpenProject(ProjectFile()));
  EXPECT_EQ(
      (std::vector<std::string>{"The project is open in another program:\r\n" + DatabaseFile(),
                                "Can't open the project " + ProjectFile()}),
      sink.Messages());
  // Nor may a new project be made over it.
  sink.Reset();
  EXPECT_FALSE(APSCreateProject(ProjectFile(), "", NewProjectInfo("Test")));
  EXPECT_EQ("The project is open in another program:\r\n" + DatabaseFile(), sink.Last());

  ASSERT_EQ(1, write(toChild[1], "x", 1));
  int status = 0;
  ASSERT_EQ(child, waitpid(child, &status, 0));
  EXPECT_EQ(0, WEXITSTATUS(status));
  EXPECT_TRUE(OpenProject(ProjectFile()));
  for (int fd : {toChild[0], toChild[1], toParent[0], toParent[1]})
    close(fd);
}

TEST_F(StorageProject, AProjectOpenedForLookingIsReadAndNeverWritten) {
  CreateAndOpen();
  const int32_t kept = APSCreateObject("kept");
  CloseProject();
  const std::string file = ReadBytes(ProjectFile());
  const std::string database = ReadBytes(DatabaseFile());
  clock.Advance(1);

  ASSERT_TRUE(OpenProject(ProjectFile(), TOpenMode::Look));
  EXPECT_TRUE(ProjectIsReadOnly());
  EXPECT_EQ(kept, APSFindObject("KEPT"));
  // A look takes no lock: a writer may open the project beside it.
  EXPECT_FALSE(TProjectLock::HeldElsewhere(DatabaseFile()));
  // Changes are refused, with the reason, and change nothing.
  EXPECT_THROW(APSCreateObject("new"), ErrorException);
  EXPECT_EQ("The project " + ProjectFile() + " is open read-only: nothing can be changed",
            sink.Last());
  CloseProject();
  EXPECT_FALSE(ProjectIsReadOnly());
  EXPECT_EQ(file, ReadBytes(ProjectFile())); // "Last Opened" included
  EXPECT_EQ(database, ReadBytes(DatabaseFile()));

  // Opening to change it records the opening time as before.
  ASSERT_TRUE(OpenProject(ProjectFile()));
  EXPECT_FALSE(ProjectIsReadOnly());
  EXPECT_EQ(clock.Now(), CurrentProject()->Info().LastOpened);
}

TEST_F(StorageProject, AProjectThatCannotBeWrittenOpensForLookingAfterSayingWhy) {
  CreateAndOpen();
  const int32_t kept = APSCreateObject("kept");
  CloseProject();
  const std::string file = ReadBytes(ProjectFile());
  const std::string database = ReadBytes(DatabaseFile());
  clock.Advance(1);
  const TUnwritable unwritable({dir, ProjectFile(), DatabaseFile()});
  if (!unwritable.Refused().empty())
    GTEST_SKIP() << "the files cannot be made unwritable here: " << unwritable.Refused();

  // Opened to be changed, it cannot be.
  EXPECT_FALSE(OpenProject(ProjectFile()));
  EXPECT_EQ(nullptr, CurrentProject());

  sink.Reset();
  ASSERT_TRUE(OpenProject(ProjectFile(), TOpenMode::EditOrLook));
  EXPECT_TRUE(ProjectIsReadOnly());
  EXPECT_EQ("The project " + ProjectFile() + " can't be changed:\r\n" + dir + ": " +
                TUnwritable::Reason() + "\r\nIt is opened read-only.",
            sink.Messages().at(0));
  EXPECT_EQ(1u, sink.Messages().size());
  // It is there to be looked at; a change is refused before it is tried.
  EXPECT_EQ(kept, APSFindObject("KEPT"));
  EXPECT_THROW(APSCreateObject("new"), ErrorException);
  EXPECT_EQ("The project " + ProjectFile() + " is open read-only: nothing can be changed",
            sink.Last());
  CloseProject();
  EXPECT_EQ(file, ReadBytes(ProjectFile()));
  EXPECT_EQ(database, ReadBytes(DatabaseFile()));
}

TEST_F(StorageProject, ReadersShareAProjectWithItsOneWriter) {
  CreateAndOpen();
  const int32_t kept = APSCreateObject("kept");
  CloseProject();
  const std::string inUse = "The project is open in another program:\r\n" + DatabaseFile();
  {
    // Another program looks at it: this one opens it to change it.
    testing::TOtherProcess reader([&] { return OpenProject(ProjectFile(), TOpenMode::Look); });
    ASSERT_TRUE(reader.Started());
    ASSERT_TRUE(OpenProject(ProjectFile(), TOpenMode::EditOrLook)) << sink.Last();
    EXPECT_FALSE(ProjectIsReadOnly());
    CloseProject();
    // And looks at it beside the other.
    ASSERT_TRUE(OpenProject(ProjectFile(), TOpenMode::Look)) << sink.Last();
    EXPECT_EQ(kept, APSFindObject("KEPT"));
    CloseProject();
    EXPECT_EQ(0, reader.End());
  }
  {
    // Another program has it open to change it, in the middle of a change.
    testing::TOtherProcess writer([&] {
      if (!OpenProject(ProjectFile())) return false;
      APSDatabase().Execute("BEGIN");
      return APSCreateObject("uncommitted") != 0;
    });
    ASSERT_TRUE(writer.Started());
    sink.Reset();
    // A look sees what was last committed.
    ASSERT_TRUE(OpenProject(ProjectFile(), TOpenMode::Look)) << sink.Last();
    EXPECT_EQ(kept, APSFindObject("KEPT"));
    EXPECT_EQ(0, APSFindObject("UNCOMMITTED"));
    CloseProject();
    // A second writer is refused.
    EXPECT_FALSE(OpenProject(ProjectFile(), TOpenMode::EditOrLook));
    EXPECT_EQ((std::vector<std::string>{inUse, "Can't open the project " + ProjectFile()}),
              sink.Messages());
    EXPECT_EQ(0, writer.End());
  }
  EXPECT_TRUE(OpenProject(ProjectFile()));
}

TEST_F(StorageProject, ALookRollsBackWhatAStoppedWriterLeftHalfDone) {
  const auto count = [](const char* sql) {
    auto query = APSDatabase().Query(sql);
    return query.Step() ? query.Int(0) : -1;
  };
  CreateAndOpen();
  const int32_t kept = APSCreateObject("kept");
  const int64_t units = count("SELECT count(*) FROM VD_Units");
  CloseProject();
  const std::string journal = DatabaseFile() + "-journal";
  ASSERT_TRUE(testing::LeaveHalfWritten(ProjectFile(), DatabaseFile()));
  {
    // Files that cannot be written cannot be repaired: the look is refused
    // with the reason and changes nothing.
    const TUnwritable unwritable({dir, ProjectFile(), DatabaseFile()});
    if (unwritable.Refused().empty()) {
      const std::string database = ReadBytes(DatabaseFile());
      sink.Reset();
      EXPECT_FALSE(OpenProject(ProjectFile(), TOpenMode::EditOrLook));
      EXPECT_EQ("Can't connect to database:\r\n" + DatabaseFile() + "\r\n" + kHalfWrittenReason,
                sink.Messages().at(1));
      EXPECT_EQ(database, ReadBytes(DatabaseFile()));
      EXPECT_TRUE(std::filesystem::exists(journal));
    }
  }
  sink.Reset();
  ASSERT_TRUE(OpenProject(ProjectFile(), TOpenMode::Look)) << sink.Last();
  EXPECT_FALSE(std::filesystem::exists(journal));
  EXPECT_EQ(kept, APSFindObject("KEPT"));
  EXPECT_EQ(units, count("SELECT count(*) FROM VD_Units"));
  EXPECT_EQ(0, count("SELECT count(*) FROM sqlite_master WHERE name = 'Filler'"));
  CloseProject();
  ASSERT_TRUE(OpenProject(ProjectFile()));
  auto check = APSDatabase().Query("PRAGMA integrity_check");
  ASSERT_TRUE(check.Step());
  EXPECT_EQ("ok", check.Text(0));
}

TEST_F(StorageProject, OpeningAnotherProjectClosesTheFirst) {
  CreateAndOpen();
  ASSERT_TRUE(APSCreateProject(Path("Other.vdp"), "", NewProjectInfo("Other")));
  ASSERT_TRUE(OpenProject(Path("Other.vdp")));
  EXPECT_EQ(Path("Other.vdp"), APSProjectPath());
  // The first project's lock is gone with it.
  EXPECT_FALSE(TProjectLock::HeldElsewhere(DatabaseFile()));
  CloseProject();
  EXPECT_EQ(nullptr, CurrentProject());
}

} // namespace
} // namespace vandro
