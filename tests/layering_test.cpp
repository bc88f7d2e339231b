// The core's layers: a file includes headers of its own layer and of the
// layers below it, never of one above, and never a Qt header (the core builds
// and is tested without Qt). A failure names the file, the line and the
// include.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>

namespace {

// From the bottom up; layers of the same rank may include each other.
const std::map<std::string, int> kRanks = {
    {"shell", 0},   {"values", 1}, {"model", 2},  {"language", 3}, {"storage", 4},
    {"editing", 5}, {"stats", 5},  {"charts", 5}, {"exchange", 5},
};

TEST(Layering, TheCoreIncludesNoHigherLayerAndNoQt) {
  const std::filesystem::path core = std::filesystem::path(VANDRO_SOURCE_DIR) / "core";
  const std::regex include(R"(^\s*#\s*include\s*([<"])([^">]+)[">])");
  int files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(core)) {
    const std::string extension = entry.path().extension().string();
    if (!entry.is_regular_file() || (extension != ".h" && extension != ".cpp")) continue;
    const std::string relative = std::filesystem::relative(entry.path(), core).generic_string();
    const std::string layer = relative.substr(0, relative.find('/'));
    const auto own = kRanks.find(layer);
    ASSERT_NE(kRanks.end(), own) << "core/" << relative << " is in no known layer";
    ++files;
    std::ifstream in(entry.path());
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
      std::smatch match;
      if (!std::regex_search(line, match, include)) continue;
      const std::string header = match[2];
      const std::string where = "core/" + relative + ":" + std::to_string(number) + ": ";
      if (match[1] == "<") {
        EXPECT_FALSE(header.rfind("Q", 0) == 0) << where << "includes the Qt header " << header;
        continue;
      }
      const auto slash = header.find('/');
      ASSERT_NE(std::string::npos, slash) << where << header << " names no layer";
      const auto target = kRanks.find(header.substr(0, slash));
      ASSERT_NE(kRanks.end(), target) << where << header << " is in no known layer";
      EXPECT_LE(target->second, own->second) << where << "includes " << header << " of "
                                             << target->first << ", a layer above " << layer;
    }
  }
  EXPECT_GT(files, 100); // the walk found the core
}

} // namespace
