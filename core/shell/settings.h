// The application settings: one fixed 2536-byte little-endian record kept in
// "config.vd" in the user's configuration directory. It is read once at
// start, kept in memory, and the whole file is rewritten on every change.
// Bytes the program does not interpret are kept as read.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vandro {

class TSettings {
public:
  static constexpr size_t kSize = 2536;
  static constexpr int kMaxRecent = 8;
  static constexpr size_t kPathCapacity = 255;

  // The defaults of a new file (in memory only).
  TSettings();

  // Reads path; a missing file, or one that is not exactly one record, is
  // replaced by the defaults, which are written back. Returns whether the
  // file was usable as it was.
  bool Load(const std::string& path);
  // Rewrites the whole file (atomically). A failure is reported through the
  // message sink; returns success.
  bool Save() const;
  const std::string& Path() const { return path_; }

  int32_t WindowLeft() const { return Int(8); }
  int32_t WindowTop() const { return Int(12); }
  int32_t WindowWidth() const { return Int(16); }
  int32_t WindowHeight() const { return Int(20); }
  void SetWindow(int32_t left, int32_t top, int32_t width, int32_t height);

  // Most recent first; paths in code page 1251.
  std::vector<std::string> RecentProjects() const;
  // Moves path to the top of the list (adding it when new, dropping the
  // oldest beyond eight) and saves. A path longer than an entry holds is not
  // listed: a cut path would open nothing.
  void AddRecentProject(const std::string& path);

  bool StartWithExplorer() const { return record_[2228] != 0; }
  bool WelcomeWindow() const { return record_[2229] != 0; }
  // View: Always Show Hidden. The record lays out no byte for it: it takes
  // the reserved byte after the welcome flag, which files written before it
  // hold as 0, the option's default.
  bool AlwaysShowHidden() const { return record_[kShowHiddenOffset] != 0; }
  bool ToolBar() const { return record_[2240] != 0; }
  bool StatusBar() const { return record_[2241] != 0; }
  bool EuropeanDateStyle() const { return record_[2264] != 0; }
  // Each stores the option and saves.
  void SetStartWithExplorer(bool on) { SetFlag(2228, on); }
  void SetWelcomeWindow(bool on) { SetFlag(2229, on); }
  void SetAlwaysShowHidden(bool on) { SetFlag(kShowHiddenOffset, on); }
  void SetToolBar(bool on) { SetFlag(2240, on); }
  void SetStatusBar(bool on) { SetFlag(2241, on); }
  // Also switches the date style every date is written and read in.
  void SetDateStyle(bool european);

  const std::array<uint8_t, kSize>& Record() const { return record_; }

private:
  static constexpr size_t kShowHiddenOffset = 2230;
  int32_t Int(size_t offset) const;
  void SetInt(size_t offset, int32_t value);
  void SetFlag(size_t offset, bool on);
  void ApplyDateStyle() const;

  std::array<uint8_t, kSize> record_{};
  std::string path_;
};

// Where config.vd lives: $VANDRO_CONFIG_DIR, else $XDG_CONFIG_HOME/vandro,
// else ~/.config/vandro (the program's own folder is usually read-only).
std::string SettingsPath();

} // namespace vandro
