// "Value Details": the value constructor. The rules are in
// editing/value_constructor.h; this window shows one page per kind, hands
// what is typed to the rules and, on OK, writes the built value into the
// caller's. Cancel leaves the caller's value as it was.
#pragma once

#include "editing/value_constructor.h"

#include <QDialog>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTabWidget;

namespace vandro {

class TMomentPicker;

class TValueConstructorDlg final : public QDialog {
  Q_OBJECT
public:
  // value is edited in place on OK; record is what formulas are checked
  // and evaluated against (may be null).
  TValueConstructorDlg(TValue& value, TDataRecord* record, int pages, int openingPage,
                       const QString& caption, QWidget* parent = nullptr);

  TValueConstructor& Constructor() { return constructor_; }

  QTabWidget* Tabs() const { return tabs_; }
  QComboBox* PlainType() const { return plainType_; }
  QComboBox* BooleanValue() const { return boolean_; }
  QLineEdit* Number() const { return number_; }
  QComboBox* Unit() const { return unit_; }
  QLineEdit* MinusDeviation() const { return minus_; }
  QLineEdit* PlusDeviation() const { return plus_; }
  TMomentPicker* Time() const { return time_; }
  QLineEdit* StringValue() const { return string_; }
  QPlainTextEdit* TextValue() const { return text_; }
  QPlainTextEdit* Source() const { return source_; }
  QLabel* SourceKind() const { return sourceKind_; }
  QPushButton* CheckButton() const { return check_; }
  QPushButton* EvaluateButton() const { return evaluate_; }
  QPushButton* BuildQueryButton() const { return buildQuery_; }
  // For a constructor whose calculated value cannot be a query.
  void HideBuildQuery();
  QPlainTextEdit* CheckResult() const { return checkResult_; }
  QLineEdit* Reference() const { return reference_; }
  QPushButton* SelectReference() const { return selectReference_; }
  QLineEdit* Link() const { return link_; }
  QListWidget* Items() const { return items_; }
  QPushButton* AddItem() const { return addItem_; }
  QPushButton* RemoveItem() const { return removeItem_; }
  QPushButton* EditItem() const { return editItem_; }

  void done(int result) override;

private:
  QWidget* MakePlainPage();
  QWidget* MakeCalculatedPage();
  QWidget* MakeObjectsPage();
  QWidget* MakeLinkPage();
  QWidget* MakeArrayPage();
  void ShowFields();
  void ShowItems(int current);
  // Hands the widgets' texts to the rules; false (after a message) when one
  // holds a character the project's texts cannot.
  bool ReadFields();
  void Check();
  void Evaluate();
  // "Build Query    >>": the query editor on the source's query; its query
  // written back replaces the source.
  void BuildQuery();
  void ChooseReference();
  void ChooseFile();
  void EditCurrentItem();

  TValue& value_;
  TValueConstructor constructor_;

  QTabWidget* tabs_;
  QComboBox* plainType_;
  QStackedWidget* plainFields_;
  QComboBox* boolean_;
  QLineEdit* number_;
  QComboBox* unit_;
  QLineEdit* minus_;
  QLineEdit* plus_;
  TMomentPicker* time_;
  QLineEdit* string_;
  QPlainTextEdit* text_;
  QPlainTextEdit* source_;
  QLabel* sourceKind_;
  QPushButton* check_;
  QPushButton* evaluate_;
  QPushButton* buildQuery_;
  QPlainTextEdit* checkResult_;
  QLineEdit* reference_;
  QPushButton* selectReference_;
  QLineEdit* link_;
  QListWidget* items_;
  QPushButton* addItem_;
  QPushButton* removeItem_;
  QPushButton* upItem_;
  QPushButton* downItem_;
  QPushButton* editItem_;
};

} // namespace vandro
