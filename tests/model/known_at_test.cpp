#include "model/known_at.h"

#include "history_fixture.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

using Ids = std::vector<int32_t>;

class KnownAt : public testing::HistoryTest {
protected:
  static constexpr double kEarly = 100, kLate = 300, kMoment = 200;

  // The identifiers of the record's predecessors once linked (0: the root).
  Ids PreviousOf(int32_t id) const {
    Ids ids;
    for (const TDataRecord* previous : set.FindRecord(id)->Previous)
      ids.push_back(previous->Idtor);
    return ids;
  }
};

TEST_F(KnownAt, RecordsStoredLaterLeaveTheirPredecessorsToTheirFollowers) {
  struct Row {
    int32_t id;
    bool later; // stored after the moment
    Ids previous;
  };
  struct Case {
    const char* what;
    std::vector<Row> rows;
    std::vector<std::pair<int32_t, Ids>> links; // of the records known at the moment
  };
  const Case cases[] = {
      {"inserted between two (a back-dated correction)",
       {{1, false, {}}, {3, true, {1}}, {5, false, {3}}},
       {{5, {1}}}},
      {"inserted before the first", {{3, true, {}}, {5, false, {3}}}, {{5, {0}}}},
      {"two inserted in a row",
       {{1, false, {}}, {3, true, {1}}, {5, true, {3}}, {7, false, {5}}},
       {{7, {1}}}},
      {"one of several predecessors",
       {{1, false, {}}, {3, true, {1}}, {5, false, {}}, {7, false, {3, 5}}},
       {{7, {1, 5}}}},
      {"several that come down to one",
       {{1, false, {}}, {3, true, {1}}, {7, false, {3, 1}}},
       {{7, {1}}}},
      {"a later record with several predecessors",
       {{1, false, {}}, {3, false, {}}, {5, true, {1, 3}}, {7, false, {5}}},
       {{7, {1, 3}}}},
      {"later records at the end only", {{1, false, {}}, {3, true, {1}}}, {{1, {0}}}},
  };
  for (const auto& c : cases) {
    set.Clear();
    set.ObjIdtor = 64;
    for (const auto& row : c.rows)
      Add(row.id, row.id, row.previous).SysTime = row.later ? kLate : kEarly;
    {
      TKnownAtScope past(kMoment);
      set.Link();
    }
    for (const auto& row : c.rows)
      EXPECT_EQ(row.later, set.FindRecord(row.id) == nullptr) << c.what << ", record " << row.id;
    for (const auto& [id, previous] : c.links)
      EXPECT_EQ(previous, PreviousOf(id)) << c.what << ", record " << id;
  }
}

TEST_F(KnownAt, WithoutAMomentAndAtOrAfterTheLastStoreEveryRecordCounts) {
  for (const std::optional<double> moment : {std::optional<double>{}, std::optional{kLate}}) {
    set.Clear();
    set.ObjIdtor = 64;
    Add(1, 1, {}, {{"X", "1"}}).SysTime = kEarly;
    Add(3, 3, {1}, {{"X", "3"}}).SysTime = kLate;
    TKnownAtScope scope(moment);
    set.Link();
    EXPECT_EQ(Ids({3}), Current(10));
  }
  EXPECT_FALSE(vandro::KnownAt());
}

TEST_F(KnownAt, ScopesNestAndPutTheMomentBack) {
  {
    TKnownAtScope outer(kMoment);
    {
      TKnownAtScope inner(std::nullopt);
      EXPECT_TRUE(KnownNow(kLate));
    }
    EXPECT_FALSE(KnownNow(kLate));
    EXPECT_TRUE(KnownNow(kMoment)); // stored at the very moment: known then
  }
  EXPECT_TRUE(KnownNow(kLate));
}

} // namespace
} // namespace vandro
