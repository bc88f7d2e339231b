// "Edit Action": one action of a template. The dialog edits a copy of the
// action; the type decides the argument's label and field and whether the
// launch moment and "Apply to:" can be chosen (editing/template_editor.h).
// The argument and the condition are defined in the value constructor and
// checked as they come back; a plain argument may also be typed. OK copies
// the result into the caller's action.
#pragma once

#include "model/template.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace vandro {

class TActionEditDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TActionEditDlg(TActionTemplate& action, QWidget* parent = nullptr);

  const TActionTemplate& Working() const { return working_; }
  QLineEdit* ConditionEdit() const { return condition_; }
  QComboBox* TypeBox() const { return type_; }
  QComboBox* ApplyToBox() const { return applyTo_; }
  QComboBox* LaunchBox() const { return launch_; }
  QLabel* ArgumentLabel() const { return argumentLabel_; }
  QLineEdit* ArgumentLine() const { return argumentLine_; }
  QPlainTextEdit* ArgumentText() const { return argumentText_; }

  // "Define" beside the argument and beside the condition.
  void DefineArgument();
  void DefineCondition();
  void accept() override;

private:
  void ShowAction();
  void ArgumentTyped(const QString& text);

  TActionTemplate& action_;
  TActionTemplate working_;
  bool showing_ = false;
  QLineEdit* condition_;
  QComboBox* type_;
  QComboBox* applyTo_;
  QComboBox* launch_;
  QLabel* argumentLabel_;
  QLineEdit* argumentLine_;
  QPlainTextEdit* argumentText_;
};

} // namespace vandro
