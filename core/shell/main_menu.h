// The parts of the main window's menus that change with the data: the
// recent-project items of the File menu and the template items of the
// Records menu.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vandro {

// How a recent project's path is shown: whole when it has at most 30
// characters, else its first 3 characters, "..." and its last 23 (29 in
// all), so that the start of the path and the file name stay readable.
inline constexpr size_t kRecentPathShown = 30;
std::string ShortRecentPath(std::string_view path);

// The caption of the recent-project item at position (0-based) index:
// "&" + (index + 1) + " " + the shortened path.
std::string RecentProjectCaption(int index, std::string_view path);

// The template items of the Records menu: at most eight of the project's
// template names, in its order, then "More ..." (which opens the templates
// dialog) when there are more.
inline constexpr size_t kMaxTemplateItems = 8;
inline constexpr const char* kMoreTemplates = "More ...";
struct TTemplateMenu {
  std::vector<std::string> names;
  bool more = false;
};
TTemplateMenu TemplateMenu(const std::vector<std::string>& templateNames);

// Whether a command of the main window, named as its action is
// ("recNewObject", "fileImportData", ...), changes the open project. A
// project opened only for looking has these disabled; every other command
// reads it (or opens a window whose own changing buttons are disabled).
// The template items of the Records menu make records: they change it too.
bool CommandChangesProject(std::string_view command);

// The main window's caption: "Vandro: " + the project file + " ", or
// "Vandro: " + the file + " (read-only)" for a project opened for looking;
// "Vandro: None" without a project.
std::string MainWindowCaption(bool open, std::string_view projectPath, bool readOnly);

// Menu captions mark their shortcut letter with "&": a name shown as a
// caption has its own "&" doubled, and reading a caption back drops the
// marks.
std::string EscapeMenuCaption(std::string_view text);
std::string StripMenuCaption(std::string_view caption);

} // namespace vandro
