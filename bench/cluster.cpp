// Clustering time for 1,000 to 10,000 objects with 5 parameters, the growth
// from 2,000 to 4,000 (at most 5 for a quadratic method; a cubic one gives
// about 8) and from 5,000 to 10,000 (at most 4.5), and the speed-up over the
// reference algorithm at 500 objects, both run in this process on the same
// table. When R is installed, R's hclust(dist(x), "centroid") runs on the
// same 10,000 rows for comparison (its time excludes reading the file);
// without R that column is left out.
#include "stats/cluster.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

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

// R's elapsed seconds for hclust(dist(x), "centroid") on the table, or a
// negative number when R is not installed or fails.
double RSeconds(const TClusterTable& table) {
  if (std::system("command -v Rscript >/dev/null 2>&1") != 0) return -1;
  const std::filesystem::path dir = std::filesystem::temp_directory_path();
  const std::string data = (dir / "vandro_bench_cluster.csv").string();
  const std::string script = (dir / "vandro_bench_cluster.R").string();
  {
    std::ofstream out(data);
    for (int r = 0; r < table.rows; ++r)
      for (int c = 0; c < table.columns; ++c)
        out << static_cast<double>(table.At(r, c)) << (c + 1 < table.columns ? ',' : '\n');
    std::ofstream(script) << "x <- as.matrix(read.csv('" << data << "', header = FALSE))\n"
                          << "t <- system.time(hclust(dist(x), 'centroid'))[['elapsed']]\n"
                          << "cat(t)\n";
  }
  double seconds = -1;
  if (FILE* pipe = popen(("Rscript '" + script + "' 2>/dev/null").c_str(), "r")) {
    if (std::fscanf(pipe, "%lf", &seconds) != 1) seconds = -1;
    if (pclose(pipe) != 0) seconds = -1;
  }
  std::filesystem::remove(data);
  std::filesystem::remove(script);
  return seconds;
}

} // namespace

int main() {
  const int sizes[] = {1000, 2000, 4000, 5000, 10000};
  double times[5] = {};
  size_t sink = 0;
  for (int i = 0; i < 5; ++i) {
    const TClusterTable table = MakeTable(sizes[i]);
    times[i] =
        Seconds([&] { sink += Cluster(table, cdEuclidean).size(); }, sizes[i] > 5000 ? 2 : 3);
    std::printf("N = %5d, m = 5: %8.3f s\n", sizes[i], times[i]);
  }
  std::printf("t(4000) / t(2000) = %.2f (limit 5)\n", times[2] / times[1]);
  std::printf("t(10000) / t(5000) = %.2f (limit 4.5)\n", times[4] / times[3]);
  const double r = RSeconds(MakeTable(10000));
  if (r >= 0)
    std::printf("N = 10000: R hclust(dist(x), \"centroid\") %.3f s, ours %.3f s\n", r, times[4]);

  const TClusterTable small = MakeTable(500);
  TMergeTable fast, reference;
  const double fastTime = Seconds([&] { fast = Cluster(small, cdEuclidean); }, 5);
  const double referenceTime =
      Seconds([&] { reference = ClusterReference(small, cdEuclidean); }, 1);
  std::printf("N = 500: fast %.4f s, reference %.3f s, speed-up %.0fx, same merges: %s\n", fastTime,
              referenceTime, referenceTime / fastTime, fast == reference ? "yes" : "NO");
  return sink > 0 && fast == reference ? 0 : 1;
}
