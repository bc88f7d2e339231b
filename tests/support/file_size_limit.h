// A full disk for the length of a scope: writes beyond a size fail in every
// file of the process (EFBIG), as they would with no room left. The signal
// such a write raises is ignored meanwhile, so the write only reports the
// failure. Works for any user, root included, unlike taking permissions.
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace vandro::testing {

class TFileSizeLimit {
public:
  explicit TFileSizeLimit(rlim_t size) : signal_(std::signal(SIGXFSZ, SIG_IGN)) {
    getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit limit = previous_;
    limit.rlim_cur = size;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, signal_);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
  rlimit previous_{};
  void (*signal_)(int);
};

} // namespace vandro::testing
