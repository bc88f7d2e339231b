// TRollbackDlg: "Enter date and time:" for Records: Rollback, one instance
// per main window, shown modally; its rules are the rollback window's
// (editing/rollback_window.h). TProgressWindow is the progress window the
// rollback reports through.
#pragma once

#include "editing/rollback_window.h"

#include <QDialog>

#include <memory>

class QLabel;
class QProgressDialog;
class QPushButton;

namespace vandro {

class TMainForm;
class TMomentPicker;

// A modal progress window: a caption and a bar from 0 to 100 %, shown from
// Start to End and repainted as it moves.
class TProgressWindow final : public TProgress {
public:
  explicit TProgressWindow(QWidget* parent);
  ~TProgressWindow() override;
  void Start(const std::string& caption) override;
  bool Update(double share) override;
  void End() override;
  QProgressDialog* Window() const { return window_.get(); }

private:
  std::unique_ptr<QProgressDialog> window_;
};

class TRollbackDlg final : public QDialog, private TRollbackHost {
  Q_OBJECT
public:
  explicit TRollbackDlg(TMainForm& main);
  ~TRollbackDlg() override;

  // The main window's instance, made on first use.
  static TRollbackDlg& Instance(TMainForm& main);

  // The command: the window at now, then, on OK, the question and the
  // deleting; the count deleted, or -1 when nothing was run.
  int Run();

  TMomentPicker* Moment() const { return moment_; }
  QPushButton* OkButton() const { return ok_; }
  // The progress window of the last run (hidden once it ended).
  const TProgressWindow& Progress() const { return progress_; }

private:
  void SetWaiting(bool waiting) override;

  TMainForm& main_;
  TRollbackWindow window_;
  TProgressWindow progress_;
  TMomentPicker* moment_;
  QPushButton* ok_;
};

} // namespace vandro
