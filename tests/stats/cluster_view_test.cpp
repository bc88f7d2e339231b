// The dendrogram beside the cluster tree: where leaves and links stand,
// which of them the selected branch marks, and "Save Branch" reaching the
// project's stored variables.
#include "stats/cluster_view.h"

#include "model/parameter.h"
#include "storage/records_fixture.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

// A, C merge first, then B, D, then the two pairs: the leaves stand in the
// tree's order A C B D, not in input order.
const TMergeTable kPairs = {{0, 2, 1}, {1, 3, 2}, {4, 5, 3}};
const std::vector<TClusterObject> kObjects = {{"A", 32}, {"B", 64}, {"C", 96}, {"D", 128}};

std::vector<std::string> LeafNames(const TDendrogram& dendrogram) {
  std::vector<std::string> names;
  for (const TDendrogramLeaf& leaf : dendrogram.Leaves())
    names.push_back(leaf.name);
  return names;
}

TEST(Dendrogram, LeavesInTreeOrderAndLinksAtTheirDistances) {
  TDendrogram dendrogram;
  dendrogram.Build(kPairs, kObjects);
  EXPECT_EQ((std::vector<std::string>{"A", "C", "B", "D"}), LeafNames(dendrogram));
  struct Expected {
    double x0, x1, bottom0, bottom1, height, centre;
  };
  const Expected expected[] = {
      {0, 1, 0, 0, 1, 0.5}, {2, 3, 0, 0, 2, 2.5}, {0.5, 2.5, 1, 2, 3, 1.5}};
  ASSERT_EQ(3u, dendrogram.Links().size());
  for (size_t s = 0; s < 3; ++s) {
    const TDendrogramLink& link = dendrogram.Links()[s];
    const Expected& e = expected[s];
    EXPECT_EQ(e.x0, link.x[0]) << s;
    EXPECT_EQ(e.x1, link.x[1]) << s;
    EXPECT_EQ(e.bottom0, link.bottom[0]) << s;
    EXPECT_EQ(e.bottom1, link.bottom[1]) << s;
    EXPECT_EQ(e.height, link.height) << s;
    EXPECT_EQ(e.centre, link.centre) << s;
  }
  EXPECT_EQ(3, dendrogram.MaxHeight());
}

TEST(Dendrogram, TheSelectedBranchMarksItsLeavesAndLinks) {
  TClusterTree tree;
  tree.Open(kPairs, kObjects);
  TDendrogram dendrogram;
  dendrogram.Build(kPairs, kObjects);
  const int left = tree.Node(tree.Root()).children[0]; // A and C
  struct Case {
    const char* what;
    std::vector<int32_t> branch;
    std::vector<bool> leaves; // in the order A C B D
    std::vector<bool> links;
  };
  const Case cases[] = {
      {"branch of A and C",
       tree.BranchObjects(left),
       {true, true, false, false},
       {true, false, false}},
      {"one leaf", {64}, {false, false, true, false}, {false, false, false}},
      {"all", tree.BranchObjects(tree.Root()), {true, true, true, true}, {true, true, true}},
      {"A and B are no link's objects",
       {32, 64},
       {true, false, true, false},
       {false, false, false}},
      {"none", {}, {false, false, false, false}, {false, false, false}},
  };
  for (const Case& c : cases) {
    dendrogram.Select(c.branch);
    std::vector<bool> leaves, links;
    for (const TDendrogramLeaf& leaf : dendrogram.Leaves())
      leaves.push_back(leaf.selected);
    for (const TDendrogramLink& link : dendrogram.Links())
      links.push_back(link.selected);
    EXPECT_EQ(c.leaves, leaves) << c.what;
    EXPECT_EQ(c.links, links) << c.what;
  }
}

TEST(Dendrogram, OneObjectAndALongChain) {
  TDendrogram single;
  single.Build({}, {{"ONLY", 32}});
  EXPECT_EQ(std::vector<std::string>{"ONLY"}, LeafNames(single));
  EXPECT_TRUE(single.Links().empty());
  EXPECT_EQ(0, single.MaxHeight());

  // Centroid linkage often grows one cluster object by object; a chain this
  // deep must not need a call per level.
  const int n = 100000;
  TMergeTable chain;
  std::vector<TClusterObject> objects;
  for (int i = 0; i < n; ++i)
    objects.push_back({"O" + std::to_string(i), 32 * (i + 1)});
  chain.push_back({0, 1, 1});
  for (int i = 2; i < n; ++i)
    chain.push_back({n + i - 2, i, static_cast<long double>(i)});
  TDendrogram dendrogram;
  dendrogram.Build(chain, objects);
  ASSERT_EQ(static_cast<size_t>(n), dendrogram.Leaves().size());
  EXPECT_EQ(n - 1, dendrogram.Leaves().back().object);
  EXPECT_EQ(n - 1, dendrogram.MaxHeight());
}

class SaveBranch : public testing::RecordsTest {};

TEST_F(SaveBranch, TheVariableIsStoredWithTheProject) {
  TClusterTree tree;
  tree.Open(kPairs, kObjects);
  const int left = tree.Node(tree.Root()).children[0];
  ASSERT_TRUE(SaveBranchVariable(tree, *CurrentProject(), left, " nearest "));

  const TVariable* variable = Reopen().FindVariable("NEAREST");
  ASSERT_NE(nullptr, variable);
  ASSERT_TRUE(variable->Value.IsArray());
  ASSERT_EQ(2, variable->Value.ItemCount());
  EXPECT_TRUE(variable->Value.GetItem(0).IsObject());
  EXPECT_EQ("32", variable->Value.GetItem(0).Text());
  EXPECT_EQ("96", variable->Value.GetItem(1).Text());
}

TEST_F(SaveBranch, NamesThatAreNoVariableNamesAreRefused) {
  TClusterTree tree;
  tree.Open(kPairs, kObjects);
  const struct {
    const char* name;
    const char* message;
  } cases[] = {
      {"", "Variable name should be an identifier"},
      {"2nd", "Variable name should be an identifier"},
      {"a b", "Variable name should be an identifier"},
      {"_OBJECT_ID", "Variable name is a reserved name"},
      {"NEAREST_OF_ALL_THE_BRANCHES_OF_TREE",
       "The name is longer than 32 characters: NEAREST_OF_ALL_THE_BRANCHES_OF_TREE"},
  };
  const size_t before = CurrentProject()->Variables().size();
  for (const auto& c : cases) {
    EXPECT_FALSE(SaveBranchVariable(tree, *CurrentProject(), tree.Root(), c.name)) << c.name;
    EXPECT_EQ(c.message, sink.Last()) << c.name;
  }
  EXPECT_EQ(before, CurrentProject()->Variables().size());
}

} // namespace
} // namespace vandro
