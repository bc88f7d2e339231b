// vandro-cli query and eval --object: the project language over the records
// of a project on disk.
//
// Times are read in the date style of the settings file (the European
// "dd.MM.yyyy hh:mm:ss" when there is none), or the one --date-style names;
// a missing --at means now. --known-at reads the records as they were known
// then: those stored after it are left out (model/known_at.h).
#include "cli_sink.h"
#include "commands.h"
#include "language/executor.h"
#include "language/query.h"
#include "model/known_at.h"
#include "model/object_reference.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"
#include "project_session.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "shell/messages.h"
#include "shell/names.h"
#include "shell/text.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"
#include "storage/record_rows.h"
#include "values/value_text.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <unordered_map>

namespace vandro::cli {

namespace {

// The names of a query's hits, for printing them. When the hits are a good
// share of the objects, one ordered walk over the objects finds every name
// at a fraction of the cost of a look-up per hit; other names (few hits,
// states) are looked up as usual.
class THitNames final : public TValueNames {
public:
  explicit THitNames(const TValue& hits) : fallback_(SetValueNames(this)) {
    std::vector<int32_t> ids;
    for (int i = 0; i < hits.ItemCount(); ++i) {
      const TValue& hit = hits.GetItem(i);
      if (hit.Kind() == vkObject && !hit.IsStateRef())
        ids.push_back(static_cast<int32_t>(std::strtol(hit.Text().c_str(), nullptr, 10)));
    }
    if (ids.empty() || ids.size() * 4 < static_cast<size_t>(APSObjectCount())) return;
    std::sort(ids.begin(), ids.end());
    APSWalkObjects([&](int32_t id, const std::string& name) {
      if (std::binary_search(ids.begin(), ids.end(), id)) names_.emplace(id, name);
      return id < ids.back();
    });
  }
  ~THitNames() override { SetValueNames(fallback_); }
  THitNames(const THitNames&) = delete;
  THitNames& operator=(const THitNames&) = delete;

  std::string ObjectName(int32_t id) const override {
    const auto found = names_.find(id);
    if (found != names_.end()) return found->second;
    return fallback_ ? fallback_->ObjectName(id) : std::string();
  }
  std::string RecordName(int32_t id) const override {
    return fallback_ ? fallback_->RecordName(id) : std::string();
  }

private:
  const TValueNames* fallback_;
  std::unordered_map<int32_t, std::string> names_;
};

} // namespace

int RunQuery(const TRun& run) {
  TProjectSession session(run.args);
  std::optional<double> knownAt;
  if (!ReadTime(run, "--known-at", knownAt)) return kExitUsage;
  return session.Run(run.args[0], TAccess::Read, [&](TProject&) {
    const TKnownAtScope past(knownAt);
    TQExpression query;
    query.Text = run.args[1];
    const TValue::Ptr result = query.Execute(nullptr, nullptr);
    if (!result) {
      run.streams.err << ForTerminal(query.Message) << '\n';
      return kExitFailed;
    }
    const THitNames names(*result);
    // One hit a line: a line break in a stored name is shown, not obeyed.
    for (int i = 0; i < result->ItemCount(); ++i)
      run.streams.out << ForTerminal(EscapeControls(ToDisplayText(&result->GetItem(i)))) << '\n';
    return kExitOk;
  });
}

int RunEvalOnObject(const TRun& run) {
  if (!run.args.Has("--object")) return run.Usage("--at needs --object");
  if (!run.args.Has("--project")) return run.Usage("--object needs --project");
  if (run.args.Has("--set")) return run.Usage("--set does not go with --object");
  TProjectSession session(run.args);
  std::optional<double> at;
  std::optional<double> knownAt;
  if (!ReadTime(run, "--at", at) || !ReadTime(run, "--known-at", knownAt)) return kExitUsage;
  const double moment = at.value_or(Now());
  const std::string object = run.args.Value("--object");
  return session.Run(run.args.Value("--project"), TAccess::Read, [&](TProject&) {
    const TKnownAtScope past(knownAt);
    // The object's state at the moment is the record the names read.
    const int32_t id = APSFindObject(object);
    if (id == 0) {
      ShowMsg("Object " + object + " doesn't exist");
      return kExitFailed;
    }
    TObjectSet set;
    TStateTrack track;
    if (!set.Load(id) || !set.LatestStateAt(moment, track)) {
      ShowMsg("Object hasn't any actual state (Id=" + std::to_string(id) + ")." + kLineBreak +
              "Make sure that date and time are valid.");
      return kExitFailed;
    }
    track.ConstructState();
    TExecutor executor;
    const TValue& result = executor.Run(nullptr, track.State.get(), run.args[0]);
    const bool failed = executor.Failed() || result.IsError();
    if (failed)
      run.streams.err << ForTerminal(result.Text()) << '\n';
    else
      run.streams.out << ForTerminal(ToDisplayText(&result)) << '\n';
    return failed ? kExitFailed : kExitOk;
  });
}

} // namespace vandro::cli
