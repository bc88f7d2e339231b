// Loading, replaying and querying give exactly what they gave before they
// were made faster. A project generated from a fixed seed, with branches,
// terminators, back-dated records and groups, is read every way the
// program reads it; the digest of everything read was taken with the
// straightforward code, and any change in a hit, a state or a value
// changes it.
#include "language/query.h"
#include "records_fixture.h"
#include "shell/datetime.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace vandro {
namespace {

class RecordsEquivalence : public testing::RecordsTest {
protected:
  RecordsEquivalence() {
    std::mt19937 random(20261210);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int i = 0; i < 30; ++i)
      objects.push_back(APSCreateObject("OBJECT" + std::to_string(i)));
    for (int i = 0; i < 4; ++i)
      groups.push_back(APSCreateObject("GROUP" + std::to_string(i)));
    for (int step = 0; step < 600; ++step) {
      const double time = Day(pick(100)) + pick(24) / 24.0;
      const int action = pick(20);
      if (action < 14) {
        // Values, now and then back-dated between neighbours.
        const TPlacement placement =
            action < 3 ? TPlacement::BetweenNeighbours : TPlacement::NewVersion;
        Record(objects[static_cast<size_t>(pick(30))], time,
               {{"X", std::to_string(pick(1000))},
                {"Y", pick(4) == 0 ? std::string() : std::to_string(pick(500)) + " [m]"},
                {"Z", std::to_string(pick(700))}},
               placement);
      } else if (action < 16) {
        TObjectSet set;
        if (!set.Load(objects[static_cast<size_t>(pick(30))])) continue;
        TStateTrack track;
        if (set.LatestStateAt(time, track)) track.Terminate(time);
      } else {
        TObjectSet set;
        if (!set.Load(groups[static_cast<size_t>(pick(4))])) continue;
        TStateTrack track;
        set.LatestStateAt(time, track);
        std::vector<TValue::Ptr> added, deleted;
        for (int k = pick(4); k-- > 0;) {
          added.push_back(TValue::Create("test"));
          added.back()->SetText(vkObject, std::to_string(objects[static_cast<size_t>(pick(30))]));
        }
        if (pick(3) == 0) {
          deleted.push_back(TValue::Create("test"));
          deleted.back()->SetText(vkObject, std::to_string(objects[static_cast<size_t>(pick(30))]));
        }
        track.ModifyGroup(added, deleted, time);
      }
    }
  }

  // FNV-1a over every text read.
  void Mix(const std::string& text) {
    for (const char c : text)
      digest = (digest ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    digest = (digest ^ 0xFFu) * 1099511628211ull;
  }

  // The hits of a query, or its message.
  static std::string Hits(const std::string& text) {
    TValue query;
    query.SetText(vkCalculated, text);
    std::string message;
    const TValue::Ptr hits = ExecuteQuery(query, nullptr, nullptr, &message);
    if (!hits) return "!" + message;
    std::string list;
    for (int i = 0; i < hits->ItemCount(); ++i)
      list += " " + hits->GetItem(i).Text();
    return list;
  }

  std::vector<int32_t> objects, groups;
  uint64_t digest = 1469598103934665603ull;
};

TEST_F(RecordsEquivalence, HistoriesStatesAndQueriesReadAsBefore) {
  int states = 0, ended = 0, built = 0;
  std::vector<int32_t> all = objects;
  all.insert(all.end(), groups.begin(), groups.end());
  // The state every record makes, on the path that ends at it.
  for (const int32_t object : all) {
    TObjectSet set;
    ASSERT_TRUE(set.Load(object));
    for (const auto& record : set.Records) {
      TStateTrack track;
      if (!track.SetPath(set, record->Idtor, record->RealTime)) continue;
      track.ConstructState();
      Mix(track.ExportState(false));
      ++built;
    }
  }
  for (const double moment : {Day(10), Day(40), Day(75.5), Day(200)}) {
    for (const int32_t object : all) {
      TObjectSet set;
      ASSERT_TRUE(set.Load(object));
      for (const auto& record : set.Records)
        ended += record->Terminator ? 1 : 0;
      std::vector<std::unique_ptr<TStateTrack>> tracks;
      set.StatesAt(moment, tracks);
      for (size_t i = 0; i < tracks.size(); ++i) {
        Mix(tracks[i]->ExportState(false, static_cast<int>(i) + 1));
        Mix(tracks[i]->ExportState(true));
        ++states;
      }
    }
    const std::string at = " ACTUAL '" + DateTimeToText(moment) + "'";
    for (const std::string query :
         {"FIND ALL OBJECTS WITHIN EVERYTHING CONDITION X > 500",
          "FIND ALL STATES WITHIN EVERYTHING CONDITION Z < 300 AND Y > 100 [m]",
          "FIND ALL OBJECTS WITHIN CONTENT OF OBJECT('GROUP1') CONDITION X < 700",
          "FIND TOP 3 STATES WITHIN EVERYTHING CONDITION X >= 0"})
      Mix(Hits(query + at));
  }
  // The project is not a trivial one.
  EXPECT_GT(states, 200);
  EXPECT_GT(ended, 10);
  EXPECT_GT(built, 300);
  EXPECT_EQ(0xabb473f8a644428bull, digest) << std::hex << digest;
}

} // namespace
} // namespace vandro
