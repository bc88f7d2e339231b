// What vandro-cli makes of a project that another program holds, that a
// stopped writer left half-done, or whose stored times and counters are
// damaged.
#include "cli_fixture.h"

#include "storage/database.h"
#include "storage/objects.h"
#include "storage/project_file.h"
#include "storage/session.h"
#include "support/other_process.h"
#include "support/unwritable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <string>
#include <vector>

namespace vandro::cli {
namespace {

using testing::Outcome;

class CliRobustness : public testing::PlantTest {
protected:
  CliRobustness() {
    Ok({"record", project, "Pump", "--new", "--at", "01.02.2010 10:00:00", "X=1"});
    Ok({"record", project, "Pump", "--at", "01.03.2010 10:00:00", "X=8"});
  }

  std::string database() const { return dir + "/Plant.vdb"; }

  // The commands that only read, each with what it prints of Pump.
  std::vector<std::vector<std::string>> Readers() const {
    return {{"info", project},
            {"state", project, "Pump"},
            {"history", project, "Pump"},
            {"query", project, "FIND ALL OBJECTS WITHIN EVERYTHING CONDITION X > 5"},
            {"eval", "--project", project, "--object", "Pump", "X * 2"},
            {"export", project, "--what", "all", "--output", dir + "/all.txt"}};
  }
};

TEST_F(CliRobustness, ReadingIsNotBlockedByTheProgramThatChangesTheProject) {
  std::vector<std::string> alone;
  for (const auto& command : Readers())
    alone.push_back(Ok(command));

  // Another program has the project open to change it, in the middle of a
  // change: the readers see what was last committed.
  vandro::testing::TOtherProcess writer([&] {
    if (!OpenProject(project)) return false;
    APSDatabase().Execute("BEGIN");
    return APSCreateObject("Uncommitted") != 0;
  });
  ASSERT_TRUE(writer.Started());
  for (size_t i = 0; i < alone.size(); ++i) {
    const Outcome outcome = Run(Readers()[i]);
    EXPECT_EQ(kExitOk, outcome.status) << Readers()[i][0] << ": " << outcome.err;
    EXPECT_EQ(alone[i], outcome.out) << Readers()[i][0];
  }
  EXPECT_EQ("", Ok({"query", project,
                    "FIND ALL OBJECTS WITHIN EVERYTHING CONDITION "
                    "_OBJECT_NAME = \"UNCOMMITTED\""}));
  // A second writer is refused.
  const Outcome second = Run({"record", project, "Pump", "X=2"});
  EXPECT_EQ(kExitFailed, second.status);
  EXPECT_EQ(0u, second.err.find("The project is open in another program")) << second.err;
  EXPECT_EQ(0, writer.End());
}

TEST_F(CliRobustness, AReaderRepairsWhatAStoppedWriterLeftHalfDone) {
  const std::string state = Ok({"state", project, "Pump"});
  ASSERT_TRUE(vandro::testing::LeaveHalfWritten(project, database()));
  {
    const vandro::testing::TUnwritable unwritable({dir, project, database()});
    if (unwritable.Refused().empty()) {
      for (const auto& command : Readers()) {
        const Outcome outcome = Run(command);
        EXPECT_EQ(kExitFailed, outcome.status) << command[0];
        EXPECT_NE(std::string::npos, outcome.err.find(kHalfWrittenReason))
            << command[0] << ": " << outcome.err;
      }
      EXPECT_TRUE(std::filesystem::exists(database() + "-journal"));
    }
  }
  for (const auto& command : Readers())
    Ok(command);
  EXPECT_FALSE(std::filesystem::exists(database() + "-journal"));
  EXPECT_EQ(state, Ok({"state", project, "Pump"}));
}

TEST_F(CliRobustness, ARecordWithAnInvalidTimeIsRefusedNeverPrinted) {
  const double inf = std::numeric_limits<double>::infinity();
  int32_t second = 0;
  for (const double bad : {-1e300, inf, -inf, 3e6}) {
    ASSERT_TRUE(OpenProject(project));
    {
      auto last = APSDatabase().Query("SELECT max(Idtor) FROM VD_Records");
      ASSERT_TRUE(last.Step());
      second = static_cast<int32_t>(last.Int(0));
    }
    APSDatabase()
        .Query("UPDATE VD_Records SET RealTime = ? WHERE Idtor = ?")
        .Bind(bad, second)
        .Run();
    CloseProject();
    const std::string message = "Record " + std::to_string(second) + " has an invalid time";
    for (const auto& command : std::vector<std::vector<std::string>>{
             {"state", project, "Pump"},
             {"history", project, "Pump"},
             {"export", project, "--what", "all", "--output", dir + "/all.txt", "--history"}}) {
      const Outcome outcome = Run(command);
      EXPECT_EQ(kExitFailed, outcome.status) << bad << " " << command[0];
      EXPECT_NE(std::string::npos, outcome.err.find(message))
          << bad << " " << command[0] << ": " << outcome.err;
      EXPECT_EQ(std::string::npos, outcome.out.find("Time:")) << bad << " " << outcome.out;
    }
  }
  // The same for the time the record was stored.
  ASSERT_TRUE(OpenProject(project));
  APSDatabase()
      .Query("UPDATE VD_Records SET RealTime = 40210, SysTime = ? WHERE Idtor = ?")
      .Bind(std::numeric_limits<double>::infinity(), second)
      .Run();
  CloseProject();
  const Outcome outcome = Run({"history", project, "Pump"});
  EXPECT_EQ(kExitFailed, outcome.status);
  EXPECT_NE(std::string::npos,
            outcome.err.find("Record " + std::to_string(second) + " has an invalid time"))
      << outcome.err;
}

TEST_F(CliRobustness, ProjectDatesOutOfRangeAreShownAsNone) {
  TProjectFileContent content;
  ASSERT_TRUE(ReadProjectFile(project, content));
  content.Info.StartDate = -1e300;
  content.Info.LastOpened = 1e300;
  ASSERT_TRUE(WriteProjectFileAtomically(project, content));
  const std::string info = Ok({"info", project});
  EXPECT_NE(std::string::npos, info.find("Start Date: n/a\n")) << info;
  EXPECT_NE(std::string::npos, info.find("Last Opened: n/a\n")) << info;
}

TEST_F(CliRobustness, ACounterNearItsEndNoLongerBlocksNewRecords) {
  TProjectFileContent content;
  ASSERT_TRUE(ReadProjectFile(project, content));
  const int32_t stored = content.IdCounter;
  content.IdCounter = std::numeric_limits<int32_t>::max() - 1;
  ASSERT_TRUE(WriteProjectFileAtomically(project, content));

  const Outcome outcome = Run({"record", project, "Pump", "--at", "01.04.2010", "X=3"});
  ASSERT_EQ(kExitOk, outcome.status) << outcome.err;
  EXPECT_EQ("The identifier counter of the project was 2147483646; it is set to " +
                std::to_string(stored) + " from the identifiers stored\n",
            outcome.err);
  const int32_t next = (stored + 1) % 32 == 0 ? stored + 2 : stored + 1;
  EXPECT_EQ(std::to_string(next) + "\n", outcome.out);
  EXPECT_EQ("", Run({"record", project, "Pump", "--at", "01.05.2010", "X=4"}).err);
}

} // namespace
} // namespace vandro::cli
