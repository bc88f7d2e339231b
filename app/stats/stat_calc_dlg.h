// "Distributions": the statistical calculator. TStatCalculator
// (stats/calculator.h) keeps the five values, their texts and red flags and
// the captions of the chosen distribution; this window shows them, hands
// every edit of a field to it, and steps a field by its arrows.
#pragma once

#include "stats/calculator.h"

#include <QDialog>

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace vandro {

class TStatCalcDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TStatCalcDlg(QWidget* parent = nullptr);

  TStatCalculator& Calculator() { return calculator_; }
  QComboBox* Distribution() const { return distribution_; }
  QLineEdit* Field(TCalcField field) const { return fields_[Index(field)]; }
  QLabel* FieldCaption(TCalcField field) const { return captions_[Index(field)]; }
  QToolButton* Up(TCalcField field) const { return up_[Index(field)]; }
  QToolButton* Down(TCalcField field) const { return down_[Index(field)]; }

private:
  static size_t Index(TCalcField field) { return static_cast<size_t>(field); }
  void Choose(int index);
  void Edited(TCalcField field, const QString& text);
  void Step(TCalcField field, int direction);
  // Every field's text and colour and the captions; the field being typed
  // in keeps what the user typed.
  void ShowAll(int typing = -1);

  TStatCalculator calculator_;
  QComboBox* distribution_;
  std::array<QLineEdit*, 5> fields_{};
  std::array<QLabel*, 5> captions_{};
  std::array<QToolButton*, 5> up_{};
  std::array<QToolButton*, 5> down_{};
};

} // namespace vandro
