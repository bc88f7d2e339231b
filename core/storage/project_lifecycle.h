// Creating, opening and closing a project.
//
// Closed -> (open succeeds) -> Open -> (close) -> Closed. At most one project
// is open, and it is CurrentProject(); opening another closes it first.
// Creating a project leaves it closed: the caller opens it.
//
//   TProjectInfo info = NewProjectInfo("Health");
//   if (APSCreateProject("/home/me/health/Health", "", info) &&
//       OpenProject("/home/me/health/Health")) {
//     ... CurrentProject() ...
//     CloseProject();
//   }
#pragma once

#include "model/project.h"

#include <string>
#include <string_view>

namespace vandro {

// What the "New Project" dialog starts with: the name given, version "1.0",
// the user's login name as author ("n/a" when it cannot be read).
TProjectInfo NewProjectInfo(std::string_view name);

// Closes the open project, then creates the files of a new project at path (".vdp" appended when it
// has no extension; its directory created when missing): the database with its nine tables, the
// system parameters and default units, the structure of the project basePath when one is named, and
// the project file holding info with the location and the three dates (now). False, after a
// message, on failure; a failure to copy the base structure is shown and creation goes on.
bool APSCreateProject(const std::string& path, const std::string& basePath,
                      const TProjectInfo& info);

// What an open is for. Look reads the project and writes nothing, not even
// the project file (a shared lock lets other lookers in, never a writer);
// EditOrLook opens a project whose files cannot be written for looking,
// after saying why.
enum class TOpenMode { Edit, Look, EditOrLook };

// Opens the storage of the project at path and loads its lists into a new
// TProject, which becomes the current project: parameters, units, index
// entries, template names, chart names, variables. An identifier counter
// behind the largest identifier stored (a crash), or within 1,000
// identifiers of its end (a damaged file), is set from the identifiers
// stored, so none is handed out twice and new ones remain; opened to be
// changed, the project says so. False, after a message, when it cannot be
// opened; no project is open then.
bool APSOpenProject(const std::string& path, TOpenMode mode = TOpenMode::Edit);

// Closes the open project, opens the one at path (APSOpenProject), normalises
// its units and, unless it is only looked at, records the time it was
// opened and writes the project file. A failure shows "Can't open the
// project " + path and leaves none open.
bool OpenProject(const std::string& path, TOpenMode mode = TOpenMode::Edit);

// Whether the open project was opened for looking only (false when none is
// open): commands that change it are refused.
bool ProjectIsReadOnly();

// Writes the project file and closes the storage; nothing when none is open.
void CloseProject();

// Rewrites the open project's file (raises when it cannot).
void WriteProjectFile();

// A record dated t was stored: the open project's earliest record time is
// lowered to t when t is earlier.
void NoteRecordTime(double t);

} // namespace vandro
