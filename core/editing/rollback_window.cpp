#include "editing/rollback_window.h"

#include "model/record_events.h"
#include "shell/clock.h"
#include "shell/messages.h"
#include "storage/rollback.h"

namespace vandro {

namespace {

// The storage layer starts and ends a progress of its own caption; the
// window's is already showing "Scanning database ..." and only moves.
class TProgressShare final : public TProgress {
public:
  explicit TProgressShare(TProgressScope& scope) : scope_(scope) {}
  void Start(const std::string&) override {}
  bool Update(double share) override { return scope_.Update(share); }
  void End() override {}

private:
  TProgressScope& scope_;
};

class TWaiting {
public:
  explicit TWaiting(TRollbackHost& host) : host_(host) { host_.SetWaiting(true); }
  ~TWaiting() { host_.SetWaiting(false); }
  TWaiting(const TWaiting&) = delete;
  TWaiting& operator=(const TWaiting&) = delete;

private:
  TRollbackHost& host_;
};

} // namespace

void TRollbackWindow::Prepare() {
  moment_ = Now();
}

std::optional<int32_t> TRollbackWindow::Run(TRollbackHost& host, TProgress* progress) {
  TRollback rollback(moment_);
  if (!Ask(rollback.Question(), false)) return std::nullopt;
  std::optional<int32_t> deleted;
  {
    TWaiting waiting(host);
    if (rollback.WriteCopy(progress)) {
      TProgressScope scope(progress, kRollbackScanning);
      TProgressShare share(scope);
      try {
        deleted = rollback.Delete(progress ? &share : nullptr);
      } catch (...) {
        // Whatever it deleted before the failure is gone from the windows too.
        NotifyRecordsChanged(kManyObjects);
        throw;
      }
    }
  }
  // Shown once "Wait" and the progress window are gone.
  ShowMsg(deleted ? rollback.ResultText(*deleted) : rollback.FailureText());
  // Any object may have lost records.
  if (deleted && *deleted > 0) NotifyRecordsChanged(kManyObjects);
  return deleted;
}

} // namespace vandro
