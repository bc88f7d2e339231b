// Opening the record dialog on a long history beside what it cannot avoid,
// measured in one run.
//
//   bench_record_dialog [records [parameters [formulas]]]   (10000 200 20 by default)
//
// One object gets `records` records in a row: the first holds every
// parameter (the last `formulas` of them formulas over the others), each
// later one changes a few plain values. The baseline loads the object's
// history and constructs its current state; the dialog does the same, then
// starts a New State on that state (a relation per parameter, the formulas
// evaluated for the grid, the parameter list) and refills its grid once
// more. The figure is the dialog's time over the baseline's (best of five
// turns each): 1 means the dialog costs nothing beyond the history.
#include "bench_support.h"
#include "editing/record_editor.h"
#include "language/executor.h"
#include "language/record_evaluation.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"
#include "shell/clock.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"
#include "storage/record_rows.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

using namespace vandro;

namespace {

class TQuietHost final : public TRecordEditorHost {
public:
  bool EditNewParameter(TParameter&) override { return false; }
  void ParameterAdded() override {}
  void Launch(const std::string&) override {}
};

double Seconds(const std::chrono::steady_clock::time_point& start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
  const int records = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int parameters = argc > 2 ? std::atoi(argv[2]) : 200;
  const int formulas = argc > 3 ? std::atoi(argv[3]) : 20;
  if (records < 1 || parameters < 2 || formulas < 0 || formulas >= parameters) {
    std::fprintf(stderr, "usage: bench_record_dialog [records [parameters [formulas]]]\n");
    return 2;
  }
  const std::string dir = bench::TemporaryDirectory();
  const std::string path = dir + "/dialog.vdp";
  TFixedClock clock(40400.5);
  SetClock(&clock);
  InstallLanguage();
  InstallRecords();
  if (!APSCreateProject(path, "", NewProjectInfo("Dialog")) || !OpenProject(path)) return 1;
  std::vector<const TParameter*> params;
  for (int p = 1; p <= parameters; ++p) {
    auto parameter = std::make_unique<TParameter>();
    parameter->ParamName = "P" + std::to_string(p);
    parameter->Category = "Bench";
    params.push_back(&CurrentProject()->AddParameter(std::move(parameter)));
  }
  const int32_t object = APSCreateObject("LONG");
  {
    TRecordBatch batch;
    TDataRecord previous;
    for (int r = 0; r < records; ++r) {
      TDataRecord record;
      record.ObjIdtor = object;
      record.RealTime = 40000 + r * (300.0 / records);
      record.RecName = "LONG[" + std::to_string(r + 1) + "]";
      if (r > 0) record.Previous.assign(1, &previous);
      const int plain = parameters - formulas;
      if (r == 0) {
        for (int p = 0; p < parameters; ++p) {
          TValue value;
          if (p < plain)
            value.SetPlain(std::to_string(p) + " [kg]");
          else
            value.SetText(vkCalculated, "P" + std::to_string(p - plain + 1) + " * 2");
          record.AddPV(*params[static_cast<size_t>(p)], value);
        }
      } else {
        for (int k = 0; k < 3; ++k) {
          TValue value;
          value.SetPlain(std::to_string(r + k) + " [kg]");
          record.AddPV(*params[static_cast<size_t>((r * 7 + k * 13) % plain)], value);
        }
      }
      record.Store(nullptr, false);
      batch.Stored();
      previous.Idtor = record.Idtor;
    }
    batch.Finish();
  }

  double baseline = 1e9, dialog = 1e9;
  TQuietHost host;
  for (int turn = 0; turn < 5; ++turn) {
    auto start = std::chrono::steady_clock::now();
    {
      auto set = std::make_shared<TObjectSet>();
      set->Load(object);
      TStateTrack track;
      track.KeepSet(set);
      track.LastStateTrack(*set, Now());
      track.ConstructState();
    }
    baseline = std::min(baseline, Seconds(start));

    start = std::chrono::steady_clock::now();
    {
      auto set = std::make_shared<TObjectSet>();
      set->Load(object);
      auto track = std::make_unique<TStateTrack>();
      track->KeepSet(set);
      track->LastStateTrack(*set, Now());
      track->ConstructState();
      TRecordEditor editor(host);
      editor.SetTrack(std::move(track));
      editor.Start(false, false);
      editor.RefreshGrid();
      if (editor.Rows().size() != static_cast<size_t>(parameters) + 1) {
        std::fprintf(stderr, "the grid has %zu rows\n", editor.Rows().size());
        return 1;
      }
    }
    dialog = std::min(dialog, Seconds(start));
  }
  std::printf("history of %d records, state of %d parameters (%d formulas)\n", records, parameters,
              formulas);
  std::printf("load and construct: %.4f s\n", baseline);
  std::printf("New State dialog started and its grid refilled: %.4f s\n", dialog);
  std::printf("ratio: %.2f (target: at most 2)\n", dialog / baseline);
  CloseProject();
  bench::RemoveUnlessKept(dir);
  return 0;
}
