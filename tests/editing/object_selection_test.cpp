#include "editing/object_selection.h"

#include "storage/raw_tables.h"
#include "storage/records_fixture.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

using Names = std::vector<std::string>;

class ObjectSelection : public testing::RecordsTest {
protected:
  static Names PageNames(const TObjectSelection& selection) {
    Names names;
    for (const TSelectObjectRow& row : selection.ObjectRows())
      names.push_back(row.Name);
    return names;
  }

  static std::vector<int32_t> StateIds(const TObjectSelection& selection) {
    std::vector<int32_t> ids;
    for (const TSelectStateRow& row : selection.StateRows())
      ids.push_back(row.RecordId);
    return ids;
  }

  // A group named G and objects A, B, C; B's history branches after its
  // first record: r1 (day 1), then r2 (day 2) and, as a second version, r3
  // (day 3).
  void MakeObjects() {
    group = APSCreateObject("G");
    APSDatabase().Query("UPDATE VD_Objects SET GroupTag = 1 WHERE ObjIdtor = ?").Bind(group).Run();
    a = APSCreateObject("A");
    b = APSCreateObject("B");
    c = APSCreateObject("C");
    r1 = Record(b, Day(1), {{"X", "1"}, {"Y", "a"}});
    r2 = Record(b, Day(2), {{"X", "2"}});
    TObjectSet set;
    EXPECT_TRUE(set.Load(b));
    TStateTrack track;
    EXPECT_TRUE(track.SetPath(set, r1, Day(3)));
    r3 = track.ModifyRecord(Pairs({{"Z", "@" + std::to_string(a)}}), Day(3));
    ASSERT_NE(0, r3);
  }

  // Prepared at day 4 on a page of 10 rows, as a record command asks: a
  // state is wanted, so "Use Link to Object" starts unchecked.
  void Prepare(bool requireState = true, bool quiet = false, double moment = Day(4)) {
    selection.Prepare(10, moment, requireState, quiet, false);
  }

  int RowOf(int32_t id) const {
    const std::vector<TSelectObjectRow> rows = selection.ObjectRows();
    for (size_t i = 0; i < rows.size(); ++i)
      if (rows[i].Id == id) return static_cast<int>(i);
    return -1;
  }

  TObjectSelection selection;
  int32_t group = 0, a = 0, b = 0, c = 0, r1 = 0, r2 = 0, r3 = 0;
};

TEST_F(ObjectSelection, PagesFilterByKindAndKeepOneKindChecked) {
  MakeObjects();
  selection.Prepare(2, Day(4), true, false, false);
  EXPECT_EQ(4, selection.RowCount());
  EXPECT_EQ(2, selection.ScrollMaximum());
  EXPECT_EQ((Names{"A", "B"}), PageNames(selection));
  selection.ScrollTo(2);
  EXPECT_EQ((Names{"C", "G"}), PageNames(selection));
  EXPECT_TRUE(selection.ObjectRows()[1].Group);
  EXPECT_FALSE(selection.ObjectRows()[0].Group);

  // Leaving out the data objects returns to the top with the group alone.
  selection.SetShowDataObjects(false);
  EXPECT_EQ(0, selection.Position());
  EXPECT_EQ((Names{"G"}), PageNames(selection));
  // Unchecking the other one too leaves it checked: the groups stay listed.
  selection.SetShowGroups(false);
  EXPECT_TRUE(selection.ShowGroups());
  EXPECT_FALSE(selection.ShowDataObjects());
  EXPECT_EQ((Names{"G"}), PageNames(selection));
  selection.SetShowDataObjects(true);
  selection.SetShowGroups(false);
  EXPECT_EQ(3, selection.RowCount());
  selection.SetShowDataObjects(false);
  EXPECT_FALSE(selection.ShowGroups());
  EXPECT_TRUE(selection.ShowDataObjects());

  // A larger page keeps to what there is.
  selection.SetShowDataObjects(true);
  selection.SetPageSize(100);
  EXPECT_EQ(kMaxObjectPageSize, selection.PageSize());
  EXPECT_EQ(0, selection.ScrollMaximum());
  selection.Release();
}

TEST_F(ObjectSelection, BranchesAliveAtTheMomentAreOneRowEachAndCtrlMarksBoth) {
  MakeObjects();
  Prepare();
  selection.ChooseRow(RowOf(b));
  EXPECT_EQ(b, selection.ObjectId());
  EXPECT_EQ("B", selection.ObjectName());
  EXPECT_EQ((std::vector<int32_t>{r2, r3}), StateIds(selection));
  // Without "Use Link to Object" the first state is current and marked.
  EXPECT_EQ(0, selection.CurrentState());
  EXPECT_EQ((std::vector<int32_t>{r2}), selection.MarkedStateIds());

  selection.ClickState(1, true);
  EXPECT_EQ((std::vector<int32_t>{r2, r3}), selection.MarkedStateIds());
  EXPECT_EQ(r3, selection.CurrentStateId());
  EXPECT_EQ(2u, selection.MarkedNames().size());
  // A click again on a marked row does not mark it twice; without Ctrl the
  // marks start anew.
  selection.ClickState(0, true);
  EXPECT_EQ(2u, selection.Marked().size());
  selection.ClickState(1, false);
  EXPECT_EQ((std::vector<int32_t>{r3}), selection.MarkedStateIds());

  // The values of the current state, with the kind of each.
  const std::vector<TSelectValueRow> values = selection.Values();
  ASSERT_EQ(3u, values.size());
  EXPECT_EQ("Z", values[2].Parameter);
  EXPECT_EQ(vkObject, values[2].Kind);
  EXPECT_EQ(vkPlain, values[0].Kind);

  std::unique_ptr<TStateTrack> track = selection.CopyCurrentTrack();
  ASSERT_NE(nullptr, track);
  EXPECT_EQ(r3, track->Last()->Idtor);
  EXPECT_TRUE(track->Constructed);

  EXPECT_THROW(selection.ClickState(5, false), ErrorException);
  EXPECT_EQ(kLostStateRow, sink.Last());
}

TEST_F(ObjectSelection, AMomentBeforeTheFirstRecordHasNoState) {
  MakeObjects();
  Prepare(true, false, Day(0.5));
  EXPECT_THROW(selection.ChooseRow(RowOf(b)), ErrorException);
  EXPECT_EQ("Object hasn't any actual state (Id=" + std::to_string(b) +
                ").\r\nMake sure that date and time are valid.",
            sink.Last());
  EXPECT_EQ(0, selection.StateCount());
  EXPECT_EQ("B", selection.ObjectName());

  // Quiet: the same choice is taken without a word.
  sink.Reset();
  Prepare(true, true, Day(0.5));
  selection.ChooseRow(RowOf(b));
  EXPECT_EQ(b, selection.ObjectId());
  EXPECT_EQ(0, selection.StateCount());
  EXPECT_TRUE(sink.Messages().empty());

  // Refresh takes the new moment; the object's states are chosen again.
  selection.Refresh(Day(4));
  EXPECT_EQ(0, selection.StateCount());
  selection.ChooseObject(b);
  EXPECT_EQ(2, selection.StateCount());
}

TEST_F(ObjectSelection, OkOnEachPage) {
  MakeObjects();
  struct Case {
    const char* name;
    bool requireState;
    bool chooseB;
    TSelectPage page;
    bool clearMarks;
    std::vector<bool> answers;
    TSelectOutcome outcome;
  };
  const Case cases[] = {
      {"nothing chosen, Yes stays",
       true,
       false,
       TSelectPage::Objects,
       false,
       {true},
       TSelectOutcome::Stay},
      {"nothing chosen, No cancels",
       true,
       false,
       TSelectPage::Objects,
       false,
       {false},
       TSelectOutcome::Cancel},
      {"state wanted: on to the states",
       true,
       true,
       TSelectPage::Objects,
       false,
       {},
       TSelectOutcome::ShowStates},
      {"link: the object is enough",
       false,
       true,
       TSelectPage::Objects,
       false,
       {},
       TSelectOutcome::Accept},
      {"a marked state", true, true, TSelectPage::States, false, {}, TSelectOutcome::Accept},
      {"no mark without link closes",
       true,
       true,
       TSelectPage::States,
       true,
       {},
       TSelectOutcome::Accept},
      {"no mark with link, Yes stays",
       false,
       true,
       TSelectPage::States,
       true,
       {true},
       TSelectOutcome::Stay},
      {"no mark with link, No closes",
       false,
       true,
       TSelectPage::States,
       true,
       {false},
       TSelectOutcome::Accept},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    Prepare(test.requireState);
    if (test.chooseB) selection.ChooseRow(RowOf(b));
    if (test.clearMarks) selection.Refresh(Day(4));
    for (const bool answer : test.answers)
      sink.Answer(answer);
    EXPECT_EQ(test.outcome, selection.Ok(test.page));
    if (test.outcome == TSelectOutcome::Accept && !test.clearMarks && test.requireState) {
      EXPECT_EQ(r2, selection.CurrentStateId());
    }
  }
  EXPECT_EQ(kObjectNotSelected, sink.Questions().front());
  EXPECT_EQ(kNoStateSelected, sink.Questions().back());

  // Quiet asks nothing: OK is refused where it would have asked.
  Prepare(false, true);
  EXPECT_EQ(TSelectOutcome::Stay, selection.Ok(TSelectPage::Objects));
}

TEST_F(ObjectSelection, CreateNewObjectAndPrepareClearOutputs) {
  MakeObjects();
  Prepare();
  selection.ChooseRow(RowOf(b));
  selection.CreateNewObject();
  EXPECT_TRUE(selection.CreateNew());
  Prepare(false);
  EXPECT_FALSE(selection.CreateNew());
  EXPECT_EQ(0, selection.ObjectId());
  EXPECT_EQ(0, selection.StateCount());
  EXPECT_TRUE(selection.UseLink());
  // With the link checked, choosing marks no state.
  selection.ChooseRow(RowOf(b));
  EXPECT_TRUE(selection.Marked().empty());
  EXPECT_EQ(0, selection.CurrentStateId());
}

TEST_F(ObjectSelection, AnObjectWithoutHistoryByLinkIsAcceptedWithoutMessage) {
  MakeObjects();
  Prepare(false);
  // A has no records: by link, choosing it is enough.
  EXPECT_THROW(selection.ChooseRow(RowOf(a)), ErrorException);
  sink.Reset();
  Prepare(false, true);
  selection.ChooseRow(RowOf(a));
  EXPECT_EQ(a, selection.ObjectId());
  EXPECT_TRUE(sink.Messages().empty());
  EXPECT_EQ(TSelectOutcome::Accept, selection.Ok(TSelectPage::Objects));
}

} // namespace
} // namespace vandro
