#include "shell/messages.h"
#include "shell/text.h"
#include "support/cp.h"
#include "support/scripted_sink.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

using testing::Cp;

TEST(Text, CaseFoldsLatinAndCyrillicOfTheCodePage) {
  EXPECT_EQ(Cp("ABC ЖЁЇЎЂ Z9"), UpperCase(Cp("abc жёїўђ Z9")));
  EXPECT_EQ(Cp("abc жёїўђ z9"), LowerCase(Cp("ABC ЖЁЇЎЂ Z9")));
  // Characters without a case in the code page stay as they are.
  EXPECT_EQ(Cp("±µ№"), UpperCase(Cp("±µ№")));
  EXPECT_TRUE(SameText(Cp("Дата"), Cp("ДАТА")));
  EXPECT_LT(CompareText("abc", "ABD"), 0);
  EXPECT_EQ(0, CompareText(Cp("яблоко"), Cp("ЯБЛОКО")));
}

TEST(Text, TrimDropsBlanksAndControlCharacters) {
  EXPECT_EQ("a b", Trim(" \t a b \r\n"));
  EXPECT_EQ("a b \r\n", TrimLeft(" \t a b \r\n"));
  EXPECT_EQ(" \t a b", TrimRight(" \t a b \r\n"));
  EXPECT_EQ("", Trim("   "));
}

TEST(Text, EveryByteSurvivesTheRoundTripThroughUtf8) {
  std::string all;
  for (int b = 1; b < 256; ++b)
    all += static_cast<char>(b);
  std::string back;
  ASSERT_TRUE(Utf8ToCp1251(Cp1251ToUtf8(all), back));
  EXPECT_EQ(all, back);
  EXPECT_EQ("\xC2\xB1", Cp1251ToUtf8("\xB1"));
}

TEST(Text, CharactersOutsideTheCodePageAreRefusedNotMangled) {
  struct Case {
    std::string utf8;
    std::string message;
  };
  const Case cases[] = {
      {"price \xE2\x82\xAC", ""}, // the euro sign is in the code page
      {"\xE4\xB8\xAD", "The character U+4E2D at byte 1 can't be stored: only code page 1251 "
                       "characters are allowed"},
      {"ok \xF0\x9F\x98\x80", "The character U+1F600 at byte 4 can't be stored: only code page "
                              "1251 characters are allowed"},
      {"bad \xC3", "The text is not valid UTF-8 at byte 5"},
      {"\xC0\xAF", "The text is not valid UTF-8 at byte 1"}, // overlong "/"
  };
  for (const auto& c : cases) {
    std::string out, error;
    EXPECT_EQ(c.message.empty(), Utf8ToCp1251(c.utf8, out, &error)) << c.utf8;
    EXPECT_EQ(c.message, error);
  }
  testing::ScriptedSink sink;
  EXPECT_THROW(Utf8ToCp1251OrRaise("\xE4\xB8\xAD"), ErrorException);
  EXPECT_EQ(1u, sink.Messages().size());
}

} // namespace
} // namespace vandro
