// Histories, states, group contents and queries of a project on disk read
// as they were known at a moment of system time.
#include "model/known_at.h"

#include "language/query.h"
#include "records_fixture.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

using Ids = std::vector<int32_t>;

class KnownAtOnDisk : public testing::RecordsTest {
protected:
  KnownAtOnDisk() {
    pump = APSCreateObject("Pump");
    clock.Set(kMorning);
  }

  // The value of name in the state of object current at time (the latest
  // when several are); "-" without a state, "" without the value.
  std::string ValueAt(int32_t object, double time, const char* name) {
    TObjectSet set;
    EXPECT_TRUE(set.Load(object));
    TStateTrack track;
    if (!set.LatestStateAt(time, track)) return "-";
    track.ConstructState();
    TValue value;
    track.State->GetSystemValue(name, value);
    return value.Text();
  }

  Ids Hits(const std::string& text) {
    TValue query;
    query.SetText(vkCalculated, text);
    std::string message;
    const TValue::Ptr hits = ExecuteQuery(query, nullptr, nullptr, &message);
    EXPECT_TRUE(hits) << message;
    Ids ids;
    for (int i = 0; hits && i < hits->ItemCount(); ++i)
      ids.push_back(std::stoi(hits->GetItem(i).Text()));
    return ids;
  }

  static constexpr double kMorning = 40100.375;         // 15.10.2009 09:00
  static constexpr double kAfternoon = kMorning + 0.25; // 15:00
  int32_t pump = 0;
};

TEST_F(KnownAtOnDisk, ABackDatedCorrectionShowsOnlyFromWhenItWasStored) {
  Record(pump, Day(1), {{"X", "1"}});
  const int32_t third = Record(pump, Day(3), {{"X", "3"}});
  clock.Set(kAfternoon);
  const int32_t correction =
      Record(pump, Day(2), {{"X", "2"}, {"Y", "fixed"}}, TPlacement::BetweenNeighbours);
  ASSERT_NE(0, correction);

  struct Case {
    std::optional<double> knownAt;
    const char* onDay2; // X in the state of day 2.5
    const char* fixed;  // Y in the state of day 5, which the correction reaches
    size_t history;     // records behind the state of day 5
  };
  const Case cases[] = {
      {kMorning, "1", "", 2},
      {kAfternoon - 1.0 / 86400, "1", "", 2},
      {kAfternoon, "2", "fixed", 3},
      {std::nullopt, "2", "fixed", 3},
  };
  for (const auto& c : cases) {
    const TKnownAtScope scope(c.knownAt);
    const std::string at = c.knownAt ? std::to_string(*c.knownAt) : "now";
    EXPECT_EQ(c.onDay2, ValueAt(pump, Day(2.5), "X")) << at;
    EXPECT_EQ(c.fixed, ValueAt(pump, Day(5), "Y")) << at;
    TObjectSet set;
    ASSERT_TRUE(set.Load(pump));
    TStateTrack track;
    ASSERT_TRUE(track.SetPath(set, third, Day(5)));
    track.ConstructState();
    TValue history;
    track.State->GetSystemValue("_HISTORY", history);
    EXPECT_EQ(c.history, static_cast<size_t>(history.ItemCount())) << at;
    TDataRecord record(0.0);
    EXPECT_EQ(c.history == 3, record.Load(correction)) << at;
  }
}

TEST_F(KnownAtOnDisk, AStateTerminatedLaterIsStillCurrentWhenKnownEarlier) {
  const int32_t first = Record(pump, Day(1), {{"X", "1"}});
  clock.Set(kAfternoon);
  TObjectSet set;
  ASSERT_TRUE(set.Load(pump));
  TStateTrack track;
  ASSERT_TRUE(set.LatestStateAt(Day(2), track));
  ASSERT_NE(0, track.Terminate(Day(2)));

  EXPECT_EQ(Ids{}, Current(pump, Day(5)));
  const TKnownAtScope morning(kMorning);
  EXPECT_EQ(Ids{first}, Current(pump, Day(5)));
}

TEST_F(KnownAtOnDisk, AGroupHoldsTheMembersKnownAtTheMoment) {
  const int32_t valve = APSCreateObject("Valve");
  const int32_t group = APSCreateObject("Line");
  Record(pump, Day(1), {{"X", "1"}});
  Record(valve, Day(1), {{"X", "1"}});
  const auto member = [](int32_t id) {
    auto value = TValue::Create("test");
    value->SetText(vkObject, std::to_string(id));
    return value;
  };
  const auto change = [&](double day, std::vector<TValue::Ptr> added,
                          std::vector<TValue::Ptr> deleted) {
    TObjectSet set;
    EXPECT_TRUE(set.Load(group));
    TStateTrack track;
    set.LatestStateAt(day, track);
    track.ConstructState();
    EXPECT_NE(0, track.ModifyGroup(added, deleted, day));
  };
  std::vector<TValue::Ptr> added;
  added.push_back(member(pump));
  change(Day(1), std::move(added), {});
  clock.Set(kAfternoon);
  std::vector<TValue::Ptr> swapIn, swapOut;
  swapIn.push_back(member(valve));
  swapOut.push_back(member(pump));
  change(Day(2), std::move(swapIn), std::move(swapOut));

  const auto content = [&] {
    TObjectSet set;
    EXPECT_TRUE(set.Load(group));
    TStateTrack track;
    EXPECT_TRUE(set.LatestStateAt(Day(5), track));
    track.ConstructState();
    Ids ids;
    if (track.State->Content)
      for (const auto& item : *track.State->Content)
        ids.push_back(std::stoi(item->Text()));
    return ids;
  };
  EXPECT_EQ(Ids{valve}, content());
  const TKnownAtScope morning(kMorning);
  EXPECT_EQ(Ids{pump}, content());
  EXPECT_EQ(Ids{pump}, Hits("FIND ALL OBJECTS WITHIN CONTENT OF OBJECT('LINE')"));
}

TEST_F(KnownAtOnDisk, AQueryFindsWhatWasKnown) {
  const int32_t valve = APSCreateObject("Valve");
  Record(pump, Day(1), {{"X", "1"}});
  Record(valve, Day(1), {{"X", "7"}});
  clock.Set(kAfternoon);
  Record(pump, Day(2), {{"X", "9"}});
  Record(valve, Day(2), {{"X", "0"}});
  const std::string query = "FIND ALL OBJECTS WITHIN EVERYTHING CONDITION X > 5";
  EXPECT_EQ(Ids{pump}, Hits(query));
  const TKnownAtScope morning(kMorning);
  EXPECT_EQ(Ids{valve}, Hits(query));
}

TEST_F(KnownAtOnDisk, NothingIsStoredWhileLookingAtThePast) {
  Record(pump, Day(1), {{"X", "1"}});
  const int64_t rows = RowCount();
  TObjectSet set;
  TStateTrack track;
  {
    const TKnownAtScope morning(kMorning);
    ASSERT_TRUE(set.Load(pump));
    ASSERT_TRUE(set.LatestStateAt(Day(2), track));
    TDataRecord record;
    record.ObjIdtor = pump;
    record.RealTime = Day(3);
    EXPECT_THROW(record.Store(nullptr, false), ErrorException);
  }
  // A history read as known at a moment stays the past's once it is gone.
  EXPECT_THROW(track.ModifyRecord(Pairs({{"X", "2"}}), Day(2)), ErrorException);
  EXPECT_THROW(track.Terminate(Day(2)), ErrorException);
  EXPECT_EQ(rows, RowCount());
  EXPECT_EQ(kNothingStoredInThePast, sink.Last());
}

} // namespace
} // namespace vandro
