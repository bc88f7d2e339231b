#include "app/storage/new_project_dlg.h"

#include "app/shell/text_edge.h"
#include "shell/messages.h"
#include "storage/project_lifecycle.h"
#include "storage/project_paths.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <utility>

namespace vandro {

namespace {

// The value cells are edited in fields that hold no more than the project
// file keeps and refuse what code page 1251 cannot hold.
class TValueDelegate final : public QStyledItemDelegate {
public:
  TValueDelegate(std::vector<TInfoRowText> rows, QObject* parent)
      : QStyledItemDelegate(parent), rows_(std::move(rows)) {}
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex& index) const override {
    auto* edit = new QLineEdit(parent);
    edit->setFrame(false);
    edit->setMaxLength(static_cast<int>(rows_[static_cast<size_t>(index.row())].Capacity));
    GuardCp1251(edit);
    return edit;
  }

private:
  std::vector<TInfoRowText> rows_;
};

} // namespace

TNewProjectDlg::TNewProjectDlg(const TProjectInfo& preset, QWidget* parent)
    : QDialog(parent), rows_(ProjectInfoRows(preset, TInfoUse::Creating)) {
  setWindowTitle(QStringLiteral("New Project"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  grid_ = new QTableWidget(static_cast<int>(rows_.size()), 2);
  grid_->horizontalHeader()->hide();
  grid_->verticalHeader()->hide();
  grid_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  grid_->horizontalHeader()->setStretchLastSection(true);
  grid_->setItemDelegateForColumn(1, new TValueDelegate(rows_, grid_));
  grid_->setEditTriggers(QAbstractItemView::AllEditTriggers);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  for (int row = 0; row < grid_->rowCount(); ++row) {
    const TInfoRowText& info = rows_[static_cast<size_t>(row)];
    auto* caption = new QTableWidgetItem(FromCore(info.Title));
    caption->setFlags(Qt::ItemIsEnabled);
    caption->setBackground(palette().window());
    grid_->setItem(row, 0, caption);
    grid_->setItem(row, 1, new QTableWidgetItem(FromCore(info.Text)));
  }
  grid_->resizeColumnToContents(0);
  grid_->setMinimumWidth(460);
  grid_->setFixedHeight(grid_->verticalHeader()->length() + 2 * grid_->frameWidth());
  grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid_->setCurrentCell(GridRow(irName), 1);
  grid_->setAccessibleName(QStringLiteral("Project information"));

  base_ = new QLineEdit;
  base_->setAccessibleName(QStringLiteral("Project is based upon"));
  GuardCp1251(base_);
  browse_ = new QPushButton(QStringLiteral("Browse"));
  connect(browse_, &QPushButton::clicked, this, &TNewProjectDlg::Browse);
  auto* baseRow = new QGridLayout;
  auto* baseCaption = new QLabel(QStringLiteral("Project is based upon"));
  baseCaption->setBuddy(base_);
  baseRow->addWidget(baseCaption, 0, 0, 1, 2);
  baseRow->addWidget(base_, 1, 0);
  baseRow->addWidget(browse_, 1, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(grid_);
  layout->addLayout(baseRow);
  layout->addWidget(buttons);
}

void TNewProjectDlg::Browse() {
  const QString path = QFileDialog::getOpenFileName(
      this, QStringLiteral("Project is based upon"), QFileInfo(base_->text()).absolutePath(),
      QStringLiteral("Vandro project (*.vdp);;All files (*)"));
  if (!path.isEmpty()) SetBaseProject(path);
}

void TNewProjectDlg::SetBaseProject(const QString& path) {
  std::string corePath;
  if (!ToCore(path, corePath)) return;
  if (!QFileInfo(path).isFile()) {
    ShowMsg("File doesn't exist: " + corePath);
    return;
  }
  base_->setText(path);
}

int TNewProjectDlg::GridRow(TInfoRow row) const {
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].Row == row) return static_cast<int>(i);
  return -1;
}

void TNewProjectDlg::accept() {
  std::vector<std::string> texts(rows_.size());
  for (int row = 0; row < grid_->rowCount(); ++row)
    if (!ToCore(grid_->item(row, 1)->text().trimmed(), texts[static_cast<size_t>(row)])) return;
  std::string base;
  if (!ToCore(base_->text().trimmed(), base)) return;
  if (!base.empty() && !QFileInfo(base_->text().trimmed()).isFile()) {
    ShowMsg("File doesn't exist: " + base);
    return;
  }
  info_ = ProjectInfoFromRows(TProjectInfo(), TInfoUse::Creating, texts);
  basePath_ = base;
  QDialog::accept();
}

bool NewProject(const std::string& path, QWidget* parent, const std::function<bool()>& closeOpen) {
  TNewProjectDlg dialog(NewProjectInfo(ResolveProjectPaths(path).name), parent);
  if (dialog.exec() != QDialog::Accepted || !closeOpen()) return false;
  return APSCreateProject(path, dialog.BasePath(), dialog.Info());
}

} // namespace vandro
