#include "cli_fixture.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vandro::cli {
namespace {

using testing::Outcome;
using testing::RunVandro;

TEST(Cli, HelpListsTheCommands) {
  const Outcome help = RunVandro({"--help"});
  EXPECT_EQ(kExitOk, help.status);
  EXPECT_NE(std::string::npos,
            help.out.find("eval EXPRESSION [--project PROJECT] [--object NAME] [--at TIME]"));
  EXPECT_EQ(kExitUsage, RunVandro({}).status);
  EXPECT_EQ(kExitUsage, RunVandro({"frobnicate"}).status);
  EXPECT_EQ(kExitUsage, RunVandro({"--frob", "eval", "1"}).status);
}

TEST(CliEval, PrintsTheDisplayTextOfTheResult) {
  struct Case {
    std::vector<std::string> args;
    std::string out;
  };
  const Case cases[] = {
      {{"eval", "2 [km] + 300 [m]"}, "2.3 [KM]\n"},
      {{"eval", "(10 \xC2\xB1"
                "1) * (2 \xC2\xB1"
                "0.5)"},
       "20 \xC2\xB1(7.5;6.5)\n"},
      {{"eval", "--set", "A=5", "--set", "B==A*2", "B + 1"}, "11\n"},
      {{"eval", "--set", "name=\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD", "name"},
       "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\n"},
      {{"eval", "'a' && 'b'"}, "ab\n"},
      {{"eval", "--date-style", "us", "'01/02/2004' + 1"}, "01/03/2004\n"},
      {{"eval", "'01.02.2004' + 1"}, "02.02.2004\n"},
      // Words and values starting with "-" are not options; after "--" none is.
      {{"eval", "-3 + 2"}, "-1\n"},
      {{"eval", "--set", "X=-5", "X * 2"}, "-10\n"},
      {{"eval", "--", "--3"}, "3\n"},
  };
  for (const auto& c : cases) {
    const Outcome outcome = RunVandro(c.args);
    EXPECT_EQ(kExitOk, outcome.status) << outcome.err;
    EXPECT_EQ(c.out, outcome.out);
  }
}

TEST(CliEval, FailuresPrintTheErrorAndExitOne) {
  const Outcome loop = RunVandro({"eval", "--set", "A==B+1", "--set", "B==A+1", "A"});
  EXPECT_EQ(kExitFailed, loop.status);
  EXPECT_EQ("", loop.out);
  EXPECT_NE(std::string::npos, loop.err.find("Loop reference. Parameter:")) << loop.err;

  const Outcome units = RunVandro({"eval", "1 [m] + 1 [s]"});
  EXPECT_EQ(kExitFailed, units.status);
  EXPECT_EQ("### Error ### Execution error. Command: +: Incompatible operand units: (m) and (s)\n"
            "1 [m] + 1 [s]???\n",
            units.err);
}

TEST(CliEval, WrongUsageExitsTwo) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"eval"},
           {"eval", "1", "2"},
           {"eval", "--set"},
           {"eval", "--set", "novalue", "1"},
           {"eval", "--set", "1x=2", "1"},
           {"eval", "--set", "_OBJECT_ID=2", "1"},
           {"eval", "--date-style", "martian", "1"},
           {"eval", "--bogus", "1"},
           {"eval", "'\xE4\xB8\xAD'"}, // not in the code page
       }) {
    const Outcome outcome = RunVandro(args);
    EXPECT_EQ(kExitUsage, outcome.status) << args.back();
    EXPECT_NE(std::string::npos, outcome.err.find("Usage: vandro-cli eval")) << outcome.err;
  }
}

} // namespace
} // namespace vandro::cli
