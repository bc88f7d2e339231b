// What the "Cluster Tree" window shows beside its tree, without widgets: the
// dendrogram of the merge table as coordinates, the selected branch marked
// in it, and "Save Branch" carried through to the project's stored
// variables.
//
// The dendrogram is laid out in abstract units: leaf k stands at x = k in
// the order the tree shows its leaves (first merged part first), a merge at
// the mean x of its two parts and at the height of its distance. The window
// scales these to its pixels. Centroid linkage can merge below an earlier
// merge (an inversion); the links are drawn as they are, not mended.
#pragma once

#include "stats/cluster_tree.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

class TProject;

struct TDendrogramLeaf {
  int object = 0; // input row of the object
  std::string name;
  int32_t id = 0;
  bool selected = false; // within the selected branch
};

// The link of one merge: a horizontal bar at height between the two parts
// and a vertical line from the bar down to each part's own height (0 for
// a leaf).
struct TDendrogramLink {
  double x[2] = {0, 0};      // the parts' positions
  double bottom[2] = {0, 0}; // the parts' heights
  double height = 0;         // the merge's distance
  double centre = 0;         // where the link's own parent line starts
  bool selected = false;     // every object below it is in the selected branch
};

class TDendrogram {
public:
  // The layout of merges over objects (merges.size() == objects.size() - 1,
  // as TClusterTree::Open requires). No recursion: deep chains of merges
  // are common with centroid linkage.
  void Build(const TMergeTable& merges, const std::vector<TClusterObject>& objects);

  const std::vector<TDendrogramLeaf>& Leaves() const { return leaves_; }
  const std::vector<TDendrogramLink>& Links() const { return links_; } // merge order
  // The tallest link, at least every link's height; 0 without merges.
  double MaxHeight() const { return maxHeight_; }
  // Marks the leaves whose object ids are in branch and the links all of
  // whose objects are; an empty branch clears the marks.
  void Select(const std::vector<int32_t>& branch);

private:
  std::vector<TDendrogramLeaf> leaves_;
  std::vector<TDendrogramLink> links_;
  // Per merge: the first and last leaf position below it (its leaves are
  // contiguous in display order).
  std::vector<int> first_;
  std::vector<int> last_;
  double maxHeight_ = 0;
};

// "Save Branch" with the chosen name: the name must be an identifier
// ("Variable name should be an identifier") and not a system name
// ("Variable name is a reserved name"); the variable then holds the
// branch's object references and is stored with the project. False, with
// nothing changed, after the message.
bool SaveBranchVariable(const TClusterTree& tree, TProject& project, int node,
                        std::string_view name);

} // namespace vandro
