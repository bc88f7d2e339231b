// The straightforward clustering, step by step as the behaviour is defined:
// the current rows are a table whose column 0 is the cluster identifier; at
// every step all pair distances are computed, the first minimal pair merged,
// the earlier row overwritten with the centroid of the new cluster's objects
// and the later row removed.
#include "stats/cluster.h"

#include "stats/cluster_metric.h"

namespace vandro {

namespace {

// The objects of cluster identifier, walking the merge table depth first,
// first part before second.
std::vector<int> ObjectsOf(int identifier, int objectCount, const TMergeTable& merges) {
  std::vector<int> objects;
  std::vector<int> pending{identifier};
  while (!pending.empty()) {
    const int top = pending.back();
    pending.pop_back();
    if (top < objectCount) {
      objects.push_back(top);
    } else {
      const TClusterMerge& merge = merges[static_cast<size_t>(top - objectCount)];
      pending.push_back(merge.second);
      pending.push_back(merge.first);
    }
  }
  return objects;
}

} // namespace

TMergeTable ClusterReference(const TClusterTable& table, TClusterDistance distance) {
  const TClusterMetric metric(table, distance);
  const int n = table.rows;
  const auto m = static_cast<size_t>(table.columns);
  TMergeTable merges;
  if (n < 2) return merges;

  std::vector<std::vector<long double>> rows(static_cast<size_t>(n));
  for (int r = 0; r < n; ++r) {
    std::vector<long double>& row = rows[static_cast<size_t>(r)];
    row.push_back(r);
    for (size_t c = 0; c < m; ++c)
      row.push_back(table.values[static_cast<size_t>(r) * m + c]);
  }
  auto distanceOf = [&](size_t a, size_t b) {
    return metric.Distance(rows[a].data() + 1, rows[b].data() + 1);
  };

  for (int step = 0; step < n - 1; ++step) {
    size_t bestI = 0, bestJ = 1;
    long double best = distanceOf(0, 1);
    for (size_t i = 0; i < rows.size(); ++i)
      for (size_t j = i + 1; j < rows.size(); ++j) {
        const long double d = distanceOf(i, j);
        if (d < best) {
          best = d;
          bestI = i;
          bestJ = j;
        }
      }
    merges.push_back({static_cast<int>(rows[bestI][0]), static_cast<int>(rows[bestJ][0]), best});
    const int identifier = n + step;
    const std::vector<int> objects = ObjectsOf(identifier, n, merges);
    metric.Centroid(objects, rows[bestI].data() + 1);
    rows[bestI][0] = identifier;
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(bestJ));
  }
  return merges;
}

} // namespace vandro
