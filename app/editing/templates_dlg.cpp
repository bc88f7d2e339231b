#include "app/editing/templates_dlg.h"

#include "app/editing/structure_commands.h"
#include "app/editing/template_edit_dlg.h"
#include "app/shell/guard.h"
#include "app/shell/text_edge.h"
#include "editing/template_editor.h"
#include "model/project.h"
#include "shell/messages.h"
#include "storage/project_lifecycle.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace vandro {

TTemplatesDlg::TTemplatesDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Templates"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  list_ = new QListWidget;
  list_->setAccessibleName(QStringLiteral("Templates"));
  auto* column = new QVBoxLayout;
  const std::pair<const char*, void (TTemplatesDlg::*)()> buttons[] = {
      {"Add", &TTemplatesDlg::Add},
      {"Edit", &TTemplatesDlg::Edit},
      {"New Record", &TTemplatesDlg::NewRecord},
      {"Delete", &TTemplatesDlg::Delete},
  };
  for (const auto& [caption, press] : buttons) {
    auto* button = new QPushButton(QString::fromLatin1(caption));
    // A project opened for looking is not changed from here.
    button->setEnabled(press == &TTemplatesDlg::Edit || !ProjectIsReadOnly());
    connect(button, &QPushButton::clicked, this, [this, press = press] { (this->*press)(); });
    column->addWidget(button);
  }
  column->addStretch();
  auto* ok = new QPushButton(QStringLiteral("OK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  column->addWidget(ok);
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] { Edit(); });
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(column);
  NameButtonsByCaption(this);
  Fill(QString());
  resize(380, 300);
}

void TTemplatesDlg::Fill(const QString& current) {
  list_->clear();
  if (const TProject* project = CurrentProject())
    for (const std::string& name : project->TemplateNames())
      list_->addItem(FromCore(name));
  const QList<QListWidgetItem*> found = list_->findItems(current, Qt::MatchFixedString);
  list_->setCurrentRow(found.isEmpty() ? (list_->count() ? 0 : -1) : list_->row(found.front()));
}

std::string TTemplatesDlg::Selected() const {
  std::string name;
  if (QListWidgetItem* item = list_->currentItem()) TryToCore(item->text(), name);
  if (name.empty()) ShowMsg("Select a template");
  return name;
}

void TTemplatesDlg::Changed(const QString& current) {
  if (changed_) changed_();
  Fill(current);
}

void TTemplatesDlg::Add() {
  std::unique_ptr<TTemplateEditor> editor;
  RunCommand([&] { editor = TTemplateEditor::ForNewTemplate(); });
  if (!editor) return;
  TTemplateEditDlg dialog(std::move(editor), this);
  if (dialog.exec() == QDialog::Accepted) Changed(FromCore(dialog.Editor().Template().Name));
}

void TTemplatesDlg::Edit() {
  const std::string name = Selected();
  if (name.empty()) return;
  std::unique_ptr<TTemplateEditor> editor;
  RunCommand([&] { editor = TTemplateEditor::ForTemplate(name); });
  if (!editor) return;
  TTemplateEditDlg dialog(std::move(editor), this);
  if (dialog.exec() == QDialog::Accepted) Changed(FromCore(dialog.Editor().Template().Name));
}

void TTemplatesDlg::NewRecord() {
  const std::string name = Selected();
  if (name.empty()) return;
  newRecord_ = name;
  accept();
}

void TTemplatesDlg::Delete() {
  const std::string name = Selected();
  if (name.empty()) return;
  const int row = list_->currentRow();
  bool deleted = false;
  RunCommand([&] { deleted = DeleteTemplateFromList(name); });
  if (!deleted) return;
  Changed(QString());
  list_->setCurrentRow(std::min(row, list_->count() - 1));
}

} // namespace vandro
