// Where the parts of the "Message Box" window go: the one modal box every
// message, list and question of the system is shown in.
//
// The box is 387 by 129 pixels in its initial layout. Its height follows the
// text: with h = round(1.5 x the height of a line of the box's font), a text
// of n lines makes it n x h + 128 high, a list 15 x h + 128. It is centred on
// the main window and kept whole on the screen. The window toolkit measures the font and
// the text; everything else is decided here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vandro {

enum class TMessageBoxKind { Information, List, Question };

struct TBoxRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct TMessageBoxLayout {
  int left = 0; // the box on the screen
  int top = 0;
  int width = 0; // client area
  int height = 0;
  bool questionPicture = false; // else the information picture
  TBoxRect picture;
  bool list = false; // the scrolling text area instead of the label
  TBoxRect text;
  TBoxRect okButton; // captioned "OK", or "Yes" for a question
  bool cancelVisible = false;
  TBoxRect cancelButton; // captioned "No" for a question
  bool okDefault = true; // else "No" is the default button
};

inline constexpr int kMessageBoxWidth = 387;
inline constexpr int kMessageBoxHeight = 129;
inline constexpr int kMessageBoxExtra = 128; // height beyond the text's lines
inline constexpr int kMessagePictureSize = 32;
inline constexpr int kMessageTextLeft = 56;
inline constexpr int kMessageTextTop = 48;
inline constexpr int kMessageButtonWidth = 75;
inline constexpr int kMessageButtonHeight = 25;
inline constexpr int kMessageButtonBottomGap = 20;
inline constexpr int kMessageListLines = 15;

// The line height h for a font whose lines are fontLineHeight pixels high.
int MessageLineHeight(int fontLineHeight);

// The text's lines: split at CR LF, and at a lone LF or CR.
std::vector<std::string> MessageLines(std::string_view text);

// The main window's saved position and size.
struct TWindowPlacement {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// lines: the number of lines shown (ignored for a list); textWidth: the
// widest of them in pixels, which widens the box beyond 387 pixels up to
// maxWidth (the caller wraps lines that would not fit).
TMessageBoxLayout LayoutMessageBox(TMessageBoxKind kind, int lines, int lineHeight, int textWidth,
                                   bool yesDefault, const TWindowPlacement& main, int maxWidth);

// Moves the box, as little as it takes, inside the screen's available area
// (a main window partly off the screen would otherwise take the box with
// it). A box larger than the area keeps its top left corner in it, where its
// caption and the start of its text are.
void KeepOnScreen(TMessageBoxLayout& layout, const TWindowPlacement& screen);

// The widest text a box of at most maxWidth pixels has room for.
int MessageTextRoom(int maxWidth);

} // namespace vandro
