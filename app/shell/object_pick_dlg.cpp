#include "app/shell/object_pick_dlg.h"

#include "app/shell/text_edge.h"
#include "storage/objects.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace vandro {

TObjectPickDlg::TObjectPickDlg(QWidget* parent, bool groupsOnly) : QDialog(parent) {
  setWindowTitle(groupsOnly ? QStringLiteral("Select Group") : QStringLiteral("Select Object"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  filter_ = new QLineEdit;
  filter_->setPlaceholderText(QStringLiteral("Part of the name"));
  filter_->setClearButtonEnabled(true);
  filter_->setAccessibleName(QStringLiteral("Part of the name"));
  GuardCp1251(filter_);
  list_ = new QListWidget;
  list_->setMinimumSize(320, 300);
  list_->setAccessibleName(QStringLiteral("Objects"));

  // Every object and group (or every group), page by page in name order.
  TAPSObjTablePage page;
  APSFillPageFiltered(page, !groupsOnly, true);
  for (int offset = 0;;) {
    for (int i = 0; i < page.Count; ++i) {
      const TAPSObjTableRec& entry = page.Entries[static_cast<size_t>(i)];
      auto* item = new QListWidgetItem(FromCore(entry.ObjName) +
                                       (entry.Group ? QStringLiteral("  (group)") : QString()));
      item->setData(Qt::UserRole, entry.ObjIdtor);
      list_->addItem(item);
    }
    offset += page.Count;
    if (page.Count < page.PageSize) break;
    APSFillPageAt(page, offset);
  }
  APSClearObjectFilter();
  if (list_->count() > 0) list_->setCurrentRow(0);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  connect(filter_, &QLineEdit::textChanged, this, &TObjectPickDlg::ApplyFilter);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(filter_);
  layout->addWidget(list_);
  if (list_->count() == 0)
    layout->addWidget(new QLabel(groupsOnly ? QStringLiteral("The project has no groups.")
                                            : QStringLiteral("The project has no objects.")));
  layout->addWidget(buttons);
}

void TObjectPickDlg::ApplyFilter() {
  const QString part = filter_->text().trimmed();
  QListWidgetItem* first = nullptr;
  for (int i = 0; i < list_->count(); ++i) {
    QListWidgetItem* item = list_->item(i);
    const bool shown = part.isEmpty() || item->text().contains(part, Qt::CaseInsensitive);
    item->setHidden(!shown);
    if (shown && !first) first = item;
  }
  if (list_->currentItem() == nullptr || list_->currentItem()->isHidden())
    list_->setCurrentItem(first);
}

int32_t TObjectPickDlg::SelectedId() const {
  const QListWidgetItem* item = list_->currentItem();
  return item && !item->isHidden() ? item->data(Qt::UserRole).toInt() : 0;
}

} // namespace vandro
