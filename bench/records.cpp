// Storing and loading records through Vandro beside the same database work
// done with raw SQLite calls (records_baseline.cpp), measured in one run.
//
//   bench_records [objects [states [values]]]     (100000 10 8 by default)
//
// Storing: every object gets `states` records in a row, each following the
// one before and holding `values` plain numbers, written through
// StoreDraft in batches of 10000 (TRecordBatch); the baseline inserts
// the same rows, byte for byte, with a prepared statement in the same
// batches; the two take turns, a tenth of the objects at a time. Loading: every object's history is
// loaded (TObjectSet) and its current state replayed; the baseline reads every column of the same
// rows, object by object (best of three turns each). A figure is Vandro's time over the baseline's:
// 1 means as fast as raw SQLite, 3 three times as slow. The query's time is set against the
// baseline's reading too. The peak memory of loading and of querying, each in a process of its own,
// is compared with the same work on a tenth of the objects; the database files with each other.
// The same query as the project was known at a moment (model/known_at.h) is timed against it.
#include "bench_support.h"
#include "language/executor.h"
#include "language/query.h"
#include "language/record_evaluation.h"
#include "model/known_at.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"
#include "records_baseline.h"
#include "shell/clock.h"
#include "storage/access.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"
#include "storage/record_rows.h"
#include "storage/record_writer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

using namespace vandro;
using namespace vandro::bench;

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The records of objects [first, end), each through the one store operation
// (StoreDraft) on a track that follows the records just stored.
double VandroStore(const TShape& shape, const std::vector<const TParameter*>& parameters, int first,
                   int end) {
  const auto start = Clock::now();
  TRecordBatch batch(shape.rowsPerCommit);
  for (int o = first; o < end; ++o) {
    TObjectSet set;
    set.ObjIdtor = ObjectId(o);
    set.ObjName = ObjectName(o);
    set.Link();
    TStateTrack track;
    track.SetRootPath(set, shape.firstRealTime);
    std::vector<std::unique_ptr<TDataRecord>> kept;
    for (int s = 0; s < shape.states; ++s) {
      TRecordDraft draft;
      draft.ObjectId = ObjectId(o);
      draft.Track = &track;
      draft.Record = std::make_unique<TDataRecord>();
      draft.Record->RecName = ObjectName(o) + "[" + std::to_string(s + 1) + "]";
      draft.Record->RealTime = shape.firstRealTime + s;
      for (int v = 0; v < shape.values; ++v) {
        TPVRelation& pair =
            draft.Record->AddPV(*parameters[static_cast<size_t>(v)], TValue::Null());
        pair.Value.SetPlain(ValueText(o, s, v));
      }
      TStoredDraft stored = StoreDraft(draft);
      batch.Stored();
      // The track moves on to the record, which the set need not hold.
      track.Advance(*stored.Record);
      kept.push_back(std::move(stored.Record));
    }
  }
  batch.Finish();
  return Since(start);
}

double VandroLoad(uint64_t& checksum) {
  const auto start = Clock::now();
  TObjectSet set;
  TStateTrack track;
  ForEachObjectHistory(set, [&](TObjectSet& history) {
    history.LatestStateAt(Now(), track);
    track.ConstructState();
    checksum += history.Records.size() + track.State->PVs.size();
    return true;
  });
  return Since(start);
}

constexpr const char* kQuery = "FIND ALL OBJECTS WITHIN EVERYTHING CONDITION P1 > 5";

// Run in processes of their own (bench_records --query|--load PROJECT), so
// that the peak memory is the query's or the load's and not the storing's:
// each prints its seconds, its hits (objects loaded) and the process's peak
// resident memory.
int RunLoadAlone(const std::string& project) {
  if (!OpenProject(project, TOpenMode::Look)) return 1;
  uint64_t checksum = 0;
  const double seconds = VandroLoad(checksum);
  std::printf("%.6f %d %ld\n", seconds, APSObjectCount(), StatusKb("VmHWM:"));
  CloseProject();
  return 0;
}

// knownAt: the query as the project was known then, every record's
// SysTime weighed against it.
int RunQueryAlone(const std::string& project, std::optional<double> knownAt = std::nullopt) {
  const TKnownAtScope past(knownAt);
  InstallLanguage();
  InstallRecords();
  if (!OpenProject(project, TOpenMode::Look)) return 1;
  TValue query;
  query.SetText(vkCalculated, kQuery);
  const auto start = Clock::now();
  std::string message;
  const TValue::Ptr hits = ExecuteQuery(query, nullptr, nullptr, &message);
  const double seconds = Since(start);
  if (!hits) {
    std::fprintf(stderr, "query failed: %s\n", message.c_str());
    return 1;
  }
  std::printf("%.6f %d %ld\n", seconds, hits->ItemCount(), StatusKb("VmHWM:"));
  CloseProject();
  return 0;
}

// The benchmark project at path with the shape's objects, left open; the
// database is copied to copyBeforeObjects (when named) before they are made.
bool CreateBenchProject(const std::string& project, TShape& shape,
                        std::vector<const TParameter*>& parameters, int32_t& lastId,
                        const std::string& copyBeforeObjects = {}) {
  parameters = NewBenchProject(project, shape, lastId);
  if (!copyBeforeObjects.empty()) {
    const std::string database = project.substr(0, project.size() - 4) + ".vdb";
    std::filesystem::copy_file(database, copyBeforeObjects);
  }
  TRecordBatch batch(shape.rowsPerCommit);
  for (int o = 0; o < shape.objects; ++o)
    if (APSCreateObject(ObjectName(o)) != ObjectId(o)) return false;
  batch.Finish();
  return true;
}

struct TQueryRun {
  double seconds = 0;
  int hits = 0;
  long peakKb = 0;
};

// The query (or the load) in fresh processes, best of three.
bool RunInChild(const char* program, const char* what, const std::string& project,
                TQueryRun& best) {
  for (int round = 0; round < 3; ++round) {
    const std::string command = "\"" + std::string(program) + "\" " + what + " \"" + project + "\"";
    FILE* child = popen(command.c_str(), "r");
    TQueryRun run;
    const bool read =
        child && std::fscanf(child, "%lf %d %ld", &run.seconds, &run.hits, &run.peakKb) == 3;
    if (child) pclose(child);
    if (!read) return false;
    best.hits = run.hits;
    best.seconds = round == 0 ? run.seconds : std::min(best.seconds, run.seconds);
    best.peakKb = round == 0 ? run.peakKb : std::min(best.peakKb, run.peakKb);
  }
  return true;
}

} // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--query") return RunQueryAlone(argv[2]);
  // Every record was stored at the shape's system time: known at it, all
  // of them count, and the cut is paid for in full.
  if (argc == 3 && std::string(argv[1]) == "--query-known-at")
    return RunQueryAlone(argv[2], TShape().sysTime);
  if (argc == 3 && std::string(argv[1]) == "--load") return RunLoadAlone(argv[2]);
  TShape shape;
  if (argc > 1) shape.objects = std::atoi(argv[1]);
  if (argc > 2) shape.states = std::atoi(argv[2]);
  if (argc > 3) shape.values = std::atoi(argv[3]);
  if (shape.objects <= 0 || shape.states <= 0 || shape.values <= 0) {
    std::fprintf(stderr, "usage: %s [objects [states [values]]]\n", argv[0]);
    return 2;
  }
  TFixedClock clock(shape.sysTime);
  SetClock(&clock);

  const std::string dir = TemporaryDirectory();
  const std::string project = dir + "/Bench.vdp";
  const std::string baseline = dir + "/Baseline.vdb";
  std::vector<const TParameter*> parameters;
  int32_t lastId = 0;
  // The baseline starts from the same file: schema, parameters and units.
  if (!CreateBenchProject(project, shape, parameters, lastId, baseline)) return 1;

  const double records = double(shape.objects) * shape.states;
  std::printf("%d objects x %d states x %d values = %.0f records\n", shape.objects, shape.states,
              shape.values, records);
  // In ten turns each, taking turns, so that other work on the machine
  // weighs on both alike.
  BaselineAddObjects(baseline, shape);
  double rawStore = 0, ownStore = 0;
  int32_t rawId = lastId;
  constexpr int kTurns = 10;
  for (int turn = 0; turn < kTurns; ++turn) {
    const int first = static_cast<int>(int64_t{shape.objects} * turn / kTurns);
    const int end = static_cast<int>(int64_t{shape.objects} * (turn + 1) / kTurns);
    rawStore += BaselineStoreRecords(baseline, shape, first, end, rawId);
    ownStore += VandroStore(shape, parameters, first, end);
  }
  CloseProject();
  const bool same = RowsHash(baseline) == RowsHash(dir + "/Bench.vdb");
  std::printf("rows written by both are identical: %s\n", same ? "yes" : "NO");

  // Loading reads the time of day as the program does, from the system.
  SetClock(nullptr);
  if (!OpenProject(project)) return 1;
  // Reading changes nothing, so each side runs three times, taking turns,
  // and the best run of each counts: other work on the machine then weighs
  // on neither.
  double rawLoad = 0, ownLoad = 0;
  for (int round = 0; round < 3; ++round) {
    uint64_t rawChecksum = 0, ownChecksum = 0;
    const double raw = BaselineLoad(baseline, shape, rawChecksum);
    const double own = VandroLoad(ownChecksum);
    rawLoad = round == 0 ? raw : std::min(rawLoad, raw);
    ownLoad = round == 0 ? own : std::min(ownLoad, own);
  }
  CloseProject();

  TQueryRun query, load, knownAt;
  if (!RunInChild(argv[0], "--query", project, query)) return 1;
  if (!RunInChild(argv[0], "--query-known-at", project, knownAt)) return 1;
  if (!RunInChild(argv[0], "--load", project, load)) return 1;

  // The same query over a tenth of the objects: its peak memory should be
  // about the same, as the query keeps one object's history at a time.
  TShape tenth = shape;
  tenth.objects = std::max(1, shape.objects / 10);
  const std::string smallProject = dir + "/Tenth.vdp";
  SetClock(&clock);
  if (!CreateBenchProject(smallProject, tenth, parameters, lastId)) return 1;
  VandroStore(tenth, parameters, 0, tenth.objects);
  CloseProject();
  SetClock(nullptr);
  TQueryRun smallQuery, smallLoad;
  if (!RunInChild(argv[0], "--query", smallProject, smallQuery)) return 1;
  if (!RunInChild(argv[0], "--load", smallProject, smallLoad)) return 1;

  std::printf("store: raw %.0f records/s, Vandro %.0f records/s, ratio %.2f (at most 1.3)\n",
              records / rawStore, records / ownStore, ownStore / rawStore);
  std::printf("load:  raw %.0f records/s, Vandro %.0f records/s, ratio %.2f (at most 2)\n",
              records / rawLoad, records / ownLoad, ownLoad / rawLoad);
  std::printf("query: %s\n       %d hits, %.3f s, ratio to the raw reads %.2f (at most 2.5)\n",
              kQuery, query.hits, query.seconds, query.seconds / rawLoad);
  std::printf("known at: the same query as the project was known at a moment, %d hits, %.3f s, "
              "ratio to the query %.2f (at most 1.5)\n",
              knownAt.hits, knownAt.seconds, knownAt.seconds / query.seconds);
  std::printf("peak memory of a process that only loads: %.1f MB, with %d objects %.1f MB, ratio "
              "%.2f (at most 1.5)\n",
              load.peakKb / 1024.0, tenth.objects, smallLoad.peakKb / 1024.0,
              double(load.peakKb) / double(smallLoad.peakKb));
  std::printf("peak memory of a process that only queries: %.1f MB, with %d objects (%d hits) "
              "%.1f MB, ratio %.2f (at most 1.5)\n",
              query.peakKb / 1024.0, tenth.objects, smallQuery.hits, smallQuery.peakKb / 1024.0,
              double(query.peakKb) / double(smallQuery.peakKb));
  const double ownBytes = double(std::filesystem::file_size(dir + "/Bench.vdb"));
  const double rawBytes = double(std::filesystem::file_size(baseline));
  std::printf("database files: Vandro %.1f MB, raw %.1f MB, ratio %.2f (at most 1.2)\n",
              ownBytes / 1048576, rawBytes / 1048576, ownBytes / rawBytes);
  RemoveUnlessKept(dir);
  return same ? 0 : 1;
}
