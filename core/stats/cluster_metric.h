// The arithmetic that both clustering algorithms share: the distance between
// two rows of parameter values and the centroid of a list of objects.
//
// The fast algorithm and the reference must compare bit-identical distances,
// or a tie in one would be a strict order in the other. Both therefore call
// these out-of-line functions, which evaluate each formula in one fixed
// order of operations in long double.
#pragma once

#include "stats/cluster.h"

#include <span>
#include <vector>

namespace vandro {

class TClusterMetric {
public:
  // Checks the table (see Cluster) and computes the column deviations the
  // distance needs.
  TClusterMetric(const TClusterTable& table, TClusterDistance distance);

  // x and y point at the table's column count of values each.
  long double Distance(const long double* x, const long double* y) const;

  // Writes the mean of the input rows of members, summed in the order given,
  // to out (the table's column count of values).
  void Centroid(std::span<const int> members, long double* out) const;

private:
  // A column and what a difference in it weighs: for a nominal column (and
  // every column of the Hamming distance) its weight; for a numeric one the
  // weight over the column's sample standard deviation (1 where that is
  // exactly 0), squared for the Euclidean distance.
  struct TColumn {
    int index;
    long double factor;
  };

  const TClusterTable& table_;
  TClusterDistance distance_;
  std::vector<TColumn> numeric_;
  std::vector<TColumn> nominal_;
};

} // namespace vandro
