// The run of one command on a project: the date style of the settings file
// (when there is one) while it runs, the language and object references
// installed, and afterwards the project closed and the style put back.
#pragma once

#include "language/executor.h"
#include "language/record_evaluation.h"
#include "shell/datetime.h"
#include "shell/settings.h"
#include "storage/project_lifecycle.h"

#include <filesystem>
#include <string>

namespace vandro::cli {

class TCommandScope {
public:
  TCommandScope() : savedStyle_(DateStyle()) {
    const std::string path = SettingsPath();
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error)) TSettings().Load(path);
  }
  ~TCommandScope() {
    CloseProject();
    SetDateStyle(savedStyle_);
  }
  TCommandScope(const TCommandScope&) = delete;
  TCommandScope& operator=(const TCommandScope&) = delete;

private:
  TDateStyle savedStyle_;
  ScopedLanguage language_;
  ScopedRecords records_;
};

} // namespace vandro::cli
