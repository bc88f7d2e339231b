#include "shell/datetime.h"
#include "shell/settings.h"
#include "support/scripted_sink.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace vandro {
namespace {

namespace fs = std::filesystem;

class Settings : public ::testing::Test {
protected:
  Settings() {
    char pattern[] = "/tmp/vandro-settings-XXXXXX";
    dir = mkdtemp(pattern);
    path = (dir / "config.vd").string();
  }
  ~Settings() override {
    fs::remove_all(dir);
    SetDateStyle(TDateStyle::European);
  }
  std::string Bytes() {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path dir;
  std::string path;
};

TEST_F(Settings, ANewFileHoldsTheDefaults) {
  TSettings settings;
  EXPECT_FALSE(settings.Load(path));
  const std::string bytes = Bytes();
  ASSERT_EQ(2536u, bytes.size());
  double format = 0;
  std::memcpy(&format, bytes.data(), 8);
  EXPECT_EQ(1.1, format);
  EXPECT_EQ(800, settings.WindowWidth());
  EXPECT_EQ(600, settings.WindowHeight());
  EXPECT_TRUE(settings.WelcomeWindow());
  EXPECT_TRUE(settings.ToolBar());
  EXPECT_TRUE(settings.StatusBar());
  EXPECT_TRUE(settings.EuropeanDateStyle());
  EXPECT_FALSE(settings.StartWithExplorer());
  EXPECT_TRUE(settings.RecentProjects().empty());
}

TEST_F(Settings, ChangesAreWrittenAtOnceAndReservedBytesKept) {
  {
    TSettings settings;
    settings.Load(path);
  }
  std::string bytes = Bytes();
  bytes[1000] = '\x5A'; // reserved: must survive
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));

  TSettings settings;
  EXPECT_TRUE(settings.Load(path));
  settings.SetWindow(10, -20, 1024, 768);
  settings.SetToolBar(false);
  settings.SetDateStyle(false);
  EXPECT_EQ(TDateStyle::US, DateStyle());

  TSettings again;
  EXPECT_TRUE(again.Load(path));
  EXPECT_EQ(-20, again.WindowTop());
  EXPECT_EQ(1024, again.WindowWidth());
  EXPECT_FALSE(again.ToolBar());
  EXPECT_FALSE(again.EuropeanDateStyle());
  EXPECT_EQ('\x5A', static_cast<char>(again.Record()[1000]));
  double moment = 0;
  ASSERT_TRUE(TryTextToDateTime("03/04/2005", DateStyle(), moment));
  int y, m, d;
  DecodeDate(moment, y, m, d);
  EXPECT_EQ(std::make_tuple(2005, 3, 4), std::make_tuple(y, m, d));
}

TEST_F(Settings, AlwaysShowHiddenIsKeptInTheReservedByteAfterTheWelcomeFlag) {
  {
    TSettings settings;
    settings.Load(path);
    EXPECT_FALSE(settings.AlwaysShowHidden()); // a file written before it holds 0 there
    settings.SetAlwaysShowHidden(true);
  }
  std::string bytes = Bytes();
  ASSERT_EQ(2536u, bytes.size());
  EXPECT_EQ(1, bytes[2230]);
  TSettings again;
  EXPECT_TRUE(again.Load(path));
  EXPECT_TRUE(again.AlwaysShowHidden());
  EXPECT_TRUE(again.WelcomeWindow());
  again.SetAlwaysShowHidden(false);
  EXPECT_EQ(0, Bytes()[2230]);
}

TEST_F(Settings, RecentProjectsMoveToTheTopAndKeepEight) {
  TSettings settings;
  settings.Load(path);
  for (int i = 1; i <= 9; ++i)
    settings.AddRecentProject("/p/" + std::to_string(i) + ".vdp");
  std::vector<std::string> recent = settings.RecentProjects();
  ASSERT_EQ(8u, recent.size());
  EXPECT_EQ("/p/9.vdp", recent.front());
  EXPECT_EQ("/p/2.vdp", recent.back());
  settings.AddRecentProject("/p/5.vdp");
  recent = settings.RecentProjects();
  EXPECT_EQ(8u, recent.size());
  EXPECT_EQ("/p/5.vdp", recent[0]);
  EXPECT_EQ("/p/9.vdp", recent[1]);
  EXPECT_EQ("/p/4.vdp", recent[5]);
  settings.AddRecentProject(std::string(300, 'x'));
  EXPECT_EQ(recent, settings.RecentProjects());
  TSettings again;
  again.Load(path);
  EXPECT_EQ(recent, again.RecentProjects());
}

TEST_F(Settings, AFileOfAnotherSizeOrADamagedCountIsReplaced) {
  std::ofstream(path, std::ios::binary) << "short";
  TSettings settings;
  EXPECT_FALSE(settings.Load(path));
  EXPECT_EQ(2536u, Bytes().size());

  std::string bytes = Bytes();
  bytes[128] = 100; // more recent entries than the list holds
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  TSettings damaged;
  EXPECT_TRUE(damaged.Load(path));
  EXPECT_TRUE(damaged.RecentProjects().empty());
}

TEST_F(Settings, AFailedWriteIsReported) {
  testing::ScriptedSink sink;
  TSettings settings;
  fs::create_directory(dir / "blocked");
  fs::create_directory(dir / "blocked" / "config.vd.tmp");
  settings.Load((dir / "blocked" / "config.vd").string());
  EXPECT_NE(std::string::npos, sink.Last().find("Can't write the settings file")) << sink.Last();
}

TEST(SettingsPath, TheEnvironmentChoosesTheFolder) {
  const char* saved = std::getenv("VANDRO_CONFIG_DIR");
  setenv("VANDRO_CONFIG_DIR", "/somewhere", 1);
  EXPECT_EQ("/somewhere/config.vd", SettingsPath());
  unsetenv("VANDRO_CONFIG_DIR");
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  setenv("XDG_CONFIG_HOME", "/xdg", 1);
  EXPECT_EQ("/xdg/vandro/config.vd", SettingsPath());
  if (xdg)
    setenv("XDG_CONFIG_HOME", xdg, 1);
  else
    unsetenv("XDG_CONFIG_HOME");
  if (saved) setenv("VANDRO_CONFIG_DIR", saved, 1);
}

} // namespace
} // namespace vandro
