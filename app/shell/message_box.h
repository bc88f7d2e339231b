// The "Message Box" window: every message, list and question of the system,
// shown modally and laid out by the rules in shell/message_box_layout.h.
// TMessageBoxSink installs it as the core's message sink.
#pragma once

#include "shell/message_box_layout.h"
#include "shell/messages.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vandro {

class TSettings;

class TMessageBoxDlg final : public QDialog {
  Q_OBJECT
public:
  TMessageBoxDlg(const TWindowPlacement& mainWindow, QWidget* parent = nullptr);

  // Lays the box out for a text (a list's lines joined by line breaks) and
  // sets its captions and default button; exec() then shows it.
  void Prepare(TMessageBoxKind kind, const QString& text, bool yesDefault = false);

  QLabel* Label() const { return label_; }
  QPlainTextEdit* ListArea() const { return list_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }
  const TMessageBoxLayout& Layout() const { return layout_; }
  // The line height h of the box's font.
  int LineHeight() const;

private:
  // The text's lines, long ones wrapped to what the widest box holds.
  QStringList WrappedLines(const QString& text, int room) const;

  TWindowPlacement mainWindow_;
  TMessageBoxLayout layout_;
  QLabel* information_;
  QLabel* question_;
  QLabel* label_;
  QPlainTextEdit* list_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

class TMessageBoxSink final : public TMessageSink {
public:
  // The box is centred on the main window's placement as the settings keep it.
  explicit TMessageBoxSink(const TSettings& settings) : settings_(settings) {}

  void Show(const std::string& text) override;
  void ShowList(const std::vector<std::string>& lines) override;
  bool Ask(const std::string& text, bool yesDefault) override;
  int Choose(const std::string& text, const std::vector<std::string>& buttons,
             int defaultButton) override;

private:
  int Run(TMessageBoxKind kind, const QString& text, bool yesDefault);
  const TSettings& settings_;
};

} // namespace vandro
