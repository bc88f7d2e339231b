#include "app/charts/sel_chart_dlg.h"

#include "app/charts/chart_form.h"
#include "app/shell/guard.h"
#include "app/shell/main_window_services.h"
#include "app/shell/text_edge.h"
#include "charts/chart_list.h"
#include "model/project.h"
#include "shell/messages.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>

namespace vandro {

namespace {

// The chart list's questions for a name, in a small window of their own.
TChartNamePrompt NamePrompt(QWidget* parent) {
  return [parent](const std::string& prompt, std::string& text) {
    return AskText(parent, QStringLiteral("Chart"), FromCore(prompt), text);
  };
}

} // namespace

TSelChartDlg::TSelChartDlg(TMainForm& main)
    : QDialog(MainWindowWidget(main)), main_(main), list_(new QListWidget) {
  setWindowTitle(QStringLiteral("ChrtList"));
  list_->setAccessibleName(QStringLiteral("Charts"));
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] { OpenSelected(); });

  auto* buttons = new QVBoxLayout;
  const struct {
    const char* caption;
    void (TSelChartDlg::*action)();
  } commands[] = {
      {"New", &TSelChartDlg::NewChart},
      {"Open", &TSelChartDlg::OpenSelected},
      {"Delete", &TSelChartDlg::DeleteSelected},
      {"Rename", &TSelChartDlg::RenameSelected},
  };
  for (const auto& command : commands) {
    auto* button = new QPushButton(QString::fromLatin1(command.caption));
    button->setAccessibleName(button->text());
    // A project opened for looking offers only Open.
    button->setEnabled(command.action == &TSelChartDlg::OpenSelected || ChartsMayChange());
    const auto action = command.action;
    connect(button, &QPushButton::clicked, this, [this, action] { (this->*action)(); });
    buttons->addWidget(button);
  }
  buttons->addStretch();
  auto* close = new QPushButton(QStringLiteral("Close"));
  close->setAccessibleName(close->text());
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  buttons->addWidget(close);

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(buttons);
  resize(380, 300);
  Refresh();
}

QPushButton* TSelChartDlg::Button(const QString& caption) const {
  for (QPushButton* button : findChildren<QPushButton*>())
    if (button->text() == caption) return button;
  return nullptr;
}

void TSelChartDlg::Refresh() {
  const QString current = list_->currentItem() ? list_->currentItem()->text() : QString();
  list_->clear();
  if (const TProject* project = CurrentProject())
    for (const std::string& name : project->ChartNames())
      list_->addItem(FromCore(name));
  const auto found = list_->findItems(current, Qt::MatchFixedString);
  list_->setCurrentItem(found.isEmpty() ? list_->item(0) : found.front());
}

std::string TSelChartDlg::Selected() const {
  std::string name;
  if (list_->currentItem()) TryToCore(list_->currentItem()->text(), name);
  if (name.empty()) ShowMsg("Select a chart");
  return name;
}

void TSelChartDlg::NewChart() {
  RunCommand([&] {
    const std::optional<std::string> name = vandro::NewChart(NamePrompt(this));
    if (!name) return;
    if (OpenChartWindow(main_, *name, true)) accept();
  });
}

void TSelChartDlg::OpenSelected() {
  RunCommand([&] {
    const std::string name = Selected();
    if (!name.empty() && OpenStoredChart(main_, name)) accept();
  });
}

void TSelChartDlg::DeleteSelected() {
  RunCommand([&] {
    const std::string name = Selected();
    if (name.empty() || !DeleteChart(name)) return;
    Refresh();
    RefreshProjectManager(main_);
  });
}

void TSelChartDlg::RenameSelected() {
  RunCommand([&] {
    const std::string name = Selected();
    if (name.empty() || !RenameChart(name, NamePrompt(this))) return;
    Refresh();
    RefreshProjectManager(main_);
  });
}

TChartForm* OpenChartWindow(TMainForm& main, const std::string& name, bool isNew) {
  auto* form = new TChartForm;
  if (!form->Open(name, isNew)) {
    delete form;
    ReleaseChart(name);
    return nullptr;
  }
  QObject::connect(form, &TChartForm::chartStored, form, [&main] { RefreshProjectManager(main); });
  if (!OpenMainChild(main, form)) return nullptr; // the form is gone, and its mark with it
  return form;
}

TChartForm* OpenStoredChart(TMainForm& main, const std::string& name) {
  if (!OpenChart(name, MainChildren(main))) return nullptr;
  return OpenChartWindow(main, name, false);
}

void RunChartList(TMainForm& main) {
  TSelChartDlg dialog(main);
  dialog.exec();
}

} // namespace vandro
