// Names that do not fit their stored field or hold a control character are
// refused wherever they enter, and a stored one never drives the terminal.
#include "cli_fixture.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

namespace vandro::cli {
namespace {

using testing::Outcome;

class NameCommands : public testing::PlantTest {};

TEST_F(NameCommands, NamesThatDoNotFitOrHoldControlCharactersAreRefusedEverywhere) {
  Ok({"record", project, "Pump", "--new", "X=1"});
  const std::string s32(32, 'S');
  const std::string tooLong = "The name is longer than 32 characters: ";
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const Case cases[] = {
      // Once cut, the second name was the first's, and its record reached it.
      {{"record", project, s32 + "_PUMP_ONE", "--new", "X=1"}, tooLong + s32 + "_PUMP_ONE\n"},
      {{"record", project, s32 + "_PUMP_TWO", "X=3"}, tooLong + s32 + "_PUMP_TWO\n"},
      {{"record", project, "Pump\tTwo", "--new", "X=1"}, "The name holds a control character\n"},
      {{"record", project, "Pump", std::string(33, 'P') + "=1"}, tooLong + std::string(33, 'P')},
      {{"group", project, s32 + "_TEAM", "--new", "--add", "Pump"}, tooLong + s32 + "_TEAM\n"},
      {{"param", "add", project, "P" + s32}, tooLong + "P" + s32},
      {{"var", "set", project, "V" + s32, "--value", "1"}, tooLong + "V" + s32 + "\n"},
      {{"unit", "add", project, "u" + s32, "--category", "Length", "--factor", "2"},
       tooLong + "u" + s32},
      {{"unit", "add", project, "furlong", "--short", "f" + std::string(16, 'l'), "--category",
        "Length", "--factor", "201.168"},
       "The name is longer than 16 characters: f" + std::string(16, 'l')},
  };
  for (const auto& c : cases) {
    const Outcome outcome = Run(c.args);
    EXPECT_EQ(kExitFailed, outcome.status) << c.args[2] << ": " << outcome.err;
    EXPECT_NE(std::string::npos, outcome.err.find(c.err)) << c.args[2] << ": " << outcome.err;
  }
  // Nothing of it was stored: one object with its one record.
  EXPECT_EQ("<PUMP; ID:64>\n", Ok({"query", project, "FIND ALL OBJECTS WITHIN EVERYTHING"}));
  EXPECT_EQ(std::string::npos, Ok({"params", project}).find("PP"));
  EXPECT_EQ("", Ok({"vars", project}).substr(Ok({"vars", project}).find('\n') + 1));
}

TEST_F(NameCommands, AStoredNameWithAnEscapeSequenceIsShownNotObeyed) {
  Ok({"record", project, "Pump", "--new", "X=1"});
  Ok({"record", project, "Valve", "--new", "X=2"});
  // A project from elsewhere, written by another program.
  sqlite3* db = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open((dir + "/Plant.vdb").c_str(), &db));
  ASSERT_EQ(SQLITE_OK,
            sqlite3_exec(db,
                         "UPDATE VD_Objects SET ObjName = ObjName || char(27) || ']0;owned' || "
                         "char(7) || char(10) WHERE ObjIdtor = 64; "
                         "UPDATE VD_Params SET ParamName = 'X' || char(27) || '[2J' "
                         "WHERE ParamName = 'X'",
                         nullptr, nullptr, nullptr));
  sqlite3_close(db);
  // One object a line, even with a line break in its name.
  EXPECT_EQ("<PUMP\\x1b]0;owned\\x07\\x0a; ID:64>\n<VALVE; ID:96>\n",
            Ok({"query", project, "FIND ALL OBJECTS WITHIN EVERYTHING"}));
  const std::string state = Ok({"state", project, "Valve"});
  EXPECT_NE(std::string::npos, state.find("    X\\x1b[2J : 2\n")) << state;
  const std::string params = Ok({"params", project});
  EXPECT_NE(std::string::npos, params.find("X\\x1b[2J")) << params;
  EXPECT_EQ(std::string::npos, (state + params).find('\x1b'));
}

} // namespace
} // namespace vandro::cli
