#include "language/vocabulary.h"

#include <string>
#include <unordered_set>
#include <vector>

namespace vandro {

namespace {

// The words of a table: each text with a blank on both sides.
std::unordered_set<std::string_view> WordsOf(std::string_view table) {
  std::unordered_set<std::string_view> words;
  size_t start = 0;
  while (start < table.size()) {
    const size_t blank = table.find(' ', start);
    if (blank == std::string_view::npos) break;
    if (blank > start && start > 0 && table[start - 1] == ' ')
      words.insert(table.substr(start, blank - start));
    start = blank + 1;
  }
  return words;
}

} // namespace

bool InTable(std::string_view word, std::string_view table) {
  if (word.empty() || word.find(' ') != std::string_view::npos) return false;
  // The lexer asks for every word it reads, so each table is split into a
  // set once. The tables are constants: where their text lies is their key.
  struct TSplit {
    const char* data;
    size_t size;
    std::unordered_set<std::string_view> words;
  };
  static std::vector<TSplit> tables;
  for (const TSplit& split : tables)
    if (split.data == table.data() && split.size == table.size()) return split.words.count(word);
  tables.push_back({table.data(), table.size(), WordsOf(table)});
  return tables.back().words.count(word) > 0;
}

} // namespace vandro
