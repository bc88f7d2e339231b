// Project files and stored variable texts read back from a damaged or foreign
// disk: the readers must take any bytes without reading outside them, and
// whatever they accept must write back to the same content.
#include "fuzz/quiet_sink.h"
#include "storage/descriptors.h"
#include "storage/project_file.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace vandro;

namespace {

bool SameContent(const TProjectFileContent& a, const TProjectFileContent& b) {
  return a.ObjectCounter == b.ObjectCounter && a.IdCounter == b.IdCounter &&
         a.Info.Name == b.Info.Name && a.Info.Location == b.Info.Location &&
         a.Info.Description == b.Info.Description && a.Info.Version == b.Info.Version &&
         a.Info.Author == b.Info.Author && a.Info.Organization == b.Info.Organization &&
         a.Info.StartDate == b.Info.StartDate && a.Info.LastOpened == b.Info.LastOpened &&
         a.Info.EarliestRecordTime == b.Info.EarliestRecordTime &&
         a.Info.Comments == b.Info.Comments;
}

void ProjectFile(const std::string& bytes) {
  TProjectFileContent content;
  std::string reason;
  if (!DecodeProjectFile(bytes, content, &reason)) {
    if (bytes.size() == kProjectFileSize || reason.empty()) std::abort();
    return;
  }
  const std::string again = EncodeProjectFile(content);
  TProjectFileContent reread;
  if (again.size() != kProjectFileSize || !DecodeProjectFile(again, reread) ||
      !SameContent(content, reread))
    std::abort();
}

void VariableText(const std::string& text) {
  TVariable variable;
  if (!DecodeVariable(text, "V", variable)) return;
  std::vector<std::string> lines;
  try {
    lines = EncodeVariable(variable);
  } catch (const ErrorException&) {
    return; // a value too long to store again is refused, not cut
  }
  TVariable reread;
  if (!DecodeVariable(JoinDescriptorLines(lines), "V", reread) ||
      reread.Comment != variable.Comment || !reread.Value.Equals(variable.Value))
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzzing::QuietSink sink;
  static const bool installed = (SetMessageSink(&sink), true);
  (void)installed;

  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ProjectFile(bytes);
  VariableText(bytes);
  for (const std::string& line : SplitDescriptorText(bytes))
    if (line.find_first_of("\r\n") != std::string::npos) std::abort();
  return 0;
}
