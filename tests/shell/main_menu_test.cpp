#include "shell/main_menu.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

TEST(RecentProjectCaption, LongPathsKeepTheirStartAndEnd) {
  struct Case {
    std::string path, shown;
  };
  const Case cases[] = {
      {"/home/ann/p.vdp", "/home/ann/p.vdp"},
      {"/home/ann/projects/health.vdp", "/home/ann/projects/health.vdp"},   // 29
      {"/home/ann/projects/health1.vdp", "/home/ann/projects/health1.vdp"}, // 30: whole
      {"/home/ann/projects/health12.vdp", "/ho...n/projects/health12.vdp"}, // 31
      {"/srv/data/vandro/2024/clinic/wards/east.vdp", "/sr...4/clinic/wards/east.vdp"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const std::string shown = ShortRecentPath(c.path);
    EXPECT_EQ(c.shown, shown);
    if (c.path.size() > 30) {
      EXPECT_EQ(29u, shown.size());
      EXPECT_EQ(c.path.substr(c.path.size() - 23), shown.substr(6));
    }
  }
  EXPECT_EQ("&3 /tmp/a.vdp", RecentProjectCaption(2, "/tmp/a.vdp"));
  // An "&" of the path is shown, not taken as the shortcut mark.
  EXPECT_EQ("&1 /tmp/R&&D.vdp", RecentProjectCaption(0, "/tmp/R&D.vdp"));
}

TEST(TemplateMenu, EightItemsThenMore) {
  std::vector<std::string> names;
  for (int i = 1; i <= 9; ++i)
    names.push_back("T" + std::to_string(i));
  const TTemplateMenu nine = TemplateMenu(names);
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 8), nine.names);
  EXPECT_TRUE(nine.more);

  names.resize(8);
  const TTemplateMenu eight = TemplateMenu(names);
  EXPECT_EQ(names, eight.names);
  EXPECT_FALSE(eight.more);

  const TTemplateMenu none = TemplateMenu({});
  EXPECT_TRUE(none.names.empty());
  EXPECT_FALSE(none.more);
}

TEST(ReadOnlyProject, OnlyTheCommandsThatChangeTheProjectAreDisabled) {
  for (const char* command :
       {"fileImportUnits", "fileImportData", "recNewObject", "recNewGroup", "recNewState",
        "recNewGroupState", "recEditRecord", "recEditGroupRecord", "recRename", "recRollback"})
    EXPECT_TRUE(CommandChangesProject(command)) << command;
  // Looking: browsing, viewing, statistics, export, and the windows that
  // disable their own changing buttons.
  for (const char* command :
       {"fileClose", "fileExport", "filePrint", "recViewObject", "recViewGroup", "projUnits",
        "projParams", "projManager", "projBrowse", "statBasic", "statDialog", "statMining",
        "viewShowHidden", ""})
    EXPECT_FALSE(CommandChangesProject(command)) << command;
}

TEST(ReadOnlyProject, TheCaptionSaysSo) {
  EXPECT_EQ("Vandro: None", MainWindowCaption(false, "", false));
  EXPECT_EQ("Vandro: /p/a.vdp ", MainWindowCaption(true, "/p/a.vdp", false));
  EXPECT_EQ("Vandro: /p/a.vdp (read-only)", MainWindowCaption(true, "/p/a.vdp", true));
}

TEST(MenuCaption, AmpersandsRoundTrip) {
  for (const std::string name : {"VISIT", "R&D", "&&", "A&", ""}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(name, StripMenuCaption(EscapeMenuCaption(name)));
  }
  EXPECT_EQ("New Object", StripMenuCaption("New &Object"));
}

} // namespace
} // namespace vandro
