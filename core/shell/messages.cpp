#include "shell/messages.h"

#include "shell/text.h"

#include <cstdio>

namespace vandro {

namespace {

// Used when nothing else is installed: a program without a window still tells
// its user what went wrong, and never blocks on a question.
class StderrSink final : public TMessageSink {
public:
  void Show(const std::string& text) override {
    std::fprintf(stderr, "%s\n", Cp1251ToUtf8(text).c_str());
  }
  void ShowList(const std::vector<std::string>& lines) override {
    for (const auto& line : lines)
      Show(line);
  }
  bool Ask(const std::string& text, bool yesDefault) override {
    std::fprintf(stderr, "%s [%s]\n", Cp1251ToUtf8(text).c_str(), yesDefault ? "Yes" : "No");
    return yesDefault;
  }
};

StderrSink defaultSink;
TMessageSink* currentSink = &defaultSink;

} // namespace

TMessageSink& MessageSink() {
  return *currentSink;
}

TMessageSink* SetMessageSink(TMessageSink* sink) {
  TMessageSink* previous = currentSink;
  currentSink = sink ? sink : &defaultSink;
  return previous == &defaultSink ? nullptr : previous;
}

void ShowMsg(const std::string& text) {
  MessageSink().Show(text);
}

void ShowMsgList(const std::vector<std::string>& lines) {
  MessageSink().ShowList(lines);
}

bool Ask(const std::string& text, bool yesDefault) {
  return MessageSink().Ask(text, yesDefault);
}

int TMessageSink::Choose(const std::string&, const std::vector<std::string>&, int defaultButton) {
  return defaultButton;
}

int Choose(const std::string& text, const std::vector<std::string>& buttons, int defaultButton) {
  return MessageSink().Choose(text, buttons, defaultButton);
}

void RaiseError(const std::string& text) {
  ShowMsg(text);
  throw ErrorException(text);
}

void RaiseSystemError(const std::string& text) {
  ShowMsg(std::string(kSystemErrorPrefix) + kLineBreak + text);
  throw ErrorException(text);
}

} // namespace vandro
