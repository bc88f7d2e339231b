#include "shell/message_box_layout.h"

#include <algorithm>
#include <cmath>

namespace vandro {

namespace {

// The question picture mirrors the information picture at the right edge, so
// the text keeps the same margin on both sides.
constexpr int kPictureLeft = 12;
constexpr int kPictureTop = 44;
constexpr int kRightMargin = kMessageTextLeft;
constexpr int kButtonGap = 10; // between "Yes" and "No"

} // namespace

int MessageLineHeight(int fontLineHeight) {
  return static_cast<int>(std::lround(1.5 * fontLineHeight));
}

std::vector<std::string> MessageLines(std::string_view text) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

int MessageTextRoom(int maxWidth) {
  return std::max(kMessageBoxWidth, maxWidth) - kMessageTextLeft - kRightMargin;
}

void KeepOnScreen(TMessageBoxLayout& layout, const TWindowPlacement& screen) {
  const auto inside = [](int at, int size, int start, int room) {
    return std::max(start, std::min(at, start + room - size));
  };
  layout.left = inside(layout.left, layout.width, screen.left, screen.width);
  layout.top = inside(layout.top, layout.height, screen.top, screen.height);
}

TMessageBoxLayout LayoutMessageBox(TMessageBoxKind kind, int lines, int lineHeight, int textWidth,
                                   bool yesDefault, const TWindowPlacement& main, int maxWidth) {
  TMessageBoxLayout layout;
  const int shownLines = kind == TMessageBoxKind::List ? kMessageListLines : std::max(lines, 1);
  const int textHeight = shownLines * lineHeight;
  layout.width = std::clamp(kMessageTextLeft + textWidth + kRightMargin, kMessageBoxWidth,
                            std::max(kMessageBoxWidth, maxWidth));
  layout.height = textHeight + kMessageBoxExtra;
  layout.left = main.left + (main.width - layout.width) / 2;
  layout.top = main.top + (main.height - layout.height) / 2;

  layout.questionPicture = kind == TMessageBoxKind::Question;
  const int pictureLeft =
      layout.questionPicture ? layout.width - kPictureLeft - kMessagePictureSize : kPictureLeft;
  layout.picture = {pictureLeft, kPictureTop, kMessagePictureSize, kMessagePictureSize};

  layout.list = kind == TMessageBoxKind::List;
  layout.text = {kMessageTextLeft, kMessageTextTop,
                 layout.width - kMessageTextLeft - (layout.list ? kPictureLeft : kRightMargin),
                 textHeight};

  const int buttonTop = layout.height - kMessageButtonBottomGap - kMessageButtonHeight;
  if (kind == TMessageBoxKind::Question) {
    const int pairLeft = (layout.width - 2 * kMessageButtonWidth - kButtonGap) / 2;
    layout.okButton = {pairLeft, buttonTop, kMessageButtonWidth, kMessageButtonHeight};
    layout.cancelButton = {pairLeft + kMessageButtonWidth + kButtonGap, buttonTop,
                           kMessageButtonWidth, kMessageButtonHeight};
    layout.cancelVisible = true;
    layout.okDefault = yesDefault;
  } else {
    layout.okButton = {(layout.width - kMessageButtonWidth) / 2, buttonTop, kMessageButtonWidth,
                       kMessageButtonHeight};
  }
  return layout;
}

} // namespace vandro
