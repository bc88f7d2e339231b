#include "app/editing/param_list_dlg.h"

#include "app/editing/structure_commands.h"
#include "app/shell/guard.h"
#include "app/shell/text_edge.h"
#include "app/storage/parameter_edit_dlg.h"
#include "editing/parameter_list.h"
#include "model/project.h"
#include "storage/project_lifecycle.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vandro {

namespace {

constexpr int kNameColumn = 0;

} // namespace

TParamListDlg::TParamListDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Parameters"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  category_ = new QComboBox;
  category_->setAccessibleName(QStringLiteral("Category"));
  table_ = new QTableWidget(0, 4);
  table_->setHorizontalHeaderLabels({QStringLiteral("Param Name"), QStringLiteral("Brief Name"),
                                     QStringLiteral("Default Value"),
                                     QStringLiteral("Description")});
  table_->setAccessibleName(QStringLiteral("Parameters"));
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("Parameters:")));
  top->addStretch();
  top->addWidget(category_);
  auto* buttons = new QHBoxLayout;
  auto* add = new QPushButton(QStringLiteral("Add"));
  auto* remove = new QPushButton(QStringLiteral("Delete"));
  auto* ok = new QPushButton(QStringLiteral("OK"));
  ok->setDefault(true);
  buttons->addWidget(add);
  buttons->addWidget(remove);
  buttons->addStretch();
  buttons->addWidget(ok);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(table_, 1);
  layout->addLayout(buttons);
  NameButtonsByCaption(this);
  // A project opened for looking is not changed from here.
  add->setEnabled(!ProjectIsReadOnly());
  remove->setEnabled(!ProjectIsReadOnly());

  connect(add, &QPushButton::clicked, this, [this] { Add(); });
  connect(remove, &QPushButton::clicked, this, [this] { Delete(); });
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { Edit(row); });
  connect(category_, &QComboBox::currentIndexChanged, this, [this] { Fill(QString()); });
  FillCategories();
  Fill(QString());
  resize(620, 420);
}

void TParamListDlg::FillCategories() {
  const QString current = category_->currentText();
  const QSignalBlocker quiet(category_);
  category_->clear();
  if (const TProject* project = CurrentProject())
    for (const std::string& category : ListCategories(*project))
      category_->addItem(FromCore(category));
  const int index = category_->findText(current);
  category_->setCurrentIndex(index >= 0 ? index : 0);
}

void TParamListDlg::Fill(const QString& current) {
  const TProject* project = CurrentProject();
  table_->setRowCount(0);
  if (!project) return;
  std::string category;
  TryToCore(category_->currentText(), category);
  const std::vector<TParameterRow> rows = ParameterRows(*project, category);
  table_->setRowCount(static_cast<int>(rows.size()));
  int selected = rows.empty() ? -1 : 0;
  for (int r = 0; r < table_->rowCount(); ++r) {
    const TParameterRow& row = rows[static_cast<size_t>(r)];
    int c = 0;
    for (const std::string* text : {&row.Name, &row.ShortName, &row.Default, &row.Description})
      table_->setItem(r, c++, new QTableWidgetItem(FromCore(*text)));
    if (FromCore(row.Name) == current) selected = r;
  }
  if (selected >= 0) table_->setCurrentCell(selected, kNameColumn);
}

void TParamListDlg::Add() {
  TParameter fresh;
  std::string category;
  if (category_->currentIndex() > 0 && TryToCore(category_->currentText(), category) &&
      !IsSystemCategory(category))
    fresh.Category = category;
  TParameterEditDlg editor(fresh, TParameterEditMode::Add, this);
  if (editor.exec() != QDialog::Accepted || !editor.Added()) return;
  const QString name = FromCore(editor.Added()->ParamName);
  if (changed_) changed_();
  FillCategories();
  Fill(name);
}

void TParamListDlg::Edit(int row) {
  const TProject* project = CurrentProject();
  QTableWidgetItem* item = table_->item(row, kNameColumn);
  std::string name;
  if (!project || !item || !TryToCore(item->text(), name)) return;
  const TParameter* parameter = project->FindParameter(name);
  if (!parameter) return;
  TParameterEditDlg editor(*parameter, TParameterEditMode::Existing, this);
  if (editor.exec() != QDialog::Accepted) return;
  if (changed_) changed_();
  FillCategories();
  Fill(editor.NameEdit()->text().trimmed());
}

void TParamListDlg::Delete() {
  QTableWidgetItem* item = table_->item(table_->currentRow(), kNameColumn);
  std::string name;
  if (!item || !TryToCore(item->text(), name)) return;
  const int row = table_->currentRow();
  bool deleted = false;
  bool unknown = false;
  RunCommand([&] {
    unknown = CurrentProject() && !CurrentProject()->FindParameter(name);
    deleted = DeleteParameterFromList(name);
  });
  // A row whose parameter has gone is told and the list closes.
  if (unknown) return reject();
  if (!deleted) return;
  if (changed_) changed_();
  FillCategories();
  Fill(QString());
  if (table_->rowCount() > 0) table_->setCurrentCell(std::min(row, table_->rowCount() - 1), 0);
}

} // namespace vandro
