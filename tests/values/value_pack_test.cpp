#include "shell/messages.h"
#include "support/scripted_sink.h"
#include "values/value.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

TValue::Ptr Make(TValueKind kind, const std::string& text) {
  auto v = TValue::Create("test");
  v->SetText(kind, text);
  return v;
}

TEST(PackedValues, APlainValueIsLengthKindText) {
  EXPECT_EQ(std::string("\x00\x05\x00"
                        "ab",
                        5),
            Make(vkPlain, "ab")->PackValue());
  EXPECT_EQ(std::string("\x00\x03\x04", 3), Make(vkCalculated, "")->PackValue());
}

TEST(PackedValues, NestedArraysRoundTrip) {
  auto outer = Make(vkArray, "");
  auto inner = Make(vkArray, "");
  inner->AddItem(Make(vkPlain, "1"));
  inner->AddItem(Make(vkObject, "65"));
  outer->AddItem(std::move(inner));
  outer->AddItem(Make(vkLink, "file"));
  outer->AddItem(Make(vkArray, ""));
  const std::string packed = outer->PackValue();
  EXPECT_EQ(std::string("\x00\x1F\x02\x00\x03" // outer: 31 bytes, 3 items
                        "\x00\x0E\x02\x00\x02" // inner: 14 bytes, 2 items
                        "\x00\x04\x00"
                        "1"
                        "\x00\x05\x01"
                        "65" //
                        "\x00\x07\x03"
                        "file"                  //
                        "\x00\x05\x02\x00\x00", // empty array
                        31),
            packed);

  // Values follow one another in one text; positions are 1-based.
  const std::string text = "xx" + packed + Make(vkPlain, "tail")->PackValue();
  TValue first, second;
  const size_t next = first.UnpackValue(text, 3);
  EXPECT_EQ(3 + packed.size(), next);
  EXPECT_TRUE(first.Equals(*outer));
  EXPECT_EQ(text.size() + 1, second.UnpackValue(text, next));
  EXPECT_EQ("tail", second.Text());
}

TEST(PackedValues, TooLongIsRefusedNotTruncated) {
  testing::ScriptedSink sink;
  const auto fits = Make(vkPlain, std::string(65532, 'x'));
  EXPECT_EQ(65535u, fits->PackValue().size());
  EXPECT_THROW(Make(vkPlain, std::string(65533, 'x'))->PackValue(), ErrorException);
  EXPECT_EQ("Value is too long to store", sink.Last());
  auto array = Make(vkArray, "");
  for (int i = 0; i < 3; ++i)
    array->AddItem(Make(vkPlain, std::string(30000, 'x')));
  EXPECT_THROW(array->PackValue(), ErrorException);
}

TEST(PackedValues, AnUnknownKindIsReportedAndReadAsPlain) {
  testing::ScriptedSink sink;
  TValue v;
  v.UnpackValue(std::string("\x00\x05\x07"
                            "ab",
                            5),
                1);
  EXPECT_EQ("Unknown tag:\x07 (byte 7) at position 1", sink.Last());
  EXPECT_TRUE(v.IsPlain());
  EXPECT_EQ("ab", v.Text());
}

TEST(PackedValues, DamagedTextsRaiseAndReadNothingOutside) {
  struct Case {
    std::string text;
    size_t position;
    std::string message;
  };
  const Case cases[] = {
      {std::string("\x00\x05", 2), 1,
       "Damaged packed value at position 1: the header runs past the end of the text"},
      {std::string("\x00\x09\x00"
                   "ab",
                   5),
       1, "Damaged packed value at position 1: length 9 runs past the end of the text"},
      {std::string("\x00\x02\x00", 3), 1,
       "Damaged packed value at position 1: length 2 runs past the end of the text"},
      {std::string("\x00\x04\x02\x00", 4), 1,
       "Damaged packed value at position 1: an array without its item count"},
      // The array claims two items but its length holds one.
      {std::string("\x00\x09\x02\x00\x02\x00\x04\x00"
                   "1"
                   "\x00\x04\x00"
                   "2",
                   13),
       1, "Damaged packed value at position 10: the header runs past the end of the text"},
      {std::string("\x00\x03\x00", 3), 4,
       "Damaged packed value at position 4: the header runs past the end of the text"},
      {std::string("\x00\x03\x00", 3), 0,
       "Damaged packed value at position 1: no value starts before the text"},
  };
  for (const auto& c : cases) {
    testing::ScriptedSink sink;
    TValue v;
    v.SetPlain("before");
    try {
      v.UnpackValue(c.text, c.position);
      ADD_FAILURE() << "no exception for " << c.message;
    } catch (const ErrorException& e) {
      EXPECT_EQ(c.message, e.Message());
      EXPECT_EQ("System Error: Something wrong.\r\n" + c.message, sink.Last());
    }
    EXPECT_TRUE(v.IsNull());
  }
}

TEST(PackedValues, DeepNestingIsRefused) {
  testing::ScriptedSink sink;
  std::string text;
  for (int i = 0; i < 300; ++i)
    text += std::string("\x00\x00\x02\x00\x01", 5);
  text += std::string("\x00\x03\x00", 3);
  // Fix the lengths from the inside out so only the depth is wrong.
  for (int i = 299; i >= 0; --i) {
    const size_t length = text.size() - static_cast<size_t>(i) * 5;
    text[static_cast<size_t>(i) * 5] = static_cast<char>(length >> 8);
    text[static_cast<size_t>(i) * 5 + 1] = static_cast<char>(length & 0xFF);
  }
  TValue v;
  EXPECT_THROW(v.UnpackValue(text, 1), ErrorException);
  EXPECT_NE(std::string::npos, sink.Last().find("arrays nested too deeply"));
}

} // namespace
} // namespace vandro
