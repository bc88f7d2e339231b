// "Edit Query": the query editor. The rules are in editing/query_editor.h;
// this window shows a query's fields, picks scope objects through "Select
// Object", builds the condition through "Define Filter" or a nested value
// constructor, and on OK writes the fields back into the caller's query.
// Cancel, and OK answered No to its question, leave the query as it was.
#pragma once

#include "editing/query_editor.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace vandro {

class TQueryEditDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TQueryEditDlg(TQExpression& query, QWidget* parent = nullptr);

  QComboBox* Selection() const { return selection_; }
  QLineEdit* Number() const { return number_; }
  QComboBox* Kind() const { return kind_; }
  QComboBox* Scope() const { return scope_; }
  QCheckBox* Everything() const { return everything_; }
  QListWidget* ScopeList() const { return lines_; }
  QPushButton* AddButton() const { return add_; }
  QPushButton* DeleteButton() const { return delete_; }
  QPushButton* ClearButton() const { return clear_; }
  QLabel* StartLabel() const { return startLabel_; }
  QLineEdit* Start() const { return start_; }
  QLabel* FinishLabel() const { return finishLabel_; }
  QLineEdit* Finish() const { return finish_; }
  QPlainTextEdit* Condition() const { return condition_; }
  QPushButton* DefineButton() const { return define_; }
  QPushButton* EditButton() const { return edit_; }
  QCheckBox* ForAllStates() const { return forAllStates_; }
  QPushButton* OkButton() const { return ok_; }

  void done(int result) override;

private:
  // Hands the typed texts to the rules; false (after a message) when one
  // holds a character the project's texts cannot.
  bool ReadFields();
  void ShowFields();
  void ShowShown();
  void ShowLines(int current);
  void LeaveKind();
  void AddObject();
  void DefineCondition();
  void EditCondition();

  TQExpression& query_;
  TQueryEditor editor_;
  QComboBox* selection_;
  QLineEdit* number_;
  QComboBox* kind_;
  QComboBox* scope_;
  QCheckBox* everything_;
  QListWidget* lines_;
  QPushButton* add_;
  QPushButton* delete_;
  QPushButton* clear_;
  QLabel* startLabel_;
  QLineEdit* start_;
  QLabel* finishLabel_;
  QLineEdit* finish_;
  QPlainTextEdit* condition_;
  QPushButton* define_;
  QPushButton* edit_;
  QCheckBox* forAllStates_;
  QPushButton* ok_;
};

} // namespace vandro
