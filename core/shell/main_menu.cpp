#include "shell/main_menu.h"

#include <algorithm>
#include <iterator>

namespace vandro {

std::string ShortRecentPath(std::string_view path) {
  if (path.size() <= kRecentPathShown) return std::string(path);
  return std::string(path.substr(0, 3)) + "..." + std::string(path.substr(path.size() - 23));
}

std::string RecentProjectCaption(int index, std::string_view path) {
  return "&" + std::to_string(index + 1) + " " + EscapeMenuCaption(ShortRecentPath(path));
}

TTemplateMenu TemplateMenu(const std::vector<std::string>& templateNames) {
  TTemplateMenu menu;
  const size_t shown = std::min(templateNames.size(), kMaxTemplateItems);
  menu.names.assign(templateNames.begin(), templateNames.begin() + static_cast<long>(shown));
  menu.more = templateNames.size() > kMaxTemplateItems;
  return menu;
}

bool CommandChangesProject(std::string_view command) {
  static constexpr std::string_view kChanging[] = {
      "fileImportUnits",  "fileImportData", "recNewObject",       "recNewGroup", "recNewState",
      "recNewGroupState", "recEditRecord",  "recEditGroupRecord", "recRename",   "recRollback",
  };
  return std::find(std::begin(kChanging), std::end(kChanging), command) != std::end(kChanging);
}

std::string MainWindowCaption(bool open, std::string_view projectPath, bool readOnly) {
  if (!open) return "Vandro: None";
  return "Vandro: " + std::string(projectPath) + (readOnly ? " (read-only)" : " ");
}

std::string EscapeMenuCaption(std::string_view text) {
  std::string caption;
  for (const char c : text) {
    if (c == '&') caption += '&';
    caption += c;
  }
  return caption;
}

std::string StripMenuCaption(std::string_view caption) {
  std::string text;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] != '&') {
      text += caption[i];
    } else if (i + 1 < caption.size() && caption[i + 1] == '&') {
      text += '&';
      ++i;
    }
  }
  return text;
}

} // namespace vandro
