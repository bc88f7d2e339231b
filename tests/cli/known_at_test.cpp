#include "cli_fixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace vandro::cli {
namespace {

using testing::Outcome;

// Pump recorded in the morning of 9 August 2010 on 1 and 3 February, then in
// the afternoon corrected on 2 February (dated between the two) and Valve
// made with X = 7.
class KnownAtCommands : public testing::PlantTest {
protected:
  KnownAtCommands() {
    clock.Set(40399.375); // 09.08.2010 09:00
    Ok({"record", project, "Pump", "--new", "--at", "01.02.2010", "X=1"});
    Ok({"record", project, "Pump", "--at", "03.02.2010", "X=3"});
    clock.Set(40399.625); // 15:00
    Ok({"record", project, "Pump", "--at", "02.02.2010", "X=2", "Y=5"});
    Ok({"record", project, "Valve", "--new", "--at", "02.02.2010", "X=7"});
  }

  static size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
      ++count;
    return count;
  }

  std::string Exported(const std::vector<std::string>& extra) {
    const std::string output = dir + "/out.txt";
    std::vector<std::string> args{"export", project, "--what",   "all",
                                  "--as",   "table", "--output", output};
    args.insert(args.end(), extra.begin(), extra.end());
    Ok(args);
    std::ifstream in(output, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  static constexpr const char* kNoon = "09.08.2010 12:00:00";
};

TEST_F(KnownAtCommands, EveryReadingCommandLeavesOutWhatWasStoredLater) {
  struct Case {
    std::vector<std::string> args; // --known-at is added for the morning
    std::string now, morning;      // what the output holds
  };
  const Case cases[] = {
      {{"state", project, "Pump", "--at", "02.02.2010 12:00:00"}, "X : 2", "X : 1"},
      {{"state", project, "Pump"}, "Y : 5", "X : 3\nEnd"},
      {{"eval", "--project", project, "ACTUALSTATE('PUMP', '02.02.2010 12:00:00').X"},
       "2\n",
       "1\n"},
      {{"eval", "--project", project, "--object", "Pump", "Y"}, "5\n", "\n"},
      {{"query", project, "FIND ALL OBJECTS WITHIN EVERYTHING CONDITION X > 5"}, "<VALVE", ""},
  };
  for (const auto& c : cases) {
    const std::string now = Ok(c.args);
    std::vector<std::string> past = c.args;
    past.insert(past.end(), {"--known-at", kNoon});
    const std::string morning = Ok(past);
    EXPECT_NE(std::string::npos, now.find(c.now)) << c.args[0] << ": " << now;
    if (c.morning.empty())
      EXPECT_EQ("", morning) << c.args[0];
    else
      EXPECT_NE(std::string::npos, morning.find(c.morning)) << c.args[0] << ": " << morning;
    EXPECT_NE(morning, now) << c.args[0];
  }
  // The history behind the current state: three records, two of them known
  // in the morning.
  EXPECT_EQ(3u, Count(Ok({"history", project, "Pump"}), "Record: "));
  EXPECT_EQ(2u, Count(Ok({"history", project, "Pump", "--known-at", kNoon}), "Record: "));
  // Valve had no record yet, nor Pump its Y.
  EXPECT_EQ("_Object_Name\t_Real_Time\tX\r\nPUMP\t03.02.2010\t3\r\n",
            Exported({"--known-at", kNoon}));
  EXPECT_EQ("_Object_Name\t_Real_Time\tX\tY\r\nPUMP\t03.02.2010\t3\t5\r\n"
            "VALVE\t02.02.2010\t7\t\r\n",
            Exported({}));
}

TEST_F(KnownAtCommands, AMomentBeforeAnyRecordFindsNoState) {
  const Outcome outcome = Run({"state", project, "Pump", "--known-at", "01.08.2010 00:00:00"});
  EXPECT_EQ(kExitFailed, outcome.status);
  EXPECT_NE(std::string::npos, outcome.err.find("Object hasn't any actual state")) << outcome.err;
}

TEST_F(KnownAtCommands, WrongMomentsAreUsageErrors) {
  const std::vector<std::vector<std::string>> lines = {
      {"state", project, "Pump", "--known-at", "yesterday"},
      {"query", project, "FIND ALL OBJECTS WITHIN EVERYTHING", "--known-at", "31.02.2010"},
      {"eval", "1 + 1", "--known-at", kNoon},
  };
  for (const auto& line : lines) {
    const Outcome outcome = Run(line);
    EXPECT_EQ(kExitUsage, outcome.status) << line[0];
    EXPECT_NE(std::string::npos, outcome.err.find("--known-at")) << outcome.err;
  }
}

} // namespace
} // namespace vandro::cli
