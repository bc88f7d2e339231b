// TCreateRecordDlg: the record dialog, a non-modal child of the main window
// counted against its dialog limit. The rules are the record editor's
// (editing/record_editor.h); this window draws its grid and pages and
// forwards every click and key to it.
#pragma once

#include "app/shell/child_form.h"
#include "editing/record_editor.h"

#include <functional>
#include <memory>
#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTextEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QToolButton;
class QUrl;

namespace vandro {

class TMomentPicker;

// How a template's "Launch" target reaches the desktop: QDesktopServices,
// or a stub a test installs. Returns the opener it replaces; an empty one
// restores the desktop's.
using TLaunchOpener = std::function<void(const QUrl&)>;
TLaunchOpener SetLaunchOpener(TLaunchOpener opener);

class TCreateRecordDlg final : public TChildForm, private TRecordEditorHost {
  Q_OBJECT
public:
  explicit TCreateRecordDlg(QWidget* parent = nullptr);
  ~TCreateRecordDlg() override;

  // The opener's inputs, then Start; false when nothing was selected (the
  // window is then to be discarded).
  TRecordEditor& Editor() { return editor_; }
  bool Start(bool newObject, bool edit);

  bool UsesObject(int32_t objectId) const override;
  void CloseForProject() override;
  void ParametersChanged() override;

  // For tests and screen readers: the widgets by their captions.
  QTableWidget* Grid() const { return grid_; }
  QLineEdit* NameEdit() const { return name_; }
  QLineEdit* RecordNameEdit() const { return recordName_; }
  TMomentPicker* Moment() const { return moment_; }
  QPushButton* OkButton() const { return ok_; }
  QListWidget* GroupList() const { return groups_; }
  QLabel* TemplateLabel() const { return template_; }

  // The buttons, as the user presses them.
  void PressOk();
  void PressCancel();
  void PressNewVersion();
  void PressIterative();
  void PressTerminate();
  void PressDefineValue();
  void PressPickParameter();
  void PressAddGroup();
  // "Save as Template": the template editor on the record's lines and
  // groups; the template it stores becomes this dialog's.
  void PressSaveAsTemplate();
  // "?": the formula of the current value whole, in a read-only window
  // under the button that hides again when it is left.
  void ShowFormula();
  QTextEdit* FormulaWindow() const { return formulaWindow_; }
  // Dragging a row by its first cell onto another row.
  void DragRow(int from, int to);

private:
  bool EditNewParameter(TParameter& parameter) override;
  void ParameterAdded() override;
  void Launch(const std::string& target) override;

  void BuildGeneral(QWidget* page);
  void BuildAdvanced(QWidget* page);
  void ShowAll();
  void Refill();
  void FitColumns();
  void PlaceCellButtons();
  void CellChosen(int row, int column);
  void CellTyped(int row, int column);
  void TimeLeft();
  void GridMenu(const QPoint& at);
  void GroupChecked(QListWidgetItem* item);
  void EditCondition();
  void FillGroups();
  void Finish();
  bool eventFilter(QObject* watched, QEvent* event) override;

  TRecordEditor editor_;
  bool refilling_ = false;
  bool closing_ = false;
  int dragRow_ = -1; // the row whose first cell the mouse pressed
  int lastPage_ = 0; // of the value constructor
  QTabWidget* pages_ = nullptr;
  QTableWidget* grid_ = nullptr;
  QLineEdit* name_ = nullptr;
  TMomentPicker* moment_ = nullptr;
  QLabel* template_ = nullptr;
  QToolButton* pick_ = nullptr;
  QToolButton* define_ = nullptr;
  QToolButton* formula_ = nullptr;
  QTextEdit* formulaWindow_ = nullptr;
  QLabel* sysTime_ = nullptr;
  QLineEdit* recordName_ = nullptr;
  QPushButton* newVersion_ = nullptr;
  QPushButton* terminate_ = nullptr;
  QPushButton* iterative_ = nullptr;
  QPushButton* saveTemplate_ = nullptr;
  QGroupBox* indexBox_ = nullptr;
  QCheckBox* indexCheck_ = nullptr;
  QLineEdit* indexName_ = nullptr;
  QLineEdit* indexComment_ = nullptr;
  QListWidget* groups_ = nullptr;
  QPushButton* condition_ = nullptr;
  QPushButton* ok_ = nullptr;
};

} // namespace vandro
