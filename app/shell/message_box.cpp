#include "app/shell/message_box.h"

#include "app/shell/text_edge.h"
#include "shell/settings.h"

#include <algorithm>

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace vandro {

namespace {

void Place(QWidget* widget, const TBoxRect& rect) {
  widget->setGeometry(rect.left, rect.top, rect.width, rect.height);
}

QLabel* Picture(QWidget* parent, QStyle::StandardPixmap which) {
  auto* picture = new QLabel(parent);
  picture->setPixmap(
      parent->style()->standardIcon(which).pixmap(kMessagePictureSize, kMessagePictureSize));
  return picture;
}

// The part of the screen the main window is on that windows may take, less
// the room the box's own title bar needs below its client area.
TWindowPlacement AvailableArea(const QWidget* box, const TWindowPlacement& main) {
  const QPoint centre(main.left + main.width / 2, main.top + main.height / 2);
  const QScreen* screen = QGuiApplication::screenAt(centre);
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return {main.left, main.top, 1 << 20, 1 << 20};
  const QRect area = screen->availableGeometry();
  const int titleBar = box->style()->pixelMetric(QStyle::PM_TitleBarHeight);
  return {area.left(), area.top(), area.width(), std::max(0, area.height() - titleBar)};
}

// A box wider than this is hard to read; longer lines wrap.
int MaxBoxWidth(const QWidget* box) {
  const QScreen* screen = box->screen();
  const int available = screen ? screen->availableGeometry().width() : 1024;
  return std::min(900, available * 9 / 10);
}

} // namespace

TMessageBoxDlg::TMessageBoxDlg(const TWindowPlacement& mainWindow, QWidget* parent)
    : QDialog(parent), mainWindow_(mainWindow) {
  setWindowTitle(QStringLiteral("Message Box"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  information_ = Picture(this, QStyle::SP_MessageBoxInformation);
  question_ = Picture(this, QStyle::SP_MessageBoxQuestion);
  label_ = new QLabel(this);
  label_->setTextFormat(Qt::PlainText);
  label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  list_ = new QPlainTextEdit(this);
  list_->setReadOnly(true);
  list_->setLineWrapMode(QPlainTextEdit::NoWrap);
  list_->setAccessibleName(QStringLiteral("Message"));
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  setFixedSize(kMessageBoxWidth, kMessageBoxHeight);
}

int TMessageBoxDlg::LineHeight() const {
  return MessageLineHeight(QFontMetrics(font()).height());
}

QStringList TMessageBoxDlg::WrappedLines(const QString& text, int room) const {
  const QFontMetrics metrics(font());
  QStringList lines;
  for (const std::string& raw : MessageLines(text.toStdString())) {
    QString rest = QString::fromStdString(raw);
    while (metrics.horizontalAdvance(rest) > room) {
      // The longest head that fits, broken after a blank or a "/" when there
      // is one, so paths and sentences break where a reader expects.
      int fits = 1;
      while (fits < rest.size() && metrics.horizontalAdvance(rest.left(fits + 1)) <= room)
        ++fits;
      int cut = fits;
      for (int i = fits; i > fits / 2; --i) {
        if (rest[i - 1] == ' ' || rest[i - 1] == '/') {
          cut = i;
          break;
        }
      }
      lines << rest.left(cut);
      rest = rest.mid(cut);
    }
    lines << rest;
  }
  return lines;
}

void TMessageBoxDlg::Prepare(TMessageBoxKind kind, const QString& text, bool yesDefault) {
  const int maxWidth = MaxBoxWidth(this);
  const QFontMetrics metrics(font());
  int lines = 0, widest = 0;
  if (kind == TMessageBoxKind::List) {
    list_->setPlainText(text);
    for (const QString& line : text.split('\n'))
      widest = std::max(widest, metrics.horizontalAdvance(line));
    // Room for the scroll bar.
    widest += style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8;
    label_->clear();
  } else {
    const QStringList wrapped = WrappedLines(text, MessageTextRoom(maxWidth));
    lines = static_cast<int>(wrapped.size());
    for (const QString& line : wrapped)
      widest = std::max(widest, metrics.horizontalAdvance(line));
    label_->setText(wrapped.join('\n'));
  }
  layout_ = LayoutMessageBox(kind, lines, LineHeight(), widest, yesDefault, mainWindow_, maxWidth);
  KeepOnScreen(layout_, AvailableArea(this, mainWindow_));

  setFixedSize(layout_.width, layout_.height);
  move(layout_.left, layout_.top);
  information_->setVisible(!layout_.questionPicture);
  question_->setVisible(layout_.questionPicture);
  Place(layout_.questionPicture ? question_ : information_, layout_.picture);
  label_->setVisible(!layout_.list);
  list_->setVisible(layout_.list);
  Place(layout_.list ? static_cast<QWidget*>(list_) : label_, layout_.text);

  const bool question = kind == TMessageBoxKind::Question;
  ok_->setText(question ? QStringLiteral("Yes") : QStringLiteral("OK"));
  cancel_->setText(question ? QStringLiteral("No") : QStringLiteral("Cancel"));
  cancel_->setVisible(layout_.cancelVisible);
  Place(ok_, layout_.okButton);
  Place(cancel_, layout_.cancelButton);
  // Enter presses the default button; only it may take the role, so a
  // focused "Yes" does not become the default of a question whose default
  // is "No".
  ok_->setAutoDefault(false);
  cancel_->setAutoDefault(false);
  QPushButton* byDefault = layout_.okDefault ? ok_ : cancel_;
  ok_->setDefault(byDefault == ok_);
  cancel_->setDefault(byDefault == cancel_);
  byDefault->setFocus();
}

int TMessageBoxSink::Run(TMessageBoxKind kind, const QString& text, bool yesDefault) {
  // Centred on the main window where it is now; before it shows, on where
  // the settings keep it.
  TWindowPlacement main{settings_.WindowLeft(), settings_.WindowTop(), settings_.WindowWidth(),
                        settings_.WindowHeight()};
  for (const QWidget* window : QApplication::topLevelWidgets())
    if (window->objectName() == QLatin1String("TMainForm") && window->isVisible()) {
      const QRect frame = window->frameGeometry();
      main = {frame.left(), frame.top(), frame.width(), frame.height()};
      break;
    }
  // A box of its own each time, owned by the window the user is in, so it
  // stays above it; the window may go away while the box is open.
  QPointer<TMessageBoxDlg> box = new TMessageBoxDlg(main, QApplication::activeWindow());
  box->Prepare(kind, text, yesDefault);
  // A message in the middle of a long operation is read with the usual
  // pointer, not the waiting one.
  const bool waiting = QApplication::overrideCursor() != nullptr;
  if (waiting) QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int result = box->exec();
  if (waiting) QApplication::restoreOverrideCursor();
  delete box.data();
  return result;
}

void TMessageBoxSink::Show(const std::string& text) {
  Run(TMessageBoxKind::Information, FromCore(text), false);
}

void TMessageBoxSink::ShowList(const std::vector<std::string>& lines) {
  QStringList shown;
  for (const std::string& line : lines)
    shown << FromCore(line);
  Run(TMessageBoxKind::List, shown.join('\n'), false);
}

bool TMessageBoxSink::Ask(const std::string& text, bool yesDefault) {
  return Run(TMessageBoxKind::Question, FromCore(text), yesDefault) == QDialog::Accepted;
}

// A question with buttons of its own is a standard box: the last button
// cancels, so Escape and closing the box press it.
int TMessageBoxSink::Choose(const std::string& text, const std::vector<std::string>& buttons,
                            int defaultButton) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Message Box"), FromCore(text),
                  QMessageBox::NoButton, QApplication::activeWindow());
  std::vector<QPushButton*> pushes;
  for (size_t i = 0; i < buttons.size(); ++i) {
    const bool last = i + 1 == buttons.size();
    QPushButton* push = box.addButton(FromCore(buttons[i]),
                                      last ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    push->setAccessibleName(FromCore(buttons[i]));
    pushes.push_back(push);
  }
  if (defaultButton >= 0 && static_cast<size_t>(defaultButton) < pushes.size())
    box.setDefaultButton(pushes[static_cast<size_t>(defaultButton)]);
  if (!pushes.empty()) box.setEscapeButton(pushes.back());
  const bool waiting = QApplication::overrideCursor() != nullptr;
  if (waiting) QApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  if (waiting) QApplication::restoreOverrideCursor();
  const auto at = std::find(pushes.begin(), pushes.end(), box.clickedButton());
  return at == pushes.end() ? static_cast<int>(pushes.size()) - 1
                            : static_cast<int>(at - pushes.begin());
}

} // namespace vandro
