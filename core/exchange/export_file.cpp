#include "exchange/export_file.h"

#include "shell/messages.h"
#include "shell/text.h"
#include "storage/project_files.h"

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace vandro {

namespace {

// A new file from the pattern (ending in "XXXXXX"), open for reading and
// writing; nullptr when it cannot be made.
std::FILE* MakeTemporary(std::string& pattern) {
  const int descriptor = mkstemp(pattern.data());
  if (descriptor < 0) return nullptr;
  std::FILE* file = fdopen(descriptor, "w+b");
  if (!file) {
    close(descriptor);
    unlink(pattern.c_str());
  }
  return file;
}

std::string DirectoryOf(const std::string& utf8Path) {
  const std::filesystem::path parent = std::filesystem::path(utf8Path).parent_path();
  return parent.empty() ? std::string(".") : parent.string();
}

} // namespace

TExportFile::~TExportFile() {
  if (!file_) return;
  std::fclose(file_);
  unlink(temporary_.c_str());
}

bool TExportFile::Create(const std::string& path) {
  path_ = path;
  if (!MayWriteOver(path)) return false;
  const std::string utf8 = OsPath(path);
  temporary_ = DirectoryOf(utf8) + "/.vandro-export-XXXXXX";
  file_ = MakeTemporary(temporary_);
  if (!file_) {
    ShowMsg("Can't create file " + path);
    return false;
  }
  return true;
}

void TExportFile::Write(std::string_view text) {
  if (!file_ || failed_) return;
  const std::string utf8 = Cp1251ToUtf8(text);
  if (std::fwrite(utf8.data(), 1, utf8.size(), file_) != utf8.size()) failed_ = true;
}

bool TExportFile::Commit() {
  if (!file_) return false;
  const bool written = !failed_ && std::fflush(file_) == 0 && fsync(fileno(file_)) == 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  const std::string target = OsPath(path_);
  // A new file gets the permissions any file the user creates gets.
  const mode_t mask = umask(0);
  umask(mask);
  const bool placed = written && closed && chmod(temporary_.c_str(), 0666 & ~mask) == 0 &&
                      std::rename(temporary_.c_str(), target.c_str()) == 0;
  if (!placed) {
    unlink(temporary_.c_str());
    ShowMsg("Can't write file " + path_);
  }
  return placed;
}

TScratchFile::~TScratchFile() {
  if (file_) std::fclose(file_);
}

bool TScratchFile::CreateBeside(const std::string& path) {
  std::string pattern = DirectoryOf(OsPath(path)) + "/.vandro-rows-XXXXXX";
  file_ = MakeTemporary(pattern);
  if (!file_) {
    ShowMsg("Can't create a temporary file beside " + path);
    return false;
  }
  unlink(pattern.c_str());
  return true;
}

void TScratchFile::Write(std::string_view text) {
  if (file_) std::fwrite(text.data(), 1, text.size(), file_);
}

void TScratchFile::CopyTo(TExportFile& out) {
  if (!file_) return;
  std::fflush(file_);
  std::rewind(file_);
  char buffer[1 << 15];
  for (size_t read; (read = std::fread(buffer, 1, sizeof buffer, file_)) > 0;)
    out.Write(std::string_view(buffer, read));
  std::fseek(file_, 0, SEEK_END);
}

} // namespace vandro
