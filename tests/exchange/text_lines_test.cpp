// The lines of import files: the encodings read by their byte order mark,
// and paths that name no regular file.
#include "exchange/text_lines.h"
#include "storage/storage_fixture.h"
#include "support/cp.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <sstream>

namespace vandro {
namespace {

using testing::Cp;

// The code units as UTF-16 bytes after the byte order mark.
std::string Utf16(std::u16string_view units, bool little) {
  std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
  for (const char16_t unit : units) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes += little ? std::string{low, high} : std::string{high, low};
  }
  return bytes;
}

struct TRead {
  std::vector<std::string> texts, problems;
  double share = 0;
};

TRead ReadAll(const std::string& bytes) {
  std::istringstream in(bytes);
  TTextLines lines(in);
  TRead read;
  TSourceLine line;
  while (lines.Next(line)) {
    read.texts.push_back(line.Text);
    read.problems.push_back(line.Problem);
  }
  read.share = lines.ShareRead();
  return read;
}

TEST(TextLines, Utf16WithAByteOrderMarkIsReadInEitherByteOrder) {
  for (const bool little : {true, false}) {
    const TRead read = ReadAll(Utf16(u"_Object_Name\tX\r\nНасос\t1\nБак\t2\r", little));
    EXPECT_EQ((std::vector<std::string>{"_Object_Name\tX", Cp("Насос\t1"), Cp("Бак\t2")}),
              read.texts)
        << little;
    EXPECT_EQ(1.0, read.share);
  }
}

// Characters code page 1251 has no room for, units that make no character
// and an odd byte at the end are reported on their lines; the others read.
TEST(TextLines, Utf16ThatCannotBeStoredIsReportedByLine) {
  // A surrogate pair split by the end of the first block read (64 KiB).
  std::u16string units = u"A\n" + std::u16string(32765, u'x') + u"\U0001F600\nok\n";
  // A high surrogate without its low one, a low one alone.
  units += std::u16string{char16_t(0xD800), u'z', u'\n', char16_t(0xDC00), u'\n'} + u"last";
  std::string bytes = Utf16(units, true) + "\x41";
  const TRead read = ReadAll(bytes);
  ASSERT_EQ(6u, read.texts.size());
  EXPECT_EQ("A", read.texts[0]);
  EXPECT_NE(std::string::npos, read.problems[1].find("U+1F600")) << read.problems[1];
  EXPECT_EQ("ok", read.texts[2]);
  for (size_t i : {3u, 4u, 5u})
    EXPECT_NE(std::string::npos, read.problems[i].find("U+FFFD")) << i << read.problems[i];
  EXPECT_EQ(1.0, read.share);
}

TEST(TextLines, Utf32IsRefused) {
  for (const std::string& bytes :
       {std::string("\xFF\xFE\0\0A\0\0\0", 8), std::string("\0\0\xFE\xFF\0\0\0A", 8)}) {
    std::istringstream in(bytes);
    TTextLines lines(in);
    EXPECT_EQ(kUtf32Refused, lines.Problem());
    TSourceLine line;
    EXPECT_FALSE(lines.Next(line));
    EXPECT_EQ(1.0, lines.ShareRead());
  }
}

class TextFiles : public testing::StorageTest {};

TEST_F(TextFiles, OnlyRegularFilesAreOpened) {
  std::filesystem::create_directories(Path("folder"));
  ASSERT_EQ(0, mkfifo(Path("fifo").c_str(), 0600));
  WriteBytes(Path("table.txt"), "_Object_Name\tX\n");
  std::filesystem::create_symlink(Path("table.txt"), Path("link.txt"));
  for (const std::string& path : {Path("folder"), Path("fifo"), std::string("/dev/zero")}) {
    EXPECT_EQ(path + " is not a file", NotAFileProblem(path));
    TTextFileLines lines;
    EXPECT_FALSE(lines.Open(path));
    EXPECT_EQ(path + " is not a file", sink.Last());
  }
  for (const std::string& path : {Path("table.txt"), Path("link.txt"), Path("none.txt")})
    EXPECT_EQ("", NotAFileProblem(path)) << path;

  WriteBytes(Path("wide.txt"), std::string("\xFF\xFE\0\0", 4));
  TTextFileLines lines;
  EXPECT_FALSE(lines.Open(Path("wide.txt")));
  EXPECT_EQ("The file is UTF-32 encoded; save it as UTF-8", sink.Last());
}

} // namespace
} // namespace vandro
