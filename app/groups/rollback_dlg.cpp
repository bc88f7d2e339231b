#include "app/groups/rollback_dlg.h"

#include "app/model/moment_picker.h"
#include "app/shell/guard.h"
#include "app/shell/main_form.h"

#include <QApplication>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace vandro {

namespace {
constexpr int kSteps = 1000; // of the progress bar
}

TProgressWindow::TProgressWindow(QWidget* parent)
    : window_(std::make_unique<QProgressDialog>(parent)) {
  window_->setWindowModality(Qt::ApplicationModal);
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
  if (value != window_->value()) {
    window_->setValue(value);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  return true;
}

void TProgressWindow::End() {
  window_->hide();
  window_->reset();
}

TRollbackDlg::TRollbackDlg(TMainForm& main) : QDialog(&main), main_(main), progress_(&main) {
  setObjectName(QStringLiteral("rollbackDialog"));
  setWindowTitle(QStringLiteral("Rollback"));
  auto* layout = new QVBoxLayout(this);
  auto* prompt = new QLabel(QString::fromLatin1(kRollbackPrompt));
  layout->addWidget(prompt);
  moment_ = new TMomentPicker;
  moment_->DateEdit()->setAccessibleName(QStringLiteral("Date"));
  moment_->TimeEdit()->setAccessibleName(QStringLiteral("Time"));
  prompt->setBuddy(moment_->DateEdit());
  layout->addWidget(moment_);
  auto* notice = new QLabel(QString::fromLatin1(kRollbackNotice1) + QLatin1Char('\n') +
                            QString::fromLatin1(kRollbackNotice2));
  notice->setAccessibleName(QStringLiteral("Notice"));
  layout->addWidget(notice);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  ok_->setText(QStringLiteral("OK"));
  ok_->setAccessibleName(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
  buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("Cancel"));
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

TRollbackDlg::~TRollbackDlg() = default;

TRollbackDlg& TRollbackDlg::Instance(TMainForm& main) {
  if (auto* dialog = main.findChild<TRollbackDlg*>(QStringLiteral("rollbackDialog"),
                                                   Qt::FindDirectChildrenOnly))
    return *dialog;
  return *new TRollbackDlg(main);
}

int TRollbackDlg::Run() {
  window_.Prepare();
  moment_->SetMoment(window_.Moment());
  if (exec() != QDialog::Accepted) return -1;
  window_.SetMoment(moment_->Moment());
  int deleted = -1;
  RunCommand([&] {
    if (const auto count = window_.Run(*this, &progress_)) deleted = *count;
  });
  return deleted;
}

void TRollbackDlg::SetWaiting(bool waiting) {
  main_.SetWaiting(waiting);
  if (waiting) main_.repaint();
}

} // namespace vandro
