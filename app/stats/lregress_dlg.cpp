#include "app/stats/lregress_dlg.h"

#include "app/shell/guard.h"
#include "app/shell/text_edge.h"
#include "app/stats/plot_dlg.h"
#include "app/stats/result_grid.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace vandro {

namespace {

QLabel* ValueLabel(const QString& caption) {
  auto* label = new QLabel;
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  label->setAccessibleName(caption);
  return label;
}

} // namespace

TLRegressDlg::TLRegressDlg(std::unique_ptr<TLinearRegression> regression, QWidget* parent)
    : QDialog(parent), regression_(std::move(regression)) {
  setWindowTitle(QStringLiteral("Multiple Linear Regression"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  grid_ = MakeResultGrid(QStringLiteral("Regression coefficients"));

  estimateError_ = ValueLabel(QStringLiteral("Std. Error of Estimate:"));
  rSquare_ = ValueLabel(QStringLiteral("R^2:"));
  adjustedRSquare_ = ValueLabel(QStringLiteral("Adjusted R^2:"));
  residualError_ = ValueLabel(QStringLiteral("Residual standard error:"));
  f_ = ValueLabel(QStringLiteral("F:"));
  ssReg_ = ValueLabel(QStringLiteral("SSreg"));
  ssRes_ = ValueLabel(QStringLiteral("SSres"));

  alpha_ = new QLineEdit;
  alpha_->setAccessibleName(QStringLiteral("Alpha:"));
  alpha_->setMaximumWidth(120);
  alphaUp_ = new QToolButton;
  alphaUp_->setArrowType(Qt::UpArrow);
  alphaUp_->setAccessibleName(QStringLiteral("Alpha up"));
  alphaDown_ = new QToolButton;
  alphaDown_->setArrowType(Qt::DownArrow);
  alphaDown_->setAccessibleName(QStringLiteral("Alpha down"));
  recalculate_ = new QPushButton(QStringLiteral("Recalculate"));
  restore_ = new QPushButton(QStringLiteral("Restore"));
  plot_ = new QPushButton(QStringLiteral("Scatter Plot"));
  for (QPushButton* button : {recalculate_, restore_, plot_}) {
    button->setAccessibleName(button->text());
    button->setAutoDefault(false);
  }

  formula_ = new QPlainTextEdit;
  formula_->setReadOnly(true);
  formula_->setAccessibleName(QStringLiteral("Result Formula"));
  formula_->setLineWrapMode(QPlainTextEdit::NoWrap);

  connect(alpha_, &QLineEdit::textEdited, this, &TLRegressDlg::AlphaEdited);
  connect(alphaUp_, &QToolButton::clicked, this, [this] {
    regression_->SpinAlphaUp();
    ShowAlpha();
  });
  connect(alphaDown_, &QToolButton::clicked, this, [this] {
    regression_->SpinAlphaDown();
    ShowAlpha();
  });
  connect(recalculate_, &QPushButton::clicked, this, [this] {
    RunCommand([&] { regression_->Recalculate(); });
    ShowResults();
  });
  connect(restore_, &QPushButton::clicked, this, [this] {
    RunCommand([&] { regression_->Restore(); });
    ShowResults();
  });
  connect(plot_, &QPushButton::clicked, this, [this] {
    if (!plotDlg_) {
      plotDlg_ = new TPlotDlg(*regression_, this);
      connect(plotDlg_, &QObject::destroyed, this, [this] { plotDlg_ = nullptr; });
    } else {
      plotDlg_->Refresh();
    }
    plotDlg_->show();
    plotDlg_->raise();
  });

  auto* labels = new QGridLayout;
  int row = 0;
  const auto addRow = [&](const QString& caption, QWidget* value) {
    auto* label = new QLabel(caption);
    label->setBuddy(value);
    labels->addWidget(label, row, 0);
    labels->addWidget(value, row, 1);
    ++row;
  };
  addRow(QStringLiteral("Std. Error of Estimate:"), estimateError_);
  addRow(QStringLiteral("R^2:"), rSquare_);
  addRow(QStringLiteral("Adjusted R^2:"), adjustedRSquare_);
  addRow(QStringLiteral("Residual standard error:"), residualError_);
  addRow(QStringLiteral("F:"), f_);
  labels->addWidget(ssReg_, row++, 0, 1, 2);
  labels->addWidget(ssRes_, row++, 0, 1, 2);
  auto* alphaRow = new QHBoxLayout;
  auto* alphaCaption = new QLabel(QStringLiteral("Alpha:"));
  alphaCaption->setBuddy(alpha_);
  alphaRow->addWidget(alphaCaption);
  alphaRow->addWidget(alpha_);
  alphaRow->addWidget(alphaUp_);
  alphaRow->addWidget(alphaDown_);
  alphaRow->addWidget(recalculate_);
  alphaRow->addWidget(restore_);
  alphaRow->addStretch();
  alphaRow->addWidget(plot_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* formulaCaption = new QLabel(QStringLiteral("Result Formula"));
  formulaCaption->setBuddy(formula_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(grid_, 2);
  layout->addLayout(labels);
  layout->addLayout(alphaRow);
  layout->addWidget(formulaCaption);
  layout->addWidget(formula_, 1);
  layout->addWidget(buttons);
  resize(640, 560);
  ShowResults();
}

TLRegressDlg::~TLRegressDlg() {
  // The plot reads the regression: it goes first.
  delete plotDlg_;
}

TPlotDlg* TLRegressDlg::Plot() const {
  return plotDlg_;
}

void TLRegressDlg::ShowResults() {
  FillResultGrid(grid_, regression_->Grid());

  estimateError_->setText(FromCore(regression_->EstimateErrorText()));
  rSquare_->setText(FromCore(regression_->RSquareText()));
  adjustedRSquare_->setText(FromCore(regression_->AdjustedRSquareText()));
  residualError_->setText(FromCore(regression_->ResidualErrorText()));
  f_->setText(FromCore(regression_->FText()));
  ssReg_->setText(FromCore(regression_->SSRegText()));
  ssRes_->setText(FromCore(regression_->SSResText()));
  QStringList lines;
  for (const std::string& line : regression_->ResultFormula())
    lines << FromCore(line);
  formula_->setPlainText(lines.join(QLatin1Char('\n')));
  ShowAlpha();
  if (plotDlg_) plotDlg_->Refresh();
}

void TLRegressDlg::ShowAlpha() {
  showingAlpha_ = true;
  alpha_->setText(FromCore(regression_->AlphaText()));
  alpha_->setStyleSheet(QString());
  showingAlpha_ = false;
}

void TLRegressDlg::AlphaEdited(const QString& text) {
  if (showingAlpha_) return;
  std::string core;
  if (!TryToCore(text, core)) core = "?";
  regression_->EditAlpha(core);
  alpha_->setStyleSheet(regression_->AlphaRed() ? QStringLiteral("color: red") : QString());
}

} // namespace vandro
