#include "storage/project_paths.h"

#include "shell/text.h"

#include <filesystem>
#include <system_error>

namespace vandro {

namespace {

// A path without extension names the project file beside it. Project files
// are "N.vdp" (the file type the desktop knows), but one spelled "N.VDP" is
// found too, as file names are case-sensitive here.
std::filesystem::path WithProjectExtension(const std::string& path) {
  std::error_code error;
  for (const char* extension : {".vdp", ".VDP"})
    if (std::filesystem::is_regular_file(OsPath(path + extension), error)) return path + extension;
  return path + ".vdp";
}

} // namespace

TProjectPaths ResolveProjectPaths(const std::string& path) {
  std::filesystem::path file(path);
  if (!file.has_extension()) file = WithProjectExtension(path);
  // A relative path is taken from the working directory, when its name
  // can be written in the program's code page.
  std::error_code error;
  std::string current;
  if (file.is_relative() && PathFromOs(std::filesystem::current_path(error).string(), current) &&
      !error)
    file = std::filesystem::path(current) / file;
  file = file.lexically_normal();
  TProjectPaths paths;
  paths.file = file.string();
  paths.directory = file.parent_path().string();
  const std::string fileName = file.filename().string();
  paths.name = fileName.substr(0, fileName.find('.'));
  return paths;
}

} // namespace vandro
