#include "app/storage/db_show_form.h"

#include "app/shell/guard.h"
#include "app/shell/text_edge.h"
#include "storage/raw_tables.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace vandro {

namespace {

// Rows read at a time as the grid scrolls.
constexpr qint64 kSlice = 256;
constexpr int kWidestColumn = 320;

} // namespace

TRawTableModel::TRawTableModel(std::string table, QObject* parent)
    : QAbstractTableModel(parent), table_(std::move(table)) {
  RunCommand([this] {
    total_ = APSRawRowCount(table_);
    TRawTable first = APSReadRawTable(table_, 0, kSlice);
    columns_ = std::move(first.Columns);
    rows_ = std::move(first.Rows);
  });
}

int TRawTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TRawTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant TRawTableModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  const auto& row = rows_[static_cast<size_t>(index.row())];
  const auto column = static_cast<size_t>(index.column());
  return column < row.size() ? FromCore(row[column]) : QString();
}

QVariant TRawTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  return section < static_cast<int>(columns_.size())
             ? FromCore(columns_[static_cast<size_t>(section)])
             : QVariant();
}

bool TRawTableModel::canFetchMore(const QModelIndex& parent) const {
  return !parent.isValid() && static_cast<qint64>(rows_.size()) < total_;
}

void TRawTableModel::fetchMore(const QModelIndex& parent) {
  if (!canFetchMore(parent)) return;
  RunCommand([this] {
    const auto first = static_cast<qint64>(rows_.size());
    TRawTable slice = APSReadRawTable(table_, first, kSlice);
    if (slice.Rows.empty()) {
      total_ = first; // the table shrank since it was counted
      return;
    }
    beginInsertRows({}, static_cast<int>(first),
                    static_cast<int>(first + static_cast<qint64>(slice.Rows.size()) - 1));
    for (auto& row : slice.Rows)
      rows_.push_back(std::move(row));
    endInsertRows();
  });
}

TDbShowForm::TDbShowForm(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("DB Show"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  tabs_ = new QTabWidget;
  for (const char* table : kShownTables) {
    auto* grid = new QTableView;
    grid->setModel(new TRawTableModel(table, grid));
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setAlternatingRowColors(true);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid->resizeColumnsToContents();
    // Packed memos make very wide cells; the user widens a column to read one.
    for (int column = 0; column < grid->model()->columnCount(); ++column)
      grid->setColumnWidth(column, std::min(grid->columnWidth(column), kWidestColumn));
    grid->setAccessibleName(QString::fromLatin1(table));
    tabs_->addTab(grid, QString::fromLatin1(table));
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);
  resize(900, 560);
}

QTableView* TDbShowForm::Grid(int index) const {
  return qobject_cast<QTableView*>(tabs_->widget(index));
}

} // namespace vandro
