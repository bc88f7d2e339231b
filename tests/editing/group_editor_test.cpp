#include "editing/group_editor.h"

#include "model/object_index.h"
#include "shell/datetime.h"
#include "storage/record_rows.h"
#include "storage/records_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vandro {
namespace {

class GroupEditor : public testing::RecordsTest {
protected:
  GroupEditor() {
    for (const char* name : {"A", "B", "C", "D", "E"})
      ids.push_back(APSCreateObject(name));
    ward = APSCreateObject("WARD");
  }

  int32_t Id(const std::string& name) const { return APSFindObject(name); }

  static TValue::Ptr Ref(int32_t id) {
    TValue::Ptr value = TValue::Create("test");
    value->SetText(vkObject, std::to_string(id));
    return value;
  }

  // Members by name ("A B"); a state reference as "#" and its record.
  static std::string Names(const std::vector<TValue::Ptr>& members) {
    std::string text;
    for (const auto& member : members) {
      if (!text.empty()) text += " ";
      text +=
          member->IsStateRef() ? "#" + member->Text() : APSObjectName(std::stoi(member->Text()));
    }
    return text;
  }

  // A group record of ward at time after its latest state then; names to
  // add and to remove.
  int32_t GroupRecord(double time, std::vector<std::string> add, std::vector<std::string> remove,
                      int32_t group = 0) {
    if (group == 0) group = ward;
    TObjectSet set;
    EXPECT_TRUE(set.Load(group));
    TStateTrack track;
    set.LatestStateAt(time, track);
    std::vector<TValue::Ptr> added, deleted;
    for (const auto& name : add)
      added.push_back(Ref(Id(name)));
    for (const auto& name : remove)
      deleted.push_back(Ref(Id(name)));
    return track.ModifyGroup(added, deleted, time, TPlacement::BetweenNeighbours);
  }

  static std::unique_ptr<TStateTrack> TrackAt(int32_t object, int32_t record) {
    auto set = std::make_shared<TObjectSet>();
    EXPECT_TRUE(set->Load(object));
    auto track = std::make_unique<TStateTrack>();
    track->KeepSet(set);
    EXPECT_TRUE(track->SetPath(*set, record, Day(1000)));
    track->ConstructState();
    return track;
  }

  std::unique_ptr<TGroupEditor> Open(int32_t record, bool edit = false) {
    auto editor = std::make_unique<TGroupEditor>();
    editor->SetTrack(TrackAt(ward, record));
    EXPECT_TRUE(editor->Start(false, edit));
    return editor;
  }

  // The members of the group's latest state at time.
  std::string ContentAt(double time, int32_t group = 0) {
    TObjectSet set;
    EXPECT_TRUE(set.Load(group ? group : ward));
    TStateTrack track;
    if (!set.LatestStateAt(time, track)) return "(none)";
    track.ConstructState();
    return track.State->Content ? Names(*track.State->Content) : "";
  }

  static std::unique_ptr<TDataRecord> Stored(int32_t id) {
    auto record = std::make_unique<TDataRecord>();
    EXPECT_TRUE(record->Load(id));
    return record;
  }

  static int IndexOf(const TGroupEditor& editor, const std::string& name) {
    const auto& members = editor.Members();
    for (size_t i = 0; i < members.size(); ++i)
      if (APSObjectName(std::stoi(members[i]->Text())) == name) return static_cast<int>(i);
    return -1;
  }

  std::vector<int32_t> ids;
  int32_t ward = 0;
};

TEST_F(GroupEditor, PendingChangesFollowAddMembersRules) {
  struct Case {
    const char* what;
    std::vector<std::string> steps; // "+X" adds X, "-X" removes X's line
    const char* added;
    const char* deleted;
    const char* members;
    int refusals; // "Object is already in group"
  };
  const Case cases[] = {
      {"the same object twice", {"+C", "+C"}, "C", "", "A B C", 1},
      {"a member already", {"+A"}, "", "", "A B", 1},
      {"removed, then added again", {"-A", "+A"}, "", "", "B A", 0},
      {"added here, then removed", {"+C", "-C"}, "", "", "A B", 0},
      {"removed", {"-B"}, "", "B", "A", 0},
      {"added and removed", {"+D", "-A", "+E"}, "D E", "A", "B D E", 0},
  };
  const int32_t r1 = GroupRecord(Day(1), {"A", "B"}, {});
  for (const Case& c : cases) {
    sink.Reset();
    auto editor = Open(r1);
    for (const std::string& step : c.steps) {
      if (step[0] == '+')
        editor->AddMember(*Ref(Id(step.substr(1))));
      else
        ASSERT_TRUE(editor->RemoveMember(IndexOf(*editor, step.substr(1)))) << c.what;
    }
    EXPECT_EQ(c.members, Names(editor->Members())) << c.what;
    EXPECT_EQ(std::vector<std::string>(static_cast<size_t>(c.refusals), kAlreadyInGroup),
              sink.Messages())
        << c.what;
    editor->SetRealTime(Day(2));
    ASSERT_TRUE(editor->Ok()) << c.what;
    const auto stored = Stored(editor->StoredRecord());
    EXPECT_EQ(c.added, Names(stored->Added)) << c.what;
    EXPECT_EQ(c.deleted, Names(stored->Deleted)) << c.what;
    // Each case begins from the first state again.
    APSDatabase().Query("DELETE FROM VD_Records WHERE Idtor = ?").Bind(stored->Idtor).Run();
  }
}

TEST_F(GroupEditor, ANewGroupIsCreatedNamedIndexedAndFilled) {
  TGroupEditor first, second;
  ASSERT_TRUE(first.Start(true, false));
  ASSERT_TRUE(second.Start(true, false));
  // Reserved like object names: two open dialogs never offer the same one.
  EXPECT_EQ("GROUP_", first.GroupName().substr(0, 6));
  EXPECT_NE(first.GroupName(), second.GroupName());
  EXPECT_EQ("Create New Group", first.Caption());
  EXPECT_TRUE(first.IndexBoxVisible());
  EXPECT_TRUE(first.IndexChecked);
  EXPECT_FALSE(first.TerminateVisible());

  first.SetGroupName("Ward 7");
  first.LeaveGroupName();
  EXPECT_EQ("Ward 7[1]", first.RecordName());
  first.IndexComment = "the seventh";
  first.AddChosen(Id("A"), {});
  first.AddChosen(Id("B"), {});
  ASSERT_TRUE(first.Ok());
  const int32_t group = APSFindObject("WARD 7");
  ASSERT_NE(0, group);
  EXPECT_EQ("A B", ContentAt(Now(), group));
  EXPECT_EQ("Ward 7[1]", Stored(first.StoredRecord())->RecName);
  const auto& entries = CurrentProject()->IndexEntries(ikGroups);
  ASSERT_EQ(1u, entries.size());
  EXPECT_EQ("WARD 7[1]", entries[0].EntryName);
  EXPECT_EQ("the seventh", entries[0].Comment);

  // A name that is taken keeps the dialog open with everything in it.
  second.SetGroupName("ward 7");
  second.AddChosen(Id("C"), {});
  const int64_t rows = RowCount();
  EXPECT_FALSE(second.Ok());
  EXPECT_EQ("Duplicate name. Change the name and try again", sink.Last());
  EXPECT_EQ(rows, RowCount());
  EXPECT_EQ("C", Names(second.Members()));
  second.SetGroupName("ward 8");
  ASSERT_TRUE(second.Ok());
  EXPECT_EQ("C", ContentAt(Now(), APSFindObject("WARD 8")));
}

TEST_F(GroupEditor, AGroupNameThatCannotBeStoredIsRefusedAndALongOneStillGetsAnIndexEntry) {
  TGroupEditor editor;
  ASSERT_TRUE(editor.Start(true, false));
  editor.AddChosen(Id("A"), {});
  const int64_t rows = RowCount();
  editor.SetGroupName(std::string(33, 'W'));
  editor.LeaveGroupName();
  EXPECT_FALSE(editor.Ok());
  EXPECT_EQ("The name is longer than 32 characters: " + std::string(33, 'W'), sink.Last());
  EXPECT_EQ(rows, RowCount());
  // A name that fits: the suggested index entry ("NAME[1]") is made to fit.
  editor.SetGroupName(std::string(32, 'W'));
  editor.LeaveGroupName();
  EXPECT_EQ(std::string(32, 'W'), editor.IndexName);
  ASSERT_TRUE(editor.Ok());
  EXPECT_EQ("A", ContentAt(Now(), APSFindObject(std::string(32, 'W'))));
  ASSERT_EQ(1u, CurrentProject()->IndexEntries(ikGroups).size());
}

TEST_F(GroupEditor, MarkedStatesBecomeStateReferences) {
  const int32_t a1 = Record(Id("A"), Day(1), {{"X", "1"}});
  const int32_t a2 = Record(Id("A"), Day(2), {{"X", "2"}});
  TGroupEditor editor;
  ASSERT_TRUE(editor.Start(true, false));
  editor.AddChosen(Id("A"), {a1, a2});
  EXPECT_EQ("#" + std::to_string(a1) + " #" + std::to_string(a2), Names(editor.Members()));
  EXPECT_EQ(a2, editor.MemberIdentifier(1));
  const auto lines = editor.Lines();
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ(vkObject, lines[0].Kind);
  EXPECT_NE(std::string::npos, lines[0].Text.find("ID:" + std::to_string(a1)));
}

TEST_F(GroupEditor, AMixedArrayKeepsOnlyReferencesAndWarnsOnce) {
  const int32_t r1 = GroupRecord(Day(1), {"A"}, {});
  auto editor = Open(r1);
  TValue array;
  array.SetArray();
  for (const char* text : {"5", "@B", "text", "@C", "@A"}) {
    TValue::Ptr item = TValue::Create("test");
    if (text[0] == '@')
      item->SetText(vkObject, std::to_string(Id(text + 1)));
    else
      item->SetPlain(text);
    array.AddItem(std::move(item));
  }
  editor->AcceptQuery(array);
  EXPECT_EQ(std::vector<std::string>{kOnlyReferences}, sink.Messages());
  EXPECT_EQ(3, editor->ResultCount());
  EXPECT_TRUE(editor->AddEnabled());
  EXPECT_FALSE(editor->ExecuteEnabled());
  EXPECT_EQ(
      3,
      static_cast<int>(std::count(editor->FillText().begin(), editor->FillText().end(), '\n')) + 1);
  sink.Reset();
  editor->AddResults();
  // A is a member already: refused once, the others join.
  EXPECT_EQ(std::vector<std::string>{kAlreadyInGroup}, sink.Messages());
  EXPECT_EQ("A B C", Names(editor->Members()));
  EXPECT_EQ(0, editor->ResultCount());
  EXPECT_FALSE(editor->AddEnabled());
  EXPECT_TRUE(editor->FillText().empty());
}

TEST_F(GroupEditor, FillingRefusesWhatIsNeitherArrayNorQuery) {
  TGroupEditor editor;
  ASSERT_TRUE(editor.Start(true, false));
  struct Case {
    const char* what;
    TValueKind kind;
    const char* text;
    const char* message; // the start of it
  };
  const Case cases[] = {
      {"a plain value", vkPlain, "12", kNotArrayOrQuery},
      {"a formula with a number", vkCalculated, "1 + 2", kNotArrayOrQuery},
      {"a formula that fails", vkCalculated, "NOSUCHNAME + 1", kNotArrayOrQuery},
  };
  for (const Case& c : cases) {
    sink.Reset();
    TValue value;
    value.SetText(c.kind, c.text);
    editor.AcceptQuery(value);
    ASSERT_EQ(1u, sink.Messages().size()) << c.what;
    EXPECT_EQ(0u, sink.Last().find(c.message)) << c.what;
    EXPECT_FALSE(editor.AddEnabled()) << c.what;
    EXPECT_FALSE(editor.ExecuteEnabled()) << c.what;
    EXPECT_EQ(0, editor.ResultCount()) << c.what;
  }
  // A formula is evaluated at once; its array of references is offered.
  GroupRecord(Day(1), {"A", "B"}, {});
  TValue formula;
  formula.SetText(vkCalculated, "CONTENTOF('WARD')");
  sink.Reset();
  editor.AcceptQuery(formula);
  EXPECT_TRUE(sink.Messages().empty());
  EXPECT_TRUE(editor.QueryValue().IsArray());
  EXPECT_EQ(2, editor.ResultCount());
  editor.AddResults();
  EXPECT_EQ("A B", Names(editor.Members()));
}

TEST_F(GroupEditor, AQueryRunsListsItsHitsAndAddsThem) {
  Record(Id("B"), Day(1), {{"X", "5"}});
  Record(Id("C"), Day(1), {{"X", "7"}});
  TGroupEditor editor;
  ASSERT_TRUE(editor.Start(true, false));
  TValue query;
  query.SetText(vkCalculated, "FIND ALL OBJECTS WITHIN EVERYTHING CONDITION X > 6");
  editor.AcceptQuery(query);
  EXPECT_TRUE(editor.ExecuteEnabled());
  EXPECT_FALSE(editor.AddEnabled());
  EXPECT_EQ("FIND ALL OBJECTS WITHIN EVERYTHING CONDITION X > 6", editor.FillText());
  ASSERT_TRUE(editor.Execute()) << sink.Last();
  EXPECT_EQ("C(" + std::to_string(Id("C")) + ")", editor.FillText());
  EXPECT_EQ(1, editor.ResultCount());
  editor.AddResults();
  EXPECT_EQ("C", Names(editor.Members()));

  // A query that fails: one message with its text, nothing added.
  TValue broken;
  broken.SetText(vkCalculated, "FIND ALL OBJECTS\r\nWITHIN EVERYTHING CONDITION X >");
  editor.AcceptQuery(broken);
  sink.Reset();
  EXPECT_FALSE(editor.Execute());
  ASSERT_EQ(1u, sink.Messages().size());
  const std::string expected = std::string(kQueryFailed) +
                               "\r\nQuery Text:\r\nFIND ALL OBJECTS\r\nWITHIN EVERYTHING "
                               "CONDITION X >\r\n\r\n";
  EXPECT_EQ(expected, sink.Last().substr(0, expected.size()));
  EXPECT_FALSE(editor.AddEnabled());
  editor.AddResults();
  EXPECT_EQ("C", Names(editor.Members()));
}

TEST_F(GroupEditor, ANewStateAtTheChosenStatesTimeIsRefused) {
  const int32_t r1 = GroupRecord(Day(1), {"A"}, {});
  auto editor = Open(r1);
  editor->AddMember(*Ref(Id("B")));
  editor->SetRealTime(Day(1));
  editor->LeaveRealTime();
  const int64_t rows = RowCount();
  EXPECT_FALSE(editor->Ok());
  EXPECT_EQ(DateTimeToText(Day(1)) +
                "\r\nRecord can't be created at this moment\r\nChange the time \r\nor use Edit "
                "Record operation instead.",
            sink.Last());
  EXPECT_EQ(rows, RowCount());
  editor->SetRealTime(Day(1) + 1.0 / 86400);
  ASSERT_TRUE(editor->Ok());
  EXPECT_EQ("A B", ContentAt(Now()));
}

// The group's state of day 1 chosen while day 3 follows it: a state of day 2
// goes between them when the user says "Insert", and is known from the
// moment it was stored.
TEST_F(GroupEditor, ANewStateBeforeALaterOneIsInsertedWhenTheUserSaysSo) {
  const int32_t r1 = GroupRecord(Day(1), {"A"}, {});
  const int32_t r3 = GroupRecord(Day(3), {"C"}, {});
  auto editor = Open(r1);
  editor->SetRealTime(Day(2));
  editor->LeaveRealTime();
  editor->AddMember(*Ref(Id("B")));
  clock.Advance(1.0 / 24);
  sink.Press("Insert");
  ASSERT_TRUE(editor->Ok());
  EXPECT_EQ(std::vector<int32_t>{r3}, Current(ward, Day(10)));
  EXPECT_EQ("A B C", ContentAt(Day(10)));
  TDataRecord stored;
  ASSERT_TRUE(stored.Load(editor->StoredRecord()));
  EXPECT_DOUBLE_EQ(clock.Now(), stored.SysTime);
}

TEST_F(GroupEditor, MovingTheTimeBeforeAStateThatHoldsAPendingAdditionDropsIt) {
  const int32_t r1 = GroupRecord(Day(1), {"A", "B"}, {});
  const int32_t r2 = GroupRecord(Day(3), {}, {"B"});
  auto editor = Open(r2);
  EXPECT_EQ("A", Names(editor->Members()));
  editor->AddMember(*Ref(Id("B")));
  editor->AddMember(*Ref(Id("C")));
  editor->SetRealTime(Day(2));
  editor->LeaveRealTime();
  // B is a member on day 2 already; C still joins.
  EXPECT_EQ("C", Names(editor->PendingAdditions()));
  EXPECT_EQ("A B C", Names(editor->Members()));
  ASSERT_TRUE(editor->Ok());
  // Back-dated between the two records: the later one now follows it.
  EXPECT_EQ(std::to_string(editor->StoredRecord()) + "/0/", Links(r2));
  EXPECT_EQ(std::to_string(r1) + "/0/", Links(editor->StoredRecord()));
  EXPECT_EQ("A B C", ContentAt(Day(2)));
  EXPECT_EQ("A C", ContentAt(Day(4)));
}

TEST_F(GroupEditor, MovingTheTimeDropsRemovalsOfWhatIsNoMemberThen) {
  GroupRecord(Day(1), {"A"}, {});
  const int32_t r2 = GroupRecord(Day(3), {"B"}, {});
  auto editor = Open(r2);
  ASSERT_TRUE(editor->RemoveMember(IndexOf(*editor, "B")));
  ASSERT_TRUE(editor->RemoveMember(IndexOf(*editor, "A")));
  editor->SetRealTime(Day(2));
  editor->LeaveRealTime();
  EXPECT_EQ("A", Names(editor->PendingRemovals()));
  EXPECT_EQ("", Names(editor->Members()));
  // Before every state: the list starts empty and nothing is to remove.
  editor->SetRealTime(Day(0));
  editor->LeaveRealTime();
  EXPECT_EQ("", Names(editor->PendingRemovals()));
}

TEST_F(GroupEditor, EditingMergesTheEditedRecordsChangesWithThePendingOnes) {
  GroupRecord(Day(1), {"A", "B"}, {});
  const int32_t r2 = GroupRecord(Day(3), {"C", "D"}, {"A"});
  const int32_t r3 = GroupRecord(Day(5), {"E"}, {});
  auto editor = Open(r2, true);
  EXPECT_EQ("Edit Group", editor->Caption());
  EXPECT_FALSE(editor->TerminateVisible());
  EXPECT_FALSE(editor->IndexBoxVisible());
  EXPECT_EQ("B C D", Names(editor->Members()));
  // C was added by the record and is taken out; A was removed by it and
  // comes back; B is removed now.
  ASSERT_TRUE(editor->RemoveMember(IndexOf(*editor, "C")));
  editor->AddMember(*Ref(Id("A")));
  ASSERT_TRUE(editor->RemoveMember(IndexOf(*editor, "B")));

  // Times at either bound are refused and taken back.
  for (double time : {Day(1), Day(5)}) {
    editor->SetRealTime(time);
    editor->LeaveRealTime();
    EXPECT_EQ(Day(3), editor->RealTime());
  }
  editor->SetRealTime(Day(5));
  EXPECT_FALSE(editor->Ok());
  EXPECT_EQ("The new time value is greater than the time \r\nof the next state. Change the time.",
            sink.Last());
  editor->SetRealTime(Day(4));
  const int64_t rows = RowCount();
  ASSERT_TRUE(editor->Ok());
  EXPECT_EQ(rows, RowCount());
  EXPECT_EQ(r2, editor->StoredRecord());
  const auto stored = Stored(r2);
  EXPECT_EQ("D", Names(stored->Added));
  EXPECT_EQ("B", Names(stored->Deleted));
  EXPECT_EQ(Day(4), stored->RealTime);
  EXPECT_EQ("A D E", ContentAt(Day(6)));
  EXPECT_EQ(std::to_string(r2) + "/0/", Links(r3));
}

TEST_F(GroupEditor, TerminatingAsksAndEndsTheBranch) {
  const int32_t r1 = GroupRecord(Day(1), {"A"}, {});
  auto editor = Open(r1);
  EXPECT_TRUE(editor->TerminateVisible());
  const std::string question = "You are about to terminate current state.\r\nThe state will not "
                               "be accessible.\r\nDo you want to proceed?";
  sink.Answer(false, question);
  EXPECT_FALSE(editor->TerminateState());
  EXPECT_EQ(1, RowCount());
  sink.Answer(true, question);
  editor->SetRealTime(Day(2));
  ASSERT_TRUE(editor->TerminateState());
  const auto stored = Stored(editor->StoredRecord());
  EXPECT_TRUE(stored->Terminator);
  EXPECT_TRUE(stored->Added.empty());
  EXPECT_EQ("(none)", ContentAt(Day(3)));
}

TEST_F(GroupEditor, MembersThatNoLongerExistAreNamedAndCanBeRemoved) {
  const int32_t a1 = Record(Id("A"), Day(1), {{"X", "1"}});
  TGroupEditor maker;
  ASSERT_TRUE(maker.Start(true, false));
  maker.SetGroupName("G");
  maker.AddChosen(Id("A"), {a1});
  maker.AddChosen(Id("B"), {});
  ASSERT_TRUE(maker.Ok());
  const int32_t group = APSFindObject("G");
  APSDatabase().Query("DELETE FROM VD_Records WHERE Idtor = ?").Bind(a1).Run();

  auto editor = std::make_unique<TGroupEditor>();
  editor->SetTrack(TrackAt(group, maker.StoredRecord()));
  sink.Reset();
  ASSERT_TRUE(editor->Start(false, false));
  ASSERT_EQ(1u, sink.Messages().size());
  EXPECT_NE(std::string::npos, sink.Last().find("ID:" + std::to_string(a1)));
  ASSERT_EQ(2u, editor->Lines().size());
  ASSERT_TRUE(editor->RemoveMember(0));
  editor->SetRealTime(Now() + 1);
  ASSERT_TRUE(editor->Ok());
  EXPECT_EQ("B", ContentAt(Now() + 1, group));
}

TEST_F(GroupEditor, AGroupChosenWithoutAStateStartsAnEmptyBranch) {
  TGroupEditor nothing;
  EXPECT_FALSE(nothing.Start(false, false));
  EXPECT_EQ("Object was not selected", sink.Last());

  auto set = std::make_shared<TObjectSet>();
  ASSERT_TRUE(set->Load(ward));
  TGroupEditor editor;
  editor.SetObjectSet(set);
  ASSERT_TRUE(editor.Start(false, false));
  EXPECT_EQ("New Group State", editor.Caption());
  EXPECT_EQ("WARD[1]", editor.RecordName());
  editor.AddChosen(Id("E"), {});
  ASSERT_TRUE(editor.Ok());
  EXPECT_EQ("E", ContentAt(Now()));
}

} // namespace
} // namespace vandro
