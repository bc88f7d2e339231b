// The files vandro-cli reads (an import, its units, the series of the
// statistics): only regular files are opened, and import files are read in
// the encodings their byte order marks name.
#include "cli_fixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

namespace vandro::cli {
namespace {

using testing::Outcome;

class InputFiles : public testing::PlantTest {
protected:
  std::string File(const std::string& name, const std::string& content) {
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }
};

// A device never ends, a FIFO waits for a writer before it even opens and a
// folder has no lines: each is refused before anything reads it.
TEST_F(InputFiles, WhatIsNotARegularFileIsRefused) {
  std::filesystem::create_directories(dir + "/folder");
  ASSERT_EQ(0, mkfifo((dir + "/fifo").c_str(), 0600));
  ASSERT_EQ(0, mkfifo((dir + "/fifo.xlsx").c_str(), 0600));
  for (const std::string& path :
       {dir + "/folder", dir + "/fifo", dir + "/fifo.xlsx", std::string("/dev/zero")}) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"import", project, path},
                                                 {"import-units", project, path},
                                                 {"stats", "--file", path}}) {
      const Outcome outcome = Run(args);
      EXPECT_EQ(kExitFailed, outcome.status) << args[0] << " " << path;
      EXPECT_NE(std::string::npos, outcome.err.find(path + " is not a file"))
          << args[0] << ": " << outcome.err;
    }
  }
}

TEST_F(InputFiles, Utf16ImportFilesAreReadAndUtf32IsRefused) {
  struct Case {
    bool little;
    std::u16string text;
    std::string object; // UTF-8, as the command line gives it
  };
  const Case cases[] = {{true, u"_Object_Name\tX\r\nНасос\t1\r\nBak\t2\r\n", "Насос"},
                        {false, u"_Object_Name\tX\nКлапан\t3\nTank\t4\n", "Клапан"}};
  for (const Case& c : cases) {
    std::string bytes = c.little ? "\xFF\xFE" : "\xFE\xFF";
    for (const char16_t unit : c.text) {
      const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
      bytes += c.little ? std::string{low, high} : std::string{high, low};
    }
    const Outcome outcome = Run({"import", project, File("utf16.txt", bytes)});
    ASSERT_EQ(kExitOk, outcome.status) << outcome.err;
    EXPECT_EQ("2 new objects. 2 states were successfully modified\n", outcome.out);
    const Outcome state = Run({"state", project, c.object});
    ASSERT_EQ(kExitOk, state.status) << state.err;
    EXPECT_NE(std::string::npos, state.out.find(c.little ? "X : 1" : "X : 3")) << state.out;
  }

  const std::string wide = File("wide.txt", std::string("\xFF\xFE\0\0_\0\0\0", 8));
  const Outcome refused = Run({"import", project, wide});
  EXPECT_EQ(kExitFailed, refused.status);
  EXPECT_NE(std::string::npos, refused.err.find("The file is UTF-32 encoded; save it as UTF-8"))
      << refused.err;
}

} // namespace
} // namespace vandro::cli
