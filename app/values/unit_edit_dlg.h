// The unit editor: one unit's fields, checked as they are left and again on
// OK by the editor's rules (editing/unit_editor.h), which store it. Which
// fields a basic unit fixes and the note on the category's basic unit are
// the rules' too; this window draws them.
#pragma once

#include "editing/unit_editor.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace vandro {

class TUnitEditDlg final : public QDialog {
  Q_OBJECT
public:
  // form.Id is the unit edited, 0 for a new one.
  explicit TUnitEditDlg(const TUnitForm& form, QWidget* parent = nullptr);

  // The fields as typed, in code page 1251; false (after a message) when one
  // holds what the core cannot store.
  bool ReadForm(TUnitForm& form) const;
  // The identifier of the unit stored by OK.
  int32_t StoredId() const { return storedId_; }

  QLineEdit* NameEdit() const { return name_; }
  QLineEdit* ShortNameEdit() const { return shortName_; }
  QComboBox* CategoryEdit() const { return category_; }
  QCheckBox* BasicBox() const { return basic_; }
  QLineEdit* FactorEdit() const { return factor_; }
  QLineEdit* OffsetEdit() const { return offset_; }
  QLineEdit* FormulaEdit() const { return formula_; }
  QLineEdit* DescriptionEdit() const { return description_; }

  void accept() override;

private:
  void NameLeft();
  void ShortNameLeft();
  void BasicClicked(bool ticked);
  void ShowBasicUnit();
  void EnableForBasic();

  int32_t id_;
  int32_t storedId_ = 0;
  // The texts last checked on leaving their fields, so a field left again
  // unchanged is not reported twice.
  QString checkedName_;
  QString checkedShortName_;
  QLineEdit* name_;
  QLineEdit* shortName_;
  QComboBox* category_;
  QCheckBox* basic_;
  QLineEdit* factor_;
  QLineEdit* offset_;
  QLineEdit* formula_;
  QLineEdit* description_;
  QLabel* basicUnit_;
};

} // namespace vandro
