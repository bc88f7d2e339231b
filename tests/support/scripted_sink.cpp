#include "support/scripted_sink.h"

#include <gtest/gtest.h>

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

bool ScriptedSink::Ask(const std::string& text, bool) {
  questions_.push_back(text);
  if (replies_.empty()) {
    ADD_FAILURE() << "Unexpected question: " << text;
    return false;
  }
  const Reply reply = replies_.front();
  replies_.pop_front();
  if (!reply.expected.empty()) {
    EXPECT_EQ(reply.expected, text);
  }
  return reply.yes;
}

void ScriptedSink::Answer(bool yes, std::string expected) {
  replies_.push_back({yes, std::move(expected)});
}

} // namespace vandro::testing
