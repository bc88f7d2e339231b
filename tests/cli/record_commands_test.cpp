#include "cli_fixture.h"

#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "shell/settings.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"
#include "support/file_size_limit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace vandro::cli {
namespace {

using testing::Outcome;

class RecordCommands : public testing::PlantTest {
protected:
  std::string now() const { return DateTimeToText(clock.Now()); }
};

TEST_F(RecordCommands, RecordsMakeStatesAndHistories) {
  const Outcome first =
      Run({"record", project, "Pump", "--new", "--at", "01.02.2010 10:00:00", "X=1", "Y=2 [m]"});
  ASSERT_EQ(kExitOk, first.status) << first.err;
  EXPECT_EQ("Parameter X was created\nParameter Y was created\n", first.err);
  const std::string second = Ok({"record", project, "Pump", "--at", "03.02.2010", "X=3"});
  // Dated between the two: linked between them. Its auto formula ("=" and
  // "=X*2") is evaluated on the state before it; a formula is kept.
  const std::string third =
      Ok({"record", project, "Pump", "--at", "02.02.2010 00:00:00", "Z===X*2", "W==X+1", "Y="});
  EXPECT_NE(second, third);

  EXPECT_EQ("Object PUMP\n"
            "    State: PUMP[2]; Time: 03.02.2010; Created: " +
                now() +
                ".\n"
                "    X : 3\n"
                "    Z : 2\n"
                "    W : =X+1\n"
                "End of PUMP\n",
            Ok({"state", project, "pump"}));
  EXPECT_EQ("Object PUMP\n"
            "    State: PUMP[1]; Time: 01.02.2010 10:00:00; Created: " +
                now() +
                ".\n"
                "    X : 1\n"
                "    Y : 2 [m]\n"
                "End of PUMP\n",
            Ok({"state", project, "Pump", "--at", "01.02.2010 23:59:59"}));
  const std::string pad = std::string(31, ' ');
  EXPECT_EQ("Object PUMP\n"
            "    Record: PUMP[1]; Time: 01.02.2010 10:00:00; Created: " +
                now() + "\n        X" + pad + " : 1\n        Y" + pad +
                " : 2 [m]\n"
                "    Record: PUMP[3]; Time: 02.02.2010; Created: " +
                now() + "\n        Z" + pad + " : 2\n        W" + pad + " : =X+1\n        Y" + pad +
                " : Null\n"
                "    Record: PUMP[2]; Time: 03.02.2010; Created: " +
                now() + "\n        X" + pad + " : 3\nEnd of PUMP\n",
            Ok({"history", project, "Pump"}));

  // A reference to another object, written with its name; a value starting
  // with "-" is a value.
  Ok({"record", project, "Valve", "--new", "--at", "01.02.2010", "Feeds=@pump", "T=-1"});
  const std::string valve = Ok({"state", project, "Valve"});
  EXPECT_NE(std::string::npos, valve.find("    Feeds : @PUMP\n")) << valve;
  EXPECT_NE(std::string::npos, valve.find("    T : -1\n")) << valve;
}

TEST_F(RecordCommands, SeveralCurrentStatesAreVersionsAndTerminateEndsTheLatest) {
  Ok({"record", project, "Pump", "--new", "--at", "01.02.2010", "X=1"});
  // Two versions after it, as the import or the record dialog make them.
  ASSERT_TRUE(OpenProject(project));
  {
    TObjectSet set;
    ASSERT_TRUE(set.Load(APSFindObject("Pump")));
    TStateTrack track;
    ASSERT_TRUE(set.LatestStateAt(clock.Now(), track));
    for (const auto& [text, time] : {std::pair{"2", 40300.0}, std::pair{"3", 40250.0}}) {
      std::vector<std::unique_ptr<TPVRelation>> pairs;
      pairs.push_back(std::make_unique<TPVRelation>());
      pairs.back()->Parameter = CurrentProject()->FindParameter("X");
      pairs.back()->Value.SetPlain(text);
      pairs.back()->Modified = true;
      ASSERT_NE(0, track.ModifyRecord(std::move(pairs), time));
    }
  }
  CloseProject();

  const std::string states = Ok({"state", project, "Pump"});
  EXPECT_NE(std::string::npos, states.find("Object PUMP (version 1)\n")) << states;
  EXPECT_NE(std::string::npos, states.find("Object PUMP (version 2)\n")) << states;

  EXPECT_LT(states.find("    X : 3\n"), states.find("    X : 2\n")) << states;

  const std::string terminator = Ok({"terminate", project, "Pump", "--at", "01.06.2010"});
  EXPECT_FALSE(terminator.empty());
  const std::string left = Ok({"state", project, "Pump"});
  EXPECT_EQ(std::string::npos, left.find("version")) << left;
  EXPECT_NE(std::string::npos, left.find("    X : 3\n")) << left;
}

// A record dated between two goes between them; --branch starts a branch
// from the state current at its time instead.
TEST_F(RecordCommands, ABranchIsStartedOnlyWhenAskedFor) {
  Ok({"record", project, "Chick", "--new", "--at", "11.01.2010", "W=93"});
  Ok({"record", project, "Chick", "--at", "13.01.2010", "W=110"});
  Ok({"record", project, "Chick", "--at", "12.01.2010", "W=99"});
  const std::string inserted = Ok({"state", project, "Chick"});
  EXPECT_EQ(std::string::npos, inserted.find("version")) << inserted;
  EXPECT_NE(std::string::npos, inserted.find("    W : 110\n")) << inserted;

  Ok({"record", project, "Chick", "--branch", "--at", "12.01.2010 12:00", "W=100"});
  const std::string branched = Ok({"state", project, "Chick", "--at", "01.02.2010"});
  EXPECT_NE(std::string::npos, branched.find("Object CHICK (version 2)\n")) << branched;
  EXPECT_NE(std::string::npos, branched.find("    W : 100\n")) << branched;
  EXPECT_NE(std::string::npos, branched.find("    W : 110\n")) << branched;
}

TEST_F(RecordCommands, GroupsAddAndRemoveMembers) {
  Ok({"record", project, "A", "--new", "--at", "01.02.2010", "X=1"});
  const std::string stateOfB = Ok({"record", project, "B", "--new", "--at", "01.02.2010", "X=2"});
  Ok({"group", project, "Team", "--new", "--at", "02.02.2010", "--add", "A", "--add", "b"});
  EXPECT_NE(std::string::npos, Ok({"state", project, "Team"}).find("    Content: 2 objects\n"));

  const Outcome change =
      Run({"group", project, "Team", "--at", "03.02.2010", "--add", "A", "--remove", "B", "--add",
           "#" + stateOfB.substr(0, stateOfB.size() - 1)});
  ASSERT_EQ(kExitOk, change.status) << change.err;
  EXPECT_EQ("A is a member already\n", change.err);
  EXPECT_NE(std::string::npos, Ok({"state", project, "Team"}).find("    Content: 2 objects\n"));
  EXPECT_NE(std::string::npos,
            Ok({"state", project, "Team", "--at", "02.02.2010"}).find("    Content: 2 objects\n"));
}

TEST_F(RecordCommands, RollbackAsksThenDeletes) {
  Ok({"record", project, "Pump", "--new", "--at", "01.02.2010", "X=1"});
  clock.Advance(1);
  Ok({"record", project, "Pump", "--at", "02.02.2010", "X=2"});
  const std::string moment = FullDateTimeToText(clock.Now() - 0.5);

  const std::string count = "1 records of 1 objects will be deleted\n"
                            "0 objects will be left without any record\n";
  const std::string copy = dir + "/Plant.vdb.before-rollback-20100811-120000";

  // Without a terminal the question takes its default, No.
  const Outcome declined = Run({"rollback", project, "--after", moment});
  EXPECT_EQ(kExitFailed, declined.status);
  EXPECT_EQ(count, declined.out);
  EXPECT_EQ("All the records created after " + DateTimeToText(clock.Now() - 0.5) +
                "\nwill be deleted. Are you sure?\nBefore deleting, the database is copied to\n" +
                copy + " [No]\nNothing was deleted\n",
            declined.err);
  EXPECT_FALSE(std::filesystem::exists(copy));

  EXPECT_EQ(count + "1 records were deleted\nThe database as it was before is kept in\n" + copy +
                "\n",
            Ok({"--yes", "rollback", project, "--after", moment}));
  EXPECT_NE(std::string::npos, Ok({"state", project, "Pump"}).find("    X : 1\n"));
  EXPECT_EQ("No record was created after this moment\n0 records were deleted\n",
            Ok({"--yes", "rollback", project, "--after", moment}));

  // The copy, beside a copy of the project file, is the project as it was.
  std::filesystem::copy_file(project, dir + "/Before.vdp");
  std::filesystem::rename(copy, dir + "/Before.vdb");
  EXPECT_NE(std::string::npos, Ok({"state", dir + "/Before.vdp", "Pump"}).find("    X : 2\n"));
}

TEST_F(RecordCommands, RollbackWhoseCopyCannotBeWrittenDeletesNothing) {
  Ok({"record", project, "Pump", "--new", "--at", "01.02.2010", "X=1"});
  const std::string moment = FullDateTimeToText(clock.Now() - 0.5);
  Outcome stopped;
  {
    ::vandro::testing::TFileSizeLimit full(4096);
    stopped = Run({"--yes", "rollback", project, "--after", moment});
  }
  EXPECT_EQ(kExitFailed, stopped.status);
  EXPECT_EQ("1 records of 1 objects will be deleted\n1 objects will be left without any record\n",
            stopped.out);
  EXPECT_NE(std::string::npos,
            stopped.err.find("The rollback was stopped before anything was deleted:\nthe copy " +
                             dir +
                             "/Plant.vdb.before-rollback-20100810-120000"
                             " could not be written: disk I/O error\n"))
      << stopped.err;
  EXPECT_NE(std::string::npos, Ok({"state", project, "Pump"}).find("    X : 1\n"));
}

TEST_F(RecordCommands, TimesFollowTheDateStyle) {
  Ok({"record", project, "Pump", "--new", "--date-style", "us", "--at", "02/01/2010 10:00:00",
      "X=1"});
  EXPECT_NE(
      std::string::npos,
      Ok({"state", project, "Pump", "--date-style", "us"}).find("Time: 02/01/2010 10:00:00;"));
  {
    TSettings settings;
    settings.Load(dir + "/config/config.vd");
    settings.SetDateStyle(false);
  }
  SetDateStyle(TDateStyle::European);
  EXPECT_NE(std::string::npos, Ok({"state", project, "Pump"}).find("Time: 02/01/2010 10:00:00;"));
  EXPECT_EQ(TDateStyle::European, DateStyle());
}

TEST_F(RecordCommands, Failures) {
  Ok({"record", project, "Pump", "--new", "--at", "01.02.2010", "X=1"});
  Ok({"record", project, "Empty", "--new", "--at", "01.02.2010", "X=1"});
  Ok({"terminate", project, "Empty", "--at", "01.02.2010"});
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err; // a part of it
  };
  const Case cases[] = {
      {{"record", project, "Nobody", "X=1"}, kExitFailed, "Object Nobody doesn't exist\n"},
      {{"record", project, "pump", "--new", "X=1"},
       kExitFailed,
       "Object named pump already exists. Change the name and try again\n"},
      {{"record", project, "Pump", "--at", "01.02.2010", "X=2"},
       kExitFailed,
       "01.02.2010\nRecord can't be created at this moment\nThe state it follows is dated "
       "01.02.2010\n"},
      {{"record", project, "Pump", "X=@Nobody"}, kExitFailed, "Object Nobody doesn't exist\n"},
      {{"record", project, "Pump", "X===Nothing+1"}, kExitFailed, "Can't evaluate the value of X:"},
      {{"record", dir + "/Missing.vdp", "Pump", "X=1"}, kExitFailed, "Can't open the project"},
      {{"terminate", project, "Empty"},
       kExitFailed,
       "Object hasn't any actual state (Id=96).\nMake sure that date and time are valid.\n"},
      {{"state", project, "Empty"}, kExitFailed, "Object hasn't any actual state (Id=96)."},
      {{"group", project, "Team", "--new", "--add", "#33"},
       kExitFailed,
       "No object or record has the identifier 33\n"},
      {{"record", project, "Pump"}, kExitUsage, "NAME=VALUE is missing"},
      {{"record", project, "Pump", "X"}, kExitUsage, "NAME=VALUE expected, not X"},
      {{"record", project, "Pump", "_OBJECT_ID=1"}, kExitUsage, "not a system name"},
      {{"record", project, "Pump", "X=1", "x=2"}, kExitUsage, "x is given twice"},
      {{"record", project, "Pump", "--at", "31.02.2010", "X=1"},
       kExitUsage,
       "--at 31.02.2010: not a date and time in the style dd.MM.yyyy hh:mm:ss"},
      {{"record", project, "Pump", "--at"}, kExitUsage, "--at needs a value"},
      {{"record", project, "Pump", "--bogus", "X=1"}, kExitUsage, "unknown option --bogus"},
      {{"group", project, "Team"}, kExitUsage, "nothing to --add or --remove"},
      {{"history", project, "Pump", "--at", "01.02.2010"}, kExitUsage, "unknown option --at"},
      {{"rollback", project}, kExitUsage, "--after is missing"},
  };
  for (const auto& c : cases) {
    const Outcome outcome = Run(c.args);
    EXPECT_EQ(c.status, outcome.status) << c.args.back() << ": " << outcome.err;
    EXPECT_NE(std::string::npos, outcome.err.find(c.err)) << c.args.back() << ": " << outcome.err;
    EXPECT_EQ("", outcome.out) << c.args.back();
  }
  EXPECT_NE(std::string::npos, Ok({"state", project, "Pump"}).find("    X : 1\n"));
}

TEST_F(RecordCommands, HistoryShowsEndedBranchesAndStateOnlyCurrentOnes) {
  Ok({"record", project, "Patient", "--new", "--at", "01.02.2010", "Pulse=80 [bpm]"});
  Ok({"record", project, "Patient", "--at", "02.02.2010", "Pulse=72 [bpm]"});
  Ok({"terminate", project, "Patient", "--at", "03.02.2010"});
  const std::string history = Ok({"history", project, "Patient"});
  EXPECT_EQ(0u, history.find("Object PATIENT\n    Record: PATIENT[1]; Time: 01.02.2010"))
      << history;
  EXPECT_NE(std::string::npos, history.find("    Record: PATIENT[2]; Time: 02.02.2010")) << history;
  EXPECT_NE(std::string::npos, history.find("    Record: Terminator; Time: 03.02.2010; Created: " +
                                            now() + "\nEnd of PATIENT\n"))
      << history;
  EXPECT_EQ(kExitFailed, Run({"state", project, "Patient"}).status);

  // A second life after the end: both branches are versions of the history.
  Ok({"record", project, "Patient", "--at", "04.02.2010", "Pulse=90 [bpm]"});
  const std::string both = Ok({"history", project, "Patient"});
  EXPECT_NE(std::string::npos, both.find("Object PATIENT (version 1)\n")) << both;
  EXPECT_NE(std::string::npos, both.find("Object PATIENT (version 2)\n")) << both;
  EXPECT_EQ(std::string::npos, Ok({"state", project, "Patient"}).find("version"));

  const std::string output = dir + "/patient.txt";
  EXPECT_EQ("1 objects, 3 states exported\n", Ok({"export", project, "--what", "object", "--name",
                                                  "Patient", "--history", "--output", output}));
}

// A record that fails leaves the project as it was: no parameter, object or
// record of it stays.
TEST_F(RecordCommands, AFailedRecordChangesNothing) {
  Ok({"record", project, "Pump", "--new", "--at", "01.02.2010", "Weight=70 [kg]"});
  const std::string parameters = Ok({"params", project});
  const std::string history = Ok({"history", project, "Pump"});
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const Case cases[] = {
      // Auto formulas and formulas that cannot be read.
      {{"record", project, "Pump", "--at", "02.02.2010", "BMI2===Weight/(1.65 [m])^2", "Double=2"},
       "Can't evaluate the value of BMI2:\n### Error ### Unexpected lexeme\n"
       "=Weight/(1.65 [m])^???2\n"},
      {{"record", project, "Pump", "--at", "02.02.2010", "Double=2", "Ratio==Weight/Nothing"},
       "Can't evaluate the value of Ratio:\n### Error ### Unknown identifier: NOTHING"},
      {{"record", project, "Tank", "--new", "Double=2", "BMI===Weight/(1.65 [m])^2"},
       "Can't evaluate the value of BMI:"},
      // Names a parameter may not have.
      {{"record", project, "Pump", "--at", "02.02.2010", "Double=2", "SIN=3"},
       "SIN is a standard function\n"},
      {{"record", project, "Tank", "--new", "Double=2", "If=1"},
       "The parameter name is a reserved word\n"},
      {{"record", project, "Pump", "--at", "02.02.2010", "FIND=1"},
       "The parameter name is a reserved word\n"},
      // Failures after the new parameter was made.
      {{"record", project, "Pump", "--at", "01.02.2010", "Double=2"},
       "Record can't be created at this moment"},
      {{"record", project, "Pump", "--at", "02.02.2010", "Double=2", "Half===Weight/'a'"},
       "Can't evaluate the value of Half:"},
      {{"record", project, "Tank", "--new", "Double=2", "Half===Weight/'a'"},
       "Can't evaluate the value of Half:"},
  };
  for (const auto& c : cases) {
    const Outcome outcome = Run(c.args);
    EXPECT_EQ(kExitFailed, outcome.status) << c.args.back() << ": " << outcome.err;
    EXPECT_NE(std::string::npos, outcome.err.find(c.err)) << c.args.back() << ": " << outcome.err;
    EXPECT_EQ(std::string::npos, outcome.err.find("was created")) << outcome.err;
    EXPECT_EQ("", outcome.out);
  }
  EXPECT_EQ(parameters, Ok({"params", project}));
  EXPECT_EQ(history, Ok({"history", project, "Pump"}));
  EXPECT_EQ(kExitFailed, Run({"history", project, "Tank"}).status);

  // The same names through param add are refused with the same rules.
  for (const char* name : {"SIN", "If", "FIND"})
    EXPECT_EQ(kExitFailed, Run({"param", "add", project, name}).status) << name;
  // A formula naming a parameter made by the same command reads.
  const Outcome made = Run({"record", project, "Pump", "--at", "02.02.2010", "Height=1.65 [m]",
                            "BMI===Weight/(Height*Height)"});
  ASSERT_EQ(kExitOk, made.status) << made.err;
  EXPECT_EQ("Parameter Height was created\nParameter BMI was created\n", made.err);
}

TEST_F(RecordCommands, AValueWithAnUnknownUnitIsKeptAsTextWithAWarning) {
  const Outcome recorded =
      Run({"record", project, "Star", "--new", "--at", "01.02.2010", "D=5 [parsec]", "E=5 [km]"});
  ASSERT_EQ(kExitOk, recorded.status) << recorded.err;
  EXPECT_EQ("Unknown unit parsec: the value is kept as text\nParameter D was created\n"
            "Parameter E was created\n",
            recorded.err);
  EXPECT_NE(std::string::npos, Ok({"state", project, "Star"}).find("    D : 5 [parsec]\n"));

  const Outcome added = Run({"param", "add", project, "Far", "--default", "2 \xC2\xB1 1 [parsec]"});
  ASSERT_EQ(kExitOk, added.status) << added.err;
  EXPECT_EQ("Unknown unit parsec: the value is kept as text\n", added.err);
  const Outcome known = Run({"param", "add", project, "Near", "--default", "2 [km]"});
  EXPECT_EQ("", known.err);
}

TEST_F(RecordCommands, AnObjectWithoutACurrentStateStartsItsHistoryAgain) {
  Ok({"record", project, "Ended", "--new", "--at", "01.02.2010", "X=1"});
  Ok({"terminate", project, "Ended", "--at", "02.02.2010"});
  clock.Advance(1);
  Ok({"record", project, "Zed", "--new", "--at", "01.02.2010", "X=1"});
  EXPECT_NE(std::string::npos,
            Ok({"--yes", "rollback", project, "--after", FullDateTimeToText(clock.Now() - 0.5)})
                .find("\n1 records were deleted\n"));
  const Outcome again = Run({"record", project, "Zed", "--new", "X=2"});
  EXPECT_EQ(kExitFailed, again.status);
  EXPECT_EQ("Object named Zed already exists. Change the name and try again\n", again.err);
  for (const char* name : {"Zed", "Ended"}) {
    const Outcome recorded = Run({"record", project, name, "--at", "03.02.2010", "Y=2"});
    ASSERT_EQ(kExitOk, recorded.status) << name << ": " << recorded.err;
    const std::string state = Ok({"state", project, name});
    EXPECT_NE(std::string::npos, state.find("; Time: 03.02.2010; ")) << state;
    EXPECT_NE(std::string::npos, state.find("    Y : 2\n")) << state;
    EXPECT_EQ(std::string::npos, state.find("    X : ")) << state;
  }
}

TEST_F(RecordCommands, AGroupCommandThatChangesNothingStoresNothing) {
  Ok({"record", project, "A", "--new", "--at", "01.02.2010", "X=1"});
  Ok({"record", project, "B", "--new", "--at", "01.02.2010", "X=2"});
  Ok({"group", project, "Team", "--new", "--at", "02.02.2010", "--add", "A"});
  const std::string history = Ok({"history", project, "Team"});
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const Case cases[] = {
      {{"group", project, "Team", "--remove", "B"},
       "B is not a member\nGroup Team is left as it was\n"},
      {{"group", project, "Team", "--add", "A", "--remove", "B"},
       "A is a member already\nB is not a member\nGroup Team is left as it was\n"},
      {{"group", project, "Crew", "--new", "--remove", "A"},
       "A is not a member\nGroup Crew is left as it was\n"},
  };
  for (const auto& c : cases) {
    const Outcome outcome = Run(c.args);
    EXPECT_EQ(kExitFailed, outcome.status) << c.args.back();
    EXPECT_EQ(c.err, outcome.err);
    EXPECT_EQ("", outcome.out);
  }
  EXPECT_EQ(history, Ok({"history", project, "Team"}));
  EXPECT_EQ(kExitFailed, Run({"state", project, "Crew"}).status);
}

} // namespace
} // namespace vandro::cli
