#include "app/shell/progress_window.h"

#include <QApplication>
#include <QProgressDialog>

#include <algorithm>
#include <cmath>

namespace vandro {

namespace {
constexpr int kSteps = 1000; // of the bar
} // namespace

TProgressWindow::TProgressWindow(QWidget* parent, bool cancellable)
    : window_(std::make_unique<QProgressDialog>(parent)), cancellable_(cancellable) {
  window_->setWindowModality(Qt::ApplicationModal);
  if (cancellable_)
    window_->setCancelButtonText(QStringLiteral("Cancel"));
  else
    window_->setCancelButton(nullptr);
  window_->setAutoReset(false);
  window_->setAutoClose(false);
  window_->setMinimumDuration(0);
  window_->setRange(0, kSteps);
  window_->setAccessibleName(QStringLiteral("Progress"));
  // A progress dialog shows itself after its minimum duration unless reset;
  // this one shows only from Start to End.
  window_->reset();
  window_->hide();
}

TProgressWindow::~TProgressWindow() = default;

void TProgressWindow::Start(const std::string& caption) {
  window_->setLabelText(QString::fromLatin1(caption.c_str()));
  window_->setWindowTitle(QString::fromLatin1(caption.c_str()));
  window_->setValue(0);
  window_->show();
  window_->repaint();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool TProgressWindow::Update(double share) {
  const int value = static_cast<int>(std::lround(std::clamp(share, 0.0, 1.0) * kSteps));
  // Events are let through once per step of the bar, not per call: the
  // work may report every record. The window is application-modal: its
  // Cancel is the only input that reaches the program meanwhile.
  if (value != window_->value()) {
    window_->setValue(value);
    QApplication::processEvents(cancellable_ ? QEventLoop::AllEvents
                                             : QEventLoop::ExcludeUserInputEvents);
  }
  return !(cancellable_ && window_->wasCanceled());
}

void TProgressWindow::End() {
  window_->hide();
  window_->reset();
}

} // namespace vandro
