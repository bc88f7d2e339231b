#include "exchange/import_objects.h"
#include "shell/datetime.h"
#include "storage/records_fixture.h"
#include "support/file_size_limit.h"
#include "support/recording_progress.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <tuple>

namespace vandro {
namespace {

using testing::Cp;

using testing::TRecordingProgress;

class ImportObjectsTest : public testing::RecordsTest {
protected:
  ImportObjectsTest() { SetDateStyle(TDateStyle::European); }

  bool Import(const std::string& text, const TImportSettings& settings = {},
              TProgress* progress = nullptr) {
    std::istringstream in(text);
    TTextLines lines(in);
    return ImportObjects(lines, settings, progress, result);
  }

  // The state of the object at its latest record current now.
  std::string StateOf(const std::string& object) {
    const int32_t id = APSFindObject(object);
    if (id == 0) return "no object";
    TObjectSet set;
    EXPECT_TRUE(set.Load(id));
    TStateTrack track;
    if (!set.LatestStateAt(Now(), track)) return "no state";
    track.ConstructState();
    std::string text;
    for (const auto& pair : track.State->PVs)
      text += (text.empty() ? "" : " ") + pair->Parameter->ParamName + "=" +
              (pair->Value.IsObject()       ? "@" + APSObjectName(std::stoi(pair->Value.Text()))
               : pair->Value.IsCalculated() ? "=" + pair->Value.Text()
                                            : pair->Value.Text());
    return text;
  }

  std::string Time(double day) { return DateTimeToText(Day(day)); }

  TImportResult result;
};

TEST_F(ImportObjectsTest, HeaderFaultsStopTheImportBeforeAnythingIsMade) {
  const size_t parameters = CurrentProject()->Parameters().size();
  struct Case {
    const char* file;
    std::vector<std::string> messages;
  } cases[] = {
      {"", {"Empty File"}},
      {"  \r\n\t\n", {"Empty File"}},
      {"_Object_Name\t\tX\nPump\t1\t2\n", {"Empty parameter name encountered"}},
      {"_Object_Name\t1X\tNew\tY 2\nPump\t1\t2\t3\n",
       {"Invalid parameter name syntax:1X\r\nIdentifier expected.",
        "Invalid parameter name syntax:Y 2\r\nIdentifier expected."}},
      {"Name\tX\tx\nPump\t1\t2\n", {"Column x is named twice in the header"}},
  };
  for (const Case& test : cases) {
    sink.Reset();
    EXPECT_FALSE(Import(test.file)) << test.file;
    EXPECT_EQ(test.messages, sink.Messages()) << test.file;
  }
  TImportSettings settings;
  settings.TimeColumn = "When";
  sink.Reset();
  EXPECT_FALSE(Import("Name\tX\nPump\t1\n", settings));
  EXPECT_EQ("Column When is not in the header", sink.Last());
  EXPECT_EQ(parameters, CurrentProject()->Parameters().size());
  EXPECT_EQ(0, APSObjectCount());
}

TEST_F(ImportObjectsTest, LinesBecomeObjectsStatesAndImportedParameters) {
  ASSERT_NE(0, APSCreateObject("Tank"));
  ASSERT_NE(0, Record(APSFindObject("Tank"), Day(1), {{"Y", "4"}}));
  const std::string file = "_object_name\t_REAL_TIME\tX\tFlow\tRef\tCalc\n"
                           "Pump\t" +
                           Time(2) +
                           "\t1.5 [m]\t7\t@Valve\t=X*2\n"
                           "Valve\t" +
                           Time(3) +
                           "\t\t8\t@Pump\n"
                           "  \n"
                           "Pump\t" +
                           Time(4) +
                           "\t2\t\t@Nobody\n"
                           "Tank\t" +
                           Time(5) +
                           "\t\t\t@Tank\n"
                           "Lonely\t" +
                           Time(5) +
                           "\n"
                           "Lonely2\t\t\t\n";
  ASSERT_TRUE(Import(file));
  // A reference to an object whose line comes later is set once it exists;
  // one to no object at all is empty, removes the parameter and is reported.
  EXPECT_EQ(std::vector<std::string>{"Line 5: no object Nobody; the value is left empty"},
            sink.Messages());
  EXPECT_EQ("2 new objects. 4 states were successfully modified", result.Summary);
  EXPECT_EQ("X=2 Flow=7 Calc==X*2", StateOf("Pump"));
  EXPECT_EQ("Flow=8 Ref=@PUMP", StateOf("Valve"));
  EXPECT_EQ("Y=4 Ref=@TANK", StateOf("Tank"));
  // Setting those references completes the import's records: no correction.
  {
    auto versions = APSDatabase().Query("SELECT count(*) FROM VD_RecordVersions");
    ASSERT_TRUE(versions.Step());
    EXPECT_EQ(0, versions.Int(0));
  }
  EXPECT_EQ(0, APSFindObject("Lonely"));
  const int32_t pump = APSFindObject("Pump");
  EXPECT_EQ("X=1.5 [m] Flow=7 Ref=" + std::to_string(APSFindObject("Valve")) + " Calc=X*2",
            StateAt(pump, Current(pump, Day(2)).at(0)));

  const TParameter* flow = CurrentProject()->FindParameter("Flow");
  ASSERT_NE(nullptr, flow);
  EXPECT_EQ("Imported", flow->Category);
  EXPECT_EQ("Flow", flow->ShortName);
  EXPECT_EQ("Automatically generated on import (" + DateTimeToText(clock.Now()) + ")",
            flow->Descript);
  EXPECT_EQ("Data", CurrentProject()->FindParameter("X")->Category);
}

TEST_F(ImportObjectsTest, NameAndTimeColumnsChosenOrLeftOut) {
  // No name column: the first field names the object; no time column: now.
  ASSERT_TRUE(Import("Plant;X\nPump;1\n", [] {
    TImportSettings settings;
    settings.Separator = ";";
    return settings;
  }()));
  EXPECT_EQ("Plant=Pump X=1", StateOf("Pump"));
  const int32_t pump = APSFindObject("Pump");
  EXPECT_EQ(1u, Current(pump, clock.Now()).size());
  EXPECT_EQ(0u, Current(pump, clock.Now() - 0.001).size());

  // Chosen columns under other names are imported as values as well; a
  // separator of several characters.
  TImportSettings settings;
  settings.Separator = "::";
  settings.NameColumn = "plant";
  settings.TimeColumn = "WHEN";
  ASSERT_TRUE(
      Import("X::When::Plant\n3::" + Time(2) + "::Valve\n::" + Time(3) + "::Valve\n", settings));
  EXPECT_EQ("X=3 When=" + Time(2) + " Plant=Valve", StateOf("Valve"));
  EXPECT_EQ("1 new objects. 1 states were successfully modified", result.Summary);

  // A time column named as no parameter may be (R writes "Time") still
  // dates the states; it is only not kept as a value.
  settings.Separator = ",";
  settings.NameColumn = "Chick";
  settings.TimeColumn = "Time";
  ASSERT_TRUE(Import("Chick,Time,X\nC1," + Time(2) + ",5\n", settings));
  EXPECT_EQ("Chick=C1 X=5", StateOf("C1"));
  EXPECT_EQ(1u, Current(APSFindObject("C1"), Day(2)).size());
}

TEST_F(ImportObjectsTest, LinesThatCannotBeReadAreReportedAndTheRestImported) {
  const std::string longLine = "Pump\t" + Time(9) + "\t" + std::string(kMaxLineLength, '7');
  const std::string file = "\xEF\xBB\xBF_Object_Name\t_Real_Time\tX\tY\n"
                           "Pump\t" +
                           Time(1) +
                           "\t1\n"
                           "Pump\t" +
                           Time(2) +
                           "\t2\t3\t4\n"
                           "Pump\t" +
                           Time(3) +
                           "\t3\t\t\t\n"
                           "Pump\tthe 3rd of May\t4\n"
                           "Pump\t" +
                           Time(4) + "\t\x01\x02\x03\n" + longLine +
                           "\n"
                           "\t" +
                           Time(5) +
                           "\t5\n"
                           "Pump\t" +
                           Time(6) +
                           "\t\xFF\xFE\n"
                           "\xD0\x9D\xD0\xB0\xD1\x81\xD0\xBE\xD1\x81\t" +
                           Time(7) +
                           "\t7\n"
                           "Pump\t" +
                           Time(8) + "\t8";
  ASSERT_TRUE(Import(file));
  EXPECT_EQ((std::vector<std::string>{
                "Line 3 skipped: it has 5 fields, the header has 4",
                "Line 5 skipped: can't read the time \"the 3rd of May\"",
                "Line 6 skipped: it holds binary data",
                "Line 7 skipped: it is longer than 1048576 characters",
                "Line 8 skipped: it has no object name",
                "Line 9 skipped: The text is not valid UTF-8 at byte 17",
            }),
            sink.Messages());
  EXPECT_EQ(6, result.SkippedLines);
  EXPECT_EQ("2 new objects. 4 states were successfully modified", result.Summary);
  EXPECT_EQ("X=8", StateOf("Pump"));
  EXPECT_EQ("X=7", StateOf(Cp("Насос")));
}

TEST_F(ImportObjectsTest, ImportingTheSameFileTwiceRefusesEveryLineByTimeStamp) {
  const std::string file =
      "_Object_Name\t_Real_Time\tX\nPump\t" + Time(1) + "\t1\nPump\t" + Time(2) + "\t2\n";
  ASSERT_TRUE(Import(file));
  EXPECT_EQ("1 new objects. 2 states were successfully modified", result.Summary);
  EXPECT_FALSE(Import(file));
  const std::string check = "Check if the time stamp of the new record is \r\n"
                            "greater than that of existing one. ";
  EXPECT_EQ((std::vector<std::string>{
                "Can't import record.\r\nObject:Pump\r\nTime stamp:" + Time(1) + "\r\n" + check,
                "Can't import record.\r\nObject:Pump\r\nTime stamp:" + Time(2) + "\r\n" + check,
                "Nothing was imported",
            }),
            sink.Messages());
  EXPECT_EQ("", result.Summary);
}

TEST_F(ImportObjectsTest, ANameNoParameterMayHaveRefusesTheLinesThatUseIt) {
  const size_t parameters = CurrentProject()->Parameters().size();
  const std::string file = "_Object_Name\t_Real_Time\tX\tSIN\tFind\n"
                           "Pump\t" +
                           Time(1) +
                           "\t1\t2\n"
                           "Tank\t" +
                           Time(1) +
                           "\t3\t\t4\n"
                           "Valve\t" +
                           Time(1) +
                           "\t5\n"
                           "Motor\t" +
                           Time(1) + "\t6\t7\n";
  // One message for each column, however many lines it refused.
  ASSERT_TRUE(Import(file));
  EXPECT_EQ((std::vector<std::string>{
                "Column SIN can't name a parameter (SIN is a standard function): 2 lines with a "
                "value in it were skipped; rename the column",
                "Column Find can't name a parameter (The parameter name is a reserved word): 1 "
                "line with a value in it was skipped; rename the column"}),
            sink.Messages());
  EXPECT_EQ(3, result.SkippedLines);
  EXPECT_EQ("1 new objects. 1 states were successfully modified", result.Summary);
  EXPECT_EQ(nullptr, CurrentProject()->FindParameter("SIN"));
  EXPECT_EQ(nullptr, CurrentProject()->FindParameter("Find"));
  EXPECT_EQ(parameters, CurrentProject()->Parameters().size());
  EXPECT_EQ("no object", StateOf("Pump"));
  EXPECT_EQ("no object", StateOf("Tank"));
  EXPECT_EQ("X=5", StateOf("Valve"));
}

TEST(ImportTimes, IsoDatesAndTimesAreRead) {
  double date = 0, time = 0;
  ASSERT_TRUE(TryEncodeDate(2026, 1, 2, date));
  struct Case {
    const char* text;
    bool read;
    int hour, minute, second, millisecond;
  } cases[] = {
      {"2026-01-02", true, 0, 0, 0, 0},
      {" 2026-01-02 08:05 ", true, 8, 5, 0, 0},
      {"2026-01-02T08:05:09", true, 8, 5, 9, 0},
      {"2026-01-02 23:59:59.25", true, 23, 59, 59, 250},
      {"02.01.2026", false, 0, 0, 0, 0},
      {"2026-1-2", false, 0, 0, 0, 0},
      {"2026-02-30", false, 0, 0, 0, 0},
      {"2026-01-02T8:05", false, 0, 0, 0, 0},
      {"2026-01-02T24:00", false, 0, 0, 0, 0},
      {"2026-01-02T08:05Z", false, 0, 0, 0, 0},
      {"2026-01-02T08:05:09.", false, 0, 0, 0, 0},
  };
  for (const Case& test : cases) {
    double moment = -1;
    EXPECT_EQ(test.read, TryIsoDateTime(test.text, moment)) << test.text;
    if (!test.read) continue;
    ASSERT_TRUE(TryEncodeTime(test.hour, test.minute, test.second, test.millisecond, time));
    EXPECT_DOUBLE_EQ(ComposeDateTime(date, time), moment) << test.text;
  }
}

TEST_F(ImportObjectsTest, TimesAreReadInTheDateStyleOrAsIso) {
  for (const TDateStyle style : {TDateStyle::European, TDateStyle::US}) {
    SetDateStyle(style);
    const std::string object = style == TDateStyle::US ? "Us" : "Eu";
    ASSERT_TRUE(Import("_Object_Name,_Real_Time,X\n" + object + ",2026-01-02T08:00,1\n" + object +
                           "," + (style == TDateStyle::US ? "01/03/2026" : "03.01.2026") + ",2\n" +
                           object + ",2026-01-04,3\n",
                       [] {
                         TImportSettings comma;
                         comma.Separator = ",";
                         return comma;
                       }()))
        << sink.Last();
    EXPECT_TRUE(sink.Messages().empty()) << sink.Last();
    TObjectSet set;
    ASSERT_TRUE(set.Load(APSFindObject(object)));
    std::vector<double> times;
    for (const auto& record : set.Records)
      times.push_back(record->RealTime);
    double first = 0, second = 0, third = 0, eight = 0;
    ASSERT_TRUE(TryEncodeDate(2026, 1, 2, first) && TryEncodeDate(2026, 1, 3, second) &&
                TryEncodeDate(2026, 1, 4, third) && TryEncodeTime(8, 0, 0, 0, eight));
    EXPECT_EQ((std::vector<double>{first + eight, second, third}), times);
  }
}

TEST_F(ImportObjectsTest, NamesThatDoNotFitAreRefusedNotMergedIntoOneObject) {
  // Cut to 32 characters, the three motors were one object; a long column
  // name was a parameter of another name.
  const std::string motor = "MOTOR_OF_THE_NORTH_WING_BUILDING_";
  const std::string column(33, 'C');
  ASSERT_TRUE(Import("_Object_Name\t_Real_Time\tX\t" + column + "\n" + motor + "1\t" + Time(1) +
                     "\t1\n" + motor + "2\t" + Time(1) + "\t2\n" + "Pump\t" + Time(1) + "\t3\t4\n" +
                     "Tank\t" + Time(1) + "\t5\n"));
  const std::string tooLong = "The name is longer than 32 characters: ";
  EXPECT_EQ(
      (std::vector<std::string>{
          "Line 2 skipped: " + tooLong + motor + "1", "Line 3 skipped: " + tooLong + motor + "2",
          "Column " + column + " can't name a parameter (" + tooLong + column +
              "): 1 line with a value in it was skipped; rename the column"}),
      sink.Messages());
  EXPECT_EQ("1 new objects. 1 states were successfully modified", result.Summary);
  EXPECT_EQ(0, APSFindObject(motor.substr(0, 32)));
  EXPECT_EQ(nullptr, CurrentProject()->FindParameter(column.substr(0, 32)));
  EXPECT_EQ("X=5", StateOf("Tank"));
}

TEST_F(ImportObjectsTest, CellsWithUnknownUnitsAreReportedAndKeptAsText) {
  ASSERT_TRUE(Import("_Object_Name\tD\tE\n"
                     "Star\t5 [parsec]\t=1 [parsec]\n"
                     "Moon\t3 [km]\t@Star\n"));
  EXPECT_EQ(std::vector<std::string>{"Line 2: Unknown unit parsec: the value is kept as text"},
            sink.Messages());
  EXPECT_EQ("D=5 [parsec] E==1 [parsec]", StateOf("Star"));
}

// Quoted fields hold what would otherwise split a line: the separator, a
// quote, line breaks. Messages name the line a record starts on.
TEST_F(ImportObjectsTest, QuotedFieldsAreReadWithTheLinesTheySpan) {
  TImportSettings settings;
  settings.Separator = ",";
  ASSERT_TRUE(Import("_Object_Name,\"Note\",Y\r\n"
                     "Pump,\"Smith, John\",\r\n"
                     "Valve,\"first\r\nsecond \"\"B\"\"\nthird\",2\r\n"
                     "Valve,\"spans\r\nlines\",4,5\r\n"
                     "Tank,,\"never closed\r\n"
                     "Tank,,3\r\n",
                     settings));
  EXPECT_EQ((std::vector<std::string>{
                "Line 6 skipped: it has 4 fields, the header has 3",
                "Line 8 skipped: a quoted field that starts on it is not closed",
            }),
            sink.Messages());
  EXPECT_EQ("Note=Smith, John", StateOf("Pump"));
  EXPECT_EQ("Note=first\r\nsecond \"B\"\nthird Y=2", StateOf("Valve"));
  EXPECT_EQ("Y=3", StateOf("Tank"));
}

TEST_F(ImportObjectsTest, WarningsCanBeGatheredWithTheirLineAndColumn) {
  std::vector<std::tuple<int64_t, std::string, std::string>> warnings;
  TImportSettings settings;
  settings.Warn = [&](const TImportWarning& warning) {
    warnings.emplace_back(warning.Line, warning.Column, warning.Text);
  };
  ASSERT_TRUE(Import("_Object_Name\t_Real_Time\tD\tSIN\n"
                     "Star\tsoon\t1\n"
                     "Star\t2026-01-01\t5 [parsec]\n"
                     "Moon\t2026-01-01\t1\t2\n",
                     settings));
  EXPECT_TRUE(sink.Messages().empty()) << sink.Last();
  using W = std::tuple<int64_t, std::string, std::string>;
  EXPECT_EQ((std::vector<W>{
                W{2, "_Real_Time", "Line 2 skipped: can't read the time \"soon\""},
                W{3, "D", "Line 3: Unknown unit parsec: the value is kept as text"},
                W{0, "SIN",
                  "Column SIN can't name a parameter (SIN is a standard function): 1 line with a "
                  "value in it was skipped; rename the column"},
            }),
            warnings);
}

TEST_F(ImportObjectsTest, AnImportThatGivesNoStateSaysSo) {
  const size_t parameters = CurrentProject()->Parameters().size();
  for (const char* file : {"_Object_Name\tX\n", "_Object_Name\tFlow\nPump\t\n",
                           "_Object_Name\t_Real_Time\tFlow\nPump\tnever\t1\n"}) {
    sink.Reset();
    EXPECT_FALSE(Import(file)) << file;
    EXPECT_EQ("Nothing was imported", sink.Last()) << file;
    EXPECT_EQ("", result.Summary);
  }
  EXPECT_EQ(0, APSObjectCount());
  // The parameter the header made went with the lines that gave nothing.
  EXPECT_EQ(nullptr, CurrentProject()->FindParameter("Flow"));
  EXPECT_EQ(parameters, CurrentProject()->Parameters().size());
  EXPECT_EQ(parameters, Reopen().Parameters().size());
}

// An object is made only with its first stored state: a line of a new
// object that fails leaves no object behind, and the next line of that
// name makes it.
TEST_F(ImportObjectsTest, ALineThatFailsLeavesNoObjectWithoutARecord) {
  const std::string tooLong(70000, 'a');
  ASSERT_TRUE(Import("_Object_Name\tFlow\n"
                     "Pump\t1\n"
                     "Tank\t" +
                     tooLong +
                     "\n"
                     "Valve\t" +
                     tooLong +
                     "\n"
                     "Valve\t2\n"));
  EXPECT_EQ((std::vector<std::string>{"Value is too long to store", "Value is too long to store"}),
            sink.Messages());
  EXPECT_EQ("2 new objects. 2 states were successfully modified", result.Summary);
  EXPECT_EQ(2, result.SkippedLines);
  EXPECT_EQ(0, APSFindObject("Tank"));
  EXPECT_EQ("Flow=2", StateOf("Valve"));
  EXPECT_EQ(2, APSObjectCount());
}

// Pump's history forks at Day(1): two states current from Day(3) on.
class ImportModes : public ImportObjectsTest {
protected:
  ImportModes() {
    pump = APSCreateObject("Pump");
    first = Record(pump, Day(1), {{"X", "1"}});
    for (double day : {2.0, 3.0}) {
      TObjectSet set;
      EXPECT_TRUE(set.Load(pump));
      TStateTrack track;
      EXPECT_TRUE(track.SetPath(set, first, Day(day)));
      EXPECT_NE(0, track.ModifyRecord(Pairs({{"Y", std::to_string(int(day))}}), Day(day)));
    }
  }

  std::vector<std::string> States(double day) {
    std::vector<std::string> states;
    for (const int32_t record : Current(pump, Day(day)))
      states.push_back(StateAt(pump, record));
    std::sort(states.begin(), states.end());
    return states;
  }

  int32_t pump = 0, first = 0;
};

TEST_F(ImportModes, EachModeTreatsSeveralCurrentStatesItsWay) {
  const std::string file = "_Object_Name\t_Real_Time\tZ\nPump\t" + Time(4) + "\t9\n";
  TImportSettings settings;
  settings.Mode = imModifyLatest;
  ASSERT_TRUE(Import(file, settings));
  EXPECT_EQ((std::vector<std::string>{"X=1 Y=2", "X=1 Y=3 Z=9"}), States(5));
}

TEST_F(ImportModes, ModifyAllReportsTheStatesItCannotFollow) {
  TImportSettings settings;
  settings.Mode = imModifyAll;
  ASSERT_TRUE(Import("_Object_Name\t_Real_Time\tZ\nPump\t" + Time(3) + "\t9\n", settings));
  EXPECT_EQ((std::vector<std::string>{"X=1 Y=2 Z=9", "X=1 Y=3"}), States(3.5));
  EXPECT_EQ("Can't import record.\r\nObject:Pump\r\nTime stamp:" + Time(3) +
                "\r\nRecord: PUMP[3]\r\nCheck if the time stamp of the new record is \r\n"
                "greater than that of existing one. ",
            sink.Last());
  ASSERT_TRUE(Import("_Object_Name\t_Real_Time\tZ\nPump\t" + Time(6) + "\t8\n", settings));
  EXPECT_EQ((std::vector<std::string>{"X=1 Y=2 Z=8", "X=1 Y=3 Z=8"}), States(7));
  EXPECT_EQ("0 new objects. 2 states were successfully modified", result.Summary);
  // The line's two records carry their own numbers.
  TObjectSet set;
  ASSERT_TRUE(set.Load(pump));
  std::vector<std::string> names;
  for (const auto& record : set.Records)
    names.push_back(record->RecName);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names.end(), std::adjacent_find(names.begin(), names.end()))
      << ::testing::PrintToString(names);
}

TEST_F(ImportModes, NewStateStartsABranchButASingleStateIsModified) {
  TImportSettings settings;
  settings.Mode = imNewState;
  ASSERT_TRUE(Import("_Object_Name\t_Real_Time\tZ\nPump\t" + Time(4) + "\t9\n", settings));
  EXPECT_EQ((std::vector<std::string>{"X=1 Y=2", "X=1 Y=3", "Z=9"}), States(5));
  // Before the fork there is one state: it is modified, not branched from
  // the empty state.
  ASSERT_TRUE(Import("_Object_Name\t_Real_Time\tZ\nPump\t" + Time(1.5) + "\t5\n", settings));
  // The first record stays current too: records follow it later.
  EXPECT_EQ((std::vector<std::string>{"X=1", "X=1 Z=5"}), States(1.7));
}

TEST_F(ImportObjectsTest, CreatedObjectsJoinANewGroupWithItsIndexEntry) {
  const int32_t old = APSCreateObject("Old");
  const std::string file = "_Object_Name\tX\nOld\t1\nNew1\t2\nNew2\t3\nNew1\t4\n";
  TImportSettings settings;
  settings.GroupName = "Batch";
  ASSERT_TRUE(Import(file, settings));
  const int32_t group = APSFindObject("Batch");
  ASSERT_NE(0, group);
  TStateTrack track;
  ASSERT_TRUE(track.GetState(Current(group, clock.Now()).at(0)));
  ASSERT_TRUE(track.State->Content.has_value());
  std::vector<std::string> members;
  for (const auto& member : *track.State->Content)
    members.push_back(APSObjectName(std::stoi(member->Text())));
  EXPECT_EQ((std::vector<std::string>{"NEW1", "NEW2"}), members);
  const auto& entries = CurrentProject()->IndexEntries(ikGroups);
  ASSERT_EQ(1u, entries.size());
  EXPECT_EQ("BATCH", entries[0].EntryName);
  EXPECT_EQ(group, entries[0].ObjIdtor);
  EXPECT_EQ("Imported objects (" + DateTimeToText(clock.Now()) + ")", entries[0].Comment);
  EXPECT_NE(0, old);

  // The name is taken now: another one is asked for, or the step is left out.
  std::vector<std::string> prompts;
  settings.InputName = [&](const std::string& prompt, std::string& name) {
    prompts.push_back(prompt);
    name = "Batch2";
    return true;
  };
  ASSERT_TRUE(Import("_Object_Name\tX\nNew3\t1\n", settings));
  EXPECT_EQ(std::vector<std::string>{"Object Batch alredy exists. Input new group name"}, prompts);
  EXPECT_NE(0, APSFindObject("Batch2"));
  settings.InputName = nullptr;
  ASSERT_TRUE(Import("_Object_Name\tX\nNew4\t1\n", settings));
  EXPECT_EQ("Objects will not be added to any group", sink.Last());
  EXPECT_EQ(0, APSFindObject("Batch3"));

  // A chosen group takes the new objects into its state.
  TImportSettings chosen;
  chosen.GroupId = group;
  ASSERT_TRUE(Import("_Object_Name\tX\nNew5\t1\nOld\t2\n", chosen));
  ASSERT_TRUE(track.GetState(Current(group, clock.Now()).at(0)));
  EXPECT_EQ(3u, track.State->Content->size());
}

TEST_F(ImportObjectsTest, ProgressFollowsTheFileAndMayStopIt) {
  std::string file = "_Object_Name\t_Real_Time\tX\n";
  for (int i = 0; i < 2000; ++i)
    file += "Object" + std::to_string(i % 50) + "\t" + Time(i) + "\t" + std::to_string(i) + "\n";
  TRecordingProgress progress;
  ASSERT_TRUE(Import(file, {}, &progress));
  EXPECT_EQ((std::vector<std::string>{"start Import progress", "end"}), progress.events);
  ASSERT_FALSE(progress.shares.empty());
  EXPECT_TRUE(std::is_sorted(progress.shares.begin(), progress.shares.end()));
  EXPECT_GT(progress.shares.back(), 0.8);
  EXPECT_EQ(2000, result.ModifiedStates);

  TRecordingProgress stopping;
  stopping.stopAfter = 2;
  TImportSettings settings;
  settings.TimeColumn = "_Real_Time";
  std::string others = file;
  for (size_t at; (at = others.find("\nObject")) != std::string::npos;)
    others.replace(at, 7, "\nOther");
  ASSERT_TRUE(Import(others, settings, &stopping));
  EXPECT_TRUE(result.Stopped);
  EXPECT_EQ("Import stopped after line 513", sink.Last());
  EXPECT_EQ(512, result.ModifiedStates);
  Reopen();
  EXPECT_EQ(2512, RowCount());
}

TEST_F(ImportObjectsTest, TextIsReadInEitherEncodingWithAnyLineEnds) {
  const std::string cp1251 = "_Object_Name\tX\r\n\xCD\xE0\xF1\xEE\xF1\t1\r\xC1\xE0\xEA\t2\n";
  const std::string utf8 = "_Object_Name\tX\n\xD0\x9D\xD0\xB0\xD1\x81\xD0\xBE\xD1\x81\t1\r\n"
                           "\xD0\x91\xD0\xB0\xD0\xBA\t2\r";
  for (const std::string& file : {cp1251, utf8, "\xEF\xBB\xBF" + utf8}) {
    std::istringstream in(file);
    TTextLines lines(in);
    TSourceLine line;
    std::vector<std::string> texts;
    while (lines.Next(line))
      texts.push_back(line.Text);
    EXPECT_EQ((std::vector<std::string>{"_Object_Name\tX", Cp("Насос\t1"), Cp("Бак\t2")}), texts);
  }
  ASSERT_TRUE(Import(utf8));
  EXPECT_EQ("X=1", StateOf(Cp("Насос")));
  EXPECT_EQ("X=2", StateOf(Cp("бак")));

  // A file in a folder with a Cyrillic name is opened by its real name.
  std::filesystem::create_directories(Path("Данные"));
  std::ofstream(Path("Данные/насосы.txt"), std::ios::binary) << "_Object_Name\tX\nPump\t3\n";
  ASSERT_TRUE(ImportObjectsFromFile(Path(Cp("Данные/насосы.txt")), {}, nullptr, result));
  EXPECT_EQ("X=3", StateOf("Pump"));
}

// The project's files fail (a full disk) at the commit of lines 202 to 301:
// the import stops there, keeps the two batches committed before and says
// so, and goes on with nothing after.
TEST_F(ImportObjectsTest, AFailureToStoreStopsTheImportAndKeepsWhatWasCommitted) {
  std::string file = "_Object_Name\t_Real_Time\tFlow\n";
  for (int i = 0; i < 1000; ++i)
    file +=
        "Object" + std::to_string(i / 10) + "\t" + Time(i % 10) + "\t" + std::to_string(i) + "\n";
  // After line 257 the database may no longer grow.
  struct TFillDisk final : TProgress {
    explicit TFillDisk(std::string database) : database(std::move(database)) {}
    void Start(const std::string&) override {}
    bool Update(double) override {
      if (!limit) limit.emplace(std::filesystem::file_size(database));
      return true;
    }
    void End() override {}
    std::string database;
    std::optional<testing::TFileSizeLimit> limit;
  } full(Path("Test.vdb"));
  TImportSettings settings;
  settings.RowsPerCommit = 100;
  EXPECT_FALSE(Import(file, settings, &full));
  full.limit.reset();
  // A write past the size limit fails with EFBIG: said like a full disk.
  EXPECT_EQ("Stopped at line 202: Database error in " + Path("Test.vdb") +
                " database or disk is full (the file size limit is reached) (RELEASE vd). "
                "200 lines were imported",
            result.Summary);
  EXPECT_EQ(20, result.NewObjects);
  EXPECT_EQ(200, result.ModifiedStates);
  // The failure is shown once; no line after it was tried.
  ASSERT_EQ(1u, sink.Messages().size()) << sink.Last();
  EXPECT_EQ(0u, sink.Last().find(kSystemErrorPrefix));

  Reopen();
  EXPECT_EQ(200, RowCount());
  EXPECT_EQ(20, APSObjectCount());
  EXPECT_EQ("Flow=199", StateOf("Object19"));
  EXPECT_NE(nullptr, CurrentProject()->FindParameter("Flow"));
}

// When not even the first batch can be committed, nothing of the import is
// left: no object, no record, no parameter, in the files and in the lists.
TEST_F(ImportObjectsTest, AFailureBeforeTheFirstCommitLeavesNothing) {
  const size_t parameters = CurrentProject()->Parameters().size();
  std::string file = "_Object_Name\tFlow\tHeat\n";
  for (int i = 0; i < 300; ++i)
    file += "Object" + std::to_string(i) + "\t" + std::to_string(i) + "\t1\n";
  {
    testing::TFileSizeLimit full(std::filesystem::file_size(Path("Test.vdb")));
    EXPECT_FALSE(Import(file));
  }
  EXPECT_EQ(0u, result.Summary.find("Stopped at line 2: ")) << result.Summary;
  EXPECT_EQ(
      ". 0 lines were imported",
      result.Summary.substr(result.Summary.size() - std::string(". 0 lines were imported").size()));
  EXPECT_EQ(0, result.NewObjects);
  EXPECT_EQ(nullptr, CurrentProject()->FindParameter("Flow"));
  EXPECT_EQ(parameters, CurrentProject()->Parameters().size());
  Reopen();
  EXPECT_EQ(0, RowCount());
  EXPECT_EQ(0, APSObjectCount());
  EXPECT_EQ(parameters, CurrentProject()->Parameters().size());
}

// The header's new parameters are made in one unit of work: a process killed
// while it makes them leaves all of them or none.
TEST_F(ImportObjectsTest, AKilledImportLeavesAllItsNewParametersOrNone) {
  constexpr int kColumns = 2000;
  std::string file = "_Object_Name";
  for (int i = 0; i < kColumns; ++i)
    file += "\tP" + std::to_string(i);
  file += "\nPump";
  for (int i = 0; i < kColumns; ++i)
    file += "\t" + std::to_string(i);
  file += "\n";
  const size_t before = CurrentProject()->Parameters().size();
  CloseProject();
  int ready[2];
  ASSERT_EQ(0, pipe(ready));
  const pid_t child = fork();
  ASSERT_NE(-1, child);
  if (child == 0) {
    close(ready[0]);
    if (!OpenProject(ProjectFile())) _exit(2);
    if (write(ready[1], "r", 1) != 1) _exit(2);
    std::istringstream in(file);
    TTextLines lines(in);
    TImportResult ignored;
    ImportObjects(lines, {}, nullptr, ignored);
    for (;;)
      pause();
  }
  close(ready[1]);
  char signal = 0;
  ASSERT_EQ(1, read(ready[0], &signal, 1));
  close(ready[0]);
  usleep(50000);
  ASSERT_EQ(0, kill(child, SIGKILL));
  int status = 0;
  ASSERT_EQ(child, waitpid(child, &status, 0));
  const size_t after = Reopen().Parameters().size();
  EXPECT_TRUE(after == before || after == before + kColumns) << after - before;
}

// Killed in the middle of an import, a project keeps every batch committed
// before, each record whole, and opens.
TEST_F(ImportObjectsTest, AKilledImportLeavesWholeRecordsAndAProjectThatOpens) {
  std::string file = "_Object_Name\t_Real_Time\tX\tY\tZ\n";
  for (int i = 0; i < 3000; ++i)
    file += "Object" + std::to_string(i / 10) + "\t" + Time(i % 10) + "\t" + std::to_string(i) +
            "\ty" + std::to_string(i) + "\tz\n";
  CloseProject();
  const pid_t child = fork();
  ASSERT_NE(-1, child);
  if (child == 0) {
    struct TKill final : TProgress {
      void Start(const std::string&) override {}
      bool Update(double share) override {
        if (share > 0.5) kill(getpid(), SIGKILL);
        return true;
      }
      void End() override {}
    } killer;
    if (!OpenProject(ProjectFile())) _exit(2);
    TImportSettings settings;
    settings.RowsPerCommit = 100;
    std::istringstream in(file);
    TTextLines lines(in);
    TImportResult ignored;
    ImportObjects(lines, settings, &killer, ignored);
    _exit(3);
  }
  int status = 0;
  ASSERT_EQ(child, waitpid(child, &status, 0));
  ASSERT_TRUE(WIFSIGNALED(status)) << status;
  Reopen();
  const int64_t rows = RowCount();
  EXPECT_GT(rows, 0);
  EXPECT_LT(rows, 3000);
  EXPECT_EQ(0, rows % 100);
  auto query = APSDatabase().Query("SELECT Idtor, ObjIdtor FROM VD_Records");
  std::vector<std::pair<int32_t, int32_t>> records;
  while (query.Step())
    records.emplace_back(int32_t(query.Int(0)), int32_t(query.Int(1)));
  for (const auto& [id, object] : records) {
    TDataRecord record;
    ASSERT_TRUE(record.Load(id));
    EXPECT_EQ(3u, record.PVs.size()) << id;
  }
  // The import goes on where the batches stopped: the lines already in are
  // refused by time stamp, the rest are added.
  sink.Reset();
  ASSERT_TRUE(Import(file));
  EXPECT_EQ(3000 - rows, result.ModifiedStates);
  EXPECT_EQ(3000, RowCount());
}

} // namespace
} // namespace vandro
