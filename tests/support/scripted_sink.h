// A message sink for tests: it records every message and answers questions
// from a queue. A question that comes when no answer is queued fails the
// test, and so does an answer left unused when the sink goes away.
#pragma once

#include "shell/messages.h"

#include <deque>
#include <string>
#include <vector>

namespace vandro::testing {

class ScriptedSink final : public TMessageSink {
public:
  ScriptedSink();
  ~ScriptedSink() override;

  void Show(const std::string& text) override;
  void ShowList(const std::vector<std::string>& lines) override;
  bool Ask(const std::string& text, bool yesDefault) override;
  int Choose(const std::string& text, const std::vector<std::string>& buttons,
             int defaultButton) override;

  // Queues the answer to the next question; expected, when given, is the
  // question's text.
  void Answer(bool yes, std::string expected = {});
  // Queues the button (by its caption) pressed at the next question with
  // buttons of its own.
  void Press(std::string button, std::string expected = {});

  // Every message shown, in order; a list counts as its lines joined by CR LF.
  const std::vector<std::string>& Messages() const { return messages_; }
  const std::vector<std::string>& Questions() const { return questions_; }
  std::string Last() const { return messages_.empty() ? std::string() : messages_.back(); }
  void Reset() { messages_.clear(), questions_.clear(); }

private:
  struct Reply {
    bool yes;
    std::string expected;
    std::string button; // for Choose; empty for a Yes/No answer
  };
  Reply NextReply(const std::string& text);
  std::deque<Reply> replies_;
  std::vector<std::string> messages_;
  std::vector<std::string> questions_;
  ScopedMessageSink scope_;
};

} // namespace vandro::testing
