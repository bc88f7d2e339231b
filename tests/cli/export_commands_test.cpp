#include "cli_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <unistd.h>

namespace vandro::cli {
namespace {

using testing::Outcome;

class ExportCommands : public testing::PlantTest {
protected:
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
};

// Whatever name the output goes by, a file of the open project is refused
// before anything is written, and the project still opens with its records.
TEST_F(ExportCommands, AFileOfTheProjectIsNeverTheOutput) {
  Ok({"record", project, "Pump", "--new", "--at", "01.02.2010", "X=1"});
  const std::string database = dir + "/Plant.vdb";
  ASSERT_EQ(0, symlink(database.c_str(), (dir + "/link.txt").c_str()));
  ASSERT_EQ(0, link(database.c_str(), (dir + "/hard.txt").c_str()));
  const std::string databaseBytes = Read(database), projectBytes = Read(project);
  ASSERT_FALSE(databaseBytes.empty());
  const std::string outputs[] = {database, dir + "/./Plant.vdb", dir + "/link.txt",
                                 dir + "/hard.txt", project};
  for (const std::string& output : outputs) {
    for (const char* what : {"all", "units"}) {
      SCOPED_TRACE(output + " " + what);
      const Outcome outcome = Run({"export", project, "--what", what, "--output", output});
      EXPECT_EQ(kExitFailed, outcome.status);
      EXPECT_EQ("", outcome.out);
      EXPECT_EQ("The file is part of the open project: " + output + "\n", outcome.err);
    }
    const Outcome object =
        Run({"export", project, "--what", "object", "--name", "Pump", "--output", output});
    EXPECT_EQ(kExitFailed, object.status) << output;
  }
  EXPECT_EQ(databaseBytes, Read(database));
  EXPECT_EQ(projectBytes, Read(project));
  // No temporary file was left beside the project either.
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    names.insert(entry.path().filename().string());
  names.erase("config");
  EXPECT_EQ((std::set<std::string>{"Plant.vdp", "Plant.vdb", "link.txt", "hard.txt"}), names);
  EXPECT_NE(std::string::npos, Ok({"state", project, "Pump"}).find("X"));
}

// Members whose history ended are exported with the rest, and the summary
// counts the objects and the rows written.
TEST_F(ExportCommands, AGroupsHistoryHoldsEveryMemberWhole) {
  Ok({"record", project, "A", "--new", "--at", "01.02.2010", "X=1"});
  Ok({"record", project, "B", "--new", "--at", "01.02.2010", "X=5"});
  Ok({"record", project, "C", "--new", "--at", "01.02.2010", "X=7"});
  Ok({"group", project, "Diet", "--new", "--at", "02.02.2010", "--add", "A", "--add", "B", "--add",
      "C"});
  Ok({"record", project, "A", "--at", "03.02.2010", "X=2"});
  Ok({"terminate", project, "B", "--at", "04.02.2010"});
  const std::string output = dir + "/out.txt";
  EXPECT_EQ("3 objects, 4 states exported\n",
            Ok({"export", project, "--what", "group", "--name", "Diet", "--history", "--as",
                "table", "--output", output}));
  EXPECT_EQ("_Object_Name\t_Real_Time\tX\r\n"
            "A\t01.02.2010\t1\r\n"
            "A\t03.02.2010\t2\r\n"
            "B\t01.02.2010\t5\r\n"
            "C\t01.02.2010\t7\r\n"
            "\r\n",
            Read(output));
  // The report lists the ended member's records, its terminator included.
  EXPECT_EQ("3 objects, 4 states exported\n", Ok({"export", project, "--what", "group", "--name",
                                                  "Diet", "--history", "--output", output}));
  EXPECT_NE(std::string::npos, Read(output).find("Object B")) << Read(output);
  EXPECT_NE(std::string::npos, Read(output).find("Record: Terminator; Time: 04.02.2010"));
  // Without history a group is its members' current states: B has none.
  EXPECT_EQ("2 objects, 2 states exported\n",
            Ok({"export", project, "--what", "group", "--name", "Diet", "--output", output}));
}

} // namespace
} // namespace vandro::cli
