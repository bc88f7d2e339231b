#include "stats/cluster_tree.h"

#include "model/parameter.h"
#include "model/project.h"
#include "shell/numbers.h"
#include "shell/text.h"
#include "values/value.h"

#include <cmath>
#include <stdexcept>

namespace vandro {

std::string ClusterLeafText(const TClusterObject& object) {
  return object.name + " [" + std::to_string(object.id) + "]";
}

long double ClusterDisplayScale(long double firstDistance) {
  const long double power =
      firstDistance <= 0 ? 0 : std::trunc(std::fabs(std::log10(firstDistance)));
  return std::trunc(std::pow(10.0L, power + 1));
}

std::string ClusterShownDistance(long double distance, long double scale) {
  return FloatToText(std::trunc(distance * scale) / scale);
}

void TClusterTree::Open(TMergeTable merges, std::vector<TClusterObject> objects) {
  merges_ = std::move(merges);
  objects_ = std::move(objects);
  const size_t n = objects_.size();
  if (n > 0 ? merges_.size() != n - 1 : !merges_.empty())
    throw std::invalid_argument("cluster tree: the merge table does not match the objects");
  Build();
}

void TClusterTree::Build() {
  nodes_.clear();
  canRestore_ = false;
  const int n = static_cast<int>(objects_.size());
  const int mergeCount = static_cast<int>(merges_.size());
  scale_ = ClusterDisplayScale(merges_.empty() ? 0 : merges_.front().distance);

  // Node index by cluster identifier: objects first, then one per merge.
  nodes_.reserve(static_cast<size_t>(n + mergeCount + (mergeCount == 0 ? 1 : 0)));
  for (const TClusterObject& object : objects_) {
    TClusterNode leaf;
    leaf.text = ClusterLeafText(object);
    leaf.leaf = true;
    leaf.objectId = object.id;
    leaf.objectCount = 1;
    nodes_.push_back(std::move(leaf));
  }
  for (int s = 0; s < mergeCount; ++s) {
    const TClusterMerge& merge = merges_[static_cast<size_t>(s)];
    TClusterNode cluster;
    for (int part : {merge.first, merge.second}) {
      if (part < 0 || part >= n + s || nodes_[static_cast<size_t>(part)].parent != -1)
        throw std::invalid_argument("cluster tree: merge " + std::to_string(s) +
                                    " names a cluster that is not available");
      nodes_[static_cast<size_t>(part)].parent = n + s;
      cluster.children.push_back(part);
      cluster.objectCount += nodes_[static_cast<size_t>(part)].objectCount;
    }
    const std::string shown = ClusterShownDistance(merge.distance, scale_);
    cluster.text = s + 1 < mergeCount ? "[" + std::to_string(cluster.objectCount) + " objects; " +
                                            " D=" + shown + "]"
                                      : "Root (" + std::to_string(n) + " objects; D=" + shown + ")";
    nodes_.push_back(std::move(cluster));
  }
  if (mergeCount == 0) {
    // Nothing was merged: the root stands alone, above no leaf.
    TClusterNode root;
    root.text = "Root (" + std::to_string(n) + " objects; D=0)";
    root.objectCount = n;
    nodes_.push_back(std::move(root));
  }
  root_ = static_cast<int>(nodes_.size()) - 1;
}

bool TClusterTree::MergeSelectedBranch(int node) {
  if (node < 0 || node >= NodeCount() || node == root_) return false;
  TClusterNode& branch = nodes_[static_cast<size_t>(node)];
  if (branch.leaf || branch.children.empty()) return false;

  std::vector<int> leaves;
  std::vector<int> pending(branch.children.rbegin(), branch.children.rend());
  while (!pending.empty()) {
    const int top = pending.back();
    pending.pop_back();
    TClusterNode& below = nodes_[static_cast<size_t>(top)];
    if (below.leaf) {
      leaves.push_back(top);
      below.parent = node;
    } else {
      pending.insert(pending.end(), below.children.rbegin(), below.children.rend());
      below.children.clear();
      below.parent = -1;
    }
  }
  branch.children = std::move(leaves);
  // A branch merged before has no ";" left and keeps its text.
  const size_t semicolon = branch.text.find(';');
  if (semicolon != std::string::npos) branch.text = branch.text.substr(0, semicolon) + "]";
  canRestore_ = true;
  return true;
}

void TClusterTree::RestoreBinaryTree() {
  Build();
}

void TClusterTree::SetExpanded(int node, bool expanded) {
  nodes_.at(static_cast<size_t>(node)).expanded = expanded;
}

int32_t TClusterTree::ObjectAt(int node) const {
  if (node < 0 || node >= NodeCount()) return 0;
  const TClusterNode& leaf = Node(node);
  return leaf.leaf ? leaf.objectId : 0;
}

std::vector<int32_t> TClusterTree::BranchObjects(int node) const {
  std::vector<int32_t> objects;
  if (node < 0 || node >= NodeCount()) return objects;
  std::vector<int> pending{node};
  while (!pending.empty()) {
    const TClusterNode& top = Node(pending.back());
    pending.pop_back();
    if (top.leaf)
      objects.push_back(top.objectId);
    else
      pending.insert(pending.end(), top.children.rbegin(), top.children.rend());
  }
  return objects;
}

bool TClusterTree::SaveBranch(TProject& project, int node, std::string_view variableName) const {
  const std::string name = Trim(variableName);
  if (name.empty() || node < 0 || node >= NodeCount()) return false;
  TValue references;
  references.SetArray();
  for (int32_t id : BranchObjects(node)) {
    TValue::Ptr reference = TValue::Create("TClusterDlg.SaveBranch");
    reference->SetText(vkObject, std::to_string(id));
    references.AddItem(std::move(reference));
  }
  const TVariable* existing = project.FindVariable(name);
  project.SetVariable(name, references, existing ? existing->Comment : std::string());
  return true;
}

} // namespace vandro
