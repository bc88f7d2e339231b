// The import takes data as other tools write them: R's quoted CSV with a
// row-name column, bare numbers, a column named after a standard function,
// ISO times, and no separator given.
#include "cli_fixture.h"

#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"
#include "shell/text.h"
#include "storage/objects.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

namespace vandro::cli {
namespace {

using testing::Outcome;

class ImportOptions : public testing::PlantTest {
protected:
  std::string File(const std::string& name, const std::string& content) {
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  std::map<std::string, std::string> StateOf(const std::string& object) {
    std::map<std::string, std::string> values;
    EXPECT_TRUE(OpenProject(project));
    TObjectSet set;
    EXPECT_TRUE(set.Load(APSFindObject(object)));
    TStateTrack track;
    EXPECT_TRUE(set.LatestStateAt(clock.Now() + 10000, track)); // the data are from 2026
    track.ConstructState();
    for (const auto& pair : track.State->PVs)
      values[pair->Parameter->ParamName] = pair->Value.Text();
    CloseProject();
    return values;
  }
};

TEST_F(ImportOptions, ColumnsAreSkippedRenamedAndGivenUnits) {
  // As R writes a data frame (with its row names named); no separator given.
  const std::vector<std::string> roles = {"--name-column", "Chick", "--time-column", "When"};
  const std::string rownames =
      File("chicks.csv", "\"rownames\",\"weight\",\"Day\",\"Chick\",\"When\"\n"
                         "\"1\",42,0,\"CHICK_1\",\"2026-01-01\"\n"
                         "\"2\",\"51 [kg]\",2,\"CHICK_1\",01/03/2026\n"
                         "\"3\",40,0,\"CHICK_2\",\"2026-01-01T08:00\"\n");
  const auto importRows = [&](std::vector<std::string> options) {
    std::vector<std::string> args = {"import", project, rownames};
    args.insert(args.end(), roles.begin(), roles.end());
    args.insert(args.end(), options.begin(), options.end());
    return Run(args);
  };
  // A column no parameter may be named after: one message, not one per line.
  Outcome refused = importRows({"--skip", "rownames", "--date-style", "us"});
  EXPECT_EQ(kExitFailed, refused.status);
  EXPECT_EQ("Column Day can't name a parameter (Day is a standard function): 3 lines with a value "
            "in it were skipped; use --rename Day=NEW_NAME\nNothing was imported\n",
            refused.err);

  for (const auto& [options, message] :
       std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--skip", "Rows"}, "Column Rows is not in the header\n"},
           {{"--skip", "when"}, "Column When dates the states; it can't be skipped\n"},
           {{"--unit", "weight=parsec"}, "Column weight: unknown unit parsec\n"},
           {{"--rename", "Day=Chick"},
            "Column Day is renamed to Chick, which another column has\n"},
       }) {
    refused = importRows(options);
    EXPECT_EQ(kExitFailed, refused.status) << options[1];
    EXPECT_EQ(message, refused.err) << options[1];
  }
  EXPECT_EQ(kExitUsage, importRows({"--unit", "weight"}).status);

  const Outcome imported = importRows(
      {"--skip", "rownames", "--rename", "Day=Age", "--unit", "weight=g", "--date-style", "us"});
  ASSERT_EQ(kExitOk, imported.status) << imported.err;
  EXPECT_EQ("", imported.err);
  EXPECT_EQ("2 new objects. 3 states were successfully modified\n", imported.out);
  std::map<std::string, std::string> chick = StateOf("CHICK_1");
  EXPECT_EQ("51 [kg]", chick["weight"]); // its own unit kept
  EXPECT_EQ("2", chick["Age"]);
  EXPECT_EQ(0u, chick.count("rownames"));
  EXPECT_EQ(0u, chick.count("Day"));
  EXPECT_EQ("40 [g]", StateOf("CHICK_2")["weight"]);
}

} // namespace
} // namespace vandro::cli
