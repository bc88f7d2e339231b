// vandro-cli diff: two states side by side (editing/state_compare.h), of one
// object at two moments or of two objects, or of a corrected record and its
// earlier version ("#ID~1"), as a tab-separated listing with a header line.
//
// The argument reader keeps the values of a repeated option in order but
// not where they stood among the positional words: so --at given twice is
// A's moment and then B's, and given once is the moment of both.
#include "cli_sink.h"
#include "commands.h"
#include "editing/state_compare.h"
#include "model/data_record.h"
#include "model/known_at.h"
#include "model/record_store.h"
#include "model/state_track.h"
#include "project_session.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "shell/messages.h"
#include "shell/text.h"
#include "storage/objects.h"
#include "storage/record_rows.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <ostream>

namespace vandro::cli {

namespace {

struct TSide {
  int32_t id = 0;
  int version = 0; // "#ID~N": the record before its N-th latest correction
};

// An object name, or "#" and the identifier of an object or a record, that
// of a record perhaps followed by "~N"; id 0 after a message.
TSide ReadSide(const std::string& text) {
  TSide side;
  if (text.size() > 1 && text[0] == '#') {
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data() + 1, end, side.id);
    bool read = error == std::errc() && side.id > 0;
    if (read && at != end) {
      const auto [last, wrong] = *at == '~'
                                     ? std::from_chars(at + 1, end, side.version)
                                     : std::from_chars_result{at, std::errc::invalid_argument};
      read = wrong == std::errc() && last == end && side.version > 0 && side.id % 32 != 0;
    }
    if (read) return side;
    ShowMsg("Not an identifier: " + text);
    return {};
  }
  side.id = APSFindObject(text);
  if (side.id == 0) ShowMsg("Object " + text + " doesn't exist");
  return side;
}

// The state of the side at moment, with its caption; nullptr after a
// message. A record's earlier version is read as the project was known just
// before the correction that superseded it.
std::unique_ptr<TStateTrack> ReadState(const TSide& side, double moment, std::string& caption) {
  std::optional<double> knownAt;
  std::string corrected;
  if (side.version > 0) {
    std::vector<TRecordVersion> versions;
    APSGetVersions(side.id, versions);
    if (versions.size() < static_cast<size_t>(side.version)) {
      if (APSRecordObject(side.id) == 0)
        ShowMsg("Record doesn't exist. Id=" + std::to_string(side.id));
      else
        ShowMsg("Record " + std::to_string(side.id) + " has " + std::to_string(versions.size()) +
                " earlier versions: there is no version ~" + std::to_string(side.version));
      return nullptr;
    }
    const TRecordVersion& version = versions[static_cast<size_t>(side.version) - 1];
    knownAt = std::max(std::nextafter(version.superseded, -HUGE_VAL), version.record->SysTime);
    corrected = " before its correction of " + DateTimeToText(version.superseded);
  }
  const TKnownAtScope past(knownAt);
  std::unique_ptr<TStateTrack> state = CompareSide(side.id, moment);
  if (state) caption = SideCaption(*state) + corrected;
  return state;
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
    const TSide firstSide = ReadSide(run.args[1]);
    const TSide secondSide = firstSide.id == 0 ? TSide{} : ReadSide(run.args[2]);
    if (secondSide.id == 0) return kExitFailed;
    std::string firstCaption, secondCaption;
    const std::unique_ptr<TStateTrack> first = ReadState(firstSide, firstMoment, firstCaption);
    const std::unique_ptr<TStateTrack> second =
        first ? ReadState(secondSide, secondMoment, secondCaption) : nullptr;
    if (!second) return kExitFailed;
    PrintTableRow(run.streams.out, CompareColumns(firstCaption, secondCaption));
    for (const TCompareRow& row : CompareStates(*first->State, *second->State))
      PrintTableRow(run.streams.out, CompareCells(row));
    return kExitOk;
  });
}

} // namespace vandro::cli
