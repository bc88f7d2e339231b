#include "app/shell/guard.h"

#include "shell/messages.h"

#include <exception>
#include <string>

namespace vandro {

bool RunCommand(const std::function<void()>& command) {
  try {
    command();
    return true;
  } catch (const ErrorException&) {
    // Shown before it was raised.
  } catch (const std::exception& failure) {
    ShowMsg(std::string(kSystemErrorPrefix) + kLineBreak + failure.what());
  }
  return false;
}

} // namespace vandro
