#include "storage/project_commands.h"

#include "shell/messages.h"
#include "shell/names.h"
#include "shell/text.h"
#include "storage/access.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"
#include "storage/project_paths.h"

#include <filesystem>
#include <system_error>

namespace vandro {

bool OpenProjectAndRemember(const std::string& path, TSettings& settings) {
  if (!OpenProject(path, TOpenMode::EditOrLook)) return false;
  // The resolved file: a path typed without ".vdp" or relative to the
  // current folder lists the same project once.
  settings.AddRecentProject(APSProjectPath());
  return true;
}

bool OpenProjectCommand(const std::string& path,
                        const std::function<bool(const std::string&)>& newProject,
                        TSettings& settings, const std::function<bool()>& closeOpen) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(OsPath(ResolveProjectPaths(path).file), error)) {
    if (!Ask("Project doesn't exist." + std::string(kLineBreak) + "Do you want to create new one?",
             false)) {
      ShowMsg("Can't open the project " + path);
      return false;
    }
    if (!newProject(path)) return false;
  } else if (!closeOpen()) {
    return false;
  }
  return OpenProjectAndRemember(path, settings);
}

bool RenameObjectCommand(int32_t objectId, const std::string& newName, bool inUse) {
  const std::string name = Trim(newName);
  if (inUse) {
    ShowMsg("Can't change name: object is in use");
    return false;
  }
  if (name.empty()) {
    ShowMsg("Can't change object name: the name is empty");
    return false;
  }
  if (!CheckStorableName(name)) return false;
  try {
    const std::string current = APSObjectName(objectId);
    if (current.empty()) {
      ShowMsg("Can't change object name");
      return false;
    }
    // Names are stored upper-cased: a change of case alone changes nothing.
    if (SameText(current, name)) return true;
    if (!Ask("Warning: If the object name is used in formulas," + std::string(kLineBreak) +
                 "the change of the name may cause its inadequate performance" + kLineBreak +
                 kLineBreak + "Are you sure?",
             false))
      return false;
    if (!APSRenameObject(objectId, name)) {
      ShowMsg("Can't change name:" + std::string(kLineBreak) +
              "Object with such aname already exists");
      return false;
    }
    return true;
  } catch (const ErrorException&) {
    ShowMsg("Can't change object name");
    return false;
  }
}

} // namespace vandro
