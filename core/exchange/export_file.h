// A text file an export writes: UTF-8, created whole or not at all (a
// temporary file beside it, made with mkstemp, renamed over it at the end).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace vandro {

class TExportFile {
public:
  TExportFile() = default;
  ~TExportFile();
  TExportFile(const TExportFile&) = delete;
  TExportFile& operator=(const TExportFile&) = delete;

  // path is in code page 1251; false after "Can't create file " + path, or
  // after the refusal of a file of the open project (storage/project_files.h).
  bool Create(const std::string& path);
  // Text in code page 1251, written as UTF-8.
  void Write(std::string_view text);
  // Flushes and puts the file in place; false after "Can't write file " +
  // path. Without Commit the file is never there.
  bool Commit();

private:
  std::FILE* file_ = nullptr;
  std::string path_, temporary_;
  bool failed_ = false;
};

// A scratch file that holds text until it is copied out; it has no name on
// disk (unlinked as soon as mkstemp has made it beside the export).
class TScratchFile {
public:
  TScratchFile() = default;
  ~TScratchFile();
  TScratchFile(const TScratchFile&) = delete;
  TScratchFile& operator=(const TScratchFile&) = delete;

  // False after a message when it cannot be made.
  bool CreateBeside(const std::string& path);
  // Text as it is to be copied out (code page 1251).
  void Write(std::string_view text);
  // Writes everything written so far into out.
  void CopyTo(TExportFile& out);

private:
  std::FILE* file_ = nullptr;
};

} // namespace vandro
