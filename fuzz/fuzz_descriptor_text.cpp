// Descriptor texts read back from the table (lines of charts, forms,
// reports; variables as a comment line and a hexadecimal packed value), and
// values written into filter conditions. Whatever bytes a damaged or foreign
// table holds, the readers stay inside them, and what they give writes back
// to the same content.
#include "fuzz/quiet_sink.h"
#include "model/filter.h"
#include "storage/descriptors.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace vandro;

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// Lines never hold a line break, and joining and splitting again gives them
// back.
void DescriptorLines(const std::string& text) {
  const std::vector<std::string> lines = SplitDescriptorText(text);
  for (const auto& line : lines)
    Check(line.find_first_of("\r\n") == std::string::npos);
  Check(SplitDescriptorText(JoinDescriptorLines(lines)) == lines);
}

// A stored variable text: decoded, encoded and decoded again, it is the same
// variable, named as stored.
void StoredVariable(const std::string& text) {
  TVariable variable;
  if (!DecodeVariable(text, "STORED", variable)) return;
  Check(variable.Name == "STORED");
  Check(variable.Comment.size() <= kCommentCapacity);
  std::vector<std::string> lines;
  try {
    lines = EncodeVariable(variable);
  } catch (const ErrorException&) {
    return; // a value too long to store again is refused, not cut
  }
  TVariable again;
  Check(DecodeVariable(JoinDescriptorLines(lines), "STORED", again));
  Check(again.Comment == variable.Comment);
  Check(again.Value.Equals(variable.Value));
}

// Any comment and any plain value survive being stored: the comment as one
// line cut to its capacity, the value whole.
void NewVariable(const std::string& text) {
  const size_t half = text.size() / 2;
  TVariable variable;
  variable.Comment = text.substr(0, half);
  variable.Value.SetPlain(text.substr(half));
  std::vector<std::string> lines;
  try {
    lines = EncodeVariable(variable);
  } catch (const ErrorException&) {
    return;
  }
  Check(lines.size() == 2);
  TVariable again;
  Check(DecodeVariable(JoinDescriptorLines(lines), "V", again));
  std::string comment = variable.Comment.substr(0, kCommentCapacity);
  for (char& c : comment)
    if (c == '\r' || c == '\n') c = ' ';
  Check(again.Comment == comment);
  Check(again.Value.IsPlain() && again.Value.Text() == variable.Value.Text());
}

// A value in a filter condition is written as it is, or quoted with every
// quote doubled; unquoting gives the value back.
void FilterValue(const std::string& text) {
  TValue value;
  value.SetPlain(text);
  const std::string written = FilterValueText(value);
  if (written == text) return;
  Check(written.size() >= 2 && written.front() == '\'' && written.back() == '\'');
  std::string unquoted;
  for (size_t i = 1; i + 1 < written.size(); ++i) {
    unquoted += written[i];
    if (written[i] == '\'') {
      Check(written[i + 1] == '\'');
      ++i;
    }
  }
  Check(unquoted == text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzzing::QuietSink sink;
  static const bool installed = (SetMessageSink(&sink), true);
  (void)installed;

  const std::string bytes(reinterpret_cast<const char*>(data), size);
  DescriptorLines(bytes);
  StoredVariable(bytes);
  NewVariable(bytes);
  FilterValue(bytes);
  return 0;
}
