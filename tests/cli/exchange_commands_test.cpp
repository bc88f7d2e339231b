#include "cli_fixture.h"

#include "shell/clock.h"
#include "shell/datetime.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"
#include "storage/session.h"
#include "support/file_size_limit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace vandro::cli {
namespace {

using testing::Outcome;

class ExchangeCommands : public testing::PlantTest {
protected:
  std::string File(const std::string& name, const std::string& content = {}) {
    const std::string path = dir + "/" + name;
    if (!content.empty()) std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
};

TEST_F(ExchangeCommands, ImportThenExportTheTable) {
  const std::string table = File("in.txt", "Plant;When;X;Y\n"
                                           "Pump;01.02.2010 10:00:00;1;@Valve\n"
                                           "Valve;01.02.2010;2\n"
                                           "Pump;later;3\n"
                                           "Pump;01.03.2010;4\n");
  const Outcome imported = Run({"import", project, table, "--sep", "semicolon", "--name-column",
                                "Plant", "--time-column", "When", "--mode", "1", "--group", "Kit"});
  ASSERT_EQ(kExitOk, imported.status) << imported.err;
  EXPECT_EQ("2 new objects. 3 states were successfully modified\n", imported.out);
  EXPECT_EQ("Line 4 skipped: can't read the time \"later\"\n", imported.err);

  const std::string output = File("out.txt");
  const Outcome exported = Run({"export", project, "--what", "group", "--name", "Kit", "--as",
                                "table", "--sep", "comma", "--output", output});
  ASSERT_EQ(kExitOk, exported.status) << exported.err;
  EXPECT_EQ("2 objects, 2 states exported\n", exported.out);
  EXPECT_EQ("_Object_Name,_Real_Time,Plant,When,X,Y\r\n"
            "PUMP,01.03.2010,Pump,01.03.2010,4,@VALVE\r\n"
            "VALVE,01.02.2010,Valve,01.02.2010,2,\r\n"
            "\r\n",
            Read(output));

  // Every object, as the readable report.
  ASSERT_EQ(kExitOk, Run({"export", project, "--what", "all", "--output", output}).status);
  const std::string report = Read(output);
  EXPECT_EQ(0u, report.find("Object PUMP\r\n    State: PUMP[2]; Time: 01.03.2010; Created: "));
  EXPECT_NE(std::string::npos, report.find("Object KIT\r\n"));
}

TEST_F(ExchangeCommands, UnitsRoundTrip) {
  const std::string units =
      File("units.txt", "furlong\tfur\tDistance\t0\t201.168\t0\t\t'an eighth of a mile'\r\n"
                        "zeroed\tz\tDistance\t0\t0\t0\t\t''\r\n");
  const Outcome imported = Run({"import-units", project, units});
  ASSERT_EQ(kExitOk, imported.status) << imported.err;
  EXPECT_EQ("1 units successfuly imported\n", imported.out);
  EXPECT_EQ("Can't import unit: zeroed\n", imported.err);
  const std::string output = File("export.txt");
  const Outcome exported =
      Run({"export", project, "--what", "units", "--sep", "::", "--output", output});
  ASSERT_EQ(kExitOk, exported.status) << exported.err;
  EXPECT_EQ("1 units exported\n", exported.out);
  EXPECT_EQ("furlong::fur::Distance::0::201.168::0::::'an eighth of a mile'\r\n", Read(output));
}

TEST_F(ExchangeCommands, WrongUsageAndFailures) {
  const std::string output = File("out.txt");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string error;
  } cases[] = {
      {{"import", project}, kExitUsage, "FILE is missing"},
      {{"import", project, "f", "--mode", "3"}, kExitUsage, "--mode is 0, 1 or 2"},
      {{"import", project, "f", "--sep", ""}, kExitUsage, "--sep needs a separator"},
      {{"import", project, "f", "--bogus"}, kExitUsage, "unknown option --bogus"},
      {{"export", project, "--what", "objects", "--output", output},
       kExitUsage,
       "--what is units, object, group or all"},
      {{"export", project, "--what", "object", "--output", output},
       kExitUsage,
       "--name is needed for object"},
      {{"export", project, "--what", "all", "--name", "X", "--output", output},
       kExitUsage,
       "--name is only for object and group"},
      {{"export", project, "--what", "all"}, kExitUsage, "--output is missing"},
      {{"export", project, "--output", output}, kExitUsage, "--what is missing"},
      {{"import", project, dir + "/none.txt"}, kExitFailed, "Can't open file " + dir + "/none.txt"},
      {{"import", project, dir + "/none.xlsx"},
       kExitFailed,
       "Can't read Excel document: " + dir + "/none.xlsx"},
      {{"export", project, "--what", "object", "--name", "Nobody", "--output", output},
       kExitFailed,
       "Object Nobody doesn't exist"},
      {{"export", project, "--what", "object", "--name", "#77", "--output", output},
       kExitFailed,
       "Error selecting object"},
      {{"export", project, "--what", "all", "--output", output}, kExitFailed, "Project is empty"},
  };
  for (const Case& test : cases) {
    const Outcome outcome = Run(test.args);
    EXPECT_EQ(test.status, outcome.status) << test.args[0] << " " << test.error;
    EXPECT_NE(std::string::npos, outcome.err.find(test.error)) << outcome.err;
  }
  EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(ExchangeCommands, MissingReferencesAndAnImportOfNothingAreReported) {
  const std::string table = File("in.txt", "_Object_Name\t_Real_Time\tX\tRef\n"
                                           "Pump\t01.02.2010\t1\t@Nobody\n"
                                           "Tank\t01.02.2010\t2\t@Pump\n");
  const Outcome first = Run({"import", project, table});
  ASSERT_EQ(kExitOk, first.status) << first.err;
  EXPECT_EQ("2 new objects. 2 states were successfully modified\n", first.out);
  EXPECT_EQ("Line 2: no object Nobody; the value is left empty\n", first.err);

  // Every line is refused the second time: the times are not later.
  const Outcome second = Run({"import", project, table});
  EXPECT_EQ(kExitFailed, second.status);
  EXPECT_EQ("", second.out);
  EXPECT_NE(std::string::npos, second.err.find("Can't import record.")) << second.err;
  const std::string last = "\nNothing was imported\n";
  EXPECT_EQ(last, second.err.substr(second.err.size() - last.size())) << second.err;
}

// The disk fills up while the second batch of 10,000 lines is written: the
// first batch stays, the summary says from which line on nothing was stored
// and the command fails; no later batch is written.
TEST_F(ExchangeCommands, AnImportStopsAtTheFirstBatchThatCannotBeStored) {
  const auto lines = [](int from, int to) {
    std::string text = "_Object_Name\t_Real_Time\tFlow\n";
    for (int i = from; i < to; ++i)
      text += "Object" + std::to_string(i / 10) + "\t" + DateTimeToText(40000 + i % 10) + "\t" +
              std::to_string(i) + "\n";
    return text;
  };
  // How much one batch makes the database grow, on a copy of the project.
  namespace fs = std::filesystem;
  fs::copy_file(project, dir + "/Copy.vdp");
  fs::copy_file(dir + "/Plant.vdb", dir + "/Copy.vdb");
  const auto empty = fs::file_size(dir + "/Copy.vdb");
  Ok({"import", dir + "/Copy.vdp", File("first.txt", lines(0, 10000))});
  const auto batch = fs::file_size(dir + "/Copy.vdb") - empty;

  const std::string table = File("in.txt", lines(0, 25000));
  Outcome imported;
  {
    ::vandro::testing::TFileSizeLimit full(empty + batch + batch / 2);
    imported = Run({"import", project, table});
  }
  EXPECT_EQ(kExitFailed, imported.status) << imported.err;
  const std::string kept = ". 10000 lines were imported\n";
  EXPECT_EQ(0u, imported.out.find("Stopped at line 10002: Database error in ")) << imported.out;
  ASSERT_GT(imported.out.size(), kept.size());
  EXPECT_EQ(kept, imported.out.substr(imported.out.size() - kept.size())) << imported.out;

  ASSERT_TRUE(OpenProject(project));
  auto rows = APSDatabase().Query("SELECT count(*) FROM VD_Records");
  ASSERT_TRUE(rows.Step());
  EXPECT_EQ(10000, rows.Int(0));
  EXPECT_EQ(1000, APSObjectCount());
  CloseProject();
}

TEST_F(ExchangeCommands, AnObjectsHistoryIsExportedAfterItsEnd) {
  Ok({"record", project, "Pump", "--new", "--at", "01.02.2010", "X=1"});
  Ok({"terminate", project, "Pump", "--at", "02.02.2010"});
  const std::string output = File("out.txt");
  EXPECT_EQ("0 objects, 0 states exported\n",
            Ok({"export", project, "--what", "object", "--name", "Pump", "--output", output}));
  EXPECT_EQ("1 objects, 1 states exported\n",
            Ok({"export", project, "--what", "object", "--name", "Pump", "--history", "--as",
                "table", "--output", output}));
  // The table holds the states that were; the terminator gives no row.
  EXPECT_EQ("_Object_Name\t_Real_Time\tX\r\nPUMP\t01.02.2010\t1\r\n", Read(output));
  EXPECT_EQ("1 objects, 1 states exported\n",
            Ok({"export", project, "--what", "all", "--history", "--output", output}));
  EXPECT_NE(std::string::npos, Read(output).find("    Record: Terminator; Time: 02.02.2010"));
}

} // namespace
} // namespace vandro::cli
