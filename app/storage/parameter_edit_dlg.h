// "Edit Param": the parameter editor. On an existing parameter (the project
// manager's and the parameter list's double click) OK rewrites it through
// the parameter rules (editing/parameter_list.h); on a parameter the list's
// "Add" makes, OK adds it to the project; either stays open on a refusal.
// On a new one from the record dialog's grid OK checks what was typed and
// hands it back in Edited(); the caller adds it to the project. The default
// value is typed as plain text or defined in the value constructor.
#pragma once

#include "model/parameter.h"

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace vandro {

enum class TParameterEditMode { Existing, New, Add };

class TParameterEditDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TParameterEditDlg(const TParameter& parameter, QWidget* parent = nullptr)
      : TParameterEditDlg(parameter, TParameterEditMode::Existing, parent) {}
  TParameterEditDlg(const TParameter& parameter, TParameterEditMode mode,
                    QWidget* parent = nullptr);

  // A new parameter as OK took it.
  const TParameter& Edited() const { return edited_; }
  // Add: the parameter the project took, after OK.
  const TParameter* Added() const { return added_; }

  QLineEdit* NameEdit() const { return name_; }
  QLineEdit* ShortNameEdit() const { return shortName_; }
  QComboBox* CategoryEdit() const { return category_; }
  QLineEdit* DefaultEdit() const { return default_; }
  QLineEdit* DescriptionEdit() const { return description_; }

  // "Define" beside the default value: the value constructor on it.
  void DefineDefault();
  void accept() override;

private:
  void ShowDefault();

  TParameterEditMode mode_;
  TParameter edited_;
  const TParameter* added_ = nullptr;
  // A default of a kind typed text cannot give is shown, not edited.
  bool keepDefault_;
  QLineEdit* name_;
  QLineEdit* shortName_;
  QComboBox* category_;
  QLineEdit* default_;
  QLineEdit* description_;
};

} // namespace vandro
