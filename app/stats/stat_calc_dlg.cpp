#include "app/stats/stat_calc_dlg.h"

#include "app/shell/guard.h"
#include "app/shell/text_edge.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace vandro {

namespace {

constexpr std::array<TCalcField, 5> kFields = {TCalcField::X, TCalcField::P, TCalcField::P1,
                                               TCalcField::DF, TCalcField::DF1};

QString Bare(const QString& caption) {
  QString name = caption;
  return name.remove(QLatin1Char(':')).trimmed();
}

} // namespace

TStatCalcDlg::TStatCalcDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Distributions"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  distribution_ = new QComboBox;
  distribution_->setAccessibleName(QStringLiteral("Distribution"));
  for (const char* name : TStatCalculator::DistributionNames())
    distribution_->addItem(QString::fromLatin1(name));
  distribution_->setCurrentIndex(static_cast<int>(calculator_.Distribution()));
  auto* distributionCaption = new QLabel(QStringLiteral("Distribution:"));
  distributionCaption->setBuddy(distribution_);

  auto* grid = new QGridLayout;
  grid->addWidget(distributionCaption, 0, 0);
  grid->addWidget(distribution_, 0, 1, 1, 2);
  for (size_t i = 0; i < kFields.size(); ++i) {
    const TCalcField field = kFields[i];
    fields_[i] = new QLineEdit;
    captions_[i] = new QLabel;
    captions_[i]->setBuddy(fields_[i]);
    up_[i] = new QToolButton;
    up_[i]->setArrowType(Qt::UpArrow);
    down_[i] = new QToolButton;
    down_[i]->setArrowType(Qt::DownArrow);
    for (QToolButton* arrow : {up_[i], down_[i]}) {
      arrow->setAutoRepeat(true);
      arrow->setFixedHeight(fields_[i]->sizeHint().height() / 2 + 1);
    }
    connect(fields_[i], &QLineEdit::textEdited, this,
            [this, field](const QString& text) { RunCommand([&] { Edited(field, text); }); });
    // Leaving a field shows its value as the calculator keeps it.
    connect(fields_[i], &QLineEdit::editingFinished, this, [this] { ShowAll(); });
    connect(up_[i], &QToolButton::clicked, this,
            [this, field] { RunCommand([&] { Step(field, +1); }); });
    connect(down_[i], &QToolButton::clicked, this,
            [this, field] { RunCommand([&] { Step(field, -1); }); });
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    arrows->addWidget(up_[i]);
    arrows->addWidget(down_[i]);
    const int row = static_cast<int>(i) + 1;
    grid->addWidget(captions_[i], row, 0);
    grid->addWidget(fields_[i], row, 1);
    grid->addLayout(arrows, row, 2);
  }
  captions_[Index(TCalcField::X)]->setText(QStringLiteral("X:"));
  captions_[Index(TCalcField::P)]->setText(QStringLiteral("P ( x > X ):"));
  captions_[Index(TCalcField::P1)]->setText(QStringLiteral("1 - P:"));

  connect(distribution_, &QComboBox::currentIndexChanged, this,
          [this](int index) { RunCommand([&] { Choose(index); }); });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addStretch();
  layout->addWidget(buttons);
  ShowAll();
}

void TStatCalcDlg::Choose(int index) {
  if (index < 0) return;
  calculator_.Choose(static_cast<TCalcDistribution>(index));
  ShowAll();
}

void TStatCalcDlg::Edited(TCalcField field, const QString& text) {
  std::string typed;
  if (!TryToCore(text, typed)) typed = "?"; // no number; the field turns red
  calculator_.Edit(field, typed);
  ShowAll(static_cast<int>(Index(field)));
}

void TStatCalcDlg::Step(TCalcField field, int direction) {
  calculator_.Step(field, direction);
  ShowAll();
}

void TStatCalcDlg::ShowAll(int typing) {
  const TCalcCaptions captions = calculator_.Captions();
  captions_[Index(TCalcField::DF)]->setText(FromCore(captions.df));
  captions_[Index(TCalcField::DF1)]->setText(FromCore(captions.df1));
  const std::array<std::string, 5> hints = {"", captions.pHint, captions.p1Hint, captions.dfHint,
                                            captions.df1Hint};
  for (size_t i = 0; i < kFields.size(); ++i) {
    const TCalcField field = kFields[i];
    QLineEdit* edit = fields_[i];
    if (static_cast<int>(i) != typing) edit->setText(FromCore(calculator_.Text(field)));
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Text, calculator_.IsRed(field)
                                         ? QColor(Qt::red)
                                         : this->palette().color(QPalette::Text));
    edit->setPalette(palette);
    edit->setToolTip(FromCore(hints[i]));
    edit->setAccessibleName(Bare(captions_[i]->text()));
    up_[i]->setAccessibleName(Bare(captions_[i]->text()) + QStringLiteral(" up"));
    down_[i]->setAccessibleName(Bare(captions_[i]->text()) + QStringLiteral(" down"));
  }
  const bool second = captions.df1Visible;
  for (QWidget* widget : {static_cast<QWidget*>(fields_[Index(TCalcField::DF1)]),
                          static_cast<QWidget*>(captions_[Index(TCalcField::DF1)]),
                          static_cast<QWidget*>(up_[Index(TCalcField::DF1)]),
                          static_cast<QWidget*>(down_[Index(TCalcField::DF1)])})
    widget->setVisible(second);
}

} // namespace vandro
