// What the commands on a project on disk share: the run of a command from
// its start to its end, and the times its options give.
//
// While a command runs, dates are read and written in the date style of the
// settings file (the European "dd.MM.yyyy hh:mm:ss" when there is none), or
// in the one --date-style names; the language and "object.parameter" are
// installed. Afterwards the project is closed and the date style put back,
// whichever way the command ended.
#pragma once

#include "commands.h"
#include "language/record_evaluation.h"
#include "shell/datetime.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vandro {
class TProject;
} // namespace vandro

namespace vandro::cli {

enum class TAccess {
  Read,   // for looking: nothing is written, the project file included
  Change, // opened as the program opens a project to work on it: its "last opened" time is set
};

class TProjectSession {
public:
  explicit TProjectSession(const TArguments& args);
  ~TProjectSession();
  TProjectSession(const TProjectSession&) = delete;
  TProjectSession& operator=(const TProjectSession&) = delete;

  // The project at path (".vdp" may be left out), open; nullptr after the
  // message when it cannot be opened.
  TProject* Open(const std::string& path, TAccess access);

  // Opens the project and runs body on it. A project that cannot be opened,
  // or an error raised in body (shown already), fails the command.
  int Run(const std::string& path, TAccess access, const std::function<int(TProject&)>& body);

private:
  TDateStyle savedStyle_;
  ScopedEngine engine_;
};

// The time the option gives, read in the date style of the run; nothing
// when the option is not given. False after reporting a text that is not a
// time as wrong usage.
bool ReadTime(const TRun& run, std::string_view option, std::optional<double>& time);

} // namespace vandro::cli
