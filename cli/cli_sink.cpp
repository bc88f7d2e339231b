#include "cli_sink.h"

#include "shell/names.h"
#include "shell/text.h"

#include <istream>
#include <ostream>
#include <string>

namespace vandro::cli {

std::string ForTerminal(const std::string& text) {
  std::string out = Cp1251ToUtf8(text);
  std::string::size_type at = 0;
  while ((at = out.find("\r\n", at)) != std::string::npos)
    out.erase(at, 1);
  // A name read from a project may hold an escape sequence: it is shown, not
  // obeyed.
  return EscapeControls(out, "\n\t");
}

void TCliSink::Show(const std::string& text) {
  err_ << ForTerminal(text) << '\n' << std::flush;
}

void TCliSink::ShowList(const std::vector<std::string>& lines) {
  for (const auto& line : lines)
    Show(line);
}

bool TCliSink::Ask(const std::string& text, bool yesDefault) {
  switch (policy_) {
  case TAnswerPolicy::AlwaysYes:
    return true;
  case TAnswerPolicy::AlwaysNo:
    return false;
  case TAnswerPolicy::DefaultButton:
    err_ << ForTerminal(text) << (yesDefault ? " [Yes]" : " [No]") << '\n' << std::flush;
    return yesDefault;
  case TAnswerPolicy::Ask:
    break;
  }
  for (;;) {
    err_ << ForTerminal(text) << (yesDefault ? " [Y/n] " : " [y/N] ") << std::flush;
    std::string answer;
    if (!std::getline(in_, answer)) return yesDefault;
    answer = UpperCase(Trim(answer));
    if (answer.empty()) return yesDefault;
    if (answer == "Y" || answer == "YES") return true;
    if (answer == "N" || answer == "NO") return false;
  }
}

std::string TableCell(std::string_view text) {
  std::string cell(text);
  for (char& c : cell)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return ForTerminal(cell);
}

} // namespace vandro::cli
