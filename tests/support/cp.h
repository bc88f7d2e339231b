// Test sources are UTF-8; the core speaks code page 1251. Cp("±") turns a
// literal into the core's text.
#pragma once

#include <string>
#include <string_view>

namespace vandro::testing {

std::string Cp(std::string_view utf8);

} // namespace vandro::testing
