#include "app/editing/select_param_dlg.h"

#include "app/shell/text_edge.h"
#include "editing/parameter_list.h"
#include "model/project.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vandro::app {

bool SelectParameter(QWidget* parent, const std::vector<std::string>& names, std::string& chosen) {
  const TProject* project = CurrentProject();
  if (!project) return false;
  QDialog dialog(parent);
  dialog.setWindowTitle(QStringLiteral("Select parameter"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* tree = new QTreeWidget;
  tree->setAccessibleName(QStringLiteral("Parameters"));
  tree->setHeaderHidden(true);
  for (const TParameterCategory& branch : ParametersByCategory(*project, names)) {
    auto* category = new QTreeWidgetItem(tree, {FromCore(branch.Category)});
    category->setFlags(Qt::ItemIsEnabled);
    for (const std::string& name : branch.Names)
      new QTreeWidgetItem(category, {FromCore(name)});
  }
  tree->expandAll();
  layout->addWidget(tree);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  ok->setAccessibleName(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("Cancel"));
  ok->setEnabled(false);
  layout->addWidget(buttons);
  const auto isParameter = [](const QTreeWidgetItem* item) { return item && item->parent(); };
  QObject::connect(tree, &QTreeWidget::currentItemChanged,
                   [&](QTreeWidgetItem* item) { ok->setEnabled(isParameter(item)); });
  QObject::connect(tree, &QTreeWidget::itemDoubleClicked, [&](QTreeWidgetItem* item) {
    if (isParameter(item)) dialog.accept();
  });
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  dialog.resize(320, 400);
  if (dialog.exec() != QDialog::Accepted || !isParameter(tree->currentItem())) return false;
  return ToCore(tree->currentItem()->text(0), chosen);
}

} // namespace vandro::app
