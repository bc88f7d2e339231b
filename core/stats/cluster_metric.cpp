#include "stats/cluster_metric.h"

#include <cmath>
#include <stdexcept>

namespace vandro {

namespace {

void CheckTable(const TClusterTable& table) {
  if (table.rows < 0 || table.columns < 0)
    throw std::invalid_argument("cluster table: negative size");
  const auto columns = static_cast<size_t>(table.columns);
  if (table.values.size() != static_cast<size_t>(table.rows) * columns ||
      table.weights.size() != columns || table.nominal.size() != columns)
    throw std::invalid_argument("cluster table: arrays do not match the table's size");
  for (long double value : table.values)
    if (!std::isfinite(value)) throw std::invalid_argument("cluster table: a value is not finite");
  for (long double weight : table.weights)
    if (!std::isfinite(weight) || weight < 0)
      throw std::invalid_argument("cluster table: a weight is negative or not finite");
}

} // namespace

TClusterMetric::TClusterMetric(const TClusterTable& table, TClusterDistance distance)
    : table_(table), distance_(distance) {
  CheckTable(table);
  if (distance != cdEuclidean && distance != cdManhattan && distance != cdHamming)
    throw std::invalid_argument("cluster table: unknown distance");
  for (int c = 0; c < table.columns; ++c) {
    if (distance != cdHamming && table.nominal[static_cast<size_t>(c)])
      nominalColumns_.push_back(c);
    else
      numericColumns_.push_back(c);
  }
  if (distance == cdHamming || table.rows < 2) return;
  deviations_.assign(static_cast<size_t>(table.columns), 1);
  for (int c = 0; c < table.columns; ++c) {
    long double sum = 0;
    for (int r = 0; r < table.rows; ++r)
      sum += table.At(r, c);
    const long double mean = sum / table.rows;
    long double squares = 0;
    for (int r = 0; r < table.rows; ++r) {
      const long double difference = table.At(r, c) - mean;
      squares += difference * difference;
    }
    const long double deviation = std::sqrt(squares / (table.rows - 1));
    // A constant column would divide by zero; it then counts in raw units.
    deviations_[static_cast<size_t>(c)] = deviation == 0 ? 1 : deviation;
  }
}

long double TClusterMetric::Distance(const long double* x, const long double* y) const {
  const std::vector<long double>& weights = table_.weights;
  long double mismatches = 0;
  for (int c : nominalColumns_)
    if (x[c] != y[c]) mismatches += weights[static_cast<size_t>(c)];
  switch (distance_) {
  case cdEuclidean: {
    long double squares = 0;
    for (int c : numericColumns_) {
      const long double difference = x[c] - y[c];
      const long double deviation = deviations_[static_cast<size_t>(c)];
      const long double weight = weights[static_cast<size_t>(c)];
      squares += difference * difference / (deviation * deviation) * (weight * weight);
    }
    return std::sqrt(squares + mismatches);
  }
  case cdManhattan: {
    long double sum = 0;
    for (int c : numericColumns_)
      sum += std::fabs(x[c] - y[c]) / std::fabs(deviations_[static_cast<size_t>(c)]) *
             weights[static_cast<size_t>(c)];
    return sum + mismatches;
  }
  case cdHamming:
    // Every column counts as nominal here (numericColumns_ holds them all).
    for (int c : numericColumns_)
      if (x[c] != y[c]) mismatches += weights[static_cast<size_t>(c)];
    return mismatches;
  }
  return 0;
}

void TClusterMetric::Centroid(std::span<const int> members, long double* out) const {
  const int columns = table_.columns;
  for (int c = 0; c < columns; ++c)
    out[c] = 0;
  for (int member : members)
    for (int c = 0; c < columns; ++c)
      out[c] += table_.At(member, c);
  const auto count = static_cast<long double>(members.size());
  for (int c = 0; c < columns; ++c)
    out[c] /= count;
}

} // namespace vandro
