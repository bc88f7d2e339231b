#include "shell/message_box_layout.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

const TWindowPlacement kMain{100, 50, 800, 600};
constexpr int kWide = 1200;

TEST(MessageBoxLayout, HeightFollowsTheLines) {
  const int h = MessageLineHeight(13); // round(19.5)
  EXPECT_EQ(20, h);
  EXPECT_EQ(18, MessageLineHeight(12));

  const auto three = LayoutMessageBox(TMessageBoxKind::Information, 3, h, 100, false, kMain, kWide);
  EXPECT_EQ(3 * h + 128, three.height);
  EXPECT_EQ(387, three.width);
  const auto list = LayoutMessageBox(TMessageBoxKind::List, 200, h, 100, false, kMain, kWide);
  EXPECT_EQ(15 * h + 128, list.height);
  EXPECT_EQ(15 * h, list.text.height);
  EXPECT_TRUE(list.list);
}

TEST(MessageBoxLayout, InformationAndQuestionButtons) {
  const int h = 20;
  const auto info = LayoutMessageBox(TMessageBoxKind::Information, 1, h, 100, true, kMain, kWide);
  EXPECT_FALSE(info.questionPicture);
  EXPECT_EQ(12, info.picture.left);
  EXPECT_EQ(56, info.text.left);
  EXPECT_EQ(48, info.text.top);
  EXPECT_FALSE(info.cancelVisible);
  EXPECT_TRUE(info.okDefault);
  // "OK" centred, its bottom 20 pixels above the box's.
  EXPECT_EQ(info.width - info.okButton.left - info.okButton.width, info.okButton.left);
  EXPECT_EQ(info.height - 20, info.okButton.top + info.okButton.height);

  for (const bool yesDefault : {false, true}) {
    const auto ask =
        LayoutMessageBox(TMessageBoxKind::Question, 2, h, 100, yesDefault, kMain, kWide);
    EXPECT_TRUE(ask.questionPicture);
    EXPECT_GT(ask.picture.left, ask.width / 2); // at the right
    EXPECT_TRUE(ask.cancelVisible);
    EXPECT_EQ(yesDefault, ask.okDefault);
    EXPECT_EQ(ask.height - 20, ask.okButton.top + ask.okButton.height);
    EXPECT_EQ(ask.okButton.top, ask.cancelButton.top);
    EXPECT_LT(ask.okButton.left + ask.okButton.width, ask.cancelButton.left);
  }
}

TEST(MessageBoxLayout, CentredOnTheMainWindowAndWidenedForLongLines) {
  const auto box = LayoutMessageBox(TMessageBoxKind::Information, 1, 20, 100, false, kMain, kWide);
  EXPECT_EQ(100 + (800 - 387) / 2, box.left);
  EXPECT_EQ(50 + (600 - box.height) / 2, box.top);

  const auto wide = LayoutMessageBox(TMessageBoxKind::Information, 1, 20, 500, false, kMain, kWide);
  EXPECT_EQ(56 + 500 + 56, wide.width);
  EXPECT_EQ(500, wide.text.width);
  const auto capped =
      LayoutMessageBox(TMessageBoxKind::Information, 1, 20, 5000, false, kMain, kWide);
  EXPECT_EQ(kWide, capped.width);
  EXPECT_EQ(MessageTextRoom(kWide), capped.text.width);
}

TEST(MessageBoxLayout, KeptWholeOnTheScreen) {
  const TWindowPlacement screen{0, 30, 1280, 770}; // below a panel
  struct Case {
    const char* what;
    TWindowPlacement main;
    int width, height;
    int left, top; // where the box ends up
  };
  const Case cases[] = {
      {"inside: centred, unmoved", {100, 100, 800, 600}, 387, 149, 306, 325},
      {"main window off to the left", {-900, 100, 800, 600}, 387, 149, 0, 325},
      {"main window off to the right", {1000, 100, 800, 600}, 850, 149, 430, 325},
      {"main window above the panel", {100, -500, 800, 600}, 387, 149, 306, 30},
      {"main window below the screen", {100, 600, 800, 600}, 387, 289, 306, 511},
      {"box wider than the screen", {100, 100, 800, 600}, 1500, 149, 0, 325},
      {"box higher than the screen", {100, 100, 800, 600}, 387, 900, 306, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TMessageBoxLayout box;
    box.width = c.width;
    box.height = c.height;
    box.left = c.main.left + (c.main.width - c.width) / 2;
    box.top = c.main.top + (c.main.height - c.height) / 2;
    KeepOnScreen(box, screen);
    EXPECT_EQ(c.left, box.left);
    EXPECT_EQ(c.top, box.top);
  }
}

TEST(MessageBoxLayout, LinesSplitAtEveryKindOfBreak) {
  EXPECT_EQ((std::vector<std::string>{"a", "b", "c", "", "d"}), MessageLines("a\r\nb\nc\r\r\nd"));
  EXPECT_EQ(std::vector<std::string>{""}, MessageLines(""));
  EXPECT_EQ((std::vector<std::string>{"Are you sure?", ""}), MessageLines("Are you sure?\r\n"));
}

} // namespace
} // namespace vandro
