#include "history_fixture.h"

#include "model/record_export.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

class HistoryBranchesTest : public testing::HistoryTest {
protected:
  // Each branch as the identifiers of its path after the root.
  std::vector<std::vector<int32_t>> Branches() {
    std::vector<std::unique_ptr<TStateTrack>> tracks;
    HistoryBranches(set, tracks);
    std::vector<std::vector<int32_t>> branches;
    for (const auto& track : tracks) {
      branches.emplace_back();
      for (size_t i = 1; i < track->Path.size(); ++i)
        branches.back().push_back(track->Path[i]->Idtor);
    }
    return branches;
  }
};

TEST_F(HistoryBranchesTest, AnEndedHistoryIsWalkedUpToItsTerminator) {
  Add(1, 1, {}, {{"X", "1"}});
  Add(2, 2, {1}, {{"Y", "2"}});
  Add(3, 3, {2}, {}, true);
  set.Link();
  EXPECT_EQ(std::vector<int32_t>{}, Current(10));
  EXPECT_EQ((std::vector<std::vector<int32_t>>{{1, 2, 3}}), Branches());

  // The state shown with the branch is the one the terminator ended.
  std::vector<std::unique_ptr<TStateTrack>> tracks;
  HistoryBranches(set, tracks);
  ASSERT_EQ(1u, tracks.size());
  tracks[0]->ConstructState();
  EXPECT_EQ("X=1 Y=2", Describe(*tracks[0]->State));
  EXPECT_NE(std::string::npos, tracks[0]->ExportState(true).find("    Record: R3; Time: "));
}

TEST_F(HistoryBranchesTest, EveryBranchEndedOrNotAndEveryRecordOnOne) {
  Add(1, 1, {}, {{"X", "1"}});
  Add(2, 2, {1});
  Add(3, 3, {1});
  Add(4, 4, {2}, {}, true); // ends the first branch
  Add(5, 5, {3, 2});        // a merge: record 2 is its later predecessor
  Add(6, 6, {});            // a second life, started from the root
  Add(7, 7, {6}, {}, true);
  Add(8, 9, {3}); // dated after the moment asked for below
  set.Link();
  EXPECT_EQ((std::vector<int32_t>{3, 5}), Current(8));
  EXPECT_EQ((std::vector<std::vector<int32_t>>{{1, 2, 4}, {1, 3, 5}, {6, 7}, {1, 3, 8}}),
            Branches());
}

TEST_F(HistoryBranchesTest, AnObjectWithoutRecordsHasNoBranch) {
  set.Link();
  EXPECT_TRUE(Branches().empty());
}

} // namespace
} // namespace vandro
