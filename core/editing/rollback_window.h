// The rules of the rollback window: the moment its pickers show, what that
// moment would delete, the question, and the run with "Wait" in the status
// bar and the progress window: the copy of the database first, then the
// deleting. Both are the storage layer's (storage/rollback.h).
#pragma once

#include "shell/progress.h"
#include "storage/rollback.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vandro {

inline constexpr const char* kRollbackPrompt = "Enter date and time:";
// The notice under the pickers, two lines (two blanks are part of each).
inline constexpr const char* kRollbackNotice1 = "All records created after the  specified";
inline constexpr const char* kRollbackNotice2 = "system time will be  deleted";
inline constexpr const char* kRollbackScanning = "Scanning database ...";

// What the run asks of the main window.
class TRollbackHost {
public:
  virtual ~TRollbackHost() = default;
  // Status panel 1: "Wait" while deleting, "Ready" after.
  virtual void SetWaiting(bool waiting) = 0;
};

class TRollbackWindow {
public:
  // Before every showing: the moment is now.
  void Prepare();
  double Moment() const { return moment_; }
  // The pickers: the date part of one and the time part of the other.
  void SetMoment(double moment) { moment_ = moment; }

  // What the moment would delete, counted afresh (nothing is deleted), and
  // its text for the line under the pickers.
  TRollbackCount Count() const { return CountRecordsAfter(moment_); }
  std::string CountText() const { return RollbackCountText(Count()); }

  // After OK: asks whether to delete (default No), naming the copy; writes
  // the copy (the progress window captioned kRollbackCopying), then deletes
  // (captioned "Scanning database ...") and reports the count and the copy.
  // Nothing when the answer is No. A copy that cannot be written ends the
  // run with its reason and nothing deleted. A storage error raises after
  // "Wait" and the progress window are taken back; what was deleted stays
  // deleted, and the copy holds it. Open windows hear of any deleting
  // (NotifyRecordsChanged with kManyObjects).
  std::optional<int32_t> Run(TRollbackHost& host, TProgress* progress);

private:
  double moment_ = 0;
};

} // namespace vandro
