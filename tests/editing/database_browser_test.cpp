#include "editing/database_browser.h"
#include "editing/object_view.h"

#include "model/known_at.h"
#include "shell/datetime.h"
#include "storage/raw_tables.h"
#include "storage/records_fixture.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

using Names = std::vector<std::string>;

class DatabaseBrowser : public testing::RecordsTest {
protected:
  // Objects O00 .. O(count-1), created in reverse name order so that name
  // order and identifier order differ.
  std::vector<int32_t> MakeObjects(int count) {
    std::vector<int32_t> ids(static_cast<size_t>(count));
    for (int i = count - 1; i >= 0; --i) {
      const std::string name = (i < 10 ? "O0" : "O") + std::to_string(i);
      ids[static_cast<size_t>(i)] = APSCreateObject(name);
    }
    return ids;
  }

  static Names PageNames(const TDatabaseBrowser& browser) {
    Names names;
    for (const TObjectRow& row : browser.ObjectRows())
      names.push_back(row.Name);
    return names;
  }

  static std::vector<int32_t> StateRecords(const TObjectStates& states) {
    std::vector<int32_t> ids;
    for (const TStateRow& row : states.Rows())
      ids.push_back(row.RecordId);
    return ids;
  }

  // An object whose history branches after its first record: r1 (day 1)
  // followed by r2 (day 2) and, as a second version, r3 (day 3).
  int32_t Branched() {
    const int32_t object = APSCreateObject("branched");
    r1 = Record(object, Day(1), {{"X", "1"}, {"Y", "a"}});
    r2 = Record(object, Day(2), {{"X", "2"}});
    TObjectSet set;
    EXPECT_TRUE(set.Load(object));
    TStateTrack track;
    EXPECT_TRUE(track.SetPath(set, r1, Day(3)));
    r3 = track.ModifyRecord(Pairs({{"Z", "3"}}), Day(3));
    EXPECT_NE(0, r3);
    return object;
  }

  int32_t r1 = 0, r2 = 0, r3 = 0;
};

TEST_F(DatabaseBrowser, PagesMoveThroughTheObjectsInNameOrder) {
  const std::vector<int32_t> ids = MakeObjects(10);
  TDatabaseBrowser browser;
  browser.Open(4, Day(10));
  EXPECT_EQ(10, browser.ObjectCount());
  EXPECT_EQ(6, browser.ScrollMaximum());
  EXPECT_EQ((Names{"O00", "O01", "O02", "O03"}), PageNames(browser));
  EXPECT_EQ(ids[0], browser.ObjectRows()[0].Id);

  browser.ScrollTo(5);
  EXPECT_EQ((Names{"O05", "O06", "O07", "O08"}), PageNames(browser));
  // The last position shows the last objects and no rows beyond them;
  // positions past it are kept to it.
  for (const int position : {6, 100}) {
    browser.ScrollTo(position);
    EXPECT_EQ(6, browser.Position());
    EXPECT_EQ((Names{"O06", "O07", "O08", "O09"}), PageNames(browser));
  }
  browser.ScrollTo(-3);
  EXPECT_EQ("O00", PageNames(browser)[0]);

  // Another window's page filter does not leak into the browser's paging.
  TAPSObjTablePage groups;
  APSFillPageFiltered(groups, false, true);
  browser.ScrollTo(1);
  EXPECT_EQ((Names{"O01", "O02", "O03", "O04"}), PageNames(browser));
}

TEST_F(DatabaseBrowser, EmptyDatabaseShowsOneEmptyRow) {
  TDatabaseBrowser browser;
  browser.Open(64, Day(10));
  EXPECT_EQ(0, browser.ScrollMaximum());
  ASSERT_EQ(1u, browser.ObjectRows().size());
  EXPECT_EQ(0, browser.ObjectRows()[0].Id);
  browser.SelectObject(0);
  EXPECT_EQ(0, browser.SelectedObject());
  EXPECT_TRUE(sink.Messages().empty());
  EXPECT_EQ(0, browser.ObjectToView());
  EXPECT_EQ("Select an object", sink.Last());
}

TEST_F(DatabaseBrowser, StatesAtTheMomentOneRowPerCurrentBranch) {
  const int32_t object = Branched();
  TDatabaseBrowser browser;
  browser.Open(10, Day(4));
  browser.SelectObject(0);
  EXPECT_EQ(object, browser.SelectedObject());
  TObjectStates& states = browser.States();
  EXPECT_EQ((std::vector<int32_t>{r2, r3}), StateRecords(states));
  EXPECT_EQ(Day(3), states.Rows()[1].RealTime);

  // Values of the second branch: r1's pairs and r3's, visible ones only.
  const std::vector<TValueRow> values = states.Values(1);
  Names shown;
  for (const TValueRow& row : values)
    shown.push_back(row.Parameter + "=" + row.Value);
  EXPECT_EQ((Names{"X=1", "Y=a", "Z=3"}), shown);
  EXPECT_TRUE(states.Values(7).empty());

  // Between r2 and r3, r1 is still current on the branch r3 continues
  // later; before r1 there is no state, and the message says so.
  browser.SetMoment(Day(2.5));
  EXPECT_EQ((std::vector<int32_t>{r1, r2}), StateRecords(states));
  sink.Reset();
  browser.SetMoment(Day(0.5));
  EXPECT_EQ(0, states.Count());
  EXPECT_EQ("States for the object aren't found. Id=" + std::to_string(object), sink.Last());

  // Refresh reads the history again: a record stored since is listed.
  const int32_t r4 = Record(object, Day(5), {{"X", "4"}});
  browser.SetMoment(Day(6));
  EXPECT_EQ((std::vector<int32_t>{r2, r4}), StateRecords(states));
}

TEST_F(DatabaseBrowser, TracksHandedOutOutliveTheList) {
  Branched();
  TObjectStates states;
  states.Load(APSFindObject("branched"));
  states.StatesAt(Day(4));
  std::unique_ptr<TStateTrack> copy = states.CopyTrack(0);
  ASSERT_NE(nullptr, copy);
  states.Clear();
  ASSERT_TRUE(copy->Constructed);
  EXPECT_EQ(r2, copy->Last()->Idtor);
  EXPECT_EQ("2", copy->State->FindPV("X")->Value.Text());
  EXPECT_EQ(nullptr, states.CopyTrack(0));
}

TEST_F(DatabaseBrowser, ObjectViewOpensOnAnObjectOrARecord) {
  const int32_t object = Branched();
  TObjectView view;
  ASSERT_TRUE(view.Open(object, Day(4)));
  EXPECT_EQ("BRANCHED (Id=" + std::to_string(object) + ")", view.Caption());
  EXPECT_EQ(r2, view.SelectedRecord());
  view.Select(1);
  EXPECT_EQ(r3, view.SelectedRecord());
  // The chosen state stays chosen while it is current.
  view.SetMoment(Day(3.5));
  EXPECT_EQ(r3, view.SelectedRecord());
  std::unique_ptr<TStateTrack> track = view.SelectedTrack();
  ASSERT_NE(nullptr, track);
  EXPECT_EQ("3", track->State->FindPV("Z")->Value.Text());

  // On a record: its time, its state chosen, even one no longer current.
  ASSERT_TRUE(view.Open(r1, Day(100)));
  EXPECT_EQ(Day(1), view.Moment());
  EXPECT_EQ(r1, view.SelectedRecord());
  {
    // A terminator at r1's own time: r1 is no longer current then.
    TObjectSet set;
    ASSERT_TRUE(set.Load(object));
    TStateTrack atR1;
    ASSERT_TRUE(atR1.SetPath(set, r1, Day(1)));
    ASSERT_NE(0, atR1.Terminate(Day(1)));
  }
  sink.Reset();
  ASSERT_TRUE(view.Open(r1, Day(100)));
  EXPECT_EQ(r1, view.SelectedRecord());
  EXPECT_TRUE(sink.Messages().empty());

  struct Case {
    int32_t id;
    std::string message;
  };
  const Case missing[] = {{object + 32 * 50, "Object doesn't exist. Id="},
                          {object + 32 * 50 + 1, "Record doesn't exist. Id="},
                          {0, "Object doesn't exist. Id="}};
  for (const Case& c : missing) {
    sink.Reset();
    EXPECT_FALSE(view.Open(c.id, Day(4)));
    EXPECT_EQ(c.message + std::to_string(c.id), sink.Last());
    EXPECT_EQ(0, view.SelectedRecord());
    EXPECT_EQ(nullptr, view.SelectedTrack());
  }
}

// A record stored while the view is open shows once it reads again; the
// moment and the chosen branch stay.
TEST_F(DatabaseBrowser, ObjectViewReadsAgainWhatWasStoredSinceItOpened) {
  const int32_t object = Branched();
  TObjectView view;
  ASSERT_TRUE(view.Open(object, Day(10)));
  view.Select(1);
  ASSERT_EQ(r3, view.SelectedRecord());
  const int32_t r4 = Record(object, Day(2.5), {{"X", "4"}}); // after r2, on the first branch
  EXPECT_EQ((std::vector<int32_t>{r2, r3}), StateRecords(view.States()));
  view.Reload(view.Moment());
  EXPECT_EQ(Day(10), view.Moment());
  EXPECT_EQ((std::vector<int32_t>{r4, r3}), StateRecords(view.States()));
  EXPECT_EQ(r3, view.SelectedRecord());
  // Known at a moment before it, the view still leaves it out.
  ASSERT_TRUE(view.Open(object, Day(10), clock.Now() - 1));
  Record(object, Day(3.5), {{"X", "5"}});
  view.Reload(view.Moment());
  EXPECT_TRUE(view.States().Rows().empty());
}

TEST_F(DatabaseBrowser, AGroupsStateListsItsContentAtTheMoment) {
  const int32_t anna = APSCreateObject("anna");
  const int32_t boris = APSCreateObject("boris");
  const int32_t ward = APSCreateObject("ward");
  const auto members = [](std::initializer_list<int32_t> ids) {
    std::vector<TValue::Ptr> values;
    for (const int32_t id : ids) {
      values.push_back(TValue::Create("test"));
      values.back()->SetText(vkObject, std::to_string(id));
    }
    return values;
  };
  const auto change = [&](double day, std::initializer_list<int32_t> added,
                          std::initializer_list<int32_t> removed) {
    TObjectSet set;
    ASSERT_TRUE(set.Load(ward));
    TStateTrack track;
    set.LatestStateAt(Day(day), track);
    ASSERT_NE(0, track.ModifyGroup(members(added), members(removed), Day(day)));
  };
  change(1, {anna, boris}, {});
  change(2, {}, {boris});
  Record(anna, Day(1), {{"X", "1"}});

  TObjectView view;
  const auto shown = [&] {
    std::vector<std::pair<int32_t, std::string>> rows;
    const auto content = view.States().Members(view.SelectedRow());
    if (content)
      for (const TMemberRow& row : *content)
        rows.emplace_back(row.Id, row.Name);
    return rows;
  };
  ASSERT_TRUE(view.Open(ward, Day(1.5)));
  EXPECT_TRUE(view.IsGroup());
  EXPECT_EQ((std::vector<std::pair<int32_t, std::string>>{{anna, "ANNA"}, {boris, "BORIS"}}),
            shown());
  view.SetMoment(Day(3));
  EXPECT_EQ((std::vector<std::pair<int32_t, std::string>>{{anna, "ANNA"}}), shown());

  // An object that is no group has no content; neither has a moment
  // without a state.
  ASSERT_TRUE(view.Open(anna, Day(3)));
  EXPECT_FALSE(view.IsGroup());
  EXPECT_FALSE(view.States().Members(view.SelectedRow()).has_value());
  view.SetMoment(Day(0.5));
  EXPECT_EQ(-1, view.SelectedRow());
  EXPECT_FALSE(view.States().Members(view.SelectedRow()).has_value());
  EXPECT_TRUE(view.States().Values(view.SelectedRow()).empty());
}

TEST_F(DatabaseBrowser, BothWindowsShowThePastAndSaySo) {
  const int32_t object = APSCreateObject("pump");
  const double morning = clock.Now();
  const int32_t first = Record(object, Day(1), {{"X", "1"}});
  clock.Advance(0.25);
  const int32_t later = Record(object, Day(2), {{"X", "2"}});
  const std::string asKnown = ", as known at " + DateTimeToText(morning);
  // The pickers' default, the moment the window opened, is everything.
  EXPECT_EQ(std::nullopt, PastMoment(clock.Now(), clock.Now()));
  // The picker's whole second, read back a hair short, is still now.
  const double second = 1.0 / 86400;
  EXPECT_EQ(std::nullopt, PastMoment(clock.Now() - 1e-12, clock.Now() + 0.75 * second));
  EXPECT_EQ(clock.Now() - second, PastMoment(clock.Now() - second, clock.Now() + 0.75 * second));
  EXPECT_EQ(morning, PastMoment(morning, clock.Now()));

  TObjectView view;
  ASSERT_TRUE(view.Open(object, Day(10)));
  EXPECT_EQ(later, view.SelectedRecord());
  view.SetMoment(Day(10), morning);
  EXPECT_EQ(first, view.SelectedRecord());
  EXPECT_TRUE(view.ShowsThePast());
  EXPECT_EQ("PUMP (Id=" + std::to_string(object) + ")" + asKnown, view.Caption());
  // The state shown is not one to go on from.
  EXPECT_THROW(view.SelectedTrack()->ModifyRecord(Pairs({{"X", "3"}}), Day(3)), ErrorException);
  view.SetMoment(Day(10), std::nullopt);
  EXPECT_EQ(later, view.SelectedRecord());
  EXPECT_FALSE(view.ShowsThePast());
  // A record stored after the moment is not there to open.
  sink.Reset();
  EXPECT_FALSE(view.Open(later, Day(10), morning));
  EXPECT_EQ("Record doesn't exist. Id=" + std::to_string(later), sink.Last());

  TDatabaseBrowser browser;
  browser.Open(10, Day(10));
  browser.SelectObject(0);
  EXPECT_EQ((std::vector<int32_t>{later}), StateRecords(browser.States()));
  EXPECT_EQ("Browse Database", browser.Caption());
  browser.SetMoment(Day(10), morning);
  EXPECT_EQ((std::vector<int32_t>{first}), StateRecords(browser.States()));
  EXPECT_EQ("Browse Database" + asKnown, browser.Caption());
  // Another object chosen is read as known at the same moment.
  browser.SelectObject(0);
  EXPECT_EQ((std::vector<int32_t>{first}), StateRecords(browser.States()));
}

TEST_F(DatabaseBrowser, RawTablesAreListedAsStored) {
  const int32_t object = APSCreateObject("solo");
  const int32_t record = Record(object, Day(1), {{"X", "7"}});
  for (const char* table : kShownTables) {
    const TRawTable raw = APSReadRawTable(table, 0, 1000);
    EXPECT_FALSE(raw.Columns.empty()) << table;
    EXPECT_EQ(APSRawRowCount(table), static_cast<int64_t>(raw.Rows.size())) << table;
  }
  const TRawTable objects = APSReadRawTable("VD_Objects", 0, 10);
  EXPECT_EQ((Names{"ObjIdtor", "GroupTag", "ObjName"}), objects.Columns);
  EXPECT_EQ((Names{std::to_string(object), "0", "SOLO"}), objects.Rows.at(0));

  const TRawTable records = APSReadRawTable("VD_Records", 0, 10);
  ASSERT_EQ(1u, records.Rows.size());
  EXPECT_EQ(std::to_string(record), records.Rows[0][0]);
  // The packed memo: its 3-byte length header escaped, then "Idtor:".
  const std::string pvs = records.Rows[0].back();
  const std::string x = std::to_string(CurrentProject()->FindParameter("X")->Idtor);
  EXPECT_EQ("\\x00\\x00", pvs.substr(0, 8));
  EXPECT_NE(std::string::npos, pvs.find(x + ":")) << pvs;

  // Slices: the units table read in two parts gives the whole table.
  const int64_t units = APSRawRowCount("VD_Units");
  EXPECT_EQ(units - 100, static_cast<int64_t>(APSReadRawTable("VD_Units", 100, 1000).Rows.size()));
  EXPECT_EQ(APSReadRawTable("VD_Units", 100, 1).Rows.at(0),
            APSReadRawTable("VD_Units", 0, 1000).Rows.at(100));

  EXPECT_THROW(APSReadRawTable("sqlite_master", 0, 10), ErrorException);
  EXPECT_THROW(APSRawRowCount("VD_Objects; DROP TABLE VD_Objects"), ErrorException);
  EXPECT_EQ(1, APSRawRowCount("VD_Objects"));
}

} // namespace
} // namespace vandro
