// "Edit Parameter Template": one parameter line of a template. The dialog
// edits copies of the line's values; OK checks the parameter named
// (editing/template_editor.h) and only then writes the line, so a refusal
// keeps both the line and what was typed.
#pragma once

#include "model/template.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace vandro {

class TParamTemplateDlg final : public QDialog {
  Q_OBJECT
public:
  // line is line index of tmpl, or a new line (index -1) the caller adds
  // after OK.
  TParamTemplateDlg(const TTemplate& tmpl, int index, TParamTemplate& line,
                    QWidget* parent = nullptr);

  QComboBox* ParameterEdit() const { return parameter_; }
  QLineEdit* DefaultEdit() const { return default_; }
  QLineEdit* ConstraintEdit() const { return constraint_; }
  QCheckBox* OptionalCheck() const { return optional_; }
  QCheckBox* HiddenCheck() const { return hidden_; }

  // "Define" beside the default value and beside the constraint.
  void DefineDefault();
  void DefineConstraint();
  void accept() override;

private:
  void ShowValues();

  const TTemplate& template_;
  int index_;
  TParamTemplate& line_;
  TValue defValue_;
  TValue constr_;
  QComboBox* parameter_;
  QLineEdit* default_;
  QLineEdit* constraint_;
  QCheckBox* optional_;
  QCheckBox* hidden_;
};

} // namespace vandro
