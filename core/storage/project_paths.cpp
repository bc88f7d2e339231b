#include "storage/project_paths.h"

#include <filesystem>
#include <system_error>

namespace vandro {

TProjectPaths ResolveProjectPaths(const std::string& path) {
  std::filesystem::path file(path);
  if (!file.has_extension()) file += ".VDP";
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
