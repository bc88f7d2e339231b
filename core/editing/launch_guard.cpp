#include "editing/launch_guard.h"

#include "shell/messages.h"
#include "shell/names.h"
#include "shell/text.h"
#include "storage/descriptors.h"
#include "storage/project_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace vandro {

namespace {

// The descriptor table's kinds 0..3 are forms, reports, charts and
// variables; project settings of the program's own are a kind above them.
constexpr int kSettingsKind = 4;
constexpr const char* kLaunchSetting = "LAUNCH";
constexpr const char* kAlways = "ALWAYS";

// The scheme of a URL ("http" of "http://..."), empty for a file name.
std::string SchemeOf(std::string_view text) {
  const size_t colon = text.find(':');
  // One letter before the colon is a drive, not a scheme.
  if (colon == std::string_view::npos || colon < 2) return {};
  const std::string_view scheme = text.substr(0, colon);
  const auto schemeChar = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '-' || c == '.';
  };
  if (!std::isalpha(static_cast<unsigned char>(scheme[0])) ||
      !std::all_of(scheme.begin(), scheme.end(), schemeChar))
    return {};
  return UpperCase(scheme);
}

bool EndsWithDesktop(const std::string& path) {
  return UpperCase(std::filesystem::path(path).extension().string()) == ".DESKTOP";
}

// A desktop entry may hide under another name; its group header gives it
// away near the top.
bool LooksLikeDesktopEntry(const std::string& osPath) {
  std::ifstream in(osPath, std::ios::binary);
  std::string head(4096, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(in.gcount()));
  return head.find("[Desktop Entry]") != std::string::npos;
}

TLaunchTarget Refused(std::string_view text, std::string reason) {
  TLaunchTarget target;
  target.Target = std::string(text);
  target.Refusal = std::move(reason);
  return target;
}

TLaunchTarget CheckDocument(std::string_view text) {
  const std::string given(text);
  std::error_code error;
  const std::filesystem::path os = std::filesystem::absolute(OsPath(given), error);
  if (error) return Refused(text, "there is no such file");
  // Follows every link: what the question names is what is opened.
  const std::filesystem::path real = std::filesystem::weakly_canonical(os, error);
  struct stat info {};
  if (error || ::stat(real.c_str(), &info) != 0) return Refused(text, "there is no such file");
  if (!S_ISREG(info.st_mode)) return Refused(text, "it is not a document file");
  if (info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) return Refused(text, "it is a program");
  if (EndsWithDesktop(os.string()) || EndsWithDesktop(real.string()) ||
      LooksLikeDesktopEntry(real.string()))
    return Refused(text, "it is a desktop entry");
  std::string path;
  if (!PathFromOs(real.string(), path)) return Refused(text, "there is no such file");
  TLaunchTarget target;
  target.Allowed = true;
  target.Target = path;
  return target;
}

std::string Heading(std::string_view templateName) {
  return "The template " + std::string(templateName) + " wants to open:" + kLineBreak;
}

void RememberAlways() {
  SaveDescriptor({kAlways, OpenProjectIdentity()}, kLaunchSetting, kSettingsKind, false,
                 kLaunchSetting);
}

} // namespace

TLaunchTarget CheckLaunchTarget(std::string_view text) {
  text = TrimView(text);
  if (HasControlCharacter(text)) return Refused(text, "the name holds a control character");
  const std::string scheme = SchemeOf(text);
  if (scheme.empty()) return CheckDocument(text);
  if (scheme != "HTTP" && scheme != "HTTPS" && scheme != "MAILTO")
    return Refused(text, "only http, https and mailto addresses are opened");
  TLaunchTarget target;
  target.Allowed = true;
  target.Target = std::string(text);
  return target;
}

bool LaunchAlwaysAllowed() {
  const std::string identity = OpenProjectIdentity();
  if (identity.empty()) return false;
  std::vector<std::string> lines;
  if (!LoadDescriptor(lines, kLaunchSetting, kSettingsKind)) return false;
  return lines.size() >= 2 && lines[0] == kAlways && lines[1] == identity;
}

bool LaunchForTemplate(std::string_view templateName, std::string_view text,
                       const std::function<void(const std::string&)>& opener) {
  if (TrimView(text).empty()) return false;
  const TLaunchTarget target = CheckLaunchTarget(text);
  if (!target.Allowed) {
    // A control character is not put on the screen: it could redraw the
    // question's own text.
    const std::string shown = HasControlCharacter(target.Target)
                                  ? std::string("(a name with a control character)")
                                  : target.Target;
    ShowMsg(Heading(templateName) + shown + kLineBreak + "It is not opened: " + target.Refusal);
    return false;
  }
  if (!LaunchAlwaysAllowed()) {
    if (!Ask(Heading(templateName) + target.Target + kLineBreak + "Open it?", false)) return false;
    if (Ask("Always for this project: open what its templates name without asking?", false))
      RememberAlways();
  }
  opener(target.Target);
  return true;
}

} // namespace vandro
