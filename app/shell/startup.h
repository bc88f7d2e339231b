// The program's start and end: one instance per user, the settings, the
// message box as the core's message sink, the splash, the main window and
// the project named on the command line.
#pragma once

namespace vandro {

int RunVandro(int argc, char** argv);

// What the program installs in the core before its first window: the
// engine that formulas run in. The window tests start the same way.
void StartCore();

} // namespace vandro
