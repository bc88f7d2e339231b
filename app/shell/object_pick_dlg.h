// A plain chooser of one object or group by name, used by Records: Rename
// Object until the object selection dialog with its states and moments takes
// its place.
#pragma once

#include <QDialog>

#include <cstdint>

class QLineEdit;
class QListWidget;

namespace vandro {

class TObjectPickDlg final : public QDialog {
  Q_OBJECT
public:
  // groupsOnly: only the groups are offered (the group index).
  explicit TObjectPickDlg(QWidget* parent = nullptr, bool groupsOnly = false);

  // The chosen object's identifier, 0 for none.
  int32_t SelectedId() const;
  QListWidget* List() const { return list_; }
  QLineEdit* Filter() const { return filter_; }

private:
  void ApplyFilter();

  QLineEdit* filter_;
  QListWidget* list_;
};

} // namespace vandro
