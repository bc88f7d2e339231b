#include "language/vocabulary.h"

#include <string>

namespace vandro {

bool InTable(std::string_view word, std::string_view table) {
  if (word.empty() || word.find(' ') != std::string_view::npos) return false;
  std::string padded;
  padded.reserve(word.size() + 2);
  padded += ' ';
  padded += word;
  padded += ' ';
  return table.find(padded) != std::string_view::npos;
}

} // namespace vandro
