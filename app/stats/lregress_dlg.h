// TLRegressDlg: the "Multiple Linear Regression" window over an opened
// TLinearRegression, which holds every rule (elimination, alpha, texts);
// this window shows its grid and labels and forwards the buttons.
#pragma once

#include "stats/regression.h"

#include <QDialog>

#include <memory>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QToolButton;

namespace vandro {

class TPlotDlg;

class TLRegressDlg final : public QDialog {
  Q_OBJECT

public:
  // regression: opened (TLinearRegression::Open succeeded).
  explicit TLRegressDlg(std::unique_ptr<TLinearRegression> regression, QWidget* parent = nullptr);
  ~TLRegressDlg() override;

  const TLinearRegression& Regression() const { return *regression_; }

  QTableWidget* Grid() const { return grid_; }
  QLabel* EstimateErrorLabel() const { return estimateError_; }
  QLabel* RSquareLabel() const { return rSquare_; }
  QLabel* AdjustedRSquareLabel() const { return adjustedRSquare_; }
  QLabel* ResidualErrorLabel() const { return residualError_; }
  QLabel* FLabel() const { return f_; }
  QLabel* SSRegLabel() const { return ssReg_; }
  QLabel* SSResLabel() const { return ssRes_; }
  QLineEdit* AlphaEdit() const { return alpha_; }
  QToolButton* AlphaUp() const { return alphaUp_; }
  QToolButton* AlphaDown() const { return alphaDown_; }
  QPushButton* RecalculateButton() const { return recalculate_; }
  QPushButton* RestoreButton() const { return restore_; }
  QPushButton* ScatterPlotButton() const { return plot_; }
  QPlainTextEdit* ResultFormula() const { return formula_; }
  // The scatter plot once "Scatter Plot" opened it, or nullptr.
  TPlotDlg* Plot() const;

private:
  void ShowResults();
  void ShowAlpha();
  void AlphaEdited(const QString& text);

  std::unique_ptr<TLinearRegression> regression_;
  bool showingAlpha_ = false; // ShowAlpha's own edit is no user input
  QTableWidget* grid_;
  QLabel* estimateError_;
  QLabel* rSquare_;
  QLabel* adjustedRSquare_;
  QLabel* residualError_;
  QLabel* f_;
  QLabel* ssReg_;
  QLabel* ssRes_;
  QLineEdit* alpha_;
  QToolButton* alphaUp_;
  QToolButton* alphaDown_;
  QPushButton* recalculate_;
  QPushButton* restore_;
  QPushButton* plot_;
  QPlainTextEdit* formula_;
  TPlotDlg* plotDlg_ = nullptr;
};

} // namespace vandro
