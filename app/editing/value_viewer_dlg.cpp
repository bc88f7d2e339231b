#include "app/editing/value_viewer_dlg.h"

#include "app/editing/structure_commands.h"
#include "app/editing/value_kind_icon.h"
#include "app/shell/text_edge.h"
#include "values/value.h"
#include "values/value_text.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vandro {
namespace {

void AddItems(const TValue& array, QTreeWidget* tree, QTreeWidgetItem* parent) {
  for (int i = 0; i < array.ItemCount(); ++i) {
    const TValue& item = array.GetItem(i);
    const QStringList cells{QString::number(i + 1),
                            item.IsArray() ? QStringLiteral("(%1 items)").arg(item.ItemCount())
                                           : FromCore(WholeValueText(item))};
    auto* row = parent ? new QTreeWidgetItem(parent, cells) : new QTreeWidgetItem(tree, cells);
    row->setIcon(1, ValueKindIcon(item.Kind()));
    if (item.IsArray()) AddItems(item, tree, row);
  }
}

} // namespace

std::string WholeValueText(const TValue& value) {
  return value.IsObject() ? ToDisplayText(&value) : value.Text();
}

TValueViewerDlg::TValueViewerDlg(const TValue& value, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Value"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  auto* layout = new QVBoxLayout(this);
  if (value.IsArray()) {
    items_ = new QTreeWidget;
    items_->setAccessibleName(QStringLiteral("Items"));
    items_->setHeaderLabels({QStringLiteral("No."), QStringLiteral("Value")});
    items_->setRootIsDecorated(true);
    AddItems(value, items_, nullptr);
    items_->expandAll();
    items_->resizeColumnToContents(0);
    layout->addWidget(items_);
  } else {
    text_ = new QPlainTextEdit;
    text_->setAccessibleName(QStringLiteral("Value"));
    text_->setReadOnly(true);
    text_->setPlainText(FromCore(WholeValueText(value)));
    layout->addWidget(text_);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  resize(360, 240);
  NameButtonsByCaption(this);
}

void TValueViewerDlg::PlaceNear(const QPoint& at) {
  QScreen* screen = QGuiApplication::screenAt(at);
  if (!screen) screen = QGuiApplication::primaryScreen();
  QPoint corner = at + QPoint(8, 8);
  if (screen) {
    const QRect room = screen->availableGeometry();
    const QSize size = frameGeometry().size().expandedTo(this->size());
    corner.setX(
        std::clamp(corner.x(), room.left(), std::max(room.left(), room.right() - size.width())));
    corner.setY(
        std::clamp(corner.y(), room.top(), std::max(room.top(), room.bottom() - size.height())));
  }
  move(corner);
}

} // namespace vandro
