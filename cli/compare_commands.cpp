// vandro-cli diff: two states side by side (editing/state_compare.h), of one
// object at two moments or of two objects, as a tab-separated listing with a
// header line.
//
// The argument reader keeps the values of a repeated option in order but
// not where they stood among the positional words: so --at given twice is
// A's moment and then B's, and given once is the moment of both.
#include "cli_sink.h"
#include "commands.h"
#include "editing/state_compare.h"
#include "model/state_track.h"
#include "project_session.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "shell/messages.h"
#include "shell/text.h"
#include "storage/objects.h"

#include <charconv>
#include <ostream>

namespace vandro::cli {

namespace {

// An object name, or "#" and the identifier of an object or a record; 0
// after a message.
int32_t ReadSide(const std::string& text) {
  if (text.size() > 1 && text[0] == '#') {
    int32_t id = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data() + 1, end, id);
    if (error == std::errc() && at == end && id > 0) return id;
    ShowMsg("Not an identifier: " + text);
    return 0;
  }
  const int32_t id = APSFindObject(text);
  if (id == 0) ShowMsg("Object " + text + " doesn't exist");
  return id;
}

// The moments of A and B from the --at values; false after a usage report.
// Each --at belongs to the side it follows: "A --at T B" or "A B --at T";
// a side without one is read now.
bool ReadMoments(const TRun& run, double& first, double& second) {
  const std::vector<std::string>& given = run.args.Values("--at");
  const std::vector<size_t> after = run.args.PositionsOf("--at");
  double moments[2] = {Now(), Now()};
  bool set[2] = {false, false};
  for (size_t i = 0; i < given.size(); ++i) {
    // Words before A (PROJECT alone, or nothing) give no side.
    if (after[i] < 2) {
      run.Usage("--at " + given[i] + " stands before the object it is for");
      return false;
    }
    const size_t side = after[i] >= 3 ? 1 : 0;
    if (set[side]) {
      run.Usage("--at is given twice for " + std::string(side == 0 ? "A" : "B"));
      return false;
    }
    if (!TryTextToDateTime(given[i], DateStyle(), moments[side])) {
      run.Usage(
          "--at " + given[i] + ": not a date and time in the style " +
          (DateStyle() == TDateStyle::European ? "dd.MM.yyyy hh:mm:ss" : "MM/dd/yyyy hh:mm:ss"));
      return false;
    }
    set[side] = true;
  }
  first = moments[0];
  second = moments[1];
  return true;
}

} // namespace

int RunDiff(const TRun& run) {
  TProjectSession session(run.args);
  double firstMoment = 0, secondMoment = 0;
  if (!ReadMoments(run, firstMoment, secondMoment)) return kExitUsage;
  return session.Run(run.args[0], TAccess::Read, [&](TProject&) {
    const int32_t firstId = ReadSide(run.args[1]);
    const int32_t secondId = firstId == 0 ? 0 : ReadSide(run.args[2]);
    if (secondId == 0) return kExitFailed;
    const std::unique_ptr<TStateTrack> first = CompareSide(firstId, firstMoment);
    const std::unique_ptr<TStateTrack> second =
        first ? CompareSide(secondId, secondMoment) : nullptr;
    if (!second) return kExitFailed;
    PrintTableRow(run.streams.out, CompareColumns(SideCaption(*first), SideCaption(*second)));
    for (const TCompareRow& row : CompareStates(*first->State, *second->State))
      PrintTableRow(run.streams.out, CompareCells(row));
    return kExitOk;
  });
}

} // namespace vandro::cli
