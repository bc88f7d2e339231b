#include "values/unit_list_dlg.h"

#include "model/project.h"
#include "shell/guard.h"
#include "shell/messages.h"
#include "shell/numbers.h"
#include "shell/text.h"
#include "shell/text_edge.h"
#include "storage/unit_catalogue.h"
#include "values/unit_edit_dlg.h"
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

const char* const kColumnTitles[] = {"Item No",   "Unit Name",  "UntNm",   "Category",
                                     "Factor",    "Offset",     "Formula", "Basic",
                                     "Dimension", "Dim.Factor", "Generic", "Description"};

QString Number(long double value) {
  try {
    return QString::fromStdString(FloatToText(value));
  } catch (const EConvertError&) {
    return QStringLiteral("n/a");
  }
}

QString YesNo(bool value) {
  return value ? QStringLiteral("Yes") : QStringLiteral("No");
}

class TDiscardingSink final : public TMessageSink {
public:
  void Show(const std::string&) override {}
  void ShowList(const std::vector<std::string>&) override {}
  bool Ask(const std::string&, bool yesDefault) override { return yesDefault; }
};

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
  connect(category_, &QComboBox::currentIndexChanged, this, [this] { FillTable(); });

  table_ = new QTableWidget(0, ColumnCount);
  QStringList titles;
  for (const char* title : kColumnTitles)
    titles << QString::fromLatin1(title);
  table_->setHorizontalHeaderLabels(titles);
  table_->verticalHeader()->hide();
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setAlternatingRowColors(true);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setMinimumSize(860, 360);

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
    if (managing_)
      RunCommand([this] { EditSelected(); });
    else
      accept();
  });

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("Category:")));
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
    category_->addItem(QString::fromLatin1(kAllCategories));
    if (TUnitCatalogue* catalogue = Catalogue())
      for (const std::string& category : catalogue->Categories())
        category_->addItem(FromCore(category));
    category_->setCurrentIndex(std::max(0, category_->findText(chosen)));
  }
  FillTable();
  SelectUnit(selected);
}

void TUnitListDlg::FillTable() {
  table_->setRowCount(0);
  TUnitCatalogue* catalogue = Catalogue();
  if (!catalogue) return;
  const bool all = category_->currentIndex() <= 0;
  std::string category;
  if (!all) TryToCore(category_->currentText(), category);
  // A unit whose normal form cannot be built shows an empty dimension here;
  // its messages come when it is used.
  TDiscardingSink discard;
  const ScopedMessageSink quiet(discard);
  int row = 0;
  for (int i = 0; i < catalogue->Count(); ++i) {
    TUnit& unit = (*catalogue)[i];
    if (!all && !SameText(unit.category, category)) continue;
    table_->insertRow(row);
    QString dimension, dimFactor;
    if (unit.normalForm || catalogue->NormalizeUnit(unit, false)) {
      dimension = FromCore(NormalFormText(*unit.normalForm));
      dimFactor = Number(unit.normalForm->factor);
    }
    const QString cells[ColumnCount] = {QString::number(row + 1),
                                        FromCore(unit.name),
                                        FromCore(unit.shortName),
                                        FromCore(unit.category),
                                        Number(unit.coefficient),
                                        Number(unit.offset),
                                        FromCore(unit.formula),
                                        YesNo(unit.basic),
                                        dimension,
                                        dimFactor,
                                        YesNo(unit.generic),
                                        FromCore(unit.description)};
    for (int column = 0; column < ColumnCount; ++column) {
      auto* item = new QTableWidgetItem(cells[column]);
      if (column == ItemNoColumn) item->setData(Qt::UserRole, unit.id);
      table_->setItem(row, column, item);
    }
    ++row;
  }
  table_->resizeColumnsToContents();
}

int32_t TUnitListDlg::SelectedUnitId() const {
  const int row = table_->currentRow();
  const QTableWidgetItem* item = row >= 0 ? table_->item(row, ItemNoColumn) : nullptr;
  return item && table_->selectionModel()->isRowSelected(row, {}) ? item->data(Qt::UserRole).toInt()
                                                                  : 0;
}

void TUnitListDlg::SelectUnit(int32_t id) {
  for (int row = 0; row < table_->rowCount(); ++row) {
    if (table_->item(row, ItemNoColumn)->data(Qt::UserRole).toInt() == id && id != 0) {
      table_->selectRow(row);
      table_->scrollToItem(table_->item(row, ItemNoColumn));
      return;
    }
  }
  table_->clearSelection();
}

void TUnitListDlg::AddUnit() {
  TUnitForm form;
  if (category_->currentIndex() > 0) ToCore(category_->currentText(), form.Category);
  form.Factor = "1";
  TUnitEditDlg editor(form, this);
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
  TUnitEditDlg editor(TUnitEditDlg::FormOf(*unit), this);
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
