#include "history_fixture.h"

#include "shell/messages.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vandro {
namespace {

using Ids = std::vector<int32_t>;

class StateTracks : public testing::HistoryTest {};

TEST_F(StateTracks, ReplayAppliesEachRecordOfThePathInOrder) {
  Add(1, 10, {}, {{"X", "1"}, {"Y", "2"}});
  Add(3, 20, {1}, {{"X", "3"}, {"Z", ""}});
  Add(5, 30, {3}, {{"Y", ""}, {"Z", "9"}});
  set.Link();

  EXPECT_EQ("X=1 Y=2", StateAt(1));
  // An empty value for a parameter the state lacks adds nothing.
  EXPECT_EQ("X=3 Y=2", StateAt(3));
  // An empty value removes its parameter.
  EXPECT_EQ("X=3 Z=9", StateAt(5));

  TStateTrack track;
  ASSERT_TRUE(track.SetPath(set, 5, 100));
  ASSERT_EQ(4u, track.Path.size());
  EXPECT_EQ(&set.Root, track.Path.front());
  track.ConstructState();
  const TDataRecord& state = *track.State;
  EXPECT_EQ(5, state.Idtor);
  EXPECT_EQ(64, state.ObjIdtor);
  EXPECT_EQ("R5", state.RecName);
  EXPECT_EQ(30, state.RealTime);
  EXPECT_EQ(2u, state.VisiblePVs.size());
  ASSERT_EQ(1u, state.Previous.size());
  EXPECT_EQ(3, state.Previous.front()->Idtor);

  // A copy is a track of its own, replayed anew.
  TStateTrack copy;
  copy.CopyFrom(track);
  EXPECT_TRUE(copy.Constructed);
  EXPECT_EQ("X=3 Z=9", Describe(*copy.State));
  EXPECT_NE(track.State.get(), copy.State.get());
}

// A parameter removed and set again comes back last, as replaying the
// records one by one would put it; the whole path and one record at a time
// give the same state.
TEST_F(StateTracks, AParameterSetAgainAfterItsRemovalComesLast) {
  Add(1, 10, {}, {{"X", "1"}, {"Y", "2"}, {"Z", "3"}});
  Add(3, 20, {1}, {{"X", ""}, {"Y", "5"}});
  Add(5, 30, {3}, {{"X", "7"}, {"Z", "8"}});
  set.Link();
  EXPECT_EQ("Y=5 Z=3", StateAt(3));
  EXPECT_EQ("Y=5 Z=8 X=7", StateAt(5));

  TStateTrack whole, stepwise;
  ASSERT_TRUE(whole.SetPath(set, 5, 100));
  whole.ConstructState();
  ASSERT_TRUE(stepwise.SetPath(set, 1, 100));
  stepwise.ConstructState();
  stepwise.Advance(*set.FindRecord(3));
  stepwise.Advance(*set.FindRecord(5));
  EXPECT_EQ(Describe(*whole.State), Describe(*stepwise.State));
}

TEST_F(StateTracks, SetPathRefusals) {
  Add(1, 10, {});
  Add(3, 20, {1}, {}, true);
  set.Link();
  TStateTrack track;
  EXPECT_FALSE(track.SetPath(set, 3, 100));
  EXPECT_TRUE(track.Path.empty());
  EXPECT_THROW(track.SetPath(set, 0, 100), ErrorException);
  EXPECT_EQ("Data record id = 0 for the state of the object with id = 64", sink.Last());
  EXPECT_THROW(track.SetPath(set, 7, 100), ErrorException);
  EXPECT_EQ("Can't find an DataRecord with id = 7", sink.Last());
}

// 1 -> 3 (t 20) and 1 -> 5 (t 30); 3 ends with the terminator 7 at t 40.
TEST_F(StateTracks, BranchedHistoriesHaveSeveralCurrentStates) {
  Add(1, 10, {}, {{"X", "1"}});
  Add(3, 20, {1}, {{"Y", "3"}});
  Add(5, 30, {1}, {{"Z", "5"}});
  Add(7, 40, {3}, {}, true);
  set.Link();

  struct Case {
    double time;
    Ids current;
  };
  const Case cases[] = {
      {5, {}},      // before the first record
      {10, {1}},    //
      {25, {1, 3}}, // 1 is current while 5 still lies ahead
      {35, {3, 5}}, //
      {40, {5}},    // a terminator at the moment ends its branch
      {1000, {5}},  //
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.current, Current(c.time)) << c.time;
    EXPECT_EQ(c.current, Forward(c.time)) << c.time;
    Ids reversed = c.current;
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_EQ(reversed, Backward(c.time)) << c.time;
  }
  EXPECT_EQ("X=1 Y=3", StateAt(3));
  EXPECT_EQ("X=1 Z=5", StateAt(5));

  TStateTrack track;
  ASSERT_TRUE(track.FirstStateTrack(set, 25));
  EXPECT_TRUE(track.Continues);
  ASSERT_TRUE(track.NextStateTrack());
  EXPECT_EQ(3, track.Last()->Idtor);
  EXPECT_TRUE(track.Continues); // the terminator lies ahead
  EXPECT_FALSE(track.NextStateTrack());
  EXPECT_EQ(1u, track.Path.size());
}

// 1 -> 3, 1 -> 5, and 9 follows both 3 and 5 (PtrArr "3;5;").
TEST_F(StateTracks, ARecordWithTwoPredecessorsIsReachedThroughItsFirst) {
  Add(1, 10, {}, {{"X", "1"}});
  Add(3, 20, {1}, {{"Y", "3"}});
  Add(5, 30, {1}, {{"Z", "5"}});
  Add(9, 40, {3, 5}, {{"X", "9"}});
  set.Link();

  const TDataRecord& merged = *set.FindRecord(9);
  ASSERT_EQ(2u, merged.Previous.size());
  EXPECT_EQ(3, merged.Previous[0]->Idtor);
  EXPECT_EQ(5, merged.Previous[1]->Idtor);
  EXPECT_EQ(Ids{9}, Current(50));
  EXPECT_EQ(Ids{9}, Forward(50));
  EXPECT_EQ(Ids{9}, Backward(50));
  EXPECT_EQ("X=9 Y=3", StateAt(9));

  TStateTrack track;
  ASSERT_TRUE(track.SetPath(set, 9, 50));
  track.ConstructState();
  TValue history;
  track.State->GetSystemValue("_HISTORY", history);
  ASSERT_EQ(4, history.ItemCount());
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(std::to_string(Ids{1, 3, 5, 9}[static_cast<size_t>(i)]), history.GetItem(i).Text());
}

TEST_F(StateTracks, ForwardAndBackwardEnumerationsAreMirrors) {
  // A bushy history: every record follows an earlier one picked by a fixed
  // rule, some are terminators (followed by nothing), some follow two
  // records.
  const int count = 60;
  const auto terminator = [](int i) { return i % 9 == 8; };
  const auto earlier = [&](int i) {
    int j = (i * 7) % i;
    if (terminator(j)) --j;
    return 2 * j + 1;
  };
  for (int i = 0; i < count; ++i) {
    const int32_t id = 2 * i + 1;
    std::vector<int32_t> previous;
    if (i > 0 && i % 11 != 0) previous.push_back(earlier(i));
    if (i > 2 && i % 5 == 0 && !terminator(i - 2)) previous.push_back(2 * (i - 2) + 1);
    if (previous.size() == 2 && previous[0] == previous[1]) previous.pop_back();
    Add(id, 10 + i, previous, {}, terminator(i));
  }
  set.Link();
  for (double time : {0.0, 15.0, 33.5, 52.0, 70.0, 1000.0}) {
    Ids forward = Forward(time);
    Ids backward = Backward(time);
    std::reverse(backward.begin(), backward.end());
    EXPECT_EQ(forward, backward) << time;
    Ids current = Current(time);
    std::sort(forward.begin(), forward.end());
    std::sort(current.begin(), current.end());
    EXPECT_EQ(current, forward) << time;
  }
}

TEST_F(StateTracks, DescendantStatesAt) {
  Add(1, 10, {});
  Add(3, 20, {1});
  Add(5, 30, {1});
  Add(7, 40, {3});
  Add(9, 50, {5}, {}, true);
  set.Link();
  const auto descendants = [&](int32_t from, double time) {
    TStateTrack track;
    EXPECT_TRUE(track.SetPath(set, from, time));
    std::vector<std::unique_ptr<TStateTrack>> tracks;
    track.DescendantStatesAt(time, tracks);
    track.DescendantStatesAt(time, tracks); // nothing twice
    Ids ids;
    for (const auto& found : tracks)
      ids.push_back(found->Last()->Idtor);
    return ids;
  };
  EXPECT_EQ((Ids{1, 3}), descendants(1, 25));
  EXPECT_EQ((Ids{3, 5}), descendants(1, 35));
  EXPECT_EQ((Ids{7, 5}), descendants(1, 45));
  EXPECT_EQ((Ids{7}), descendants(1, 60));
  EXPECT_EQ((Ids{7}), descendants(3, 60));
  EXPECT_EQ(Ids{}, descendants(5, 60));
}

TEST_F(StateTracks, GroupRecordsAddAndRemoveMembers) {
  const auto member = [](const char* id) {
    auto value = TValue::Create("test");
    value->SetText(vkObject, id);
    return value;
  };
  TDataRecord& first = Add(1, 10, {});
  first.Added.push_back(member("96"));
  first.Added.push_back(member("128"));
  first.Added.push_back(member("96"));
  TDataRecord& second = Add(3, 20, {1});
  second.Deleted.push_back(member("96"));
  second.Deleted.push_back(member("4000"));
  second.Added.push_back(member("65"));
  Add(5, 5, {});
  set.Link();

  const auto content = [&](int32_t id) {
    TStateTrack track;
    EXPECT_TRUE(track.SetPath(set, id, 100));
    track.ConstructState();
    TValue count, list;
    track.State->GetSystemValue("_CONTENT_COUNT", count);
    track.State->GetSystemValue("_CONTENT", list);
    std::string text = count.Text() + ":";
    if (list.IsArray())
      for (int i = 0; i < list.ItemCount(); ++i)
        text += " " + list.GetItem(i).Text();
    return text;
  };
  EXPECT_EQ("2: 96 128", content(1));
  // A record adds, then removes; members keep the order they came in.
  EXPECT_EQ("2: 128 65", content(3));
  // Never a group: no content list at all.
  EXPECT_EQ("0:", content(5));
}

TEST_F(StateTracks, DamagedHistoriesAreReportedNotLinked) {
  struct Case {
    const char* what;
    std::vector<std::pair<int32_t, std::vector<int32_t>>> records; // id, predecessors
    const char* ptrArr;                                            // for the last record
    std::string message;
  };
  const Case cases[] = {
      {"missing predecessor",
       {{1, {}}, {3, {99}}},
       nullptr,
       "DataRecord not found in the list\r\nRecord 3 of object 64 follows record 99, which is "
       "not one of the object's records"},
      {"cycle of two",
       {{1, {}}, {3, {5}}, {5, {3}}},
       nullptr,
       "The history of object 64 has a cycle of predecessor links through record 3"},
      {"record following itself",
       {{1, {}}, {3, {3}}},
       nullptr,
       "The history of object 64 has a cycle of predecessor links through record 3"},
      {"cycle behind a merge",
       {{1, {}}, {3, {1, 5}}, {5, {3}}},
       nullptr,
       "The history of object 64 has a cycle of predecessor links through record 3"},
      {"malformed PtrArr",
       {{1, {}}, {3, {1, 1}}},
       "1;x;",
       "Record 3 of object 64 follows several records, but its list of them is damaged: "
       "\"1;x;\""},
      {"PtrArr without identifiers",
       {{1, {}}, {3, {1, 1}}},
       "",
       "Record 3 of object 64 follows several records, but its list of them is damaged: \"\""},
  };
  for (const auto& c : cases) {
    set.Clear();
    set.ObjIdtor = 64;
    double time = 10;
    for (const auto& [id, previous] : c.records)
      Add(id, time++, previous);
    if (c.ptrArr) set.Records.back()->PtrArr = c.ptrArr;
    sink.Reset();
    EXPECT_THROW(set.Link(), ErrorException) << c.what;
    EXPECT_EQ("System Error: Something wrong.\r\n" + c.message, sink.Last()) << c.what;
    for (const auto& record : set.Records)
      EXPECT_TRUE(record->Previous.empty() && record->Next.empty()) << c.what;
    EXPECT_TRUE(set.Root.Next.empty()) << c.what;
  }
}

TEST_F(StateTracks, LongHistoriesAreWalkedWithoutRecursion) {
  const int32_t count = 100000;
  for (int32_t i = 0; i < count; ++i)
    Add(2 * i + 1, i, i == 0 ? std::vector<int32_t>{} : std::vector<int32_t>{2 * i - 1},
        {{"X", "1"}});
  set.Link();
  EXPECT_EQ(Ids{2 * count - 1}, Forward(count));
  EXPECT_EQ(Ids{2 * count - 1}, Backward(count));
  TStateTrack track;
  ASSERT_TRUE(track.FirstStateTrack(set, count));
  EXPECT_EQ(static_cast<size_t>(count) + 1, track.Path.size());
  std::vector<std::unique_ptr<TStateTrack>> tracks;
  track.Path.resize(2);
  track.DescendantStatesAt(count, tracks);
  ASSERT_EQ(1u, tracks.size());
}

} // namespace
} // namespace vandro
