#include "support/scripted_sink.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vandro::testing {

ScriptedSink::ScriptedSink() : scope_(*this) {}

ScriptedSink::~ScriptedSink() {
  for (const auto& reply : replies_)
    ADD_FAILURE() << "A queued answer was never asked for: " << reply.expected;
}

void ScriptedSink::Show(const std::string& text) {
  messages_.push_back(text);
}

void ScriptedSink::ShowList(const std::vector<std::string>& lines) {
  std::string joined;
  for (const auto& line : lines)
    joined += (joined.empty() ? "" : "\r\n") + line;
  messages_.push_back(joined);
}

ScriptedSink::Reply ScriptedSink::NextReply(const std::string& text) {
  questions_.push_back(text);
  if (replies_.empty()) {
    ADD_FAILURE() << "Unexpected question: " << text;
    return {false, {}, {}};
  }
  Reply reply = replies_.front();
  replies_.pop_front();
  if (!reply.expected.empty()) {
    EXPECT_EQ(reply.expected, text);
  }
  return reply;
}

bool ScriptedSink::Ask(const std::string& text, bool) {
  const Reply reply = NextReply(text);
  EXPECT_TRUE(reply.button.empty())
      << "A Yes/No question where a button was to be pressed: " << text;
  return reply.yes;
}

int ScriptedSink::Choose(const std::string& text, const std::vector<std::string>& buttons, int) {
  const Reply reply = NextReply(text);
  const auto at = std::find(buttons.begin(), buttons.end(), reply.button);
  if (at == buttons.end()) {
    ADD_FAILURE() << "No button \"" << reply.button << "\" at: " << text;
    return static_cast<int>(buttons.size()) - 1;
  }
  return static_cast<int>(at - buttons.begin());
}

void ScriptedSink::Answer(bool yes, std::string expected) {
  replies_.push_back({yes, std::move(expected), {}});
}

void ScriptedSink::Press(std::string button, std::string expected) {
  replies_.push_back({false, std::move(expected), std::move(button)});
}

} // namespace vandro::testing
