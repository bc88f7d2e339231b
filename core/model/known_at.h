// The project as it was known at a moment of system time.
//
// Every record carries the moment it was stored (SysTime). While a moment is
// set, the records stored after it are left out wherever histories are
// read: TObjectSet::Link drops them before linking, so every loader (one
// object, the walk over all objects, queries, exports, object references)
// sees the history as it stood then, with its branches, terminators and
// group contents. A record read alone (TDataRecord::Load) that was stored
// later is not found, and nothing can be stored: the past is only looked at.
//
// A record stored after the moment may have been inserted before older
// records (back-dating rewrites the links of the record that followed): the
// records that name a left-out record as predecessor take over its own
// predecessors, which is the link they had before it was stored. A history
// loaded so remembers its moment (TObjectSet::KnownAt), and a track through
// it appends no record.
//
// A record corrected after the moment (Edit Record, `record --edit`) keeps
// its SysTime, the moment it was first stored; the storage reads it as the
// version it had at the moment, the earliest one superseded after it
// (storage/record_rows.h), so its values, time and links are those known
// then.
#pragma once

#include <optional>
#include <string>

namespace vandro {

class TObjectSet;

// The moment (days, system time) histories are read as known at; nothing
// when every record counts.
std::optional<double> KnownAt();

// Sets the moment for its lifetime (nothing: every record counts) and puts
// back the one before.
class TKnownAtScope {
public:
  explicit TKnownAtScope(std::optional<double> moment);
  ~TKnownAtScope();
  TKnownAtScope(const TKnownAtScope&) = delete;
  TKnownAtScope& operator=(const TKnownAtScope&) = delete;

private:
  std::optional<double> previous_;
};

// Whether a record stored at sysTime is known at the moment set.
bool KnownNow(double sysTime);

// The moment a window's "Known at:" picker gives: one within the second of
// now or after it (the picker's default) means everything stored so far,
// and so no moment.
std::optional<double> PastMoment(double picked, double now);

// ", as known at " and the moment, for captions; empty without one.
std::string AsKnownAtText(std::optional<double> moment);

// Removes from set.Records, not yet linked, every record stored after the
// moment, handing its predecessors to the records that named it; nothing
// happens without a moment.
void CutToKnownAt(TObjectSet& set);

inline constexpr const char* kNothingStoredInThePast =
    "The project is shown as it was known at an earlier moment: nothing can be stored";

} // namespace vandro
