#include "shell/settings.h"

#include "shell/datetime.h"
#include "shell/messages.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <unistd.h>

namespace vandro {

namespace {

constexpr size_t kRecentCount = 128;
constexpr size_t kRecentEntries = 136;
constexpr size_t kEntrySize = 256;

} // namespace

TSettings::TSettings() {
  const double format = 1.1;
  std::memcpy(record_.data(), &format, sizeof format); // little-endian host
  SetInt(16, 800);
  SetInt(20, 600);
  record_[2229] = 1;
  record_[2240] = 1;
  record_[2241] = 1;
  record_[2264] = 1;
}

int32_t TSettings::Int(size_t offset) const {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i)
    value = (value << 8) | record_[offset + static_cast<size_t>(i)];
  return static_cast<int32_t>(value);
}

void TSettings::SetInt(size_t offset, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  for (size_t i = 0; i < 4; ++i)
    record_[offset + i] = static_cast<uint8_t>(bits >> (8 * i));
}

void TSettings::SetFlag(size_t offset, bool on) {
  record_[offset] = on ? 1 : 0;
  Save();
}

bool TSettings::Load(const std::string& path) {
  path_ = path;
  std::ifstream in(path, std::ios::binary);
  std::array<uint8_t, kSize + 1> buffer{};
  if (in) {
    in.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
    if (static_cast<size_t>(in.gcount()) == kSize) {
      std::memcpy(record_.data(), buffer.data(), kSize);
      // A count outside 0..8 would index past the list.
      if (Int(kRecentCount) < 0 || Int(kRecentCount) > kMaxRecent) SetInt(kRecentCount, 0);
      ApplyDateStyle();
      return true;
    }
  }
  *this = TSettings();
  path_ = path;
  ApplyDateStyle();
  Save();
  return false;
}

bool TSettings::Save() const {
  if (path_.empty()) return true;
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ignored);
  const std::string temporary = path_ + ".tmp";
  FILE* file = std::fopen(temporary.c_str(), "wb");
  bool written = file && std::fwrite(record_.data(), 1, kSize, file) == kSize;
  int error = errno;
  if (file && std::fclose(file) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written && std::rename(temporary.c_str(), path_.c_str()) != 0) {
    written = false;
    error = errno;
  }
  if (!written) {
    std::remove(temporary.c_str());
    ShowMsg("Can't write the settings file " + path_ + ": " + std::strerror(error));
  }
  return written;
}

void TSettings::SetWindow(int32_t left, int32_t top, int32_t width, int32_t height) {
  SetInt(8, left);
  SetInt(12, top);
  SetInt(16, width);
  SetInt(20, height);
  Save();
}

std::vector<std::string> TSettings::RecentProjects() const {
  std::vector<std::string> paths;
  for (int i = 0; i < Int(kRecentCount); ++i) {
    const uint8_t* entry = record_.data() + kRecentEntries + kEntrySize * static_cast<size_t>(i);
    paths.emplace_back(reinterpret_cast<const char*>(entry + 1), entry[0]);
  }
  return paths;
}

void TSettings::AddRecentProject(const std::string& path) {
  if (path.empty() || path.size() > kPathCapacity) return;
  std::vector<std::string> paths = RecentProjects();
  const auto found = std::find(paths.begin(), paths.end(), path);
  if (found != paths.end()) paths.erase(found);
  paths.insert(paths.begin(), path);
  if (paths.size() > static_cast<size_t>(kMaxRecent)) paths.resize(kMaxRecent);
  SetInt(kRecentCount, static_cast<int32_t>(paths.size()));
  for (size_t i = 0; i < paths.size(); ++i) {
    uint8_t* entry = record_.data() + kRecentEntries + kEntrySize * i;
    std::memset(entry, 0, kEntrySize);
    entry[0] = static_cast<uint8_t>(paths[i].size());
    std::memcpy(entry + 1, paths[i].data(), paths[i].size());
  }
  Save();
}

void TSettings::ApplyDateStyle() const {
  vandro::SetDateStyle(EuropeanDateStyle() ? TDateStyle::European : TDateStyle::US);
}

void TSettings::SetDateStyle(bool european) {
  record_[2264] = european ? 1 : 0;
  ApplyDateStyle();
  Save();
}

std::string SettingsPath() {
  if (const char* dir = std::getenv("VANDRO_CONFIG_DIR"); dir && *dir)
    return std::string(dir) + "/config.vd";
  if (const char* dir = std::getenv("XDG_CONFIG_HOME"); dir && *dir)
    return std::string(dir) + "/vandro/config.vd";
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* user = getpwuid(getuid());
    home = user ? user->pw_dir : "/tmp";
  }
  return std::string(home) + "/.config/vandro/config.vd";
}

} // namespace vandro
