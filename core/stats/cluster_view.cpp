#include "stats/cluster_view.h"

#include "model/parameter.h"
#include "model/project.h"
#include "shell/messages.h"
#include "shell/names.h"
#include "shell/text.h"
#include "values/value_text.h"

#include <algorithm>

namespace vandro {

void TDendrogram::Build(const TMergeTable& merges, const std::vector<TClusterObject>& objects) {
  leaves_.clear();
  links_.clear();
  first_.clear();
  last_.clear();
  maxHeight_ = 0;
  const int n = static_cast<int>(objects.size());
  if (n == 0) return;
  // Leaf order: a walk from the last merge, first part before second.
  std::vector<int> position(static_cast<size_t>(n), 0);
  std::vector<int> pending{merges.empty() ? 0 : n + static_cast<int>(merges.size()) - 1};
  while (!pending.empty()) {
    const int id = pending.back();
    pending.pop_back();
    if (id < n) {
      position[static_cast<size_t>(id)] = static_cast<int>(leaves_.size());
      const TClusterObject& object = objects[static_cast<size_t>(id)];
      leaves_.push_back({id, object.name, object.id, false});
      continue;
    }
    const TClusterMerge& merge = merges[static_cast<size_t>(id - n)];
    pending.push_back(merge.second);
    pending.push_back(merge.first);
  }
  // Parts always come from earlier merges, so one pass in merge order works.
  links_.resize(merges.size());
  first_.resize(merges.size());
  last_.resize(merges.size());
  for (size_t s = 0; s < merges.size(); ++s) {
    TDendrogramLink& link = links_[s];
    const int parts[2] = {merges[s].first, merges[s].second};
    int first = n, last = -1;
    for (int p = 0; p < 2; ++p) {
      const int id = parts[p];
      if (id < n) {
        const int at = position[static_cast<size_t>(id)];
        link.x[p] = at;
        link.bottom[p] = 0;
        first = std::min(first, at);
        last = std::max(last, at);
      } else {
        const size_t below = static_cast<size_t>(id - n);
        link.x[p] = links_[below].centre;
        link.bottom[p] = links_[below].height;
        first = std::min(first, first_[below]);
        last = std::max(last, last_[below]);
      }
    }
    link.height = static_cast<double>(merges[s].distance);
    link.centre = (link.x[0] + link.x[1]) / 2;
    first_[s] = first;
    last_[s] = last;
    maxHeight_ = std::max(maxHeight_, link.height);
  }
}

void TDendrogram::Select(const std::vector<int32_t>& branch) {
  std::vector<int32_t> ids = branch;
  std::sort(ids.begin(), ids.end());
  // selectedBefore[k]: selected leaves at positions below k.
  std::vector<int> selectedBefore(leaves_.size() + 1, 0);
  for (size_t k = 0; k < leaves_.size(); ++k) {
    TDendrogramLeaf& leaf = leaves_[k];
    leaf.selected = std::binary_search(ids.begin(), ids.end(), leaf.id);
    selectedBefore[k + 1] = selectedBefore[k] + (leaf.selected ? 1 : 0);
  }
  for (size_t s = 0; s < links_.size(); ++s) {
    const int count = last_[s] - first_[s] + 1;
    links_[s].selected = selectedBefore[static_cast<size_t>(last_[s]) + 1] -
                             selectedBefore[static_cast<size_t>(first_[s])] ==
                         count;
  }
}

bool SaveBranchVariable(const TClusterTree& tree, TProject& project, int node,
                        std::string_view name) {
  const std::string cut = UpperCase(TrimView(name));
  if (!CheckStorableName(cut, kNameCapacity)) return false;
  if (cut.empty() || !IsName(cut)) {
    ShowMsg("Variable name should be an identifier");
    return false;
  }
  if (IsSystemName(cut)) {
    ShowMsg("Variable name is a reserved name");
    return false;
  }
  if (!tree.SaveBranch(project, node, cut)) return false;
  // SaveVariable stores a copy; hand it one that is not the list's own entry.
  const TVariable* kept = project.FindVariable(cut);
  if (!kept) return false;
  TVariable stored;
  stored.Name = kept->Name;
  stored.Comment = kept->Comment;
  stored.Value.Assign(kept->Value);
  return project.SaveVariable(stored);
}

} // namespace vandro
