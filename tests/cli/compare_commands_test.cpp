#include "cli_fixture.h"

#include <gtest/gtest.h>

namespace vandro::cli {
namespace {

// Pump measured on 1 February 2010 and again, in kelvin, on 3 February;
// Valve on 2 February.
class DiffCommand : public testing::PlantTest {
protected:
  DiffCommand() {
    first = Trimmed(Ok({"record", project, "Pump", "--new", "--at", "01.02.2010", "T=36.6 [C]",
                        "STATUS=running"}));
    second = Trimmed(Ok({"record", project, "Pump", "--at", "03.02.2010", "T=311.15 [K]"}));
    valve = Trimmed(
        Ok({"record", project, "Valve", "--new", "--at", "02.02.2010", "T=20 [C]", "OPEN=yes"}));
  }

  static std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
      text.pop_back();
    return text;
  }

  std::string first, second; // the identifiers of Pump's records
  std::string valve;
};

TEST_F(DiffCommand, ListsEveryParameterOfBothStates) {
  struct Case {
    const char* name;
    std::vector<std::string> sides; // after the project
    std::string listing;
  };
  const std::string header = "Parameter\tPUMP, #" + first + " of 01.02.2010\tPUMP, #" + second +
                             " of 03.02.2010\tDifference\tRelative Change\t" + "Changed\n";
  const Case cases[] = {
      {"one object at two moments",
       {"Pump", "--at", "02.02.2010", "Pump", "--at", "04.02.2010"},
       header + "T\t36.6 [C]\t311.15 [K]\t1.4 [C]\t+3.825 %\tYes\n"
                "STATUS\trunning\trunning\tunchanged\t\tNo\n"},
      {"an --at only after A: B is read now",
       {"Pump", "--at", "02.02.2010", "Pump"},
       header + "T\t36.6 [C]\t311.15 [K]\t1.4 [C]\t+3.825 %\tYes\n"
                "STATUS\trunning\trunning\tunchanged\t\tNo\n"},
      {"records named by identifier",
       {"#" + first, "#" + second},
       header + "T\t36.6 [C]\t311.15 [K]\t1.4 [C]\t+3.825 %\tYes\n"
                "STATUS\trunning\trunning\tunchanged\t\tNo\n"},
      {"two objects at one moment",
       {"Pump", "--at", "02.02.2010 12:00:00", "Valve", "--at", "02.02.2010 12:00:00"},
       "Parameter\tPUMP, #" + first + " of 01.02.2010\tVALVE, #" + valve +
           " of 02.02.2010\tDifference\tRelative Change\tChanged\n"
           "T\t36.6 [C]\t20 [C]\t-16.6 [C]\t-45.36 %\tYes\n"
           "STATUS\trunning\t\tchanged\t\tYes\n"
           "OPEN\t\tyes\tchanged\t\tYes\n"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    std::vector<std::string> args{"diff", project};
    args.insert(args.end(), test.sides.begin(), test.sides.end());
    EXPECT_EQ(test.listing, Ok(args));
  }
}

TEST_F(DiffCommand, BadSidesAndTimesAreReported) {
  struct Case {
    std::vector<std::string> sides;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {{"Pump", "Pipe"}, kExitFailed, "Object Pipe doesn't exist"},
      {{"#x1", "Pump"}, kExitFailed, "Not an identifier: #x1"},
      {{"Pump", "#7"}, kExitFailed, "Record doesn't exist. Id=7"},
      {{"Pump", "--at", "01.01.2010", "Valve"}, kExitFailed, "Object hasn't any actual state"},
      {{"Pump", "--at", "someday", "Valve"}, kExitUsage, "--at someday: not a date and time"},
      {{"A", "--at", "1.1.2010", "B", "--at", "1.1.2010", "--at", "1.1.2010"},
       kExitUsage,
       "--at is given twice for B"},
      {{"--at", "1.1.2010", "A", "B"}, kExitUsage, "--at 1.1.2010 stands before the object"},
      {{"Pump"}, kExitUsage, "B is missing"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.message);
    std::vector<std::string> args{"diff", project};
    args.insert(args.end(), test.sides.begin(), test.sides.end());
    const testing::Outcome outcome = Run(args);
    EXPECT_EQ(test.status, outcome.status);
    EXPECT_NE(std::string::npos, outcome.err.find(test.message)) << outcome.err;
    EXPECT_EQ("", outcome.out);
  }
}

} // namespace
} // namespace vandro::cli
