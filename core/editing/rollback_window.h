// The rules of the rollback window: the moment its pickers show, the
// question, and the run with "Wait" in the status bar and the progress
// window. The deleting itself is the storage layer's (storage/rollback.h).
#pragma once

#include "shell/progress.h"

#include <cstdint>
#include <optional>

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

  // After OK: asks whether to delete (default No), then deletes with the
  // progress window captioned "Scanning database ..." and reports the count.
  // Nothing when the answer is No. A storage error raises after "Wait" and
  // the progress window are taken back; what was deleted stays deleted.
  std::optional<int32_t> Run(TRollbackHost& host, TProgress* progress);

private:
  double moment_ = 0;
};

} // namespace vandro
