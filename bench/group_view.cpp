// The group table view of a large group beside what it cannot avoid,
// measured in one run.
//
//   bench_group_view [members]   (10000 by default)
//
// Every member is an object with one state of 8 plain values (written with
// raw SQLite, as bench_records stores them); the group holds them all. The
// table shows the 8 parameters and 2 calculated columns over them. The
// baseline loads each member's history, constructs its state and evaluates
// the two formulas against it once. The build is the table's refill (every
// member loaded, every cell filled, the formulas evaluated); the sort orders
// it by two keys and must evaluate nothing. Best of five turns each.
#include "bench_support.h"
#include "editing/group_table.h"
#include "language/executor.h"
#include "language/record_evaluation.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"
#include "shell/clock.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace vandro;

namespace {

class TQuietHost final : public TGroupTableHost {
public:
  bool InputText(const std::string&, std::string&) override { return false; }
};

double Seconds(const std::chrono::steady_clock::time_point& start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

const char* const kFormulas[] = {"P1 * P2 + P3", "(P4 - P5) / 2"};

TValue::Ptr Formula(const char* text) {
  TValue::Ptr value = TValue::Create("bench");
  value->SetText(vkCalculated, text);
  return value;
}

} // namespace

int main(int argc, char** argv) {
  bench::TShape shape;
  shape.objects = argc > 1 ? std::atoi(argv[1]) : 10000;
  shape.states = 1;
  shape.values = 8;
  if (shape.objects < 2) {
    std::fprintf(stderr, "usage: bench_group_view [members]\n");
    return 2;
  }
  const std::string dir = bench::TemporaryDirectory();
  const std::string path = dir + "/Group.vdp";
  bench::StoredBenchProject(path, shape);
  TFixedClock clock(shape.sysTime);
  SetClock(&clock);
  InstallLanguage();
  InstallRecords();
  if (!OpenProject(path)) return 1;

  const int32_t group = APSCreateObject("BIG GROUP");
  {
    std::vector<TValue::Ptr> members;
    for (int i = 0; i < shape.objects; ++i) {
      members.push_back(TValue::Create("bench"));
      members.back()->SetText(vkObject, std::to_string(bench::ObjectId(i)));
    }
    TObjectSet set;
    set.Load(group);
    TStateTrack track;
    set.LatestStateAt(shape.firstRealTime, track);
    if (track.ModifyGroup(members, {}, shape.firstRealTime) == 0) return 1;
  }

  TQuietHost host;
  TGroupTable table(host);
  if (!table.Start(group)) return 1;
  for (int f = 0; f < 2; ++f)
    table.AddCalculated("F" + std::to_string(f + 1), *Formula(kFormulas[f]));
  if (table.RowCount() != shape.objects || table.ColumnCount() != kFixedColumns + 10) {
    std::fprintf(stderr, "the table has %d rows and %d columns\n", table.RowCount(),
                 table.ColumnCount());
    return 1;
  }

  double baseline = 1e9, build = 1e9, sort = 1e9;
  std::vector<TValue::Ptr> formulas;
  for (const char* text : kFormulas)
    formulas.push_back(Formula(text));
  for (int turn = 0; turn < 5; ++turn) {
    auto start = std::chrono::steady_clock::now();
    {
      TExecutor executor;
      TObjectSet set;
      for (int i = 0; i < shape.objects; ++i) {
        set.Clear();
        set.Load(bench::ObjectId(i));
        std::vector<std::unique_ptr<TStateTrack>> tracks;
        set.StatesAt(Now(), tracks);
        tracks.front()->ConstructState();
        for (const auto& formula : formulas) {
          TValue::Ptr result = TValue::Create("bench");
          result->Assign(executor.Run(nullptr, tracks.front()->State.get(), formula->Text()));
        }
      }
    }
    baseline = std::min(baseline, Seconds(start));

    table.ClearSortKeys();
    table.ShowContent();
    start = std::chrono::steady_clock::now();
    table.SelectGroupState(0);
    build = std::min(build, Seconds(start));

    // P6 holds few distinct values, so the second key decides often.
    const auto& available = table.Available();
    table.AddSortKey(
        static_cast<int>(std::find(available.begin(), available.end(), "P6") - available.begin()),
        -1);
    table.AddSortKey(
        static_cast<int>(std::find(available.begin(), available.end(), "F1") - available.begin()),
        -1);
    table.SetSortAscending(1, false);
    start = std::chrono::steady_clock::now();
    table.ShowContent();
    sort = std::min(sort, Seconds(start));
  }
  std::printf("group of %d members, 8 parameter columns and 2 calculated columns\n", shape.objects);
  std::printf("load the states and evaluate the formulas once: %.4f s\n", baseline);
  std::printf("table built: %.4f s  ratio %.2f (target: at most 1.5)\n", build, build / baseline);
  std::printf("sorted by two keys: %.4f s  share of the build %.3f (target: at most 0.1)\n", sort,
              sort / build);
  std::printf("first rows: %s %s | %s %s\n", table.CellText(0, 1).c_str(),
              table.CellText(0, kFixedColumns + 5).c_str(), table.CellText(1, 1).c_str(),
              table.CellText(1, kFixedColumns + 5).c_str());
  CloseProject();
  bench::RemoveUnlessKept(dir);
  return 0;
}
