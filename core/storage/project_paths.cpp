#include "storage/project_paths.h"

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
    if (std::filesystem::is_regular_file(path + extension, error)) return path + extension;
  return path + ".vdp";
}

} // namespace

TProjectPaths ResolveProjectPaths(const std::string& path) {
  std::filesystem::path file(path);
  if (!file.has_extension()) file = WithProjectExtension(path);
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(file, error);
  if (!error) file = absolute.lexically_normal();
  TProjectPaths paths;
  paths.file = file.string();
  paths.directory = file.parent_path().string();
  const std::string fileName = file.filename().string();
  paths.name = fileName.substr(0, fileName.find('.'));
  return paths;
}

} // namespace vandro
