#include "storage/sample_copy.h"

#include "shell/messages.h"
#include "shell/text.h"
#include "storage/access.h"
#include "storage/project_paths.h"

#include <filesystem>
#include <system_error>

namespace vandro {

namespace fs = std::filesystem;

std::string UserSampleProject(const std::string& shippedFile, const std::string& directory) {
  const TProjectPaths shipped = ResolveProjectPaths(shippedFile);
  const std::string shippedDatabase = APSDatabasePath(shipped.directory, shipped.name);
  std::error_code error;
  if (!fs::is_regular_file(OsPath(shipped.file), error) ||
      !fs::is_regular_file(OsPath(shippedDatabase), error)) {
    ShowMsg("The sample project is not installed: " + shipped.file);
    return {};
  }
  const TProjectPaths copy = ResolveProjectPaths(
      directory + "/" + shipped.file.substr(shipped.file.find_last_of('/') + 1));
  const std::string copyDatabase = APSDatabasePath(copy.directory, copy.name);
  if (fs::is_regular_file(OsPath(copy.file), error) &&
      fs::is_regular_file(OsPath(copyDatabase), error))
    return copy.file;

  // Each file goes to a temporary name first and is renamed into place only
  // when both were copied, the database before the project file: a project
  // file without its database is never left to open.
  const struct {
    std::string from, to, part;
  } files[] = {{shippedDatabase, copyDatabase, copyDatabase + ".part"},
               {shipped.file, copy.file, copy.file + ".part"}};
  const auto fail = [&](const std::string& what) {
    for (const auto& file : files) {
      std::error_code ignored;
      fs::remove(OsPath(file.part), ignored);
    }
    ShowMsg("Can't copy the sample project to " + copy.directory + ":" + kLineBreak + what);
    return std::string();
  };
  fs::create_directories(OsPath(copy.directory), error);
  if (error) return fail(error.message());
  for (const auto& file : files) {
    if (!fs::copy_file(OsPath(file.from), OsPath(file.part), fs::copy_options::overwrite_existing,
                       error))
      return fail(error.message());
    // An installed sample may be read-only; the copy is the user's to change.
    fs::permissions(OsPath(file.part), fs::perms::owner_read | fs::perms::owner_write,
                    fs::perm_options::add, error);
    if (error) return fail(error.message());
  }
  for (const auto& file : files) {
    fs::rename(OsPath(file.part), OsPath(file.to), error);
    if (error) return fail(error.message());
  }
  return copy.file;
}

} // namespace vandro
