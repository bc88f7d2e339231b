// Fuzz targets feed damaged input on purpose: the messages it causes are
// expected, so they are dropped instead of flooding the fuzzer's output.
#pragma once

#include "shell/messages.h"

namespace vandro::fuzzing {

class QuietSink final : public TMessageSink {
public:
  void Show(const std::string&) override {}
  void ShowList(const std::vector<std::string>&) override {}
  bool Ask(const std::string&, bool yesDefault) override { return yesDefault; }
};

} // namespace vandro::fuzzing
