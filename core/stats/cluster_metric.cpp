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
  std::vector<long double> deviations(static_cast<size_t>(table.columns), 1);
  for (int c = 0; distance != cdHamming && table.rows >= 2 && c < table.columns; ++c) {
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
    deviations[static_cast<size_t>(c)] = deviation == 0 ? 1 : deviation;
  }
  // Each column's factor is worked out once: a distance is then one multiply
  // a column, with no division (the fast algorithm takes millions of them).
  for (int c = 0; c < table.columns; ++c) {
    const long double weight = table.weights[static_cast<size_t>(c)];
    const long double deviation = deviations[static_cast<size_t>(c)];
    if (distance != cdHamming && table.nominal[static_cast<size_t>(c)])
      nominal_.push_back({c, weight});
    else if (distance == cdEuclidean)
      numeric_.push_back({c, weight * weight / (deviation * deviation)});
    else if (distance == cdManhattan)
      numeric_.push_back({c, weight / std::fabs(deviation)});
    else
      numeric_.push_back({c, weight});
  }
}

long double TClusterMetric::Distance(const long double* x, const long double* y) const {
  long double mismatches = 0;
  for (const TColumn& column : nominal_)
    if (x[column.index] != y[column.index]) mismatches += column.factor;
  switch (distance_) {
  case cdEuclidean: {
    long double squares = 0;
    for (const TColumn& column : numeric_) {
      const long double difference = x[column.index] - y[column.index];
      squares += difference * difference * column.factor;
    }
    return std::sqrt(squares + mismatches);
  }
  case cdManhattan: {
    long double sum = 0;
    for (const TColumn& column : numeric_)
      sum += std::fabs(x[column.index] - y[column.index]) * column.factor;
    return sum + mismatches;
  }
  case cdHamming:
    // Every column counts as nominal here (numeric_ holds them all).
    for (const TColumn& column : numeric_)
      if (x[column.index] != y[column.index]) mismatches += column.factor;
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
