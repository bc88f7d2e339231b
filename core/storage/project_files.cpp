#include "storage/project_files.h"

#include "shell/messages.h"
#include "shell/text.h"
#include "storage/session.h"

#include <sys/stat.h>

#include <optional>
#include <utility>
#include <vector>

namespace vandro {

namespace {

using TFileId = std::pair<dev_t, ino_t>;

// Follows symbolic links: a link to the database is the database.
std::optional<TFileId> OsFileId(const std::string& osPath) {
  struct stat info {};
  if (::stat(osPath.c_str(), &info) != 0) return std::nullopt;
  return TFileId(info.st_dev, info.st_ino);
}

std::optional<TFileId> FileId(const std::string& path) {
  return OsFileId(OsPath(path));
}

std::vector<std::string> OpenProjectFiles() {
  const TStorageSession* session = Session();
  if (!session || session->Directory.empty()) return {};
  const std::string database = session->DatabasePath();
  std::vector<std::string> files = {database, database + "-journal", database + "-wal",
                                    database + "-shm"};
  if (!session->ProjectPath.empty()) files.push_back(session->ProjectPath);
  return files;
}

} // namespace

bool IsOpenProjectFile(const std::string& path) {
  return IsOpenProjectOsFile(OsPath(path));
}

bool IsOpenProjectOsFile(const std::string& osPath) {
  const std::optional<TFileId> id = OsFileId(osPath);
  if (!id) return false;
  for (const std::string& file : OpenProjectFiles())
    if (FileId(file) == id) return true;
  return false;
}

bool MayWriteOver(const std::string& path) {
  if (!IsOpenProjectFile(path)) return true;
  ShowMsg("The file is part of the open project: " + path);
  return false;
}

std::string OpenProjectIdentity() {
  const TStorageSession* session = Session();
  if (!session || session->Directory.empty()) return {};
  const std::optional<TFileId> id = FileId(session->DatabasePath());
  if (!id) return {};
  return std::to_string(id->first) + ":" + std::to_string(id->second);
}

} // namespace vandro
