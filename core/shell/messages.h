// Messages, questions and raised errors.
//
// Every message the core shows and every question it asks goes through one
// replaceable sink: the desktop program installs its "Message Box" window,
// vandro-cli prints to stderr and reads answers from the terminal, and tests
// install a scripted sink that records each text. Texts are code page 1251.
#pragma once

#include <exception>
#include <string>
#include <vector>

namespace vandro {

// The system's exception: it carries only its message. The message has been
// shown to the user before the exception travels.
class ErrorException : public std::exception {
public:
  explicit ErrorException(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const { return message_; }

private:
  std::string message_;
};

class TMessageSink {
public:
  virtual ~TMessageSink() = default;
  // An information box with a single (possibly multi-line) text.
  virtual void Show(const std::string& text) = 0;
  // The same box with a scrolling list of lines in place of the label.
  virtual void ShowList(const std::vector<std::string>& lines) = 0;
  // A Yes/No question; true only for Yes. yesDefault names the button that
  // Enter presses.
  virtual bool Ask(const std::string& text, bool yesDefault) = 0;
  // A question answered by one of the buttons named; returns the index of
  // the one pressed. The last button cancels: closing the box presses it.
  // A sink without such boxes takes the default.
  virtual int Choose(const std::string& text, const std::vector<std::string>& buttons,
                     int defaultButton);
};

// The sink in use. Without an installed one, messages go to stderr as UTF-8
// and every question takes its default button.
TMessageSink& MessageSink();

// Installs sink (nullptr restores the default); returns the previous one.
TMessageSink* SetMessageSink(TMessageSink* sink);

// Installs a sink for the lifetime of this object.
class ScopedMessageSink {
public:
  explicit ScopedMessageSink(TMessageSink& sink) : previous_(SetMessageSink(&sink)) {}
  ~ScopedMessageSink() { SetMessageSink(previous_); }
  ScopedMessageSink(const ScopedMessageSink&) = delete;
  ScopedMessageSink& operator=(const ScopedMessageSink&) = delete;

private:
  TMessageSink* previous_;
};

inline constexpr const char* kSystemErrorPrefix = "System Error: Something wrong.";
inline constexpr const char* kLineBreak = "\r\n";

void ShowMsg(const std::string& text);
void ShowMsgList(const std::vector<std::string>& lines);
bool Ask(const std::string& text, bool yesDefault);
int Choose(const std::string& text, const std::vector<std::string>& buttons, int defaultButton);

// Shows text, then raises ErrorException(text).
[[noreturn]] void RaiseError(const std::string& text);

// For states that mean a broken project: shows the system-error prefix with
// text on its own line, then raises ErrorException(text).
[[noreturn]] void RaiseSystemError(const std::string& text);

} // namespace vandro
