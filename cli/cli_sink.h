// How vandro-cli talks to its user: messages go to stderr as UTF-8;
// questions are asked on the terminal, or take their default button when
// stdin is not a terminal, unless --yes or --no answered them all.
#pragma once

#include "shell/messages.h"

#include <ostream>
#include <string_view>

namespace vandro::cli {

enum class TAnswerPolicy { Ask, DefaultButton, AlwaysYes, AlwaysNo };

class TCliSink final : public TMessageSink {
public:
  TCliSink(std::ostream& err, std::istream& in, TAnswerPolicy policy)
      : err_(err), in_(in), policy_(policy) {}

  void Show(const std::string& text) override;
  void ShowList(const std::vector<std::string>& lines) override;
  bool Ask(const std::string& text, bool yesDefault) override;

private:
  std::ostream& err_;
  std::istream& in_;
  TAnswerPolicy policy_;
};

// Text for the terminal: code page 1251 to UTF-8, CR LF to LF, every other
// control character but tab and line feed written as \xHH.
std::string ForTerminal(const std::string& text);

// A cell of a tab-separated listing, for the terminal: a tab or a line break
// inside it would break the table and is printed as a blank.
std::string TableCell(std::string_view text);

// One line of a tab-separated listing.
template <class Cells> void PrintTableRow(std::ostream& out, const Cells& cells) {
  bool first = true;
  for (const auto& cell : cells) {
    if (!first) out << '\t';
    out << TableCell(cell);
    first = false;
  }
  out << '\n';
}

} // namespace vandro::cli
