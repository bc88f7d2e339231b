// Makes a project's folder and files unwritable for this process and gives
// them back at the end, for the tests of a project that cannot be written:
// for the superuser, whom permissions do not bind, the files' immutable
// flag (as chattr +i sets it); for anyone else, the owner's write
// permission. Shared by the core's and the windows' tests.
#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace vandro::testing {

class TUnwritable {
public:
  explicit TUnwritable(std::vector<std::string> paths) : paths_(std::move(paths)) {
    for (const std::string& path : paths_) {
      const int error = Set(path, true);
      if (error != 0) {
        refused_ = path + ": " + std::strerror(error);
        break;
      }
      made_.push_back(path);
    }
  }
  ~TUnwritable() {
    for (const std::string& path : made_)
      Set(path, false);
  }
  TUnwritable(const TUnwritable&) = delete;
  TUnwritable& operator=(const TUnwritable&) = delete;

  // Why the files could not be made unwritable; empty when they were.
  const std::string& Refused() const { return refused_; }
  // What the system says to a write, as the project's message quotes it.
  static std::string Reason() {
    return Superuser() ? "Operation not permitted" : "Permission denied";
  }

private:
  static bool Superuser() { return geteuid() == 0; }

  static int Set(const std::string& path, bool on) {
    if (!Superuser()) {
      std::error_code error;
      std::filesystem::permissions(
          path, std::filesystem::perms::owner_write,
          on ? std::filesystem::perm_options::remove : std::filesystem::perm_options::add, error);
      return error.value();
    }
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno;
    int flags = 0;
    int result = ioctl(fd, FS_IOC_GETFLAGS, &flags);
    if (result == 0) {
      flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
      result = ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    const int error = result == 0 ? 0 : errno;
    close(fd);
    return error;
  }

  std::vector<std::string> paths_;
  std::vector<std::string> made_;
  std::string refused_;
};

} // namespace vandro::testing
