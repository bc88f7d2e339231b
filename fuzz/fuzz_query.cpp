// Query texts come from users and from stored values: any text must parse or
// fail with a message, what ToText writes must read back, and a run must end
// with a result or a message, without a crash or a hang, over a small stored
// project with plain objects, a branched history and a group.
#include "fuzz/quiet_sink.h"
#include "language/executor.h"
#include "language/query.h"
#include "language/record_evaluation.h"
#include "model/object_reference.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

using namespace vandro;

namespace {

std::vector<std::unique_ptr<TPVRelation>> Pairs(const char* x) {
  std::vector<std::unique_ptr<TPVRelation>> pairs;
  auto pair = std::make_unique<TPVRelation>();
  pair->Parameter = CurrentProject()->FindParameter("X");
  pair->Value.SetPlain(x);
  pair->Modified = true;
  pairs.push_back(std::move(pair));
  return pairs;
}

int32_t Record(int32_t object, double time, const char* x, int32_t after = 0) {
  TObjectSet set;
  set.Load(object);
  TStateTrack track;
  if (after)
    track.SetPath(set, after, time);
  else
    set.LatestStateAt(time, track);
  return track.ModifyRecord(Pairs(x), time);
}

bool MakeProject() {
  char pattern[] = "/tmp/vandro-fuzz-query-XXXXXX";
  if (!mkdtemp(pattern)) return false;
  const std::string path = std::string(pattern) + "/Q.vdp";
  if (!APSCreateProject(path, "", NewProjectInfo("Q")) || !OpenProject(path)) return false;
  for (const char* name : {"X", "Y"}) {
    auto parameter = std::make_unique<TParameter>();
    parameter->ParamName = name;
    CurrentProject()->AddParameter(std::move(parameter));
  }
  const int32_t a = APSCreateObject("A");
  const int32_t b = APSCreateObject("B");
  const int32_t first = Record(a, 40000, "3");
  Record(a, 40001, "7");
  Record(a, 40002, "9", first); // a second branch
  Record(b, 40000.5, "12 [m]");
  const int32_t g = APSCreateObject("G");
  TObjectSet set;
  set.Load(g);
  TStateTrack track;
  set.LatestStateAt(40003, track);
  std::vector<TValue::Ptr> members;
  for (int32_t id : {a, b, first}) {
    members.push_back(TValue::Create("fuzz"));
    members.back()->SetText(vkObject, std::to_string(id));
  }
  track.ModifyGroup(members, {}, 40003);
  return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzzing::QuietSink sink;
  static const bool ready = [] {
    SetMessageSink(&sink);
    InstallLanguage();
    InstallRecords();
    return MakeProject();
  }();
  if (!ready) __builtin_trap();
  if (size > 4096) return 0;

  TQExpression query;
  query.Text.assign(reinterpret_cast<const char*>(data), size);
  if (!query.Parse()) {
    if (query.Message.empty()) __builtin_trap();
    return 0;
  }
  // What ToText writes reads back, and writes the same again. A query
  // without a WITHIN clause is written with an empty list, which does not
  // read back (its run fails with "The empty list of objects was supplied").
  const bool scoped = query.Everything || !query.ScopeExpressions.empty();
  TQExpression again;
  again.Text = query.ToText();
  if (scoped) {
    if (!again.Parse()) __builtin_trap();
    TQExpression third;
    third.Text = again.ToText();
    if (!third.Parse() || third.ToText() != again.ToText()) __builtin_trap();
  }

  TValue::Ptr result = query.Execute(nullptr, nullptr);
  if (!result && query.Message.empty()) __builtin_trap();
  if (result && !result->IsArray()) __builtin_trap();
  return 0;
}
