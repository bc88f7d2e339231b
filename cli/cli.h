// vandro-cli: the core from the command line. RunCli is the whole program
// but for the process plumbing, so tests drive it with string streams.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace vandro::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

struct TCliStreams {
  std::istream& in;
  std::ostream& out; // results, UTF-8
  std::ostream& err; // messages, UTF-8
  bool inIsTerminal = false;
};

// args are the words after the program name, in UTF-8.
int RunCli(const std::vector<std::string>& args, TCliStreams streams);

} // namespace vandro::cli
