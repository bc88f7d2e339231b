#include "shell/names.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

TEST(Names, FaultsAtTheCapacityAndForEveryControlCharacter) {
  struct Case {
    std::string name;
    size_t capacity;
    std::string fault;
  };
  const Case cases[] = {
      {std::string(32, 'N'), 32, ""},
      {std::string(32, '\xC6'), 32, ""}, // code page 1251: a byte a character
      {std::string(33, 'N'), 32, "The name is longer than 32 characters: " + std::string(33, 'N')},
      {std::string(17, 'm'), 16, "The name is longer than 16 characters: " + std::string(17, 'm')},
      {"A\x01", 32, "The name holds a control character"},
      {"A\x1f", 32, "The name holds a control character"},
      {"A\x7f", 32, "The name holds a control character"},
      // A long name with a control character is said to hold it, so that the
      // message itself carries none.
      {std::string(40, 'N') + "\n", 32, "The name holds a control character"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.fault, NameFault(c.name, c.capacity)) << c.name;
}

TEST(Names, EscapedControlsKeepTheRestAndTheCharactersAsked) {
  EXPECT_EQ("a\\x1b[2Jb\\x7f\\x00", EscapeControls(std::string("a\x1b[2Jb\x7f\0", 8)));
  EXPECT_EQ("x\ty\\x0d\nz\xB1", EscapeControls("x\ty\r\nz\xB1", "\t\n"));
}

} // namespace
} // namespace vandro
