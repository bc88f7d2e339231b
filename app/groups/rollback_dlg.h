// TRollbackDlg: "Enter date and time:" for Records: Rollback, one instance
// per main window, shown modally; its rules are the rollback window's
// (editing/rollback_window.h). Under the pickers it says what the moment
// would delete, counted again shortly after the pickers stop changing. The
// rollback reports through the program's progress window.
#pragma once

#include "app/shell/progress_window.h"
#include "editing/rollback_window.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;

namespace vandro {

class TMomentPicker;

class TRollbackDlg final : public QDialog, private TRollbackHost {
  Q_OBJECT
public:
  // main: the main window, whose child the dialog is.
  explicit TRollbackDlg(QWidget& main);
  ~TRollbackDlg() override;

  // The main window's instance, made on first use.
  static TRollbackDlg& Instance(QWidget& main);

  // The command: the window at now, then, on OK, the question and the
  // deleting; the count deleted, or -1 when nothing was run.
  int Run();

  TMomentPicker* Moment() const { return moment_; }
  QPushButton* OkButton() const { return ok_; }
  // What the moment would delete; Recount brings it up to the pickers now.
  QLabel* CountLabel() const { return count_; }
  void Recount();
  // The progress window of the last run (hidden once it ended).
  const TProgressWindow& Progress() const { return progress_; }

private:
  void SetWaiting(bool waiting) override;

  QWidget& main_;
  TRollbackWindow window_;
  TProgressWindow progress_;
  TMomentPicker* moment_;
  QLabel* count_;
  QTimer* recount_;
  QPushButton* ok_;
};

} // namespace vandro
