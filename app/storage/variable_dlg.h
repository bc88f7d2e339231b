// The variable dialog of the "Variables" page: a project variable's name,
// value and comment. OK stores it through the project manager's rules and
// stays open on a refusal.
#pragma once

#include <QDialog>

#include <string>

class QLineEdit;

namespace vandro {

struct TVariable;

class TVariableDlg final : public QDialog {
  Q_OBJECT
public:
  // variable: the one edited, nullptr for a new one.
  explicit TVariableDlg(const TVariable* variable, QWidget* parent = nullptr);

  QLineEdit* NameEdit() const { return name_; }
  QLineEdit* ValueEdit() const { return value_; }
  QLineEdit* CommentEdit() const { return comment_; }

  void accept() override;

private:
  std::string storedName_;
  // The value is of a kind typed text cannot give; it is shown, not edited.
  bool keepValue_ = false;
  QLineEdit* name_;
  QLineEdit* value_;
  QLineEdit* comment_;
};

} // namespace vandro
