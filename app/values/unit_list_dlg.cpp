#include "app/values/unit_list_dlg.h"

#include "app/shell/guard.h"
#include "app/shell/text_edge.h"
#include "app/values/unit_edit_dlg.h"
#include "editing/unit_list.h"
#include "model/project.h"
#include "storage/project_lifecycle.h"
#include "values/units.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vandro {

namespace {

TUnitCatalogue* Catalogue() {
  TProject* project = CurrentProject();
  return project ? &project->Units() : nullptr;
}

} // namespace

TUnitListDlg::TUnitListDlg(bool managing, QWidget* parent) : QDialog(parent), managing_(managing) {
  setWindowTitle(QStringLiteral("Units"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  category_ = new QComboBox;
  category_->setMinimumContentsLength(20);
  category_->setAccessibleName(QStringLiteral("Category"));
  connect(category_, &QComboBox::currentIndexChanged, this, [this] { FillTable(); });

  table_ = new QTableWidget(0, ulColumnCount);
  QStringList titles;
  for (const std::string& title : UnitListColumns())
    titles << FromCore(title);
  table_->setHorizontalHeaderLabels(titles);
  table_->verticalHeader()->hide();
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setAlternatingRowColors(true);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setMinimumSize(860, 360);
  table_->setAccessibleName(QStringLiteral("Units"));

  refresh_ = new QPushButton(QStringLiteral("Refresh"));
  add_ = new QPushButton(QStringLiteral("Add"));
  delete_ = new QPushButton(QStringLiteral("Delete"));
  edit_ = new QPushButton(QStringLiteral("Edit"));
  makeBasic_ = new QPushButton(QStringLiteral("Make Basic"));
  ok_ = new QPushButton(managing ? QStringLiteral("Close") : QStringLiteral("OK"));
  ok_->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"));
  for (QPushButton* button : {refresh_, add_, delete_, edit_, makeBasic_})
    button->setVisible(managing);
  // A project opened for looking: its catalogue is shown, not changed.
  changing_ = managing && !ProjectIsReadOnly();
  for (QPushButton* button : {add_, delete_, edit_, makeBasic_})
    button->setEnabled(changing_);
  cancel->setVisible(!managing);
  connect(refresh_, &QPushButton::clicked, this, [this] { RunCommand([this] { Refresh(); }); });
  connect(add_, &QPushButton::clicked, this, [this] { RunCommand([this] { AddUnit(); }); });
  connect(delete_, &QPushButton::clicked, this,
          [this] { RunCommand([this] { DeleteSelected(); }); });
  connect(edit_, &QPushButton::clicked, this, [this] { RunCommand([this] { EditSelected(); }); });
  connect(makeBasic_, &QPushButton::clicked, this,
          [this] { RunCommand([this] { MakeSelectedBasic(); }); });
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this] {
    if (!managing_)
      accept();
    else if (changing_)
      RunCommand([this] { EditSelected(); });
  });

  auto* top = new QHBoxLayout;
  auto* categoryCaption = new QLabel(QStringLiteral("Category:"));
  categoryCaption->setBuddy(category_);
  top->addWidget(categoryCaption);
  top->addWidget(category_);
  top->addStretch();
  auto* buttons = new QHBoxLayout;
  for (QPushButton* button : {refresh_, add_, delete_, edit_, makeBasic_})
    buttons->addWidget(button);
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(table_);
  layout->addLayout(buttons);
  Refresh();
}

void TUnitListDlg::Refresh() {
  const QString chosen = category_->currentText();
  const int32_t selected = SelectedUnitId();
  {
    const QSignalBlocker quiet(category_);
    category_->clear();
    if (TUnitCatalogue* catalogue = Catalogue())
      for (const std::string& entry : UnitListCategories(*catalogue))
        category_->addItem(FromCore(entry));
    else
      category_->addItem(QString::fromLatin1(kAllUnitCategories));
    category_->setCurrentIndex(std::max(0, category_->findText(chosen)));
  }
  FillTable();
  SelectUnit(selected);
}

std::string TUnitListDlg::ChosenCategory() const {
  std::string category;
  if (category_->currentIndex() <= 0 || !TryToCore(category_->currentText(), category))
    return kAllUnitCategories;
  return category;
}

void TUnitListDlg::FillTable() {
  table_->setRowCount(0);
  TUnitCatalogue* catalogue = Catalogue();
  const TUnitListGrid grid =
      catalogue ? UnitListGrid(*catalogue, ChosenCategory()) : TUnitListGrid();
  table_->setRowCount(static_cast<int>(grid.Rows.size()));
  for (int row = 0; row < table_->rowCount(); ++row) {
    const TUnitListRow& unit = grid.Rows[static_cast<size_t>(row)];
    for (int column = 0; column < ulColumnCount; ++column) {
      auto* item = new QTableWidgetItem(FromCore(unit.Cells[static_cast<size_t>(column)]));
      if (column == ulItemNo) item->setData(Qt::UserRole, unit.UnitId);
      table_->setItem(row, column, item);
    }
  }
  table_->resizeColumnsToContents();
}

int32_t TUnitListDlg::SelectedUnitId() const {
  const int row = table_->currentRow();
  const QTableWidgetItem* item = row >= 0 ? table_->item(row, ulItemNo) : nullptr;
  return item && table_->selectionModel()->isRowSelected(row, {}) ? item->data(Qt::UserRole).toInt()
                                                                  : 0;
}

void TUnitListDlg::SelectUnit(int32_t id) {
  for (int row = 0; row < table_->rowCount(); ++row) {
    if (table_->item(row, ulItemNo)->data(Qt::UserRole).toInt() == id && id != 0) {
      table_->selectRow(row);
      table_->scrollToItem(table_->item(row, ulItemNo));
      return;
    }
  }
  table_->clearSelection();
}

void TUnitListDlg::AddUnit() {
  TUnitEditDlg editor(NewUnitForm(ChosenCategory()), this);
  if (editor.exec() != QDialog::Accepted) return;
  Refresh();
  SelectUnit(editor.StoredId());
}

void TUnitListDlg::DeleteSelected() {
  if (DeleteUnit(SelectedUnitId())) Refresh();
}

void TUnitListDlg::EditSelected() {
  const int32_t id = SelectedUnitId();
  if (!CanEditUnit(id)) return;
  const TUnit* unit = Catalogue()->FindById(id);
  TUnitEditDlg editor(UnitFormOf(*unit), this);
  if (editor.exec() != QDialog::Accepted) return;
  Refresh();
  SelectUnit(id);
}

void TUnitListDlg::MakeSelectedBasic() {
  const int32_t id = SelectedUnitId();
  if (MakeBasic(id)) {
    Refresh();
    SelectUnit(id);
  }
}

} // namespace vandro
