#include "stats/cluster.h"
#include "stats/cluster_tree.h"

#include "model/project.h"
#include "support/recording_progress.h"
#include "values/value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace vandro {
namespace {

using Rows = std::vector<std::vector<long double>>;

TClusterTable MakeTable(const Rows& rows, std::vector<long double> weights = {},
                        std::vector<bool> nominal = {}) {
  TClusterTable table;
  const int columns =
      rows.empty() ? static_cast<int>(weights.size()) : static_cast<int>(rows.front().size());
  table.Resize(static_cast<int>(rows.size()), columns);
  for (int r = 0; r < table.rows; ++r)
    for (int c = 0; c < columns; ++c)
      table.At(r, c) = rows[static_cast<size_t>(r)][static_cast<size_t>(c)];
  if (!weights.empty()) table.weights = std::move(weights);
  if (!nominal.empty()) table.nominal = std::move(nominal);
  return table;
}

std::string Describe(const TMergeTable& merges) {
  std::string text;
  for (const TClusterMerge& merge : merges)
    text += "(" + std::to_string(merge.first) + "," + std::to_string(merge.second) + "," +
            std::to_string(static_cast<double>(merge.distance)) + ") ";
  return text;
}

// One table of cases, each run through both algorithms: the reference must
// give the expected merges, and the fast one exactly the reference's.
struct ClusterCase {
  const char* name;
  Rows rows;
  std::vector<long double> weights;
  std::vector<bool> nominal;
  TClusterDistance distance;
  TMergeTable expected;
};

const long double kSigma013 = std::sqrt(7.0L / 3);    // deviation of 0, 1, 3
const long double kSigma025 = std::sqrt(114.0L / 18); // deviation of 0, 2, 5

const std::vector<ClusterCase>& Cases() {
  static const std::vector<ClusterCase> cases = {
      {"no objects", {}, {1}, {false}, cdEuclidean, {}},
      {"one object", {{4}}, {}, {}, cdEuclidean, {}},
      {"two objects", {{1}, {4}}, {}, {}, cdEuclidean, {{0, 1, std::sqrt(2.0L)}}},
      {"collinear 0 1 3, centroid 0.5 against 3",
       {{0}, {1}, {3}},
       {},
       {},
       cdEuclidean,
       {{0, 1, 1 / kSigma013}, {3, 2, 2.5L / kSigma013}}},
      {"equal distances: the first pair in row order",
       {{2}, {0}, {1}},
       {},
       {},
       cdManhattan,
       {{0, 2, 1}, {3, 1, 1.5L}}},
      {"constant column counts with deviation 1",
       {{0, 7}, {2, 7}, {5, 7}},
       {},
       {},
       cdManhattan,
       {{0, 1, 2 / kSigma025}, {3, 2, 4 / kSigma025}}},
      {"Hamming weighs the mismatched columns only",
       {{1, 2, 3}, {1, 2, 4}, {9, 2, 4}},
       {2, 1, 0.5L},
       {},
       cdHamming,
       {{0, 1, 0.5L}, {3, 2, 2.5L}}},
      {"nominal column adds its weight when the labels differ",
       {{0, 1}, {0, 2}, {1, 1}},
       {1, 4},
       {false, true},
       cdEuclidean,
       {{0, 2, std::sqrt(3.0L)}, {3, 1, std::sqrt(4.75L)}}},
      {"zero weight removes a column",
       {{0, 100}, {1, 0}, {5, 50}},
       {1, 0},
       {},
       cdManhattan,
       {{0, 1, 1 / std::sqrt(7.0L)}, {3, 2, 4.5L / std::sqrt(7.0L)}}},
      {"duplicate rows merge first, at distance 0",
       {{1, 1}, {2, 2}, {1, 1}},
       {},
       {},
       cdEuclidean,
       {{0, 2, 0}, {3, 1, std::sqrt(6.0L)}}},
      {"identical rows merge in row order",
       {{3}, {3}, {3}, {3}},
       {},
       {},
       cdEuclidean,
       {{0, 1, 0}, {4, 2, 0}, {5, 3, 0}}},
  };
  return cases;
}

TEST(ClusterTest, CasesGiveTheirMergesInBothAlgorithms) {
  for (const ClusterCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    const TClusterTable table = MakeTable(c.rows, c.weights, c.nominal);
    const TMergeTable reference = ClusterReference(table, c.distance);
    ASSERT_EQ(c.expected.size(), reference.size()) << Describe(reference);
    for (size_t s = 0; s < reference.size(); ++s) {
      EXPECT_EQ(c.expected[s].first, reference[s].first) << "merge " << s;
      EXPECT_EQ(c.expected[s].second, reference[s].second) << "merge " << s;
      EXPECT_NEAR(static_cast<double>(c.expected[s].distance),
                  static_cast<double>(reference[s].distance), 1e-12)
          << "merge " << s;
    }
    EXPECT_EQ(reference, Cluster(table, c.distance)) << Describe(Cluster(table, c.distance));
  }
}

// Random tables against the reference. Small integers make many equal
// distances, so ties between pairs and between a merged centroid and old
// neighbours are exercised; real-valued tables exercise the cache repair
// when a centroid moves away.
TEST(ClusterTest, FastEqualsReferenceOnRandomTables) {
  std::mt19937 random(20240611);
  const long double weightChoices[] = {0, 0.5L, 1, 1, 2};
  for (int trial = 0; trial < 900; ++trial) {
    const int rows = trial < 880 ? 2 + static_cast<int>(random() % 40) : 150;
    const int columns = 1 + static_cast<int>(random() % 4);
    const bool integers = trial % 3 != 2;
    const auto distance = static_cast<TClusterDistance>(trial % 3);
    TClusterTable table;
    table.Resize(rows, columns);
    for (long double& value : table.values)
      value = integers ? static_cast<long double>(random() % 4)
                       : std::uniform_real_distribution<double>(-5, 5)(random);
    for (int c = 0; c < columns; ++c) {
      table.weights[static_cast<size_t>(c)] = weightChoices[random() % 5];
      table.nominal[static_cast<size_t>(c)] = random() % 4 == 0;
    }
    const TMergeTable reference = ClusterReference(table, distance);
    const TMergeTable fast = Cluster(table, distance);
    ASSERT_EQ(reference, fast) << "trial " << trial << ", " << rows << " x " << columns
                               << "\nreference " << Describe(reference) << "\nfast      "
                               << Describe(fast);
  }
}

TEST(ClusterTest, RefusesTablesWithoutAnOrderOfMerges) {
  TClusterTable table = MakeTable({{1}, {2}});
  table.At(1, 0) = std::nanl("");
  EXPECT_THROW(Cluster(table, cdEuclidean), std::invalid_argument);
  table = MakeTable({{1}, {2}}, {-1});
  EXPECT_THROW(ClusterReference(table, cdEuclidean), std::invalid_argument);
  table = MakeTable({{1}, {2}});
  table.nominal.clear();
  EXPECT_THROW(Cluster(table, cdHamming), std::invalid_argument);
}

TEST(ClusterTreeTest, DisplayScaleFollowsTheFirstDistance) {
  struct Row {
    long double first, distance;
    const char* shown;
  } rows[] = {
      {0, 0.37L, "0.3"},         {0.6547L, 1.6366L, "1.6"}, {0.001234L, 0.0456L, "0.045"},
      {1234, 5678.5L, "5678.5"}, {45.6L, 0.004L, "0"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<double>(row.first));
    EXPECT_EQ(row.shown, ClusterShownDistance(row.distance, ClusterDisplayScale(row.first)));
  }
}

class ClusterTreeFixture : public ::testing::Test {
protected:
  // Objects 0..4 on a line at 0, 1, 3, 7, 15: each merge takes in the next
  // object, so the tree is a chain.
  void OpenChain() {
    const TClusterTable table = MakeTable({{0}, {1}, {3}, {7}, {15}});
    tree_.Open(Cluster(table, cdManhattan),
               {{"A", 32}, {"B", 64}, {"C", 96}, {"D[x]", 128}, {"E", 160}});
  }
  std::vector<std::string> ChildTexts(int node) const {
    std::vector<std::string> texts;
    for (int child : tree_.Node(node).children)
      texts.push_back(tree_.Node(child).text);
    return texts;
  }
  TClusterTree tree_;
};

TEST_F(ClusterTreeFixture, TwoObjectsUnderTheRoot) {
  tree_.Open({{0, 1, std::sqrt(2.0L)}}, {{"FIRST", 32}, {"SECOND", 64}});
  const TClusterNode& root = tree_.Node(tree_.Root());
  EXPECT_EQ("Root (2 objects; D=1.4)", root.text);
  EXPECT_EQ((std::vector<std::string>{"FIRST [32]", "SECOND [64]"}), ChildTexts(tree_.Root()));
  EXPECT_EQ(2, root.ImageIndex());
  tree_.SetExpanded(tree_.Root(), true);
  EXPECT_EQ(1, tree_.Node(tree_.Root()).ImageIndex());
  EXPECT_EQ(0, tree_.Node(root.children[0]).ImageIndex());
  EXPECT_EQ(64, tree_.ObjectAt(root.children[1]));
  EXPECT_EQ(0, tree_.ObjectAt(tree_.Root()));
}

TEST_F(ClusterTreeFixture, OneObjectShowsOnlyTheRoot) {
  tree_.Open({}, {{"ONLY", 32}});
  EXPECT_EQ("Root (1 objects; D=0)", tree_.Node(tree_.Root()).text);
  EXPECT_TRUE(tree_.Node(tree_.Root()).children.empty());
}

TEST_F(ClusterTreeFixture, ClusterNodesShowCountAndDistance) {
  OpenChain();
  // The deviation of 0, 1, 3, 7, 15 is sqrt(37.2); the first distance,
  // 0.164, gives the scale 10.
  const int root = tree_.Root();
  EXPECT_EQ("Root (5 objects; D=2)", tree_.Node(root).text);
  EXPECT_EQ((std::vector<std::string>{"[4 objects;  D=0.9]", "E [160]"}), ChildTexts(root));
  const int four = tree_.Node(root).children[0];
  EXPECT_EQ((std::vector<std::string>{"[3 objects;  D=0.4]", "D[x] [128]"}), ChildTexts(four));
  EXPECT_EQ((std::vector<int32_t>{32, 64, 96, 128, 160}), tree_.BranchObjects(root));
  EXPECT_EQ(128, tree_.ObjectAt(tree_.Node(four).children[1]));
}

TEST_F(ClusterTreeFixture, MergeAndRestoreBranch) {
  OpenChain();
  const int root = tree_.Root();
  const int four = tree_.Node(root).children[0];
  EXPECT_FALSE(tree_.MergeSelectedBranch(root));
  EXPECT_FALSE(tree_.MergeSelectedBranch(tree_.Node(root).children[1]));
  EXPECT_FALSE(tree_.CanRestore());

  ASSERT_TRUE(tree_.MergeSelectedBranch(four));
  EXPECT_TRUE(tree_.CanRestore());
  EXPECT_EQ("[4 objects]", tree_.Node(four).text);
  EXPECT_EQ((std::vector<std::string>{"A [32]", "B [64]", "C [96]", "D[x] [128]"}),
            ChildTexts(four));
  for (int child : tree_.Node(four).children)
    EXPECT_EQ(four, tree_.Node(child).parent);
  // A flat branch merged again stays as it is.
  ASSERT_TRUE(tree_.MergeSelectedBranch(four));
  EXPECT_EQ("[4 objects]", tree_.Node(four).text);
  EXPECT_EQ(4u, tree_.Node(four).children.size());

  tree_.RestoreBinaryTree();
  EXPECT_FALSE(tree_.CanRestore());
  EXPECT_EQ((std::vector<std::string>{"[3 objects;  D=0.4]", "D[x] [128]"}),
            ChildTexts(tree_.Node(tree_.Root()).children[0]));
}

TEST_F(ClusterTreeFixture, SaveBranchIntoAProjectVariable) {
  OpenChain();
  auto project = TProject::CreateInMemory();
  ScopedProject scope(*project);
  const int four = tree_.Node(tree_.Root()).children[0];
  const int three = tree_.Node(four).children[0];

  ASSERT_TRUE(tree_.SaveBranch(*project, three, "nearest"));
  const TVariable* variable = project->FindVariable("NEAREST");
  ASSERT_NE(nullptr, variable);
  EXPECT_EQ("NEAREST", variable->Name);
  ASSERT_TRUE(variable->Value.IsArray());
  ASSERT_EQ(3, variable->Value.ItemCount());
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(variable->Value.GetItem(i).IsObject());
    EXPECT_EQ(std::to_string(32 * (i + 1)), variable->Value.GetItem(i).Text());
  }

  // An existing variable keeps its comment.
  const std::string name(32, 'V');
  TValue old;
  old.SetPlain("1");
  project->SetVariable(name, old, "kept");
  const size_t count = project->Variables().size();
  ASSERT_TRUE(tree_.SaveBranch(*project, tree_.Node(four).children[1], name));
  EXPECT_EQ(count, project->Variables().size());
  variable = project->FindVariable(name);
  EXPECT_EQ("kept", variable->Comment);
  ASSERT_EQ(1, variable->Value.ItemCount());
  EXPECT_EQ("128", variable->Value.GetItem(0).Text());

  EXPECT_FALSE(tree_.SaveBranch(*project, three, "  "));
}

TEST(ClusterTest, TheProgressFollowsTheMergesAndMayStopThem) {
  Rows rows;
  for (int i = 0; i < 250; ++i)
    rows.push_back({static_cast<long double>(i * i % 97), static_cast<long double>(i)});
  const TClusterTable table = MakeTable(rows);
  testing::TRecordingProgress progress;
  EXPECT_EQ(Cluster(table, cdEuclidean), Cluster(table, cdEuclidean, &progress));
  EXPECT_EQ((std::vector<std::string>{"start Clustering progress", "end"}), progress.events);
  ASSERT_GT(progress.shares.size(), 50u);
  EXPECT_EQ(0.0, progress.shares.front());
  for (size_t i = 1; i < progress.shares.size(); ++i)
    EXPECT_LT(progress.shares[i - 1], progress.shares[i]);

  testing::TRecordingProgress stopping;
  stopping.stopAfter = 3;
  EXPECT_TRUE(Cluster(table, cdEuclidean, &stopping).empty());
  EXPECT_EQ(3u, stopping.shares.size());
  EXPECT_EQ("end", stopping.events.back());
}

} // namespace
} // namespace vandro
