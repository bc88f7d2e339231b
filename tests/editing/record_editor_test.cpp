#include "editing/record_editor.h"

#include "editing/launch_guard.h"
#include "editing/object_selection.h"
#include "editing/object_states.h"
#include "model/object_index.h"
#include "shell/datetime.h"
#include "storage/access.h"
#include "storage/records_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace vandro {
namespace {

class TTestHost final : public TRecordEditorHost {
public:
  bool EditNewParameter(TParameter& parameter) override {
    ++parameterEdits;
    if (editParameter) return editParameter(parameter);
    parameter.Category = "Data";
    return acceptParameters;
  }
  void ParameterAdded() override { ++parametersAdded; }
  void Launch(const std::string& text) override { launched.push_back(text); }

  bool acceptParameters = true;
  // The user's part in the parameter editor, when a test plays it.
  std::function<bool(TParameter&)> editParameter;
  int parameterEdits = 0;
  int parametersAdded = 0;
  std::vector<std::string> launched;
};

constexpr double kSecond = 1.0 / 86400;

class RecordEditor : public testing::RecordsTest {
protected:
  // A track of the object ending at the record (0: the root alone), its
  // state constructed, keeping the history alive.
  static std::unique_ptr<TStateTrack> TrackAt(int32_t object, int32_t record) {
    auto set = std::make_shared<TObjectSet>();
    EXPECT_TRUE(set->Load(object));
    auto track = std::make_unique<TStateTrack>();
    track->KeepSet(set);
    if (record == 0)
      track->SetRootPath(*set, Day(1000));
    else
      EXPECT_TRUE(track->SetPath(*set, record, Day(1000)));
    track->ConstructState();
    return track;
  }

  std::unique_ptr<TRecordEditor> NewState(int32_t object, int32_t record, bool edit = false) {
    auto editor = std::make_unique<TRecordEditor>(host);
    editor->SetTrack(TrackAt(object, record));
    EXPECT_TRUE(editor->Start(false, edit));
    return editor;
  }

  std::unique_ptr<TRecordEditor> NewObject(const std::string& templateName = {}) {
    auto editor = std::make_unique<TRecordEditor>(host);
    editor->SetTemplateName(templateName);
    EXPECT_TRUE(editor->Start(true, false));
    return editor;
  }

  static int RowOf(const TRecordEditor& editor, const std::string& parameter) {
    const auto& rows = editor.Rows();
    for (size_t i = 0; i < rows.size(); ++i)
      if (rows[i].Parameter == parameter) return static_cast<int>(i);
    return -1;
  }

  // Types text into a cell and leaves it.
  static bool Type(TRecordEditor& editor, int row, int column, const std::string& text) {
    if (!editor.SelectCell(row, column)) return false;
    editor.SetEditText(text);
    return editor.CommitCellEdit();
  }

  // A new parameter row: its name into the blank last row, then its value.
  static void AddValue(TRecordEditor& editor, const std::string& parameter,
                       const std::string& value) {
    const int blank = static_cast<int>(editor.Rows().size()) - 1;
    ASSERT_TRUE(Type(editor, blank, rcParameter, parameter));
    ASSERT_TRUE(Type(editor, blank, rcValue, value));
  }

  static void SetValue(TRecordEditor& editor, const std::string& parameter,
                       const std::string& value) {
    const int row = RowOf(editor, parameter);
    ASSERT_GE(row, 0) << parameter;
    ASSERT_TRUE(Type(editor, row, rcValue, value));
  }

  void SureToStore() { sink.Answer(true, "You are about to store the record\r\nAre you sure?"); }

  // The template "VISIT": X mandatory with constraint, Y optional, and the
  // actions given.
  void SaveTemplate(const std::string& constraint = {},
                    std::vector<std::unique_ptr<TActionTemplate>> actions = {},
                    const std::string& naming = {}, const std::string& name = "VISIT") {
    TTemplate visit;
    visit.Name = name;
    if (!naming.empty()) visit.Naming.SetText(vkCalculated, naming);
    for (const char* name : {"X", "Y"}) {
      auto line = std::make_unique<TParamTemplate>();
      line->Parameter = CurrentProject()->FindParameter(name);
      line->Optional = std::string(name) == "Y";
      visit.ParamLines.push_back(std::move(line));
    }
    if (!constraint.empty()) visit.ParamLines[0]->Constr.SetText(vkCalculated, constraint);
    visit.Actions = std::move(actions);
    ASSERT_TRUE(visit.Save());
  }

  static std::unique_ptr<TActionTemplate>
  Action(uint8_t type, uint8_t launch, const std::string& argument, TValueKind kind = vkPlain) {
    auto action = std::make_unique<TActionTemplate>();
    action->ActionType = type;
    action->Launch = launch;
    action->Argument.SetText(kind, argument);
    return action;
  }

  TTestHost host;
};

TEST_F(RecordEditor, ANewStateAtTheSelectedStatesTimeIsRefusedAndOneSecondLaterStored) {
  const int32_t object = APSCreateObject("pump");
  const int32_t r1 = Record(object, Day(1), {{"X", "1"}});
  auto editor = NewState(object, r1);
  EXPECT_EQ("New State: PUMP", editor->Caption());
  SetValue(*editor, "X", "2");

  editor->SetRealTime(Day(1));
  editor->LeaveRealTime();
  EXPECT_FALSE(editor->StoreRecord());
  EXPECT_EQ(DateTimeToText(Day(1)) +
                "\r\nRecord can't be created at this moment\r\nChange the time \r\nor use Edit "
                "Record operation instead.",
            sink.Last());
  EXPECT_EQ(1, RowCount());

  editor->SetRealTime(Day(1) + kSecond);
  editor->LeaveRealTime();
  SureToStore();
  ASSERT_TRUE(editor->StoreRecord());
  EXPECT_EQ("X=2", StateAt(object, editor->StoredRecord()));
  EXPECT_EQ(std::to_string(r1) + "/0/", Links(editor->StoredRecord()));
}

TEST_F(RecordEditor, BackDatingCutsTheTrackAndLinksTheRecordBetweenItsNeighbours) {
  const int32_t object = APSCreateObject("pump");
  const int32_t r1 = Record(object, Day(1), {{"X", "1"}, {"Y", "a"}});
  const int32_t r3 = Record(object, Day(3), {{"X", "3"}});
  auto editor = NewState(object, r3);
  EXPECT_EQ("3", editor->Rows()[static_cast<size_t>(RowOf(*editor, "X"))].Previous);

  editor->SetRealTime(Day(2));
  editor->LeaveRealTime();
  ASSERT_TRUE(editor->ShowsPrevious());
  EXPECT_EQ("1", editor->Rows()[static_cast<size_t>(RowOf(*editor, "X"))].Previous);

  SetValue(*editor, "X", "2");
  SureToStore();
  ASSERT_TRUE(editor->StoreRecord());
  const int32_t r2 = editor->StoredRecord();
  EXPECT_EQ(std::to_string(r1) + "/0/", Links(r2));
  EXPECT_EQ(std::to_string(r2) + "/0/", Links(r3));
  EXPECT_EQ("X=2 Y=a", StateAt(object, r2));
  EXPECT_EQ("X=3 Y=a", StateAt(object, r3));
  EXPECT_EQ(std::vector<int32_t>{r3}, Current(object, Day(10)));
}

// The object view at day 1 and a new state dated day 2, while day 3 follows
// day 1: the user says whether it goes between them or starts a branch.
TEST_F(RecordEditor, ANewStateBeforeALaterOneAsksWhereItGoes) {
  struct TCase {
    const char* button;
    bool stored;
    const char* currentAtDay10; // the states current on day 10
  };
  const TCase cases[] = {
      {"Insert", true, "X=3 Y=2"},
      {"New branch", true, "X=1 Y=2 | X=3"},
      {"Cancel", false, "X=3"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.button);
    const int32_t object = APSCreateObject(std::string("pump_") + std::to_string(&c - cases));
    const int32_t r1 = Record(object, Day(1), {{"X", "1"}});
    Record(object, Day(3), {{"X", "3"}});
    auto editor = NewState(object, r1);
    editor->SetRealTime(Day(2));
    editor->LeaveRealTime();
    AddValue(*editor, "Y", "2");
    SureToStore();
    sink.Press(c.button, "A later state exists (" + DateTimeToText(Day(3)) +
                             "). Insert this state before it, or start a new branch from " +
                             DateTimeToText(Day(1)) + "?");
    EXPECT_EQ(c.stored, editor->StoreRecord());
    std::string current;
    for (const int32_t id : Current(object, Day(10)))
      current += (current.empty() ? "" : " | ") + StateAt(object, id);
    EXPECT_EQ(c.currentAtDay10, current);
  }
}

// A dialog opened before another program stores a record, and stored
// after it, is known from the moment it was stored.
TEST_F(RecordEditor, SysTimeIsTheMomentOfStoringNotOfOpening) {
  const int32_t object = APSCreateObject("pump");
  const int32_t other = APSCreateObject("other");
  const int32_t r1 = Record(object, Day(1), {{"X", "1"}});
  auto editor = NewState(object, r1);
  SetValue(*editor, "X", "2");
  clock.Advance(kSecond * 60);
  Record(other, Day(1), {{"X", "5"}});
  clock.Advance(kSecond * 600);
  SureToStore();
  ASSERT_TRUE(editor->StoreRecord());
  TDataRecord stored;
  ASSERT_TRUE(stored.Load(editor->StoredRecord()));
  EXPECT_DOUBLE_EQ(clock.Now(), stored.SysTime);
  auto rows = APSDatabase().Query("SELECT SysTime FROM VD_Records ORDER BY Idtor");
  double previous = 0;
  while (rows.Step()) {
    EXPECT_LE(previous, rows.Real(0));
    previous = rows.Real(0);
  }
}

// A store that fails at its last step (the group) leaves no object and no
// record; OK again stores them once.
TEST_F(RecordEditor, AFailedStoreLeavesNothingAndOkAgainStoresOnce) {
  const int32_t group = APSCreateObject("WARD");
  auto editor = NewObject();
  editor->SetObjectName("P7");
  AddValue(*editor, "X", "7");
  TValue reference;
  reference.SetText(vkObject, std::to_string(group));
  ASSERT_TRUE(editor->AddGroup(reference));
  const std::string trigger =
      "CREATE TRIGGER fail BEFORE INSERT ON VD_Records WHEN NEW.ObjIdtor = " +
      std::to_string(group) + " BEGIN SELECT RAISE(ABORT, 'disk full'); END";
  APSDatabase().Execute(trigger.c_str());
  SureToStore();
  EXPECT_THROW(editor->Ok(), ErrorException);
  EXPECT_EQ(0, APSFindObject("P7"));
  EXPECT_EQ(0, RowCount());
  APSDatabase().Execute("DROP TRIGGER fail");
  SureToStore();
  ASSERT_TRUE(editor->Ok());
  EXPECT_NE(0, APSFindObject("P7"));
  EXPECT_EQ(2, RowCount()); // the object's record and the group's
  EXPECT_EQ(2, APSObjectCount());
}

TEST_F(RecordEditor, AnObjectWithoutRecordsHasNoPreviousValueColumn) {
  const int32_t object = APSCreateObject("empty");
  auto editor = NewState(object, 0);
  EXPECT_FALSE(editor->HasPrevious());
  EXPECT_EQ((std::vector<std::string>{"", "Parameter", "Value"}), editor->Columns());
  // Only the blank row for a new parameter.
  ASSERT_EQ(1u, editor->Rows().size());
  EXPECT_FALSE(editor->Rows()[0].HasParameter);
  EXPECT_FALSE(editor->TerminateVisible());
}

TEST_F(RecordEditor, AnUnchangedStateAsksAndStoresNothingOnNo) {
  const int32_t object = APSCreateObject("pump");
  const int32_t r1 = Record(object, Day(1), {{"X", "1"}});
  auto editor = NewState(object, r1);
  // The "Previous Value" cell copies the previous value: the same value.
  EXPECT_FALSE(editor->SelectCell(RowOf(*editor, "X"), rcPrevious));
  EXPECT_TRUE(editor->Rows()[static_cast<size_t>(RowOf(*editor, "X"))].Modified);
  SureToStore();
  sink.Answer(false, "You didn't input any information.\r\nDo you want to continue editing?");
  EXPECT_TRUE(editor->Ok());
  EXPECT_TRUE(editor->ClosingWithoutStore());
  EXPECT_EQ(1, RowCount());
}

TEST_F(RecordEditor, AMandatoryTemplateLineCannotBeClearedAnOptionalOneCan) {
  SaveTemplate();
  auto editor = NewObject("VISIT");
  EXPECT_EQ("VISIT", editor->TemplateCaption());
  ASSERT_EQ(0, RowOf(*editor, "X"));
  ASSERT_EQ(1, RowOf(*editor, "Y"));

  EXPECT_TRUE(Type(*editor, 0, rcParameter, ""));
  EXPECT_EQ("This parameter is mandatory and can't be deleted.", sink.Last());
  EXPECT_EQ(0, RowOf(*editor, "X"));

  EXPECT_TRUE(Type(*editor, 1, rcParameter, ""));
  EXPECT_EQ(-1, RowOf(*editor, "Y"));
  EXPECT_EQ(2u, editor->Rows().size()); // X and the blank row
}

TEST_F(RecordEditor, ClearingTheOnlyParameterRowKeepsItEmpty) {
  auto editor = NewObject();
  AddValue(*editor, "X", "");
  ASSERT_EQ(2u, editor->Rows().size());
  EXPECT_TRUE(Type(*editor, 0, rcParameter, ""));
  ASSERT_EQ(3u - 1u, editor->Rows().size());
  EXPECT_FALSE(editor->Rows()[0].HasParameter);
  EXPECT_EQ("", editor->Rows()[0].Value);
}

TEST_F(RecordEditor, ConstraintsPassOnOneOrTrueAndAskOtherwise) {
  SaveTemplate("X");
  struct Case {
    const char* value;
    bool asks;
  } const cases[] = {{"1", false}, {"TRUE", false}, {"yes", false},
                     {"0", true},  {"FALSE", true}, {"5", true}};
  auto editor = NewObject("VISIT");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    if (c.asks)
      sink.Answer(false, std::string("The value doesn't satisfy constraints!\r\nValue:") + c.value +
                             "\r\nConstraint:X\r\nDo you want to continue anyway?");
    EXPECT_EQ(!c.asks, Type(*editor, 0, rcValue, c.value));
    editor->RestoreEditText();
    EXPECT_TRUE(editor->CommitCellEdit());
  }
}

TEST_F(RecordEditor, AnOptionalLineLeftEmptyStillHasItsConstraintChecked) {
  TTemplate visit;
  visit.Name = "OPTIONAL";
  auto line = std::make_unique<TParamTemplate>();
  line->Parameter = CurrentProject()->FindParameter("Y");
  line->Optional = true;
  line->Constr.SetText(vkCalculated, "Y > 5");
  visit.ParamLines.push_back(std::move(line));
  ASSERT_TRUE(visit.Save());
  auto editor = NewObject("OPTIONAL");
  AddValue(*editor, "X", "1");
  SureToStore();
  sink.Answer(false);
  EXPECT_FALSE(editor->StoreRecord());
  ASSERT_EQ(2u, sink.Questions().size());
  EXPECT_EQ(0u, sink.Questions()[1].find("The value doesn't satisfy constraints!"))
      << sink.Questions()[1];
  EXPECT_EQ(0, RowCount());
}

TEST_F(RecordEditor, AConstraintThatFailsAsksWithItsError) {
  SaveTemplate("X +");
  auto editor = NewObject("VISIT");
  sink.Answer(true);
  EXPECT_TRUE(Type(*editor, 0, rcValue, "3"));
  ASSERT_EQ(1u, sink.Questions().size());
  const std::string& question = sink.Questions()[0];
  EXPECT_EQ(0u, question.find("The value doesn't satisfy constraints!\r\nValue:3\r\n### Error ###"))
      << question;
  EXPECT_NE(std::string::npos, question.find("\r\nConstraint:X +\r\n"));
}

TEST_F(RecordEditor, AnErrorMessageWithAnEmptyOrFailingConditionBlocksOk) {
  for (const char* condition : {"", "1 +"}) {
    SCOPED_TRACE(condition);
    std::vector<std::unique_ptr<TActionTemplate>> actions;
    actions.push_back(Action(atErrorMessage, lmBeforeSave, "Not yet"));
    if (*condition) actions.back()->Condition.SetText(vkCalculated, condition);
    SaveTemplate({}, std::move(actions), {}, *condition ? "FAILING" : "EMPTY");
    auto editor = NewObject(*condition ? "FAILING" : "EMPTY");
    SetValue(*editor, "X", "1");
    const int32_t objects = APSObjectCount();
    EXPECT_FALSE(editor->Ok());
    EXPECT_EQ("Not yet", sink.Last());
    EXPECT_EQ(objects, APSObjectCount());
  }
}

TEST_F(RecordEditor, ActionsFireOnTrueWordsAndNotOnFalseOnes) {
  std::vector<std::unique_ptr<TActionTemplate>> actions;
  for (const char* condition : {"TRUE", "NO", "1"}) {
    actions.push_back(Action(atMessage, lmBeforeCreate, std::string("when ") + condition));
    actions.back()->Condition.SetPlain(condition);
  }
  SaveTemplate({}, std::move(actions));
  auto editor = NewObject("VISIT");
  EXPECT_EQ(std::vector<std::string>{"when TRUE"}, sink.Messages());
}

// The user is asked before anything opens, naming the document; only a
// chosen "Always for this project" skips the question, and only for this
// very project, not for a copy of it.
TEST_F(RecordEditor, LaunchOpensTheStoredTextOnlyWhenTheUserAgrees) {
  const std::string document = Path("report.pdf");
  WriteBytes(document, "%PDF-1.4");
  const std::string opened = std::filesystem::canonical(document).string();
  std::vector<std::unique_ptr<TActionTemplate>> actions;
  // The stored text, not its result: a document's name is not a formula.
  actions.push_back(Action(atLaunch, lmBeforeCreate, document, vkCalculated));
  SaveTemplate({}, std::move(actions));
  const std::string question = "The template VISIT wants to open:\r\n" + opened + "\r\nOpen it?";
  const std::string always =
      "Always for this project: open what its templates name without asking?";

  sink.Answer(false, question);
  NewObject("VISIT");
  EXPECT_TRUE(host.launched.empty());

  sink.Answer(true, question);
  sink.Answer(false, always);
  NewObject("VISIT");
  EXPECT_EQ(std::vector<std::string>{opened}, host.launched);
  EXPECT_FALSE(LaunchAlwaysAllowed());

  sink.Answer(true, question);
  sink.Answer(true, always);
  NewObject("VISIT");
  EXPECT_TRUE(LaunchAlwaysAllowed());
  Reopen();
  NewObject("VISIT"); // no question is queued: asking would fail the test
  EXPECT_EQ(3u, host.launched.size());

  // A copy of the project carries the choice but not the permission.
  CloseProject();
  std::filesystem::create_directory(Path("copy"));
  for (const char* file : {"Test.vdp", "Test.vdb"})
    std::filesystem::copy_file(Path(file), Path(std::string("copy/") + file));
  ASSERT_TRUE(OpenProject(Path("copy/Test.vdp")));
  EXPECT_FALSE(LaunchAlwaysAllowed());
  sink.Answer(false, question);
  NewObject("VISIT");
  EXPECT_EQ(3u, host.launched.size());
}

// What may be opened: web and mail addresses and plain documents. Anything
// else is refused with its reason, before any question and without opening.
TEST_F(RecordEditor, LaunchRefusesWhatIsNotAnAddressOrADocument) {
  WriteBytes(Path("tool.sh"), "#!/bin/sh\n");
  std::filesystem::permissions(Path("tool.sh"), std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
  WriteBytes(Path("viewer.desktop"), "[Desktop Entry]\nExec=sh\n");
  WriteBytes(Path("notes.txt"), "# notes\n[Desktop Entry]\nExec=sh\n");
  std::filesystem::create_symlink(Path("viewer.desktop"), Path("link.pdf"));
  const std::string addresses = "only http, https and mailto addresses are opened";
  const struct {
    std::string text, shown, reason;
  } refused[] = {
      {"file:///etc/passwd", "file:///etc/passwd", addresses},
      {"javascript:alert(1)", "javascript:alert(1)", addresses},
      {"smb://host/share", "smb://host/share", addresses},
      {Path("missing.pdf"), Path("missing.pdf"), "there is no such file"},
      {dir, dir, "it is not a document file"},
      {"/dev/null", "/dev/null", "it is not a document file"},
      {Path("tool.sh"), Path("tool.sh"), "it is a program"},
      {Path("viewer.desktop"), Path("viewer.desktop"), "it is a desktop entry"},
      {Path("notes.txt"), Path("notes.txt"), "it is a desktop entry"},
      {Path("link.pdf"), Path("link.pdf"), "it is a desktop entry"},
      {"https://example.org/\x1b[2J", "(a name with a control character)",
       "the name holds a control character"},
  };
  int opened = 0;
  const auto opener = [&](const std::string&) { ++opened; };
  for (const auto& c : refused) {
    sink.Reset();
    EXPECT_FALSE(LaunchForTemplate("VITALS", c.text, opener)) << c.text;
    EXPECT_EQ(std::vector<std::string>{"The template VITALS wants to open:\r\n" + c.shown +
                                       "\r\nIt is not opened: " + c.reason},
              sink.Messages());
    EXPECT_TRUE(sink.Questions().empty()) << c.text;
  }
  EXPECT_EQ(0, opened);

  for (const std::string address :
       {"https://example.org/a?b=1", "http://example.org", "mailto:nurse@example.org"}) {
    const TLaunchTarget target = CheckLaunchTarget("  " + address + " ");
    EXPECT_TRUE(target.Allowed) << address << ": " << target.Refusal;
    EXPECT_EQ(address, target.Target);
  }
}

TEST_F(RecordEditor, TwoNewObjectDialogsGetDifferentAutomaticNames) {
  auto first = NewObject();
  auto second = NewObject();
  EXPECT_EQ(0u, first->ObjectName().find("OBJECT_"));
  EXPECT_NE(first->ObjectName(), second->ObjectName());
  // Closing gives the name back.
  const std::string freed = second->ObjectName();
  second.reset();
  EXPECT_EQ(freed, NewObject()->ObjectName());
}

TEST_F(RecordEditor, EditingRefusesTimesAtEitherBoundAndRewritesInPlace) {
  const int32_t object = APSCreateObject("pump");
  Record(object, Day(1), {{"X", "1"}});
  const int32_t r2 = Record(object, Day(2), {{"X", "2"}});
  Record(object, Day(3), {{"X", "3"}});
  auto editor = NewState(object, r2, true);
  EXPECT_EQ("Edit Record: PUMP", editor->Caption());
  EXPECT_FALSE(editor->ShowsPrevious());

  struct Case {
    double time;
    const char* message;
  } const cases[] = {
      {Day(1), "The new real time value is lower than that of the previous\r\nobservation. "
               "Change the time."},
      {Day(3), "The new real time value is greater than the time \r\nof the next observation. "
               "Change the time."},
  };
  for (const Case& c : cases) {
    editor->SetRealTime(c.time);
    editor->LeaveRealTime();
    EXPECT_EQ(c.message, sink.Last());
    EXPECT_EQ(Day(2), editor->RealTime());
    editor->SetRealTime(c.time);
    EXPECT_FALSE(editor->StoreRecord());
    EXPECT_EQ(c.message, sink.Last());
  }

  editor->SetRealTime(Day(2.5));
  SetValue(*editor, "X", "22");
  SureToStore();
  ASSERT_TRUE(editor->StoreRecord());
  EXPECT_EQ(r2, editor->StoredRecord());
  EXPECT_EQ(3, RowCount());
  EXPECT_EQ("X=22", StateAt(object, r2));
}

TEST_F(RecordEditor, ANewVersionMakesASecondCurrentState) {
  const int32_t object = APSCreateObject("pump");
  const int32_t r1 = Record(object, Day(1), {{"X", "1"}});
  const int32_t r2 = Record(object, Day(2), {{"X", "2"}});
  auto editor = NewState(object, r1);
  SetValue(*editor, "X", "5");
  SureToStore();
  ASSERT_TRUE(editor->SaveAndCreateNewVersion());
  const int32_t version = editor->StoredRecord();
  // The dialog starts again after the same state.
  EXPECT_EQ("1", editor->Rows()[static_cast<size_t>(RowOf(*editor, "X"))].Previous);
  EXPECT_EQ(4, editor->StateNumber());

  TObjectStates states;
  states.Load(object);
  ASSERT_EQ(2, states.StatesAt(Now()));
  std::vector<int32_t> ids;
  for (const TStateRow& row : states.Rows())
    ids.push_back(row.RecordId);
  EXPECT_EQ((std::vector<int32_t>{r2, version}), ids);
  // "Select Object" offers both.
  TObjectSelection selection;
  selection.Prepare(10, Now(), true, false, false);
  selection.ChooseObject(object);
  EXPECT_EQ(2, selection.StateCount());
  selection.Release();
}

TEST_F(RecordEditor, SaveAsTemplateCarriesTheGroupsAndTheDialogTakesTheTemplateOver) {
  const int32_t ward = APSCreateObject("WARD");
  auto editor = NewObject();
  AddValue(*editor, "X", "7");
  AddValue(*editor, "Y", "2");
  TValue group;
  group.SetText(vkObject, std::to_string(ward));
  ASSERT_TRUE(editor->AddGroup(group));
  editor->SetGroupChecked(0, true);
  // A value still being typed belongs to the template.
  ASSERT_TRUE(editor->SelectCell(RowOf(*editor, "Y"), rcValue));
  editor->SetEditText("3");

  std::unique_ptr<TTemplateEditor> made = editor->TemplateFromRecord();
  ASSERT_TRUE(made);
  TTemplate& round = made->Template();
  ASSERT_EQ(2, round.ParamLineCount());
  EXPECT_EQ("3", round.ParamLine(1).DefValue.Text());
  ASSERT_EQ(1, round.ActionCount());
  EXPECT_EQ(atAddToGroup, round.Action(0).ActionType);
  EXPECT_EQ(std::to_string(ward), round.Action(0).Argument.Text());
  EXPECT_EQ(apState, round.Action(0).ApplyTo);
  // What the user then does in the template editor is what the dialog takes
  // over: a new default, a naming rule, a group action still without group.
  round.ParamLine(0).DefValue.SetPlain("8");
  round.Naming.SetText(vkCalculated, "'N' && X");
  auto unnamed = std::make_unique<TActionTemplate>();
  unnamed->ActionType = atAddToGroup;
  round.Actions.push_back(std::move(unnamed));
  ASSERT_TRUE(made->Save("round"));

  editor->AdoptTemplate("ROUND");
  EXPECT_EQ("ROUND", editor->TemplateCaption());
  EXPECT_EQ("New Object: N8", editor->Caption());
  EXPECT_EQ("N8[1]", editor->RecordName());
  EXPECT_EQ(round.Idtor, editor->Record().Type);
  const auto& rows = editor->Rows();
  ASSERT_EQ(3u, rows.size());
  EXPECT_EQ("8", rows[0].Value);
  EXPECT_EQ("3", rows[1].Value);
  EXPECT_TRUE(rows[0].Modified && rows[1].Modified);
  EXPECT_FALSE(rows[2].HasParameter);
  ASSERT_EQ(2u, editor->Groups().size());
  EXPECT_TRUE(editor->Groups()[0].Checked);
  EXPECT_TRUE(editor->Groups()[1].Action->Argument.IsNull());

  // The next record of "Save and Create a New Version" starts from it too.
  SureToStore();
  ASSERT_TRUE(editor->SaveAndCreateNewVersion());
  EXPECT_EQ("ROUND", editor->TemplateCaption());
  EXPECT_NE(0, APSFindObject("N8"));
}

TEST_F(RecordEditor, AnIterativeRecordFollowsTheOneJustStored) {
  const int32_t object = APSCreateObject("pump");
  const int32_t r1 = Record(object, Day(1), {{"X", "1"}});
  auto editor = NewState(object, r1);
  SetValue(*editor, "X", "5");
  editor->SetRealTime(Day(2));
  editor->LeaveRealTime();
  SureToStore();
  ASSERT_TRUE(editor->SaveAndCreateIterative());
  const int32_t r2 = editor->StoredRecord();
  EXPECT_EQ("5", editor->Rows()[static_cast<size_t>(RowOf(*editor, "X"))].Previous);
  SetValue(*editor, "X", "6");
  SureToStore();
  ASSERT_TRUE(editor->StoreRecord());
  EXPECT_EQ(std::to_string(r2) + "/0/", Links(editor->StoredRecord()));
  EXPECT_EQ(std::vector<int32_t>{editor->StoredRecord()}, Current(object, Now()));
}

TEST_F(RecordEditor, TerminatingEndsTheBranch) {
  const int32_t object = APSCreateObject("pump");
  const int32_t r1 = Record(object, Day(1), {{"X", "1"}});
  auto editor = NewState(object, r1);
  ASSERT_TRUE(editor->TerminateVisible());
  sink.Answer(true, "You are about to terminate current state.\r\nThe state will not be "
                    "accessible.\r\nDo you want to proceed?");
  EXPECT_TRUE(editor->TerminateState());
  EXPECT_TRUE(Current(object, Now()).empty());
}

TEST_F(RecordEditor, ANewObjectIsStoredWithItsNameIndexEntryAndGroup) {
  const int32_t group = APSCreateObject("WARD");
  std::vector<std::unique_ptr<TActionTemplate>> actions;
  actions.push_back(Action(atAddToGroup, lmAfterSave, std::to_string(group), vkObject));
  SaveTemplate({}, std::move(actions), "'P' && X");
  auto editor = NewObject("VISIT");
  ASSERT_EQ(1u, editor->Groups().size());
  SetValue(*editor, "X", "7");
  // The naming formula follows the values.
  EXPECT_EQ("P7", editor->ObjectName());
  EXPECT_EQ("P7[1]", editor->RecordName());
  editor->IndexChecked = true;
  SureToStore();
  ASSERT_TRUE(editor->Ok());

  const int32_t object = APSFindObject("P7");
  ASSERT_NE(0, object);
  EXPECT_EQ("X=7", StateAt(object, editor->StoredRecord()));
  const auto& entries = CurrentProject()->IndexEntries(ikObjects);
  ASSERT_EQ(1u, entries.size());
  EXPECT_EQ("P7", entries[0].EntryName);
  const std::vector<int32_t> wardStates = Current(group, Now());
  ASSERT_EQ(1u, wardStates.size());
  TObjectStates ward;
  ward.Load(group);
  ASSERT_EQ(1, ward.StatesAt(Now()));
  const auto members = ward.Members(0);
  ASSERT_TRUE(members.has_value());
  ASSERT_EQ(1u, members->size());
  EXPECT_EQ(object, (*members)[0].Id);
}

TEST_F(RecordEditor, ANameThatIsTakenKeepsTheDialogOpen) {
  APSCreateObject("TAKEN");
  auto editor = NewObject();
  editor->SetObjectName("taken");
  AddValue(*editor, "X", "1");
  SureToStore();
  EXPECT_FALSE(editor->StoreRecord());
  EXPECT_EQ("Object named TAKEN already exists. Change the name and try again", sink.Last());
  editor->SetObjectName("free");
  SureToStore();
  EXPECT_TRUE(editor->StoreRecord());
  EXPECT_NE(0, APSFindObject("FREE"));
}

TEST_F(RecordEditor, ANameThatCannotBeStoredKeepsTheDialogOpenAndStoresNothing) {
  const std::string s32(32, 'S');
  APSCreateObject(s32);
  auto editor = NewObject();
  AddValue(*editor, "X", "1");
  const int64_t rows = RowCount();
  struct Case {
    std::string name, message;
  };
  const Case cases[] = {
      // Once cut, this name was the existing object's.
      {s32 + "_PUMP", "The name is longer than 32 characters: " + s32 + "_PUMP"},
      {"PUMP\x1b[2J", "The name holds a control character"},
  };
  for (const auto& c : cases) {
    editor->SetObjectName(c.name);
    SureToStore();
    EXPECT_FALSE(editor->StoreRecord());
    EXPECT_EQ(c.message, sink.Last());
  }
  EXPECT_EQ(rows, RowCount());
  EXPECT_EQ(1, APSObjectCount());
  editor->SetObjectName("Pump");
  SureToStore();
  EXPECT_TRUE(editor->StoreRecord());
}

TEST_F(RecordEditor, AStorageFailureKeepsEverythingTyped) {
  const int32_t object = APSCreateObject("pump");
  const int32_t r1 = Record(object, Day(1), {{"X", "1"}});
  auto editor = NewState(object, r1);
  SetValue(*editor, "X", "2");
  AddValue(*editor, "Z", "");
  TValue failing;
  failing.SetText(vkCalculated, "=NOSUCH + 1");
  ASSERT_TRUE(editor->SelectCell(RowOf(*editor, "Z"), rcValue));
  ASSERT_TRUE(editor->AcceptValue(failing));
  SureToStore();
  EXPECT_THROW(editor->StoreRecord(), ErrorException);
  EXPECT_EQ(1, RowCount());
  EXPECT_EQ("2", editor->Rows()[static_cast<size_t>(RowOf(*editor, "X"))].Value);
  EXPECT_EQ(1, RowOf(*editor, "Z"));
  EXPECT_EQ(3u, editor->Rows().size());
  EXPECT_EQ("=NOSUCH + 1", editor->Record().PVs[1]->Value.Text());
}

TEST_F(RecordEditor, AnUnknownParameterCanBeCreatedFromTheGrid) {
  auto editor = NewObject();
  sink.Answer(false, "Parameter W doesn't exist\r\nDo you want to create it?");
  EXPECT_FALSE(Type(*editor, 0, rcParameter, "W"));
  editor->RestoreEditText();
  EXPECT_TRUE(editor->CommitCellEdit());

  sink.Answer(true, "Parameter W doesn't exist\r\nDo you want to create it?");
  EXPECT_TRUE(Type(*editor, 0, rcParameter, "W"));
  EXPECT_NE(nullptr, CurrentProject()->FindParameter("W"));
  EXPECT_EQ(1, host.parametersAdded);
  EXPECT_EQ(0, RowOf(*editor, "W"));
  // A new blank row follows the one that took the parameter.
  EXPECT_EQ(2u, editor->Rows().size());
  // The same parameter in a second row is refused.
  EXPECT_FALSE(Type(*editor, 1, rcParameter, "w"));
  EXPECT_EQ("The parameter w is already defined in the record.", sink.Last());
}

TEST_F(RecordEditor, ARefusedNewParameterGoesBackToTheEditorAsTyped) {
  auto editor = NewObject();
  host.editParameter = [&](TParameter& parameter) {
    if (host.parameterEdits == 1) {
      EXPECT_EQ("W", parameter.ParamName);
      parameter.ShortName = "X"; // the short name of another parameter
      parameter.Descript = "typed once";
    } else {
      EXPECT_EQ("X", parameter.ShortName);
      EXPECT_EQ("typed once", parameter.Descript);
      parameter.ShortName = "WW";
    }
    parameter.Category = "Data";
    return true;
  };
  sink.Answer(true, "Parameter W doesn't exist\r\nDo you want to create it?");
  EXPECT_TRUE(Type(*editor, 0, rcParameter, "W"));
  EXPECT_EQ(2, host.parameterEdits);
  EXPECT_EQ(1, std::count(sink.Messages().begin(), sink.Messages().end(),
                          "Parameter short name is already in use:X"));
  const TParameter* added = CurrentProject()->FindParameter("W");
  ASSERT_NE(nullptr, added);
  EXPECT_EQ("WW", added->ShortName);
  EXPECT_EQ("typed once", added->Descript);
  EXPECT_EQ(1, host.parametersAdded);
  EXPECT_EQ(0, RowOf(*editor, "W"));

  // Cancelled after a refusal: nothing is added, the row keeps no parameter.
  host.parameterEdits = 0;
  host.editParameter = [&](TParameter& parameter) {
    parameter.ShortName = "X";
    return host.parameterEdits == 1;
  };
  sink.Answer(true, "Parameter V doesn't exist\r\nDo you want to create it?");
  EXPECT_FALSE(Type(*editor, 1, rcParameter, "V"));
  EXPECT_EQ(2, host.parameterEdits);
  EXPECT_EQ(nullptr, CurrentProject()->FindParameter("V"));
  EXPECT_EQ(1, host.parametersAdded);
}

TEST_F(RecordEditor, AValueCellNeedsAParameterFirst) {
  auto editor = NewObject();
  EXPECT_FALSE(editor->SelectCell(0, rcValue));
  EXPECT_EQ("The parameter name is empty", sink.Last());
  EXPECT_EQ(rcParameter, editor->EditColumn());
}

TEST_F(RecordEditor, FormulasShowTheirResultAndHiddenRowsFollowTheMenu) {
  const int32_t object = APSCreateObject("pump");
  const int32_t r1 = Record(object, Day(1), {{"X", "1"}});
  auto editor = NewState(object, r1);
  // The record being built comes first: its X is what the formula reads.
  SetValue(*editor, "X", "4");
  const int row = static_cast<int>(editor->Rows().size()) - 1;
  ASSERT_TRUE(Type(*editor, row, rcParameter, "Z"));
  TValue formula;
  formula.SetText(vkCalculated, "X * 2");
  ASSERT_TRUE(editor->SelectCell(row, rcValue));
  ASSERT_TRUE(editor->AcceptValue(formula));
  EXPECT_EQ("8", editor->Rows()[static_cast<size_t>(row)].Value);
  EXPECT_EQ("X * 2", editor->FormulaText());
  // A formula that names its own parameter reports a loop.
  formula.SetText(vkCalculated, "Z + 1");
  ASSERT_TRUE(editor->AcceptValue(formula));
  EXPECT_NE(std::string::npos, editor->Rows()[static_cast<size_t>(row)].Value.find("Loop"));

  ASSERT_TRUE(editor->CanHide());
  editor->HideParameter();
  EXPECT_EQ(-1, RowOf(*editor, "Z"));
  editor->SetShowHidden(true);
  ASSERT_NE(-1, RowOf(*editor, "Z"));
  EXPECT_TRUE(editor->Rows()[static_cast<size_t>(RowOf(*editor, "Z"))].Invisible);
}

TEST_F(RecordEditor, AStateReferenceIsNotAValue) {
  auto editor = NewObject();
  AddValue(*editor, "X", "1");
  TValue state;
  state.SetText(vkObject, "33");
  ASSERT_TRUE(editor->SelectCell(0, rcValue));
  EXPECT_FALSE(editor->AcceptValue(state));
  EXPECT_EQ("1", editor->Rows()[0].Value);
}

TEST_F(RecordEditor, RowsMoveAboveTheBlankRowOnly) {
  auto editor = NewObject();
  AddValue(*editor, "X", "1");
  AddValue(*editor, "Y", "2");
  EXPECT_FALSE(editor->MoveRow(0, 2));
  ASSERT_TRUE(editor->MoveRow(0, 1));
  EXPECT_EQ(0, RowOf(*editor, "Y"));
  EXPECT_EQ(1, RowOf(*editor, "X"));
  // Only the rows move: the record keeps its order, and the rows keep theirs
  // when the grid is drawn again.
  EXPECT_EQ("X", editor->Record().PVs[0]->Parameter->ParamName);
  editor->RefreshGrid();
  EXPECT_EQ(0, RowOf(*editor, "Y"));
  AddValue(*editor, "Z", "3");
  EXPECT_EQ(2, RowOf(*editor, "Z"));
  EXPECT_EQ(0, RowOf(*editor, "Y"));
}

TEST_F(RecordEditor, TheEditStaysOnItsRowWhenAnotherRowMoves) {
  struct Case {
    int from, to;
  };
  // Z is edited at row 1 of X, Z, Y: moved past, from above, and from below.
  const Case cases[] = {{0, 2}, {2, 0}, {1, 0}, {1, 2}, {0, 1}};
  for (const Case& c : cases) {
    auto editor = NewObject();
    AddValue(*editor, "X", "1");
    AddValue(*editor, "Z", "2");
    AddValue(*editor, "Y", "3");
    ASSERT_TRUE(editor->SelectCell(1, rcValue));
    editor->SetEditText("9");
    ASSERT_TRUE(editor->MoveRow(c.from, c.to)) << c.from << "->" << c.to;
    EXPECT_EQ(RowOf(*editor, "Z"), editor->EditRow()) << c.from << "->" << c.to;
    ASSERT_TRUE(editor->CommitCellEdit()) << c.from << "->" << c.to;
    EXPECT_EQ("9", editor->Rows()[static_cast<size_t>(RowOf(*editor, "Z"))].Value)
        << c.from << "->" << c.to;
    for (const char* other : {"X", "Y"})
      EXPECT_NE("9", editor->Rows()[static_cast<size_t>(RowOf(*editor, other))].Value)
          << c.from << "->" << c.to;
  }
}

TEST_F(RecordEditor, NothingSelectedIsRefused) {
  TRecordEditor editor(host);
  EXPECT_FALSE(editor.Start(false, false));
  EXPECT_EQ("Object was not selected", sink.Last());
}

} // namespace
} // namespace vandro
