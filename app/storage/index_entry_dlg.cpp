#include "app/storage/index_entry_dlg.h"

#include "app/editing/select_object_dlg.h"
#include "app/shell/guard.h"
#include "app/shell/text_edge.h"
#include "editing/project_manager.h"
#include "model/project.h"
#include "shell/clock.h"
#include "shell/messages.h"
#include "storage/objects.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vandro {

TIndexEntryDlg::TIndexEntryDlg(TIndexKind kind, int row, QWidget* parent)
    : QDialog(parent), kind_(kind), row_(row) {
  setWindowTitle(row < 0 ? QStringLiteral("Add Entry") : QStringLiteral("Edit Entry"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  name_ = new QLineEdit;
  name_->setMaxLength(static_cast<int>(kEntryNameCapacity));
  comment_ = new QLineEdit;
  comment_->setMaxLength(static_cast<int>(kEntryCommentCapacity));
  GuardCp1251(name_);
  GuardCp1251(comment_);
  object_ = new QLabel;
  object_->setMinimumWidth(240);
  choose_ =
      new QPushButton(kind == ikGroups ? QStringLiteral("Group...") : QStringLiteral("Object..."));
  connect(choose_, &QPushButton::clicked, this, [this] { RunCommand([this] { Choose(); }); });

  const TProject* project = CurrentProject();
  if (row >= 0 && project) {
    const auto& list = project->IndexEntries(kind);
    if (row >= static_cast<int>(list.size())) RaiseError("Index entry not found");
    const TIndexEntry& entry = list[static_cast<size_t>(row)];
    name_->setText(FromCore(entry.EntryName));
    comment_->setText(FromCore(entry.Comment));
    SetObject(entry.ObjIdtor);
  } else {
    SetObject(0);
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &TIndexEntryDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* objectRow = new QHBoxLayout;
  objectRow->addWidget(object_, 1);
  objectRow->addWidget(choose_);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Entry Name:"), name_);
  form->addRow(kind == ikGroups ? QStringLiteral("Group:") : QStringLiteral("Object:"), objectRow);
  form->addRow(QStringLiteral("Comment:"), comment_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

void TIndexEntryDlg::SetObject(int32_t id) {
  objectId_ = id;
  object_->setText(id ? FromCore(APSObjectName(id) + " (" + std::to_string(id) + ")")
                      : QStringLiteral("(none)"));
}

void TIndexEntryDlg::Choose() {
  // An entry names an object alone: no state is asked for, and an object
  // without states is as good as any.
  TSelectObjectDlg picker(this);
  picker.Prepare(Now(), false, true, false, false);
  if (kind_ == ikGroups) picker.ShowDataObjects()->setChecked(false);
  const bool chosen = picker.exec() == QDialog::Accepted && picker.Selection().ObjectId() != 0;
  const int32_t id = picker.Selection().ObjectId();
  picker.Release();
  if (chosen) SetObject(id);
}

void TIndexEntryDlg::accept() {
  std::string name, comment;
  if (!ToCore(name_->text(), name) || !ToCore(comment_->text(), comment)) return;
  bool stored = false;
  RunCommand([&] { stored = StoreIndexEntry(kind_, row_, name, comment, objectId_); });
  if (stored) QDialog::accept();
}

} // namespace vandro
