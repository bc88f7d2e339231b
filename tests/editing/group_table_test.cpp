#include "editing/group_table.h"

#include "shell/datetime.h"
#include "storage/records_fixture.h"
#include "values/data_units.h"
#include "values/value_text.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace vandro {
namespace {

// Answers "Input column width (cm):" from a queue; an empty queue cancels.
class TTestHost final : public TGroupTableHost {
public:
  bool InputText(const std::string& prompt, std::string& text) override {
    prompts.push_back(prompt + " " + text);
    if (answers.empty()) return false;
    text = answers.front();
    answers.pop_front();
    return true;
  }
  std::deque<std::string> answers;
  std::vector<std::string> prompts;
};

class GroupTable : public testing::RecordsTest {
protected:
  // A new object with one record at day 1.
  int32_t Object(const std::string& name, Values values) {
    const int32_t id = APSCreateObject(name);
    Record(id, Day(1), values);
    return id;
  }

  // A new group holding the members (object or record identifiers) from day 2.
  int32_t Group(const std::string& name, const std::vector<int32_t>& members) {
    const int32_t id = APSCreateObject(name);
    std::vector<TValue::Ptr> added;
    for (const int32_t member : members) {
      added.push_back(TValue::Create("test"));
      added.back()->SetText(vkObject, std::to_string(member));
    }
    TObjectSet set;
    EXPECT_TRUE(set.Load(id));
    TStateTrack track;
    set.LatestStateAt(Day(2), track);
    EXPECT_NE(0, track.ModifyGroup(added, {}, Day(2)));
    return id;
  }

  // A record of object following the record `after` (a second branch when
  // `after` already has a follower).
  int32_t Branch(int32_t object, int32_t after, double time, Values values) {
    TObjectSet set;
    EXPECT_TRUE(set.Load(object));
    TStateTrack track;
    EXPECT_TRUE(track.SetPath(set, after, Day(1000)));
    return track.ModifyRecord(Pairs(values), time);
  }

  std::unique_ptr<TGroupTable> Open(int32_t id) {
    auto table = std::make_unique<TGroupTable>(host);
    EXPECT_TRUE(table->Start(id));
    return table;
  }

  static std::vector<std::string> Column(const TGroupTable& table, int column) {
    std::vector<std::string> texts;
    for (int row = 0; row < table.RowCount(); ++row)
      texts.push_back(table.CellText(row, column));
    return texts;
  }

  static int ColumnOf(const TGroupTable& table, const std::string& header) {
    for (int column = 0; column < table.ColumnCount(); ++column)
      if (table.Header(column) == header) return column;
    return -1;
  }

  static void SortBy(TGroupTable& table, const std::string& name, bool ascending) {
    const auto& available = table.Available();
    const auto at = std::find(available.begin(), available.end(), name);
    ASSERT_NE(at, available.end()) << name;
    table.AddSortKey(static_cast<int>(at - available.begin()), -1);
    table.SetSortAscending(static_cast<int>(table.SortKeys().size()) - 1, ascending);
  }

  TTestHost host;
};

TEST_F(GroupTable, RefusesTheNullObjectAndSaysWhy) {
  TGroupTable table(host);
  EXPECT_FALSE(table.Start(0));
  EXPECT_EQ(kNullReference, sink.Last());
}

TEST_F(GroupTable, EmptyContentShowsOnlyTheHeaders) {
  const int32_t group = APSCreateObject("EMPTY");
  Record(group, Day(1), {{"X", "1"}}); // a state, but never a member
  auto table = Open(group);
  EXPECT_EQ(kEmptyContent, sink.Last());
  EXPECT_EQ(0, table->RowCount());
  EXPECT_EQ(kFixedColumns, table->ColumnCount());
  EXPECT_EQ("Group Table View: EMPTY", table->Caption());
}

TEST_F(GroupTable, MembersShowTheirStatesAsColumns) {
  const int32_t pump = Object("PUMP", {{"X", "3"}, {"Y", "=X * 2"}});
  const int32_t tank = Object("TANK", {{"X", "5 [kg]"}, {"Z", "full"}});
  const int32_t group = Group("PLANT", {pump, tank});
  auto table = Open(group);
  ASSERT_EQ(2, table->RowCount());
  EXPECT_EQ((std::vector<std::string>{"#", "Object Name", "State Time", "X", "Y", "Z"}),
            std::vector<std::string>({table->Header(0), table->Header(1), table->Header(2),
                                      table->Header(3), table->Header(4), table->Header(5)}));
  EXPECT_EQ((std::vector<std::string>{"0", "1"}), Column(*table, 0));
  EXPECT_EQ((std::vector<std::string>{"PUMP", "TANK"}), Column(*table, 1));
  EXPECT_EQ(DateTimeToText(Day(1)), table->CellText(0, 2));
  EXPECT_EQ((std::vector<std::string>{"6", ""}), Column(*table, 4)); // the formula's result
  EXPECT_EQ(vkPlain, table->CellKind(0, 4));                         // the result's kind
  EXPECT_EQ(vkPlain, table->CellKind(1, 4)); // no value: the empty plain icon
  EXPECT_EQ(std::nullopt, table->CellKind(0, 2));
  EXPECT_TRUE(table->UsesObject(group));
  EXPECT_TRUE(table->UsesObject(tank));
  EXPECT_FALSE(table->UsesObject(group + 32));

  // Hiding a column takes it out at once; its name stays listed.
  table->SetParameterChecked(1, false);
  EXPECT_EQ(kFixedColumns + 2, table->ColumnCount());
  EXPECT_EQ((std::vector<std::string>{"X", "Z"}), table->Available());
}

TEST_F(GroupTable, AMemberWithTwoLiveBranchesShowsOneAtATime) {
  const int32_t pump = APSCreateObject("PUMP");
  const int32_t first = Record(pump, Day(1), {{"X", "1"}});
  Branch(pump, first, Day(3), {{"X", "2"}});
  Branch(pump, first, Day(4), {{"X", "3"}});
  auto table = Open(Group("PLANT", {pump}));
  ASSERT_EQ(1, table->RowCount());
  EXPECT_EQ(2, table->BranchCount(0));
  EXPECT_EQ("PUMP(0)", table->CellText(0, 1));
  const std::string before = table->CellText(0, 3);

  EXPECT_FALSE(table->NextVersion()); // nothing selected
  table->AddSelection(table->RowRect(0));
  EXPECT_TRUE(table->CanShowNextVersion());
  EXPECT_TRUE(table->NextVersion());
  EXPECT_EQ("PUMP(1)", table->CellText(0, 1));
  EXPECT_NE(before, table->CellText(0, 3));
  EXPECT_TRUE(table->NextVersion());
  EXPECT_EQ("PUMP(0)", table->CellText(0, 1)); // after the last, the first
}

TEST_F(GroupTable, AMemberThatNamesAStateShowsThatState) {
  const int32_t pump = APSCreateObject("PUMP");
  const int32_t early = Record(pump, Day(1), {{"X", "1"}});
  Record(pump, Day(5), {{"X", "9"}});
  auto table = Open(Group("PLANT", {early, pump}));
  ASSERT_EQ(2, table->RowCount());
  EXPECT_EQ((std::vector<std::string>{"1", "9"}), Column(*table, 3));
  EXPECT_EQ(DateTimeToText(Day(1)), table->CellText(0, 2));
  EXPECT_EQ(DateTimeToText(Day(5)), table->CellText(1, 2));
}

TEST_F(GroupTable, StartedOnAGroupStateKeepsToItsBranches) {
  const int32_t pump = Object("PUMP", {{"X", "1"}});
  const int32_t tank = Object("TANK", {{"X", "2"}});
  const int32_t group = Group("PLANT", {pump});
  TObjectSet set;
  ASSERT_TRUE(set.Load(group));
  const int32_t first = set.Records.front()->Idtor;
  TStateTrack track;
  ASSERT_TRUE(track.SetPath(set, first, Day(1000)));
  std::vector<TValue::Ptr> added;
  added.push_back(TValue::Create("test"));
  added.back()->SetText(vkObject, std::to_string(tank));
  ASSERT_NE(0, track.ModifyGroup(added, {}, Day(3)));

  auto table = Open(first);
  EXPECT_EQ(1u, table->GroupStates().size());
  EXPECT_EQ((std::vector<std::string>{"PUMP", "TANK"}), Column(*table, 1));
}

// A member whose record was deleted and a member whose history is damaged
// each give a row without a state and a message; the others are shown.
TEST_F(GroupTable, MembersThatCannotBeShownAreNamedAndReported) {
  const int32_t pump = Object("PUMP", {{"X", "1"}});
  const int32_t gone = Object("GONE", {{"X", "2"}});
  const int32_t goneRecord = Record(gone, Day(3), {{"X", "3"}});
  const int32_t broken = Object("BROKEN", {{"X", "4"}});
  const int32_t group = Group("PLANT", {pump, goneRecord, broken});
  auto del = APSDatabase().Query("DELETE FROM VD_Records WHERE Idtor = ?");
  del.Bind(goneRecord);
  del.Step();
  APSDatabase().Execute(
      ("UPDATE VD_Records SET PVs = x'0000' WHERE ObjIdtor = " + std::to_string(broken)).c_str());

  auto table = Open(group);
  ASSERT_EQ(3, table->RowCount());
  EXPECT_TRUE(table->HasState(0));
  EXPECT_FALSE(table->HasState(1));
  EXPECT_FALSE(table->HasState(2));
  EXPECT_EQ("Can't find an DataRecord with id = " + std::to_string(goneRecord),
            table->CellText(1, 1));
  const auto& messages = sink.Messages();
  EXPECT_TRUE(std::any_of(messages.begin(), messages.end(), [](const std::string& m) {
    return m.rfind(kSystemErrorPrefix, 0) == 0;
  }));
  EXPECT_EQ(table->CellText(1, 1), sink.Last());
  EXPECT_EQ("", table->CellText(1, 2));
}

TEST_F(GroupTable, SortsByKeysInOrderWithStatelessRowsAtTheEnd) {
  const int32_t a = Object("A", {{"X", "3 [kg]"}, {"Y", "1"}});
  const int32_t b = Object("B", {{"X", "1 [kg]"}, {"Y", "2"}});
  const int32_t e = Object("E", {{"X", "2000 [g]"}, {"Y", "1"}}); // 2 kg
  const int32_t d = Object("D", {{"X", "2.5 [kg]"}, {"Y", "2"}});
  const int32_t gone = Object("GONE", {{"X", "0"}});
  const int32_t goneRecord = Record(gone, Day(3), {{"X", "5"}});
  const int32_t group = Group("PLANT", {a, b, e, d, goneRecord});
  auto del = APSDatabase().Query("DELETE FROM VD_Records WHERE Idtor = ?");
  del.Bind(goneRecord);
  del.Step();

  // The row without a state is named "Can't find ...": "C".
  struct Case {
    std::vector<std::pair<std::string, bool>> keys;
    std::vector<std::string> order; // first letters of the names
  };
  const Case cases[] = {
      {{{"X", true}}, {"B", "E", "D", "A", "C"}},
      {{{"X", false}}, {"C", "A", "D", "E", "B"}},
      {{{"Y", true}, {"X", false}}, {"A", "E", "D", "B", "C"}},
      {{{"Y", false}, {"X", true}}, {"C", "B", "D", "E", "A"}},
  };
  for (const Case& test : cases) {
    auto table = Open(group);
    for (const auto& [name, ascending] : test.keys)
      SortBy(*table, name, ascending);
    EXPECT_TRUE(table->SortNeeded());
    table->ShowContent();
    EXPECT_FALSE(table->SortNeeded());
    std::vector<std::string> order;
    for (const std::string& name : Column(*table, 1))
      order.push_back(name.substr(0, 1));
    EXPECT_EQ(test.order, order) << test.keys.front().first << test.keys.size();
  }
}

// "<--" puts a name before the chosen key, "-->" takes a key back, "X"
// returns every shown name; each marks the sort as needed.
TEST_F(GroupTable, SortKeysMoveBetweenTheLists) {
  auto table = Open(Group("PLANT", {Object("A", {{"X", "1"}, {"Y", "2"}, {"Z", "3"}})}));
  const auto keys = [&] {
    std::vector<std::string> names;
    for (const TListedName& key : table->SortKeys())
      names.push_back(key.Name);
    return names;
  };
  EXPECT_EQ((std::vector<std::string>{"X", "Y", "Z"}), table->Available());
  table->AddSortKey(2, -1); // Z at the end
  table->AddSortKey(0, 0);  // X before Z
  EXPECT_EQ((std::vector<std::string>{"X", "Z"}), keys());
  EXPECT_EQ((std::vector<std::string>{"Y"}), table->Available());
  table->ShowContent();
  EXPECT_FALSE(table->SortNeeded());
  table->RemoveSortKey(1);
  EXPECT_TRUE(table->SortNeeded());
  EXPECT_EQ((std::vector<std::string>{"X"}), keys());
  EXPECT_EQ((std::vector<std::string>{"Y", "Z"}), table->Available());
  table->SetParameterChecked(1, false); // Y hidden: no longer available
  EXPECT_EQ((std::vector<std::string>{"Z"}), table->Available());
  table->ClearSortKeys();
  EXPECT_TRUE(keys().empty());
  EXPECT_EQ((std::vector<std::string>{"X", "Z"}), table->Available());
}

TEST_F(GroupTable, AHiddenSortKeyIsReportedAndLeavesTheOrder) {
  const int32_t group = Group("PLANT", {Object("B", {{"X", "2"}}), Object("A", {{"X", "1"}})});
  auto table = Open(group);
  SortBy(*table, "X", true);
  table->SetParameterChecked(0, false);
  table->ShowContent();
  EXPECT_EQ("Can't find parameter 'X'", sink.Last());
  EXPECT_EQ((std::vector<std::string>{"B", "A"}), Column(*table, 1));
  // "-->" on a key that is no shown column does not make it available.
  table->RemoveSortKey(0);
  EXPECT_TRUE(table->Available().empty());
}

TEST_F(GroupTable, CalculatedColumnsAreCheckedAndEvaluatedPerRow) {
  const int32_t group =
      Group("PLANT", {Object("A", {{"X", "3"}}), Object("B", {{"X", "4"}, {"Y", "1"}})});
  auto table = Open(group);
  TValue formula, plain;
  formula.SetText(vkCalculated, "X * 10");
  plain.SetPlain("5");
  struct Refusal {
    bool change;
    std::string name;
    const TValue* value;
    std::string message;
  };
  const Refusal refusals[] = {
      {false, "TEN", &plain, "Formula expected"},
      {false, "", &formula, "Empty column name."},
      {false, "x", &formula, "Column already exists: x"},
      {true, "NONE", &formula, "Can't modify column. Column doesn't exist: NONE"},
      {true, "Y", &formula, "Y. This column is not calculated"},
      {true, "", &formula, "Empty column name."},
  };
  for (const Refusal& r : refusals) {
    const bool done = r.change ? table->ChangeCalculated(r.name, *r.value)
                               : table->AddCalculated(r.name, *r.value);
    EXPECT_FALSE(done) << r.message;
    EXPECT_EQ(r.message, sink.Last());
  }
  EXPECT_EQ(kFixedColumns + 2, table->ColumnCount());

  ASSERT_TRUE(table->AddCalculated("TEN", formula));
  const int ten = ColumnOf(*table, "TEN");
  ASSERT_EQ(kFixedColumns + 2, ten);
  EXPECT_EQ((std::vector<std::string>{"30", "40"}), Column(*table, ten));
  EXPECT_EQ(vkPlain, table->CellKind(0, ten)); // the result's kind

  SortBy(*table, "TEN", false);
  formula.SetText(vkCalculated, "0 - X");
  ASSERT_TRUE(table->ChangeCalculated("ten", formula));
  EXPECT_TRUE(table->SortKeys().empty()); // the changed column leaves "Sort By"
  EXPECT_EQ((std::vector<std::string>{"-3", "-4"}), Column(*table, ten));
}

// Records stored while the table is open show once it reads again; what the
// user set up in it stays.
TEST_F(GroupTable, ReloadShowsWhatWasStoredAndKeepsTheColumns) {
  const int32_t a = Object("A", {{"X", "3"}});
  const int32_t group = Group("PLANT", {a, Object("B", {{"X", "4"}})});
  auto table = Open(group);
  TValue formula;
  formula.SetText(vkCalculated, "X * 10");
  ASSERT_TRUE(table->AddCalculated("TEN", formula));
  SortBy(*table, "TEN", false);
  table->ShowContent();
  const int ten = ColumnOf(*table, "TEN");
  EXPECT_EQ((std::vector<std::string>{"40", "30"}), Column(*table, ten));
  const double moment = table->Moment();

  Record(a, Day(3), {{"X", "7"}});
  const int32_t c = Object("C", {{"X", "1"}});
  {
    TObjectSet set;
    ASSERT_TRUE(set.Load(group));
    TStateTrack track;
    set.LatestStateAt(Day(3), track);
    std::vector<TValue::Ptr> added;
    added.push_back(TValue::Create("test"));
    added.back()->SetText(vkObject, std::to_string(c));
    ASSERT_NE(0, track.ModifyGroup(added, {}, Day(3)));
  }
  EXPECT_EQ((std::vector<std::string>{"40", "30"}), Column(*table, ten)); // as it was read
  ASSERT_TRUE(table->Reload(moment));
  table->ShowContent();
  EXPECT_EQ(moment, table->Moment());
  EXPECT_EQ((std::vector<std::string>{"70", "40", "10"}), Column(*table, ten));
  EXPECT_EQ(1u, table->SortKeys().size());
  EXPECT_TRUE(table->UsesObject(c));
}

TEST_F(GroupTable, CopyGivesTabsAndLineBreaksAndStatisticsGetNumbers) {
  // A cell holding a quote or a tab is quoted, as spreadsheets paste it.
  const int32_t group = Group("PLANT", {Object("A", {{"X", "3 [kg]"}, {"Y", "low \"dry\"\tday"}}),
                                        Object("B", {{"X", "4 [kg]"}, {"Y", "2"}})});
  auto table = Open(group);
  EXPECT_FALSE(table->CanCopy());
  EXPECT_EQ("", table->CopyText());
  table->AddSelection({1, 0, 4, 1});
  EXPECT_EQ("A\t" + DateTimeToText(Day(1)) + "\t3 [kg]\t\"low \"\"dry\"\"\tday\"\r\nB\t" +
                DateTimeToText(Day(1)) + "\t4 [kg]\t2\r\n",
            table->CopyText());

  const auto series = table->SelectedSeries();
  ASSERT_EQ(2u, series.size());
  EXPECT_EQ("X", series[0].Name);
  EXPECT_EQ(2, series[0].Items->ItemCount());
  EXPECT_EQ("4 [kg]", series[0].Items->GetItem(1).Text());
  EXPECT_EQ("A " + DateTimeToText(Day(1)), series[0].Labels[0]);
  EXPECT_EQ("Y", series[1].Name); // "low ..." is no number
  EXPECT_EQ(1, series[1].Items->ItemCount());
  EXPECT_EQ("Object Name\tState Time\tX\tY\r\nA\t" + DateTimeToText(Day(1)) + "\t3 [kg]\t\r\nB\t" +
                DateTimeToText(Day(1)) + "\t4 [kg]\t2\r\n",
            table->CopyNumericText());

  table->AddSelection(table->ColumnRect(3));
  EXPECT_FALSE(table->CanCopy()); // two rectangles
  EXPECT_FALSE(table->CanShowNextVersion());
  EXPECT_TRUE(table->CanHandOn());
}

TEST_F(GroupTable, DoubleClickOpensTheObjectViewOnlyForAReference) {
  const int32_t tank = Object("TANK", {{"X", "1"}});
  const int32_t pump = Object("PUMP", {{"X", "@" + std::to_string(tank)}, {"Y", "2"}});
  auto table = Open(Group("PLANT", {pump}));
  TValue value;
  EXPECT_EQ(TCellOpen::ObjectView, table->OpenCell(0, 3, value));
  EXPECT_EQ(std::to_string(tank), value.Text());
  EXPECT_EQ(TCellOpen::ValueViewer, table->OpenCell(0, 4, value));
  EXPECT_EQ("2", value.Text());
  EXPECT_EQ(TCellOpen::Nothing, table->OpenCell(0, 1, value));
}

TEST_F(GroupTable, ColumnWidthIsAskedInCentimetresUntilValid) {
  const int32_t group = Group("PLANT", {Object("A", {{"X", "1"}})});
  auto table = Open(group);
  host.answers = {"30", "wide", "5.02"};
  EXPECT_EQ(192, table->AskColumnWidth(96, 96));
  EXPECT_EQ(
      (std::vector<std::string>{"Input column width (cm): 2.51", "Input column width (cm): 30",
                                "Input column width (cm): wide"}),
      host.prompts);
  EXPECT_EQ((std::vector<std::string>{kInvalidWidth, kInvalidWidth}),
            std::vector<std::string>(sink.Messages().end() - 2, sink.Messages().end()));
  EXPECT_EQ(std::nullopt, table->AskColumnWidth(96, 96)); // cancelled
}

TEST_F(GroupTable, TheTrackBarMovesTheMomentOverTheGroupsRecords) {
  const int32_t pump = Object("PUMP", {{"X", "1"}});
  const int32_t tank = Object("TANK", {{"X", "2"}});
  const int32_t group = Group("PLANT", {pump});
  TObjectSet set;
  ASSERT_TRUE(set.Load(group));
  TStateTrack track;
  set.LatestStateAt(Day(5), track);
  std::vector<TValue::Ptr> added;
  added.push_back(TValue::Create("test"));
  added.back()->SetText(vkObject, std::to_string(tank));
  ASSERT_NE(0, track.ModifyGroup(added, {}, Day(5)));

  auto table = Open(group);
  EXPECT_EQ(2, table->RecordCount());
  EXPECT_EQ(1, table->RecordIndex());
  EXPECT_EQ(2, table->RowCount());
  table->SetRecordIndex(0);
  EXPECT_EQ(Day(2), table->Moment());
  EXPECT_EQ((std::vector<std::string>{"PUMP"}), Column(*table, 1));
  table->SetMoment(Day(1.5)); // before the group's first record
  EXPECT_EQ(kNoGroupState, sink.Last());
  EXPECT_EQ(0, table->RowCount());
}

// "Copy Numeric" and the statistics commands are offered only when a
// selected cell shows a number: text, names and times hand nothing on.
TEST_F(GroupTable, OnlyASelectionWithANumberIsHandedOn) {
  auto table = Open(Group(
      "PLANT", {Object("PUMP", {{"X", "3 [kg]"}, {"Y", "low"}}), Object("TANK", {{"Y", "high"}})}));
  const int x = ColumnOf(*table, "X"), y = ColumnOf(*table, "Y");
  ASSERT_TRUE(x > 0 && y > 0);

  const struct {
    const char* what;
    TCellRect rect;
    bool handed;
  } cases[] = {
      {"nothing", {0, 0, -1, -1}, false},
      {"Object Name", table->ColumnRect(1), false},
      {"Object Name and State Time", {1, 0, 2, 1}, false},
      {"text", table->ColumnRect(y), false},
      {"a row without a number", table->RowRect(1), false},
      {"numbers", table->ColumnRect(x), true},
      {"a row with a number", table->RowRect(0), true},
  };
  for (const auto& one : cases) {
    SCOPED_TRACE(one.what);
    table->ClearSelection();
    if (one.rect.Right >= 0) table->AddSelection(one.rect);
    EXPECT_EQ(one.handed, table->CanHandOn());
    EXPECT_EQ(one.handed, !table->SelectedSeries().empty());
  }
}

// Switching hidden pairs on or off rebuilds the table from the same states.
TEST_F(GroupTable, ShowHiddenFollowsTheSettingAndTheBox) {
  const int32_t group = Group("PLANT", {Object("PUMP", {{"X", "1"}, {"Y", "=X + 1"}})});
  auto table = std::make_unique<TGroupTable>(host);
  ASSERT_TRUE(table->Start(group, /*alwaysShowHidden=*/true));
  EXPECT_TRUE(table->ShowHidden());
  const int y = ColumnOf(*table, "Y");
  EXPECT_EQ("2", table->CellText(0, y));
  table->SetShowHidden(false);
  EXPECT_FALSE(table->ShowHidden());
  EXPECT_EQ(kFixedColumns + 2, table->ColumnCount());
  EXPECT_EQ("2", table->CellText(0, y));
  EXPECT_FALSE(Open(group)->ShowHidden()); // the setting off
}

TEST_F(GroupTable, MoveButtonsReorderTheColumns) {
  auto table = Open(Group("PLANT", {Object("PUMP", {{"X", "1"}, {"Y", "2"}, {"Z", "3"}})}));
  const auto headers = [&table] {
    std::vector<std::string> names;
    for (int column = kFixedColumns; column < table->ColumnCount(); ++column)
      names.push_back(table->Header(column) + "=" + table->CellText(0, column));
    return names;
  };
  ASSERT_EQ((std::vector<std::string>{"X=1", "Y=2", "Z=3"}), headers());
  EXPECT_TRUE(table->MoveParameter(0, 1));
  EXPECT_EQ((std::vector<std::string>{"Y=2", "X=1", "Z=3"}), headers());
  EXPECT_TRUE(table->MoveParameter(2, -1));
  EXPECT_EQ((std::vector<std::string>{"Y=2", "Z=3", "X=1"}), headers());
  EXPECT_EQ("Y", table->Parameters().front().Name);
  EXPECT_FALSE(table->MoveParameter(0, -1)); // already first
  EXPECT_FALSE(table->MoveParameter(2, 1));  // already last
  EXPECT_EQ((std::vector<std::string>{"Y=2", "Z=3", "X=1"}), headers());
}

// A group whose history splits has a group state per branch; choosing one
// shows its content.
TEST_F(GroupTable, ChoosingAGroupStateShowsItsContent) {
  const int32_t tank = Object("TANK", {{"X", "2"}});
  const int32_t valve = Object("VALVE", {{"X", "3"}});
  const int32_t group = Group("PLANT", {Object("PUMP", {{"X", "1"}})});
  TObjectSet set;
  ASSERT_TRUE(set.Load(group));
  const int32_t first = set.Records.front()->Idtor;
  for (const auto& [member, day] : {std::pair{tank, 3.0}, std::pair{valve, 4.0}}) {
    TStateTrack track;
    ASSERT_TRUE(track.SetPath(set, first, Day(1000)));
    std::vector<TValue::Ptr> added;
    added.push_back(TValue::Create("test"));
    added.back()->SetText(vkObject, std::to_string(member));
    ASSERT_NE(0, track.ModifyGroup(added, {}, Day(day)));
    ASSERT_TRUE(set.Load(group));
  }

  auto table = Open(group);
  ASSERT_EQ(2u, table->GroupStates().size());
  EXPECT_EQ(0, table->CurrentGroupState());
  const std::vector<std::string> shown = Column(*table, 1);
  table->SelectGroupState(1);
  EXPECT_EQ(1, table->CurrentGroupState());
  EXPECT_EQ(table->GroupStates()[1], table->CurrentStateName());
  const std::vector<std::string> other = Column(*table, 1);
  EXPECT_NE(shown, other);
  std::vector<std::string> both = {shown.back(), other.back()};
  std::sort(both.begin(), both.end());
  EXPECT_EQ((std::vector<std::string>{"TANK", "VALVE"}), both);
  EXPECT_EQ("PUMP", other.front());
  table->SelectGroupState(5); // no such state: nothing changes
  EXPECT_EQ(1, table->CurrentGroupState());
  EXPECT_EQ(other, Column(*table, 1));
}

// Chicks weighed in grams or kilograms at an age in days, and a leaf's
// length and width in millimetres or centimetres.
class GroupTableUnits : public GroupTable {
protected:
  GroupTableUnits() {
    for (const char* name : {"Weight", "Age", "Length", "Width"}) {
      auto parameter = std::make_unique<TParameter>();
      parameter->ParamName = name;
      parameter->Category = "Data";
      CurrentProject()->AddParameter(std::move(parameter));
    }
  }

  // The calculated column's texts, row by row.
  std::vector<std::string> Calculated(TGroupTable& table, const std::string& name,
                                      const std::string& text) {
    TValue formula;
    formula.SetText(vkCalculated, text);
    EXPECT_TRUE(table.AddCalculated(name, formula)) << text;
    return Column(table, ColumnOf(table, name));
  }
};

// A product or quotient is shown in the units each row's data carry, where
// the result's dimension is a product of them with powers -1, 0 or 1;
// otherwise in the basic units the language gives. The numbers are R's
// (131 / 21 and so on); the last of fifteen digits may differ, as the
// language hands on its results rounded to fifteen.
TEST_F(GroupTableUnits, CalculatedColumnsShowResultsInTheUnitsOfTheRowsData) {
  auto table = Open(Group("CHICKS", {Object("A", {{"Weight", "131 [g]"},
                                                  {"Age", "21 [d]"},
                                                  {"Length", "12 [mm]"},
                                                  {"Width", "5 [mm]"}}),
                                     Object("B", {{"Weight", "0.2 [kg]"},
                                                  {"Age", "30 [d]"},
                                                  {"Length", "4 [mm]"},
                                                  {"Width", "2 [cm]"}})}));
  struct Shown {
    double number;
    std::string unit;
  };
  const struct {
    std::string formula;
    Shown a, b;
  } cases[] = {
      {"Weight / Age", {6.23809523809524, "g/d"}, {0.00666666666666667, "kg/d"}},
      {"Length * Width", {60, "mm^2"}, {8, "mm*cm"}},
      {"Weight * 2", {262, "g"}, {0.4, "kg"}},
      {"1 / Age", {0.0476190476190476, "d^-1"}, {0.0333333333333333, "d^-1"}},
      // kg/s^2: no product of g and d to the powers -1..1.
      {"Weight / Age / Age",
       {3.97928661633835e-14, "(kilogram)*(second^-2)"},
       {2.97687090382564e-14, "(kilogram)*(second^-2)"}},
      {"Weight + Weight", {262, "G"}, {0.4, "KG"}},
      {"Weight / Weight", {1, ""}, {1, ""}},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.formula);
    const std::vector<std::string> texts = Calculated(*table, "C" + std::to_string(++n), c.formula);
    ASSERT_EQ(2u, texts.size());
    for (size_t row = 0; row < 2; ++row) {
      const Shown& expected = row == 0 ? c.a : c.b;
      double number = 0, plus = 0, minus = 0;
      std::string unit;
      DecodeNumber(texts[row], number, plus, minus, unit);
      EXPECT_NEAR(expected.number, number, 1e-14 * expected.number) << texts[row];
      EXPECT_EQ(expected.unit, WrittenUnit(texts[row])) << texts[row];
    }
  }
}

// Sorting, "Copy", "Copy Numeric" and the statistics take the number the
// cell shows; rows in grams and kilograms still sort by what they weigh
// (0.2 kg in 30 d is the most, though its number is the smallest).
TEST_F(GroupTableUnits, TheShownUnitsAreWhatIsSortedCopiedAndHandedOn) {
  auto table = Open(Group("CHICKS", {Object("A", {{"Weight", "131 [g]"}, {"Age", "21 [d]"}}),
                                     Object("B", {{"Weight", "0.2 [kg]"}, {"Age", "30 [d]"}}),
                                     Object("C", {{"Weight", "150 [g]"}, {"Age", "30 [d]"}})}));
  const std::vector<std::string> gains = Calculated(*table, "Gain", "Weight / Age");
  ASSERT_EQ(3u, gains.size());
  EXPECT_EQ("kg/d", WrittenUnit(gains[1]));
  EXPECT_EQ("5 [g/d]", gains[2]);
  SortBy(*table, "Gain", true);
  table->ShowContent();
  EXPECT_EQ((std::vector<std::string>{"C", "A", "B"}), Column(*table, 1));
  EXPECT_EQ((std::vector<std::string>{gains[2], gains[0], gains[1]}),
            Column(*table, ColumnOf(*table, "Gain")));

  const int gain = ColumnOf(*table, "Gain");
  table->AddSelection({gain, 0, gain, 1});
  EXPECT_EQ(gains[2] + "\r\n" + gains[0] + "\r\n", table->CopyText());
  EXPECT_EQ("Object Name\tState Time\tGain\r\nC\t" + DateTimeToText(Day(1)) + "\t" + gains[2] +
                "\r\nA\t" + DateTimeToText(Day(1)) + "\t" + gains[0] + "\r\n",
            table->CopyNumericText());
  const auto series = table->SelectedSeries();
  ASSERT_EQ(1u, series.size());
  ASSERT_EQ(2, series[0].Items->ItemCount());
  EXPECT_EQ(gains[2], series[0].Items->GetItem(0).Text());
  EXPECT_EQ(gains[0], series[0].Items->GetItem(1).Text());
  EXPECT_EQ("g/d", WrittenUnit(gains[0]));
}

} // namespace
} // namespace vandro
