// What the main window's project commands do once the user has named a
// project file: opening it (File: Open Project, a recent project, the command
// line, the welcome window) and renaming an object. The windows only gather
// the path or the name; the rules are here so they run without a screen.
#pragma once

#include "shell/settings.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vandro {

// Opens the project at path (OpenProject; one whose files cannot be written
// opens for looking, after the reason) and, on success, puts its file at the
// top of the recent-project list.
bool OpenProjectAndRemember(const std::string& path, TSettings& settings);

// File: Open Project. A project file that does not exist is offered for
// creation ("Project doesn't exist. Do you want to create new one?", default
// No): newProject then runs the "New Project" dialog and creates it (false
// when cancelled or failed). No gives "Can't open the project " + path.
// closeOpen runs before an existing project is opened: it closes the open
// project after the user's consent and gives false when the user keeps it
// (newProject does the same after its dialog).
bool OpenProjectCommand(
    const std::string& path, const std::function<bool(const std::string&)>& newProject,
    TSettings& settings, const std::function<bool()>& closeOpen = [] { return true; });

// Records: Rename Object once the object is chosen and the new name typed.
// inUse: an open window works on the object ("Can't change name: object is
// in use"). The user confirms the warning about formulas (default No); a name
// another object has, or any other failure, is refused with its message.
// An empty name is refused; the same name changes nothing.
bool RenameObjectCommand(int32_t objectId, const std::string& newName, bool inUse);

} // namespace vandro
