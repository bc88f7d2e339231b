// A message sink that keeps what would be shown, for a rule checked quietly
// whose refusal is then used as a reason (the import's header check).
#pragma once

#include "shell/messages.h"

#include <string>
#include <vector>

namespace vandro {

// Keeps the text of the messages shown while it is installed instead of
// showing them (a rule checked quietly, its refusal used as a reason);
// questions take their default.
class TKeptMessages final : public TMessageSink {
public:
  void Show(const std::string& text) override { Text += text; }
  void ShowList(const std::vector<std::string>& lines) override {
    for (const auto& line : lines)
      Text += line;
  }
  bool Ask(const std::string&, bool yesDefault) override { return yesDefault; }
  std::string Text;
};

} // namespace vandro
