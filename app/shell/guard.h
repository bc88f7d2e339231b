// Commands run inside Qt's event handling, which an exception must not cross.
// A command runs through RunCommand: ErrorException has been shown already and only
// ends the command; any other exception is shown as a system error. Either
// way the window stays usable.
#pragma once

#include <functional>

namespace vandro {

// Runs command; false when it ended by an exception.
bool RunCommand(const std::function<void()>& command);

} // namespace vandro
