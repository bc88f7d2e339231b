#include "support/cp.h"

#include "shell/text.h"

#include <stdexcept>

namespace vandro::testing {

std::string Cp(std::string_view utf8) {
  std::string out, error;
  if (!Utf8ToCp1251(utf8, out, &error)) throw std::invalid_argument(error);
  return out;
}

} // namespace vandro::testing
