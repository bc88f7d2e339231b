// Clustering time for 1,000, 2,000 and 4,000 objects with 5 parameters, the
// growth from 2,000 to 4,000 (at most 5 for a quadratic method; a cubic one
// gives about 8), and the speed-up over the reference algorithm at 500
// objects, both run in this process on the same table.
#include "stats/cluster.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>

using namespace vandro;

namespace {

// Deterministic pseudo-random table: integers 0..9 in the first column (so
// equal distances occur), reals elsewhere, one nominal column of 3 labels,
// uneven weights.
TClusterTable MakeTable(int rows) {
  TClusterTable table;
  table.Resize(rows, 5);
  uint64_t state = 0x9E3779B97F4A7C15ull;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  for (int r = 0; r < rows; ++r) {
    table.At(r, 0) = static_cast<long double>(next() % 10);
    for (int c = 1; c < 4; ++c)
      table.At(r, c) = static_cast<long double>(next() % 1000000) / 1000;
    table.At(r, 4) = static_cast<long double>(next() % 3);
  }
  table.weights = {1, 2, 0.5L, 1, 1};
  table.nominal[4] = true;
  return table;
}

// Best of repeats, in seconds.
double Seconds(const std::function<void()>& body, int repeats) {
  double best = 1e300;
  for (int i = 0; i < repeats; ++i) {
    const auto start = std::chrono::steady_clock::now();
    body();
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (elapsed < best) best = elapsed;
  }
  return best;
}

} // namespace

int main() {
  double times[3] = {};
  const int sizes[3] = {1000, 2000, 4000};
  size_t sink = 0;
  for (int i = 0; i < 3; ++i) {
    const TClusterTable table = MakeTable(sizes[i]);
    times[i] = Seconds([&] { sink += Cluster(table, cdEuclidean).size(); }, 3);
    std::printf("N = %4d, m = 5: %8.3f s\n", sizes[i], times[i]);
  }
  std::printf("t(4000) / t(2000) = %.2f (limit 5)\n", times[2] / times[1]);

  const TClusterTable small = MakeTable(500);
  TMergeTable fast, reference;
  const double fastTime = Seconds([&] { fast = Cluster(small, cdEuclidean); }, 5);
  const double referenceTime =
      Seconds([&] { reference = ClusterReference(small, cdEuclidean); }, 1);
  std::printf("N = 500: fast %.4f s, reference %.3f s, speed-up %.0fx, same merges: %s\n", fastTime,
              referenceTime, referenceTime / fastTime, fast == reference ? "yes" : "NO");
  return sink > 0 && fast == reference ? 0 : 1;
}
