#include "app/groups/rollback_dlg.h"

#include "app/model/moment_picker.h"
#include "app/shell/guard.h"
#include "app/shell/main_window_services.h"
#include "app/shell/text_edge.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace vandro {

namespace {
// Counting reads every record: not at each step of a spinning picker.
constexpr int kRecountDelayMs = 300;
} // namespace

TRollbackDlg::TRollbackDlg(QWidget& main) : QDialog(&main), main_(main), progress_(&main) {
  setObjectName(QStringLiteral("rollbackDialog"));
  setWindowTitle(QStringLiteral("Rollback"));
  auto* layout = new QVBoxLayout(this);
  auto* prompt = new QLabel(QString::fromLatin1(kRollbackPrompt));
  layout->addWidget(prompt);
  moment_ = new TMomentPicker;
  prompt->setBuddy(moment_->DateEdit());
  layout->addWidget(moment_);
  auto* notice = new QLabel(QString::fromLatin1(kRollbackNotice1) + QLatin1Char('\n') +
                            QString::fromLatin1(kRollbackNotice2));
  notice->setAccessibleName(QStringLiteral("Notice"));
  layout->addWidget(notice);
  count_ = new QLabel;
  count_->setAccessibleName(QStringLiteral("Records to delete"));
  layout->addWidget(count_);
  recount_ = new QTimer(this);
  recount_->setSingleShot(true);
  recount_->setInterval(kRecountDelayMs);
  connect(recount_, &QTimer::timeout, this, &TRollbackDlg::Recount);
  connect(moment_->DateEdit(), &QDateEdit::dateChanged, recount_, qOverload<>(&QTimer::start));
  connect(moment_->TimeEdit(), &QTimeEdit::timeChanged, recount_, qOverload<>(&QTimer::start));
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

TRollbackDlg& TRollbackDlg::Instance(QWidget& main) {
  if (auto* dialog = main.findChild<TRollbackDlg*>(QStringLiteral("rollbackDialog"),
                                                   Qt::FindDirectChildrenOnly))
    return *dialog;
  return *new TRollbackDlg(main);
}

void TRollbackDlg::Recount() {
  recount_->stop();
  window_.SetMoment(moment_->Moment());
  count_->clear();
  RunCommand([&] {
    count_->setText(
        FromCore(window_.CountText()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  });
}

int TRollbackDlg::Run() {
  window_.Prepare();
  moment_->SetMoment(window_.Moment());
  Recount();
  const int answer = exec();
  recount_->stop();
  if (answer != QDialog::Accepted) return -1;
  window_.SetMoment(moment_->Moment());
  int deleted = -1;
  RunCommand([&] {
    if (const auto count = window_.Run(*this, &progress_)) deleted = *count;
  });
  return deleted;
}

void TRollbackDlg::SetWaiting(bool waiting) {
  ShowWaiting(waiting);
  if (waiting) main_.repaint();
}

} // namespace vandro
