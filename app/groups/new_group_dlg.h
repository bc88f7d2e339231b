// TNewGroupDlg: the group dialog ("Create New Group", "New Group State",
// "Edit Group"), a non-modal child of the main window counted against its
// dialog limit. The rules are the group editor's (editing/group_editor.h);
// this window draws the content list and the pages and forwards every
// button to it.
#pragma once

#include "app/shell/child_form.h"
#include "editing/group_editor.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace vandro {

class TMomentPicker;

class TNewGroupDlg final : public TChildForm {
  Q_OBJECT
public:
  explicit TNewGroupDlg(QWidget* parent = nullptr);
  ~TNewGroupDlg() override;

  // The opener's inputs, then Start; false when nothing was selected (the
  // window is then to be discarded).
  TGroupEditor& Editor() { return editor_; }
  bool Start(bool newGroup, bool edit);

  bool UsesObject(int32_t objectId) const override;
  void CloseForProject() override;

  // For tests and screen readers: the widgets by their captions.
  QTabWidget* Pages() const { return pages_; }
  QLineEdit* NameEdit() const { return name_; }
  TMomentPicker* Moment() const { return moment_; }
  QListWidget* ContentList() const { return content_; }
  QPushButton* RemoveButton() const { return remove_; }
  QLineEdit* RecordNameEdit() const { return recordName_; }
  QGroupBox* IndexBox() const { return indexBox_; }
  QCheckBox* IndexCheck() const { return indexCheck_; }
  QPushButton* TerminateButton() const { return terminate_; }
  QPlainTextEdit* FillText() const { return fillText_; }
  QPushButton* ExecuteButton() const { return execute_; }
  QPushButton* AddButton() const { return add_; }
  QLabel* ResultCount() const { return count_; }

  // The buttons, as the user presses them.
  void PressAddObject();
  void PressRemoveObject();
  void PressViewObject();
  void PressDefine();
  void PressExecute();
  void PressAdd();
  void PressOk();
  void PressCancel();
  void PressTerminate();

private:
  void BuildGeneral(QWidget* page);
  void BuildAdvanced(QWidget* page);
  void ShowAll();
  void FillContent(bool selectLast);
  void ShowFill();
  void NameLeft();
  void TimeLeft();
  void Finish();

  TGroupEditor editor_;
  bool refilling_ = false;
  bool closing_ = false;
  QTabWidget* pages_ = nullptr;
  QLineEdit* name_ = nullptr;
  TMomentPicker* moment_ = nullptr;
  QListWidget* content_ = nullptr;
  QPushButton* remove_ = nullptr;
  QPushButton* view_ = nullptr;
  QLineEdit* recordName_ = nullptr;
  QLabel* sysTime_ = nullptr;
  QGroupBox* indexBox_ = nullptr;
  QCheckBox* indexCheck_ = nullptr;
  QLineEdit* indexName_ = nullptr;
  QLineEdit* indexComment_ = nullptr;
  QPushButton* terminate_ = nullptr;
  QPlainTextEdit* fillText_ = nullptr;
  QPushButton* execute_ = nullptr;
  QPushButton* add_ = nullptr;
  QLabel* count_ = nullptr;
};

} // namespace vandro
