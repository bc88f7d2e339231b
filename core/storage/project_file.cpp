#include "storage/project_file.h"

#include "shell/datetime.h"
#include "shell/text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace vandro {

namespace {

struct TStringField {
  size_t offset;
  size_t capacity;
  std::string TProjectInfo::*field;
};

constexpr TStringField kStringFields[] = {
    {8, 32, &TProjectInfo::Name},           {41, 128, &TProjectInfo::Location},
    {170, 254, &TProjectInfo::Description}, {425, 32, &TProjectInfo::Version},
    {458, 32, &TProjectInfo::Author},       {491, 32, &TProjectInfo::Organization},
    {552, 128, &TProjectInfo::Comments},
};

struct TDateField {
  size_t offset;
  double TProjectInfo::*field;
};

constexpr TDateField kDateFields[] = {
    {528, &TProjectInfo::StartDate},
    {536, &TProjectInfo::LastOpened},
    {544, &TProjectInfo::EarliestRecordTime},
};

void PutUint32(std::string& out, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    out[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t GetUint32(std::string_view in, size_t offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i)
    value = (value << 8) | static_cast<unsigned char>(in[offset + i]);
  return value;
}

void PutDouble(std::string& out, size_t offset, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  for (int i = 0; i < 8; ++i)
    out[offset + i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
}

double GetDouble(std::string_view in, size_t offset) {
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i)
    bits = (bits << 8) | static_cast<unsigned char>(in[offset + i]);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

std::string SystemReason() {
  return std::strerror(errno);
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

} // namespace

std::string EncodeProjectFile(const TProjectFileContent& content) {
  std::string out(kProjectFileSize, '\0');
  PutUint32(out, 0, static_cast<uint32_t>(content.ObjectCounter));
  PutUint32(out, 4, static_cast<uint32_t>(content.IdCounter));
  for (const auto& field : kStringFields) {
    const std::string& text = content.Info.*field.field;
    const size_t length = std::min(text.size(), field.capacity);
    out[field.offset] = static_cast<char>(length);
    out.replace(field.offset + 1, length, text, 0, length);
  }
  for (const auto& field : kDateFields)
    PutDouble(out, field.offset, content.Info.*field.field);
  return out;
}

bool DecodeProjectFile(std::string_view bytes, TProjectFileContent& content, std::string* reason) {
  if (bytes.size() != kProjectFileSize) {
    if (reason)
      *reason = "The file is " + std::to_string(bytes.size()) + " bytes long; a project file has " +
                std::to_string(kProjectFileSize) + " bytes";
    return false;
  }
  content.ObjectCounter = static_cast<int32_t>(GetUint32(bytes, 0));
  content.IdCounter = static_cast<int32_t>(GetUint32(bytes, 4));
  for (const auto& field : kStringFields) {
    const size_t length =
        std::min<size_t>(static_cast<unsigned char>(bytes[field.offset]), field.capacity);
    content.Info.*field.field = std::string(bytes.substr(field.offset + 1, length));
  }
  for (const auto& field : kDateFields) {
    const double value = GetDouble(bytes, field.offset);
    content.Info.*field.field = HasDateText(value) ? value : 0; // 0: no date
  }
  return true;
}

bool ReadProjectFile(const std::string& path, TProjectFileContent& content, std::string* reason) {
  // O_NONBLOCK: a FIFO named as a project file must not hang the program.
  const int fd = ::open(OsPath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (reason) *reason = SystemReason();
    return false;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    if (reason) *reason = S_ISDIR(info.st_mode) ? "It is a directory" : SystemReason();
    ::close(fd);
    return false;
  }
  // A file of another size is refused by its size alone, unread.
  std::string bytes(static_cast<size_t>(info.st_size) == kProjectFileSize ? kProjectFileSize : 0,
                    '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  if (bytes.empty() || done != bytes.size()) {
    if (reason)
      *reason = "The file is " + std::to_string(bytes.empty() ? info.st_size : done) +
                " bytes long; a project file has " + std::to_string(kProjectFileSize) + " bytes";
    return false;
  }
  return DecodeProjectFile(bytes, content, reason);
}

bool WriteProjectFileAtomically(const std::string& path, const TProjectFileContent& content,
                                std::string* reason) {
  const std::string target = OsPath(path);
  const std::string temporary = target + ".tmp";
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0 && errno == EEXIST) {
    // Left by a crash in the middle of a write; the project is ours (locked).
    ::unlink(temporary.c_str());
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  }
  if (fd < 0) {
    if (reason) *reason = SystemReason();
    return false;
  }
  const bool written = WriteAll(fd, EncodeProjectFile(content)) && ::fsync(fd) == 0;
  const std::string failure = written ? std::string() : SystemReason();
  if (::close(fd) != 0 || !written || ::rename(temporary.c_str(), target.c_str()) != 0) {
    if (reason) *reason = failure.empty() ? SystemReason() : failure;
    ::unlink(temporary.c_str());
    return false;
  }
  // The rename itself reaches the disk with the directory.
  const std::string directory = std::filesystem::path(target).parent_path().string();
  const int dirFd = ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

} // namespace vandro
