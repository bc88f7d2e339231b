// The entry dialog of the "Object Index" and "Group Index" pages: an entry's
// name, the object it points to (chosen from the objects) and a comment. OK
// adds or changes the entry through the index rules and stays open on a
// refusal.
#pragma once

#include "model/object_index.h"

#include <QDialog>

#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vandro {

class TIndexEntryDlg final : public QDialog {
  Q_OBJECT
public:
  // row: the entry edited, -1 for a new one.
  TIndexEntryDlg(TIndexKind kind, int row, QWidget* parent = nullptr);

  QLineEdit* NameEdit() const { return name_; }
  QLineEdit* CommentEdit() const { return comment_; }
  QPushButton* ChooseButton() const { return choose_; }
  int32_t ObjectId() const { return objectId_; }
  void SetObject(int32_t id);

  void accept() override;

private:
  void Choose();

  TIndexKind kind_;
  int row_;
  int32_t objectId_ = 0;
  QLineEdit* name_;
  QLabel* object_;
  QPushButton* choose_;
  QLineEdit* comment_;
};

} // namespace vandro
