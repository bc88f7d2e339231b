// "Edit Param": the parameter editor as the project manager opens it on a
// double-clicked parameter. OK rewrites the parameter through the parameter
// rules (editing/parameter_list.h) and stays open on a refusal.
#pragma once

#include "model/parameter.h"

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace vandro {

class TParameterEditDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TParameterEditDlg(const TParameter& parameter, QWidget* parent = nullptr);

  QLineEdit* NameEdit() const { return name_; }
  QLineEdit* ShortNameEdit() const { return shortName_; }
  QComboBox* CategoryEdit() const { return category_; }
  QLineEdit* DefaultEdit() const { return default_; }
  QLineEdit* DescriptionEdit() const { return description_; }

  void accept() override;

private:
  TParameter edited_;
  // A default of a kind typed text cannot give is shown, not edited.
  bool keepDefault_;
  QLineEdit* name_;
  QLineEdit* shortName_;
  QComboBox* category_;
  QLineEdit* default_;
  QLineEdit* description_;
};

} // namespace vandro
