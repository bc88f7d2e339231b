#include "storage/project_lock.h"

#include "shell/text.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vandro {

TProjectLock::~TProjectLock() {
  Release();
}

TProjectLock::TResult TProjectLock::Acquire(const std::string& path, std::string* reason) {
  Release();
  const int fd = ::open(OsPath(path).c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (reason) *reason = std::strerror(errno);
    return TResult::Failed;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool busy = errno == EWOULDBLOCK;
    if (reason) *reason = std::strerror(errno);
    ::close(fd);
    return busy ? TResult::Busy : TResult::Failed;
  }
  fd_ = fd;
  return TResult::Locked;
}

void TProjectLock::Release() {
  if (fd_ < 0) return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

bool TProjectLock::HeldElsewhere(const std::string& path) {
  TProjectLock probe;
  return probe.Acquire(path) == TResult::Busy;
}

} // namespace vandro
