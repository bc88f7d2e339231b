// The cluster tree: the merge table as the nodes the "Cluster Tree" window
// shows, and the window's operations on them, without widgets.
//
// Nodes live in one array and refer to each other by index, so building,
// flattening and freeing a tree of thousands of levels takes no recursion.
// Leaves keep their object's identifier: it is never read back from the text,
// where an object name holding "[" would make it ambiguous.
#pragma once

#include "stats/cluster.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

class TProject;

// One object of the analysed set; its leaf text is name + " [" + id + "]".
struct TClusterObject {
  std::string name;
  int32_t id = 0;
};

std::string ClusterLeafText(const TClusterObject& object);

// The scale for showing distances, fixed by the first (smallest) merge
// distance so that it shows a significant digit or two: with
// p = trunc(|log10 d0|) (0 when d0 <= 0), 10^(p + 1).
long double ClusterDisplayScale(long double firstDistance);
// trunc(d * scale) / scale in the general number format.
std::string ClusterShownDistance(long double distance, long double scale);

struct TClusterNode {
  std::string text;
  int parent = -1;
  std::vector<int> children; // first merged part first
  bool leaf = false;
  int32_t objectId = 0; // leaves only
  int objectCount = 0;  // objects below (1 for a leaf)
  bool expanded = false;

  bool IsLeaf() const { return leaf; }
  // Leaves 0, expanded folders 1, collapsed folders 2.
  int ImageIndex() const { return IsLeaf() ? 0 : expanded ? 1 : 2; }
};

class TClusterTree {
public:
  // Builds the binary tree of merges for objects (N = objects.size(), merges
  // N - 1 rows). With one object only the root is shown.
  void Open(TMergeTable merges, std::vector<TClusterObject> objects);

  int Root() const { return root_; }
  const TClusterNode& Node(int index) const { return nodes_[static_cast<size_t>(index)]; }
  int NodeCount() const { return static_cast<int>(nodes_.size()); }

  // "Restore Binary Tree" is offered once a branch has been merged.
  bool CanRestore() const { return canRestore_; }

  // "Merge Selected Branch": every leaf below a node that is not the root
  // and has children becomes its direct child, the nodes between are
  // dropped and its text reads "[" count " objects]". False when the node
  // does not qualify.
  bool MergeSelectedBranch(int node);
  // "Restore Binary Tree": the tree as Open built it.
  void RestoreBinaryTree();

  void SetExpanded(int node, bool expanded);

  // Double click: the leaf's object, or 0 for any other node.
  int32_t ObjectAt(int node) const;
  // The objects of the leaves below node (node itself when it is a leaf),
  // in display order.
  std::vector<int32_t> BranchObjects(int node) const;

  // "Save Branch": the project variable variableName (created, its name cut
  // to 32 characters, when the project has none of that name; an existing
  // one keeps its comment) becomes an array of references to the branch's
  // objects. False, with nothing changed, for an empty name.
  bool SaveBranch(TProject& project, int node, std::string_view variableName) const;

private:
  void Build();

  TMergeTable merges_;
  std::vector<TClusterObject> objects_;
  std::vector<TClusterNode> nodes_; // dropped nodes stay, unreachable
  int root_ = -1;
  long double scale_ = 1;
  bool canRestore_ = false;
};

} // namespace vandro
