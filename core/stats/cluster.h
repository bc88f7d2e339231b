// Agglomerative hierarchical clustering of objects by their analysed
// parameters.
//
// The input is a numeric table: one row per object, one column per analysed
// parameter (discrete values already mapped to numbers by the parameter's
// domain), with a weight and a nominal flag per column. Every step merges the
// two closest current clusters; a cluster stands for the centroid of its
// member objects, recomputed from the input rows at every merge. The result
// is the merge table: N - 1 rows (first identifier, second identifier,
// distance), where identifiers below N are objects (input row indices) and
// N + s is the cluster made by merge row s.
//
// Which pair is merged is fixed exactly: the smallest distance between
// current rows, and among equal distances the first pair (i, j) in row order,
// i ascending, then j ascending. A merged cluster takes the place of the
// earlier of its two rows; the later row is removed. Cluster finds the same
// merges, in the same order and with bit-identical distances, as
// ClusterReference, which recomputes every pair at every step (O(N^3 m)) and
// is kept as the definition of that behaviour for the tests and the
// benchmark.
#pragma once

#include "shell/progress.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vandro {

// Stored with the analysis settings: the numbers must not change.
enum TClusterDistance : uint8_t {
  cdEuclidean = 0, // root of the weighted sum of squared differences in deviations
  cdManhattan = 1, // weighted sum of absolute differences in deviations
  cdHamming = 2,   // weighted count of columns whose values differ
};

struct TClusterTable {
  int rows = 0;    // objects
  int columns = 0; // analysed parameters
  // Row-major, rows x columns; every value finite.
  std::vector<long double> values;
  // Per column: the parameter's weight, finite and not negative (default 1).
  std::vector<long double> weights;
  // Per column: the parameter's domain is "Unordered"; its values are labels
  // and only their equality counts.
  std::vector<bool> nominal;

  // A rows x columns table of zeros with weights 1 and no nominal column.
  void Resize(int rowCount, int columnCount);
  long double& At(int row, int column) {
    return values[static_cast<size_t>(row) * static_cast<size_t>(columns) +
                  static_cast<size_t>(column)];
  }
  long double At(int row, int column) const {
    return values[static_cast<size_t>(row) * static_cast<size_t>(columns) +
                  static_cast<size_t>(column)];
  }
};

struct TClusterMerge {
  int first = 0;  // identifier of the cluster in the earlier row
  int second = 0; // identifier of the cluster in the later row
  long double distance = 0;

  bool operator==(const TClusterMerge&) const = default;
};

using TMergeTable = std::vector<TClusterMerge>;

// The merge table of the table's objects. Typically O(N^2 m) time and O(N m)
// memory: current centroids and a cache of each row's nearest later row,
// repaired after every merge for the rows it affects. Raises
// std::invalid_argument for a table whose arrays do not match its size, or
// with a value or weight that is not finite or a negative weight (a distance
// could then be NaN and no order of merges would be defined). The progress
// ("Clustering progress") may stop the work: the table is then empty.
TMergeTable Cluster(const TClusterTable& table, TClusterDistance distance,
                    TProgress* progress = nullptr);

// The same merge table by the straightforward algorithm: all pair distances
// of the current rows at every step, centroids found by walking the merge
// table. O(N^3 m); for tests and the benchmark's baseline.
TMergeTable ClusterReference(const TClusterTable& table, TClusterDistance distance);

} // namespace vandro
