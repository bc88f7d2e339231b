#include "project_session.h"

#include "shell/messages.h"
#include "shell/settings.h"
#include "storage/project_lifecycle.h"

#include <filesystem>

namespace vandro::cli {

TProjectSession::TProjectSession(const TArguments& args) : savedStyle_(DateStyle()) {
  const std::string path = SettingsPath();
  std::error_code error;
  if (std::filesystem::is_regular_file(path, error)) TSettings().Load(path);
  if (args.Has("--date-style"))
    SetDateStyle(args.Value("--date-style") == "us" ? TDateStyle::US : TDateStyle::European);
}

TProjectSession::~TProjectSession() {
  CloseProject();
  SetDateStyle(savedStyle_);
}

TProject* TProjectSession::Open(const std::string& path, TAccess access) {
  try {
    if (OpenProject(path, access == TAccess::Change ? TOpenMode::Edit : TOpenMode::Look))
      return CurrentProject();
  } catch (const ErrorException&) {
    // shown already
  }
  return nullptr;
}

int TProjectSession::Run(const std::string& path, TAccess access,
                         const std::function<int(TProject&)>& body) {
  TProject* project = Open(path, access);
  if (!project) return kExitFailed;
  try {
    return body(*project);
  } catch (const ErrorException&) {
    return kExitFailed; // shown already
  }
}

bool ReadTime(const TRun& run, std::string_view option, std::optional<double>& time) {
  if (!run.args.Has(option)) return true;
  const std::string text = run.args.Value(option);
  double moment = 0;
  if (TryTextToDateTime(text, DateStyle(), moment)) {
    time = moment;
    return true;
  }
  run.Usage(std::string(option) + " " + text + ": not a date and time in the style " +
            (DateStyle() == TDateStyle::European ? "dd.MM.yyyy hh:mm:ss" : "MM/dd/yyyy hh:mm:ss"));
  return false;
}

} // namespace vandro::cli
