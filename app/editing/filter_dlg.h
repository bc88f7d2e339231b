// "Define Filter": the filter editor. The rules are in
// editing/filter_editor.h; this window shows the row of inputs and the list
// of the filter's items, and edits the caller's filter in place. A refusal
// keeps the window open with what was typed.
#pragma once

#include "editing/filter_editor.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vandro {

class TFilterDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TFilterDlg(TFilter& filter, QWidget* parent = nullptr);

  QComboBox* Connective() const { return connective_; }
  QComboBox* Negation() const { return negation_; }
  QComboBox* Parameter() const { return parameter_; }
  QComboBox* Comparison() const { return comparison_; }
  QLineEdit* Value() const { return value_; }
  QPushButton* ValueButton() const { return valueButton_; }
  QPushButton* AddButton() const { return add_; }
  QPushButton* InsertButton() const { return insert_; }
  QPushButton* RemoveButton() const { return remove_; }
  QPushButton* OkButton() const { return ok_; }
  QListWidget* Items() const { return items_; }

private:
  // Hands the boxes' texts to the rules; false (after a message) when one
  // holds a character the project's texts cannot.
  bool ReadInputs();
  void ShowInputs();
  void ShowItems(int current);
  void Place(bool insert);
  void ChooseValue();

  TFilterEditor editor_;
  QComboBox* connective_;
  QComboBox* negation_;
  QComboBox* parameter_;
  QComboBox* comparison_;
  QLineEdit* value_;
  QPushButton* valueButton_;
  QPushButton* add_;
  QPushButton* insert_;
  QPushButton* remove_;
  QPushButton* ok_;
  QListWidget* items_;
};

} // namespace vandro
