// The fast clustering.
//
// The current rows keep their input slots: a merged cluster stays in the slot
// of its earlier row and the later slot is unlinked, so the live slots in
// ascending order are exactly the reference's current rows. For each live
// slot k the cache holds its nearest later slot (smallest distance, the
// earliest slot among equal ones) and that distance. The pair the reference
// picks is then the cache entry with the smallest distance, the earliest slot
// winning ties.
//
// Centroid linkage is not monotone (a merged cluster may come nearer to a
// third one than either part was), so the cache is repaired rather than
// trusted: after merging slots i < j, every earlier slot compares its cached
// distance with the new distance to i, and an entry that pointed at i or j
// and can no longer be proved is rescanned. Distances are recomputed from the
// centroids instead of kept in a matrix: with the few parameters of an
// analysis that is as fast and needs O(N m) memory instead of O(N^2).
#include "stats/cluster.h"

#include "stats/cluster_metric.h"

#include <algorithm>

namespace vandro {

void TClusterTable::Resize(int rowCount, int columnCount) {
  rows = rowCount;
  columns = columnCount;
  values.assign(static_cast<size_t>(rowCount) * static_cast<size_t>(columnCount), 0);
  weights.assign(static_cast<size_t>(columnCount), 1);
  nominal.assign(static_cast<size_t>(columnCount), false);
}

namespace {

constexpr int kNone = -1;

class TFastClustering {
public:
  TFastClustering(const TClusterTable& table, TClusterDistance distance)
      : n_(table.rows), m_(static_cast<size_t>(table.columns)), metric_(table, distance),
        centroids_(table.values), members_(static_cast<size_t>(n_)),
        identifiers_(static_cast<size_t>(n_)), next_(static_cast<size_t>(n_)),
        previous_(static_cast<size_t>(n_)), nearest_(static_cast<size_t>(n_), kNone),
        nearestDistance_(static_cast<size_t>(n_), 0) {
    for (int k = 0; k < n_; ++k) {
      members_[Index(k)] = {k};
      identifiers_[Index(k)] = k;
      next_[Index(k)] = k + 1 < n_ ? k + 1 : kNone;
      previous_[Index(k)] = k - 1;
    }
  }

  TMergeTable Run(TProgress* progress) {
    TMergeTable merges;
    if (n_ < 2) return merges;
    TProgressScope scope(progress, "Clustering progress");
    merges.reserve(static_cast<size_t>(n_ - 1));
    for (int k = 0; k < n_; ++k)
      Rescan(k);
    // About a hundred reports, whatever the size.
    const int every = std::max(1, (n_ - 1) / 100);
    for (int step = 0; step < n_ - 1; ++step) {
      if (step % every == 0 && !scope.Update(step, n_ - 1)) return {};
      // Slot 0 is never the later row of a merge, so it heads the list.
      int i = kNone;
      for (int k = 0; k != kNone; k = next_[Index(k)])
        if (nearest_[Index(k)] != kNone &&
            (i == kNone || nearestDistance_[Index(k)] < nearestDistance_[Index(i)]))
          i = k;
      const int j = nearest_[Index(i)];
      merges.push_back(
          {identifiers_[Index(i)], identifiers_[Index(j)], nearestDistance_[Index(i)]});
      Merge(i, j, n_ + step);
    }
    return merges;
  }

private:
  static size_t Index(int slot) { return static_cast<size_t>(slot); }
  const long double* Row(int slot) const { return centroids_.data() + Index(slot) * m_; }
  long double DistanceBetween(int a, int b) const { return metric_.Distance(Row(a), Row(b)); }

  void Rescan(int k) {
    int best = kNone;
    long double bestDistance = 0;
    for (int l = next_[Index(k)]; l != kNone; l = next_[Index(l)]) {
      const long double distance = DistanceBetween(k, l);
      if (best == kNone || distance < bestDistance) {
        best = l;
        bestDistance = distance;
      }
    }
    nearest_[Index(k)] = best;
    nearestDistance_[Index(k)] = bestDistance;
  }

  void Merge(int i, int j, int identifier) {
    std::vector<int>& merged = members_[Index(i)];
    std::vector<int>& absorbed = members_[Index(j)];
    // First part's objects first: the order in which the reference walks the
    // merge table, so the centroid sums add up in the same order.
    merged.insert(merged.end(), absorbed.begin(), absorbed.end());
    absorbed = {};
    metric_.Centroid(merged, centroids_.data() + Index(i) * m_);
    identifiers_[Index(i)] = identifier;

    const int after = next_[Index(j)];
    next_[Index(previous_[Index(j)])] = after;
    if (after != kNone) previous_[Index(after)] = previous_[Index(j)];

    Rescan(i);
    for (int k = 0; k != i; k = next_[Index(k)]) {
      const long double distance = DistanceBetween(k, i);
      int& nearest = nearest_[Index(k)];
      long double& nearestDistance = nearestDistance_[Index(k)];
      if (nearest == i || nearest == j) {
        // Every slot before the old nearest was strictly farther and every
        // later one at least as far; so i, now at or below the old distance,
        // is the earliest nearest. Farther than that, the row is rescanned.
        if (distance <= nearestDistance) {
          nearest = i;
          nearestDistance = distance;
        } else {
          Rescan(k);
        }
      } else if (distance < nearestDistance || (distance == nearestDistance && i < nearest)) {
        nearest = i;
        nearestDistance = distance;
      }
    }
    // Slots between i and j look only at later slots: i does not concern
    // them, the loss of j does.
    for (int k = next_[Index(i)]; k != kNone && k < j; k = next_[Index(k)])
      if (nearest_[Index(k)] == j) Rescan(k);
  }

  const int n_;
  const size_t m_;
  const TClusterMetric metric_;
  std::vector<long double> centroids_;    // slot-major, m_ values per slot
  std::vector<std::vector<int>> members_; // objects of each live slot's cluster
  std::vector<int> identifiers_;          // each live slot's cluster identifier
  std::vector<int> next_;                 // the next live slot, or kNone
  std::vector<int> previous_;             // the previous live slot (slot 0 has none)
  std::vector<int> nearest_;              // the nearest later live slot, or kNone
  std::vector<long double> nearestDistance_;
};

} // namespace

TMergeTable Cluster(const TClusterTable& table, TClusterDistance distance, TProgress* progress) {
  return TFastClustering(table, distance).Run(progress);
}

} // namespace vandro
