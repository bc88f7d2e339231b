// How long work (import, export, rollback, clustering) tells its caller how
// far it has got, and learns whether to go on. The desktop program's
// progress window and vandro-cli's progress line implement TProgress; the
// work reports through a TProgressScope, which may be given no progress at
// all.
#pragma once

#include <cstdint>
#include <string>

namespace vandro {

class TProgress {
public:
  virtual ~TProgress() = default;
  virtual void Start(const std::string& caption) = 0;
  // share: how much of the work is done, from 0 to 1. False asks the work to
  // stop; what was done before is kept. Work that cannot stop halfway
  // without leaving the project neither here nor there says so and goes on.
  virtual bool Update(double share) = 0;
  virtual void End() = 0;
};

// Starts the progress (when there is one) and ends it when the work leaves
// the scope, by a return or by an exception alike.
class TProgressScope {
public:
  TProgressScope(TProgress* progress, const std::string& caption);
  ~TProgressScope();
  TProgressScope(const TProgressScope&) = delete;
  TProgressScope& operator=(const TProgressScope&) = delete;

  // True to go on. Once asked to stop, the scope keeps saying so.
  bool Update(double share);
  // done out of total steps (a total of 0 counts as all done).
  bool Update(int64_t done, int64_t total);
  bool Stopped() const { return stopped_; }

private:
  TProgress* progress_;
  bool stopped_ = false;
};

} // namespace vandro
