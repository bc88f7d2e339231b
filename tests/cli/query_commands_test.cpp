#include "cli_fixture.h"

#include "shell/clock.h"
#include "shell/datetime.h"
#include "storage/project_lifecycle.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace vandro::cli {
namespace {

using testing::Outcome;

// Objects stored by the record command.
class QueryCommands : public testing::PlantTest {
protected:
  QueryCommands() {
    Ok({"record", project, "Pump", "--new", "--at", "01.02.2010 10:00:00", "X=1"});
    Ok({"record", project, "Pump", "--at", "01.03.2010 10:00:00", "X=8"});
    Ok({"record", project, "Valve", "--new", "--at", "01.02.2010 10:00:00", "X=9"});
  }
};

TEST_F(QueryCommands, QueryPrintsOneResultPerLine) {
  EXPECT_EQ("<PUMP; ID:64>\n<VALVE; ID:96>\n",
            Ok({"query", project, "FIND ALL OBJECTS WITHIN EVERYTHING CONDITION X > 5"}));
  EXPECT_EQ("<VALVE; ID:96>\n", Ok({"query", project,
                                    "FIND ALL OBJECTS WITHIN EVERYTHING CONDITION X > 5 ACTUAL "
                                    "'15.02.2010 00:00:00'"}));
  EXPECT_EQ("", Ok({"query", project, "FIND ALL OBJECTS WITHIN EVERYTHING CONDITION X > 100"}));

  const Outcome bad = Run({"query", project, "FIND TOP 1.5 OBJECTS WITHIN EVERYTHING"});
  EXPECT_EQ(kExitFailed, bad.status);
  EXPECT_NE(std::string::npos, bad.err.find("Number specifier should be an integer."));
  const Outcome unparsed = Run({"query", project, "FIND ALL OBJECTS WITHIN LIST"});
  EXPECT_EQ(kExitFailed, unparsed.status);
  EXPECT_FALSE(unparsed.err.empty());
  EXPECT_EQ(kExitUsage, Run({"query", project}).status);
  EXPECT_EQ(kExitUsage, Run({"query", project, "FIND", "ALL"}).status);
  EXPECT_EQ(kExitFailed, Run({"query", dir + "/Missing.vdp", "FIND ALL OBJECTS"}).status);
}

// Listings and look-ups only read the project: its file (with "Last
// Opened") and its database stay byte for byte as they were.
TEST_F(QueryCommands, LookingUpWritesNothing) {
  const auto bytes = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string file = bytes(project), database = bytes(dir + "/Plant.vdb");
  clock.Advance(1);
  const std::string output = dir + "/out.txt";
  const std::vector<std::vector<std::string>> commands = {
      {"state", project, "Pump"},
      {"history", project, "Pump"},
      {"query", project, "FIND ALL OBJECTS WITHIN EVERYTHING"},
      {"eval", "--project", project, "--object", "Pump", "X"},
      {"eval", "--project", project, "COUNT(EXECUTE('FIND ALL OBJECTS WITHIN EVERYTHING'))"},
      {"export", project, "--what", "all", "--output", output},
      {"info", project},
      {"units", project},
      {"stats", "--project", project, "--series",
       "X=EXECUTE('FIND ALL OBJECTS WITHIN "
       "EVERYTHING').X"},
  };
  for (const auto& command : commands) {
    Ok(command);
    EXPECT_EQ(file, bytes(project)) << command[0];
    EXPECT_EQ(database, bytes(dir + "/Plant.vdb")) << command[0];
  }
}

TEST_F(QueryCommands, EvalReadsTheStateOfAnObjectAtAMoment) {
  EXPECT_EQ("16\n", Ok({"eval", "--project", project, "--object", "Pump", "X * 2"}));
  EXPECT_EQ("2\n", Ok({"eval", "--project", project, "--object", "pump", "--at",
                       "15.02.2010 00:00:00", "X * 2"}));
  EXPECT_EQ("PUMP\n", Ok({"eval", "--project", project, "--object", "Pump", "_OBJECT_NAME"}));
  // Without an object the names have no record; the object functions work.
  EXPECT_EQ("Null\n", Ok({"eval", "--project", project, "X"}));
  EXPECT_EQ("1\n", Ok({"eval", "--project", project,
                       "COUNT(EXECUTE('FIND ALL OBJECTS WITHIN "
                       "EVERYTHING CONDITION X = 9'))"}));

  const Outcome early =
      Run({"eval", "--project", project, "--object", "Pump", "--at", "01.01.2010 00:00:00", "X"});
  EXPECT_EQ(kExitFailed, early.status);
  EXPECT_NE(std::string::npos, early.err.find("hasn't any actual state"));
  const Outcome nobody = Run({"eval", "--project", project, "--object", "Nobody", "X"});
  EXPECT_EQ(kExitFailed, nobody.status);
  EXPECT_NE(std::string::npos, nobody.err.find("Object Nobody doesn't exist"));
  const Outcome failing = Run({"eval", "--project", project, "--object", "Pump", "X +"});
  EXPECT_EQ(kExitFailed, failing.status);
  EXPECT_NE(std::string::npos, failing.err.find("### Error ###"));

  EXPECT_EQ(kExitUsage,
            Run({"eval", "--project", project, "--at", "bad", "--object", "Pump", "X"}).status);
  EXPECT_EQ(kExitUsage,
            Run({"eval", "--project", project, "--at", "01.01.2010 00:00:00", "X"}).status);
  // Without --object the record is made of the --set pairs alone.
  EXPECT_EQ("1\n", Ok({"eval", "--project", project, "--set", "X=1", "X"}));
  EXPECT_EQ(kExitUsage, Run({"eval", "--project", project}).status);
  EXPECT_EQ(kExitUsage, Run({"eval", "--project"}).status);
}

} // namespace
} // namespace vandro::cli
