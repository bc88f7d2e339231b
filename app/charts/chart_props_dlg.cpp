#include "app/charts/chart_props_dlg.h"

#include "app/charts/chart_builder.h"
#include "app/editing/selection_api.h"
#include "app/shell/text_edge.h"
#include "charts/chart_fill.h"
#include "charts/chart_props.h"
#include "editing/value_constructor.h"
#include "shell/messages.h"
#include "shell/numbers.h"
#include "values/value.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextCursor>
#include <QToolTip>
#include <QVBoxLayout>

#include <initializer_list>

namespace vandro {

namespace {

QString Latin(const char* text) {
  return QString::fromLatin1(text);
}

QComboBox* List(std::initializer_list<const char*> items, const char* accessibleName) {
  auto* combo = new QComboBox;
  for (const char* item : items)
    combo->addItem(Latin(item));
  // A combo box is read by its value, so it carries its caption itself.
  combo->setAccessibleName(Latin(accessibleName));
  return combo;
}

QSpinBox* Spin(int minimum, int maximum, const char* accessibleName = nullptr) {
  auto* spin = new QSpinBox;
  spin->setRange(minimum, maximum);
  if (accessibleName) spin->setAccessibleName(Latin(accessibleName));
  return spin;
}

// A check box or button whose caption repeats on its page ("Visible",
// "Font") is named with what it belongs to.
template <class Button> Button* Named(const char* caption, const char* accessibleName) {
  auto* button = new Button(Latin(caption));
  button->setAccessibleName(Latin(accessibleName));
  return button;
}

QPushButton* Button(const char* caption) {
  return new QPushButton(Latin(caption));
}

QGroupBox* Group(const char* caption, QLayout* layout) {
  auto* group = new QGroupBox(Latin(caption));
  group->setLayout(layout);
  return group;
}

QString ShownReal(double value) {
  try {
    return QString::fromStdString(FloatToText(value));
  } catch (const EConvertError&) {
    return {};
  }
}

// Line breaks as the definition keeps them.
std::string WithCrLf(const QString& text) {
  std::string core;
  TryToCore(text, core);
  std::string out;
  for (char c : core) {
    if (c == '\n')
      out += kLineBreak;
    else
      out += c;
  }
  return out;
}

QString WithLf(const std::string& text) {
  QString shown = FromCore(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return shown;
}

} // namespace

TChartPropsDlg::TChartPropsDlg(TChartDefinition& chart, QWidget* parent)
    : QDialog(parent), chart_(chart) {
  setWindowTitle(QStringLiteral("Chart Properties"));
  pages_ = new QTabWidget;
  pages_->addTab(general_ = MakeGeneralPage(), QStringLiteral("General"));
  pages_->addTab(axisPage_ = MakeAxisPage(), QStringLiteral("Axis"));
  pages_->addTab(titlesPage_ = MakeTitlesPage(), QStringLiteral("Titles"));
  pages_->addTab(legendPage_ = MakeLegendPage(), QStringLiteral("Legend"));
  pages_->addTab(MakeSeriesPage(), QStringLiteral("Series"));
  pages_->addTab(details_ = MakeDetailsPage(), QStringLiteral("Series Details"));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  layout->addWidget(buttons);

  series_ = chart_.Series.empty() ? -1 : 0;
  LoadGeneral();
  LoadAxis();
  LoadTitle();
  LoadLegend();
  LoadSeriesList();
  LoadDetails();
}

void TChartPropsDlg::ShowPage(TChartPropsPage page, int seriesIndex) {
  if (seriesIndex >= 0 && seriesIndex < static_cast<int>(chart_.Series.size()))
    seriesList_->setCurrentRow(seriesIndex); // chooses it for the details too
  pages_->setCurrentIndex(static_cast<int>(page));
}

// ---- binding ---------------------------------------------------------------

void TChartPropsDlg::Mark() {
  changed_ = true;
  emit Edited();
}

void TChartPropsDlg::RunLoaders(QWidget* page) {
  const bool was = loading_;
  loading_ = true;
  for (const auto& [owner, load] : loaders_)
    if (owner == page) load();
  loading_ = was;
}

void TChartPropsDlg::BindCheck(QCheckBox* box, std::function<bool&()> field) {
  loaders_.emplace_back(building_, [box, field] { box->setChecked(field()); });
  connect(box, &QCheckBox::toggled, this, [this, field](bool on) {
    if (loading_) return;
    field() = on;
    Mark();
  });
}

void TChartPropsDlg::BindSpin(QSpinBox* spin, std::function<int&()> field) {
  loaders_.emplace_back(building_, [spin, field] { spin->setValue(field()); });
  connect(spin, &QSpinBox::valueChanged, this, [this, field](int value) {
    if (loading_) return;
    field() = value;
    Mark();
  });
}

void TChartPropsDlg::BindCombo(QComboBox* combo, std::function<int&()> field) {
  // A number the list does not show leaves it blank and stays stored.
  loaders_.emplace_back(building_, [combo, field] {
    const int value = field();
    combo->setCurrentIndex(value >= 0 && value < combo->count() ? value : -1);
  });
  connect(combo, &QComboBox::currentIndexChanged, this, [this, field](int row) {
    if (loading_ || row < 0) return;
    field() = row;
    Mark();
  });
}

void TChartPropsDlg::BindColor(QPushButton* button, std::function<TChartColor&()> field) {
  auto show = [button, field] {
    QPixmap swatch(16, 16);
    swatch.fill(ChartQColor(field()));
    button->setIcon(QIcon(swatch));
  };
  loaders_.emplace_back(building_, show);
  connect(button, &QPushButton::clicked, this, [this, button, field, show] {
    QColorDialog dialog(ChartQColor(field()), this);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.setWindowTitle(button->accessibleName().isEmpty() ? button->text()
                                                             : button->accessibleName());
    if (dialog.exec() != QDialog::Accepted) return;
    field() = ChartColorOf(dialog.selectedColor());
    show();
    Mark();
  });
}

void TChartPropsDlg::BindFont(QPushButton* button, std::function<TChartFont&()> field) {
  connect(button, &QPushButton::clicked, this, [this, field] {
    QFontDialog dialog(ChartQFont(field()), this);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted) return;
    // Qt's fonts have no colour: the definition's stays.
    field() = ChartFontOf(dialog.selectedFont(), field().Color);
    Mark();
  });
}

void TChartPropsDlg::BindScale(QLineEdit* edit, const char* caption,
                               std::function<double&()> field) {
  loaders_.emplace_back(building_, [edit, field] { edit->setText(ShownReal(field())); });
  connect(edit, &QLineEdit::editingFinished, this, [this, edit, caption, field] {
    if (loading_ || edit->text() == ShownReal(field())) return;
    std::string text;
    double value = 0;
    if (!TryToCore(edit->text(), text) || !ReadScaleNumber(caption, text, value)) {
      edit->setText(ShownReal(field()));
      return;
    }
    field() = value;
    edit->setText(ShownReal(value));
    Mark();
  });
}

TChartAxis& TChartPropsDlg::Axis() {
  return chart_.Axes[static_cast<size_t>(AxisOfListRow(axisList_->currentIndex()))];
}

TChartTitle& TChartPropsDlg::Title() {
  return header_->isChecked() ? chart_.Header : chart_.Footer;
}

TChartSeries* TChartPropsDlg::Series() {
  return series_ >= 0 && series_ < static_cast<int>(chart_.Series.size())
             ? &chart_.Series[static_cast<size_t>(series_)]
             : nullptr;
}

// ---- General ---------------------------------------------------------------

QWidget* TChartPropsDlg::MakeGeneralPage() {
  auto* page = building_ = new QWidget;
  TChartDefinition& c = chart_;

  auto* view = new QFormLayout;
  auto* chart3D = new QCheckBox(QStringLiteral("3D chart"));
  auto* orthogonal = new QCheckBox(QStringLiteral("Orthogonal"));
  BindCheck(chart3D, [&c]() -> bool& { return c.Chart3D; });
  BindCheck(orthogonal, [&c]() -> bool& { return c.Orthogonal; });
  view->addRow(chart3D);
  view->addRow(orthogonal);
  struct SpinRow {
    const char* caption;
    int minimum, maximum;
    int TChartDefinition::*field;
  };
  for (const SpinRow& row : {SpinRow{"3D%", 1, 100, &TChartDefinition::Percent3D},
                             SpinRow{"Perspective", 0, 100, &TChartDefinition::Perspective},
                             SpinRow{"Horis. Offset", -1000, 1000, &TChartDefinition::HOffset},
                             SpinRow{"Vert. Offset", -1000, 1000, &TChartDefinition::VOffset},
                             SpinRow{"Rotation", 0, 360, &TChartDefinition::Rotation},
                             SpinRow{"Elevation", 0, 360, &TChartDefinition::Elevation}}) {
    QSpinBox* spin = Spin(row.minimum, row.maximum);
    BindSpin(spin, [&c, field = row.field]() -> int& { return c.*field; });
    view->addRow(Latin(row.caption), spin);
  }

  auto* walls = new QVBoxLayout;
  struct WallRow {
    const char* caption;
    TChartColor TChartDefinition::*field;
  };
  for (const WallRow& row : {WallRow{"Left Wall", &TChartDefinition::LeftWallColor},
                             WallRow{"Back Wall", &TChartDefinition::BackWallColor},
                             WallRow{"Bottom Wall", &TChartDefinition::BottomWallColor}}) {
    QPushButton* button = Button(row.caption);
    BindColor(button, [&c, field = row.field]() -> TChartColor& { return c.*field; });
    walls->addWidget(button);
  }
  walls->addStretch();

  auto* margins = new QFormLayout;
  struct MarginRow {
    const char* caption;
    const char* name;
    int TChartDefinition::*field;
  };
  for (const MarginRow& row : {MarginRow{"Left", "Left Margin", &TChartDefinition::LMargin},
                               MarginRow{"Right", "Right Margin", &TChartDefinition::RMargin},
                               MarginRow{"Top", "Top Margin", &TChartDefinition::TMargin},
                               MarginRow{"Bottom", "Bottom Margin", &TChartDefinition::BMargin}}) {
    QSpinBox* spin = Spin(0, 100, row.name);
    BindSpin(spin, [&c, field = row.field]() -> int& { return c.*field; });
    margins->addRow(Latin(row.caption), spin);
  }

  auto* resize = new QVBoxLayout;
  auto* scroll = new QRadioButton(QStringLiteral("Scroll"));
  auto* zoom = new QRadioButton(QStringLiteral("Zoom"));
  resize->addWidget(scroll);
  resize->addWidget(zoom);
  // Two buttons, one key: "Zoom" is the key's true.
  loaders_.emplace_back(page,
                        [&c, scroll, zoom] { (c.AllowZoom ? zoom : scroll)->setChecked(true); });
  connect(zoom, &QRadioButton::toggled, this, [this](bool on) {
    if (loading_ || chart_.AllowZoom == on) return;
    chart_.AllowZoom = on;
    Mark();
  });

  auto* showAxis = new QCheckBox(QStringLiteral("Show Axis"));
  BindCheck(showAxis, [&c]() -> bool& { return c.ShowAxis; });

  auto* grid = new QGridLayout(page);
  grid->addLayout(view, 0, 0, 2, 1);
  grid->addLayout(walls, 0, 1);
  grid->addWidget(Group(" Margins(%) ", margins), 1, 1);
  grid->addWidget(Group("On Resize", resize), 2, 0);
  grid->addWidget(showAxis, 2, 1);
  grid->setRowStretch(3, 1);
  return page;
}

void TChartPropsDlg::LoadGeneral() {
  RunLoaders(general_);
}

// ---- Axis ------------------------------------------------------------------

QWidget* TChartPropsDlg::MakeAxisPage() {
  auto* page = building_ = new QWidget;
  auto axis = [this]() -> TChartAxis& { return Axis(); };

  axisList_ = List({"Left", "Bottom", "Depth", "Right", "Top"}, "Axis:");
  connect(axisList_, &QComboBox::currentIndexChanged, this, [this] { LoadAxis(); });
  auto* top = new QFormLayout;
  top->addRow(QStringLiteral("Axis:"), axisList_);

  auto* visible = Named<QCheckBox>("Visible", "Axis Visible");
  BindCheck(visible, [axis]() -> bool& { return axis().Visible; });
  auto* logarithmic = new QCheckBox(QStringLiteral("Logarithmic"));
  BindCheck(logarithmic, [axis]() -> bool& { return axis().Logarithmic; });
  auto* inverted = new QCheckBox(QStringLiteral("Inverted"));
  BindCheck(inverted, [axis]() -> bool& { return axis().Inverted; });

  axisTitle_ = new QLineEdit;
  GuardCp1251(axisTitle_);
  loaders_.emplace_back(page, [this] { axisTitle_->setText(WithLf(Axis().Title)); });
  connect(axisTitle_, &QLineEdit::textEdited, this, [this](const QString& text) {
    Axis().Title = WithCrLf(text);
    Mark();
  });
  QSpinBox* titleAngle = Spin(0, 360, "Title Angle:");
  BindSpin(titleAngle, [axis]() -> int& { return axis().TitleAngle; });
  auto* titleFont = Named<QPushButton>("Font", "Title Font");
  BindFont(titleFont, [axis]() -> TChartFont& { return axis().Font; });
  auto* title = new QFormLayout;
  title->addRow(QStringLiteral("Title:"), axisTitle_);
  title->addRow(QStringLiteral("Angle:"), titleAngle);
  title->addRow(titleFont);

  auto* labels = new QFormLayout;
  auto* labelsVisible = Named<QCheckBox>("Visible", "Labels Visible");
  BindCheck(labelsVisible, [axis]() -> bool& { return axis().LabelsVisible; });
  auto* labelsFont = Named<QPushButton>("Font", "Labels Font");
  BindFont(labelsFont, [axis]() -> TChartFont& { return axis().LblFont; });
  QSpinBox* labelAngle = Spin(0, 360, "Labels Angle:");
  BindSpin(labelAngle, [axis]() -> int& { return axis().LabelAngle; });
  QComboBox* style = List({"Auto", "None", "Value", "Mark", "Text"}, "Labels Style");
  BindCombo(style, [axis]() -> int& { return axis().LabelStyle; });
  labels->addRow(labelsVisible);
  labels->addRow(labelsFont);
  labels->addRow(QStringLiteral("Angle:"), labelAngle);
  labels->addRow(QStringLiteral("Style"), style);

  auto* ticks = new QFormLayout;
  // The ticks' own visibility is a key of the axis block too.
  auto* ticksVisible = Named<QCheckBox>("Visible", "Ticks Visible");
  BindCheck(ticksVisible, [axis]() -> bool& { return axis().TicksVisible; });
  QSpinBox* inner = Spin(0, 100);
  BindSpin(inner, [axis]() -> int& { return axis().InnerTickSize; });
  QSpinBox* outer = Spin(0, 100);
  BindSpin(outer, [axis]() -> int& { return axis().OuterTickSize; });
  auto* grid = Named<QCheckBox>("Grid", "Ticks Grid");
  BindCheck(grid, [axis]() -> bool& { return axis().Grid; });
  auto* centered = Named<QCheckBox>("Centered", "Grid Centered");
  BindCheck(centered, [axis]() -> bool& { return axis().GridCentered; });
  ticks->addRow(ticksVisible);
  ticks->addRow(QStringLiteral("Inner size:"), inner);
  ticks->addRow(QStringLiteral("Outer size:"), outer);
  ticks->addRow(grid);
  ticks->addRow(centered);

  auto* minor = new QFormLayout;
  auto* minorVisible = Named<QCheckBox>("Visible", "Minor Ticks Visible");
  BindCheck(minorVisible, [axis]() -> bool& { return axis().MinTicksVisible; });
  QSpinBox* minorSize = Spin(0, 100, "Minor Ticks Size:");
  BindSpin(minorSize, [axis]() -> int& { return axis().MinTickOuter; });
  QSpinBox* minorCount = Spin(0, 100);
  BindSpin(minorCount, [axis]() -> int& { return axis().MinorCount; });
  auto* minorGrid = Named<QCheckBox>("Grid", "Minor Ticks Grid");
  BindCheck(minorGrid, [axis]() -> bool& { return axis().MinTicksGrid; });
  minor->addRow(minorVisible);
  minor->addRow(QStringLiteral("Size:"), minorSize);
  minor->addRow(QStringLiteral("Number per tick:"), minorCount);
  minor->addRow(minorGrid);

  auto* scale = new QGridLayout;
  scaleMin_ = new QLineEdit;
  scaleMax_ = new QLineEdit;
  auto* increment = new QLineEdit;
  BindScale(scaleMin_, "Minimum", [axis]() -> double& { return axis().ScaleMin; });
  BindScale(scaleMax_, "Maximum", [axis]() -> double& { return axis().ScaleMax; });
  BindScale(increment, "Increment", [axis]() -> double& { return axis().ScaleInc; });
  minAuto_ = Named<QCheckBox>("Auto", "Minimum Auto");
  maxAuto_ = Named<QCheckBox>("Auto", "Maximum Auto");
  loaders_.emplace_back(page, [this] {
    minAuto_->setChecked(Axis().ScaleMinAuto);
    maxAuto_->setChecked(Axis().ScaleMaxAuto);
    ShowScaleAuto();
  });
  for (QCheckBox* box : {minAuto_, maxAuto_})
    connect(box, &QCheckBox::toggled, this, [this] {
      ShowScaleAuto();
      if (loading_) return;
      TChartAxis& edited = Axis();
      edited.ScaleMinAuto = minAuto_->isChecked();
      edited.ScaleMaxAuto = maxAuto_->isChecked();
      // "Auto" of the block means both ends.
      edited.Auto = edited.ScaleMinAuto && edited.ScaleMaxAuto;
      Mark();
    });
  const std::pair<const char*, QLineEdit*> scaleRows[] = {
      {"Minimum:", scaleMin_}, {"Maximum:", scaleMax_}, {"Increment:", increment}};
  for (int row = 0; row < 3; ++row) {
    auto* label = new QLabel(Latin(scaleRows[row].first));
    label->setBuddy(scaleRows[row].second);
    scale->addWidget(label, row, 0);
    scale->addWidget(scaleRows[row].second, row, 1);
  }
  scale->addWidget(minAuto_, 0, 2);
  scale->addWidget(maxAuto_, 1, 2);

  auto* flags = new QVBoxLayout;
  flags->addWidget(visible);
  flags->addWidget(logarithmic);
  flags->addWidget(inverted);
  flags->addStretch();

  auto* layout = new QGridLayout(page);
  layout->addLayout(top, 0, 0);
  layout->addLayout(flags, 1, 0);
  layout->addWidget(Group("Title", title), 0, 1, 2, 1);
  layout->addWidget(Group("Labels", labels), 2, 0);
  layout->addWidget(Group("Scale", scale), 2, 1);
  layout->addWidget(Group("Ticks", ticks), 3, 0);
  layout->addWidget(Group("Minor Ticks", minor), 3, 1);
  layout->setRowStretch(4, 1);
  return page;
}

void TChartPropsDlg::ShowScaleAuto() {
  scaleMin_->setEnabled(!minAuto_->isChecked());
  scaleMax_->setEnabled(!maxAuto_->isChecked());
}

void TChartPropsDlg::LoadAxis() {
  RunLoaders(axisPage_);
}

// ---- Titles ----------------------------------------------------------------

QWidget* TChartPropsDlg::MakeTitlesPage() {
  auto* page = building_ = new QWidget;
  auto title = [this]() -> TChartTitle& { return Title(); };

  header_ = new QRadioButton(QStringLiteral("Header"));
  auto* footer = new QRadioButton(QStringLiteral("Footer"));
  header_->setChecked(true);
  connect(header_, &QRadioButton::toggled, this, [this] { LoadTitle(); });
  auto* which = new QHBoxLayout;
  which->addWidget(header_);
  which->addWidget(footer);
  which->addStretch();

  auto* visible = Named<QCheckBox>("Visible", "Title Visible");
  BindCheck(visible, [title]() -> bool& { return title().Visible; });
  titleText_ = new QPlainTextEdit;
  titleText_->setAccessibleName(QStringLiteral("Text"));
  loaders_.emplace_back(page, [this] {
    titleTextShown_ = WithLf(Title().Text);
    titleText_->setPlainText(titleTextShown_);
  });
  connect(titleText_, &QPlainTextEdit::textChanged, this, [this] {
    if (loading_) return;
    const QString text = titleText_->toPlainText();
    const QString refusal = Cp1251Refusal(text);
    if (!refusal.isEmpty()) {
      // Take back what the title could not keep, and say why at the field.
      loading_ = true;
      titleText_->setPlainText(titleTextShown_);
      titleText_->moveCursor(QTextCursor::End);
      loading_ = false;
      QToolTip::showText(titleText_->mapToGlobal(QPoint(0, 0)), refusal, titleText_);
      return;
    }
    titleTextShown_ = text;
    Title().Text = WithCrLf(text);
    Mark();
  });
  auto* font = Named<QPushButton>("Font", "Title Font");
  BindFont(font, [title]() -> TChartFont& { return title().Font; });
  auto* background = Button("BackGround Color");
  BindColor(background, [title]() -> TChartColor& { return title().BGColor; });
  auto* border = Named<QCheckBox>("Border", "Title Border");
  BindCheck(border, [title]() -> bool& { return title().Border; });
  QComboBox* align = List({"Left", "Center", "Right"}, "Align");
  loaders_.emplace_back(page,
                        [this, align] { align->setCurrentIndex(ListRowOfAlign(Title().Align)); });
  connect(align, &QComboBox::currentIndexChanged, this, [this](int row) {
    if (loading_ || row < 0) return;
    Title().Align = AlignOfListRow(row);
    Mark();
  });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(visible);
  buttons->addWidget(font);
  buttons->addWidget(background);
  buttons->addWidget(border);
  auto* alignLabel = new QLabel(QStringLiteral("Align"));
  alignLabel->setBuddy(align);
  buttons->addWidget(alignLabel);
  buttons->addWidget(align);
  buttons->addStretch();

  auto* layout = new QVBoxLayout(page);
  layout->addLayout(which);
  layout->addLayout(buttons);
  layout->addWidget(titleText_);
  return page;
}

void TChartPropsDlg::LoadTitle() {
  RunLoaders(titlesPage_);
}

// ---- Legend ----------------------------------------------------------------

QWidget* TChartPropsDlg::MakeLegendPage() {
  auto* page = building_ = new QWidget;
  TChartLegend& legend = chart_.Legend;

  auto* flags = new QVBoxLayout;
  struct CheckRow {
    const char* caption;
    const char* name;
    bool TChartLegend::*field;
  };
  for (const CheckRow& row : {CheckRow{"Visible", "Legend Visible", &TChartLegend::Visible},
                              CheckRow{"Frame", "Frame", &TChartLegend::Frame},
                              CheckRow{"Inverted", "Inverted", &TChartLegend::Inverted}}) {
    auto* box = Named<QCheckBox>(row.caption, row.name);
    BindCheck(box, [&legend, field = row.field]() -> bool& { return legend.*field; });
    flags->addWidget(box);
  }
  auto* font = Named<QPushButton>("Font", "Legend Font");
  BindFont(font, [&legend]() -> TChartFont& { return legend.Font; });
  auto* background = Button("Background Color");
  BindColor(background, [&legend]() -> TChartColor& { return legend.BgColor; });
  flags->addWidget(font);
  flags->addWidget(background);
  flags->addStretch();

  auto* form = new QFormLayout;
  QComboBox* position = List({"Left", "Right", "Top", "Bottom"}, "Position:");
  BindCombo(position, [&legend]() -> int& { return legend.Position; });
  QSpinBox* shadow = Spin(0, 100);
  BindSpin(shadow, [&legend]() -> int& { return legend.Shadow; });
  QComboBox* style =
      List({"Automatic", "Series Name", "Series Values", "LastValues"}, "Legend Style:");
  BindCombo(style, [&legend]() -> int& { return legend.Style; });
  QComboBox* textStyle =
      List({"Plain", "Left Value", "Rightt Value", "Left Percent", "Right Percent", "X Value"},
           "Text Style:");
  BindCombo(textStyle, [&legend]() -> int& { return legend.TextStyle; });
  QSpinBox* colorWidth = Spin(0, 100);
  BindSpin(colorWidth, [&legend]() -> int& { return legend.ColorWidth; });
  form->addRow(QStringLiteral("Position:"), position);
  form->addRow(QStringLiteral("Shadow Size:"), shadow);
  form->addRow(QStringLiteral("Legend Style:"), style);
  form->addRow(QStringLiteral("Text Style:"), textStyle);
  form->addRow(QStringLiteral("Color Width:"), colorWidth);

  auto* layout = new QHBoxLayout(page);
  layout->addLayout(flags);
  layout->addLayout(form, 1);
  return page;
}

void TChartPropsDlg::LoadLegend() {
  RunLoaders(legendPage_);
}

// ---- Series ----------------------------------------------------------------

QWidget* TChartPropsDlg::MakeSeriesPage() {
  auto* page = building_ = new QWidget;
  newType_ = List({"Line", "Bars", "Pie", "Points"}, "New Series Type:");
  auto* add = Button("New");
  connect(add, &QPushButton::clicked, this, &TChartPropsDlg::AddSeries);
  auto* typeLabel = new QLabel(QStringLiteral("New Series Type:"));
  typeLabel->setBuddy(newType_);

  seriesList_ = new QListWidget;
  seriesList_->setAccessibleName(QStringLiteral("Select Series:"));
  connect(seriesList_, &QListWidget::currentRowChanged, this, &TChartPropsDlg::ChooseSeries);
  auto* listLabel = new QLabel(QStringLiteral("Select Series:"));
  listLabel->setBuddy(seriesList_);
  auto* remove = Button("Delete");
  connect(remove, &QPushButton::clicked, this, &TChartPropsDlg::DeleteSeries);
  auto* rename = Button("Rename");
  connect(rename, &QPushButton::clicked, this, &TChartPropsDlg::RenameSeries);

  auto* layout = new QGridLayout(page);
  layout->addWidget(typeLabel, 0, 0);
  layout->addWidget(newType_, 1, 0);
  layout->addWidget(add, 1, 1);
  layout->addWidget(listLabel, 2, 0);
  layout->addWidget(seriesList_, 3, 0, 3, 1);
  layout->addWidget(remove, 3, 1);
  layout->addWidget(rename, 4, 1);
  layout->setRowStretch(5, 1);
  return page;
}

void TChartPropsDlg::LoadSeriesList() {
  const bool was = loading_;
  loading_ = true;
  {
    const QSignalBlocker blocker(seriesList_);
    seriesList_->clear();
    for (const TChartSeries& series : chart_.Series)
      seriesList_->addItem(FromCore(series.Name));
    seriesList_->setCurrentRow(series_);
  }
  loading_ = was;
}

void TChartPropsDlg::ChooseSeries(int index) {
  series_ = index >= 0 && index < static_cast<int>(chart_.Series.size()) ? index : -1;
  LoadDetails();
}

void TChartPropsDlg::AddSeries() {
  const int index = AddChartSeries(chart_, newType_->currentIndex());
  if (index < 0) return;
  series_ = index;
  LoadSeriesList();
  LoadDetails();
  Mark();
}

void TChartPropsDlg::DeleteSeries() {
  const int row = seriesList_->currentRow();
  if (row < 0) {
    ShowMsg("Select a series");
    return;
  }
  if (!DeleteChartSeries(chart_, row)) return;
  const int count = static_cast<int>(chart_.Series.size());
  series_ = row < count ? row : count - 1;
  LoadSeriesList();
  LoadDetails();
  Mark();
}

void TChartPropsDlg::RenameSeries() {
  const int row = seriesList_->currentRow();
  if (row < 0) {
    ShowMsg("Select a series");
    return;
  }
  std::string name = chart_.Series[static_cast<size_t>(row)].Name;
  if (!AskText(this, QStringLiteral("Rename"), QStringLiteral("Input New Series Name:"), name,
               64) ||
      !RenameChartSeries(chart_, row, name))
    return;
  seriesList_->item(row)->setText(FromCore(chart_.Series[static_cast<size_t>(row)].Name));
  LoadDetails();
  Mark();
}

// ---- Series Details --------------------------------------------------------

QWidget* TChartPropsDlg::MakeDetailsPage() {
  auto* page = building_ = new QWidget;
  auto series = [this]() -> TChartSeries& { return *Series(); };

  seriesName_ = new QLabel;
  auto* sources = new QGridLayout;
  const struct {
    const char* caption;
    const char* name;
    TChartSource which;
    QLineEdit** field;
  } sourceRows[] = {{"Y:", "Choose Y", TChartSource::Y, &ySource_},
                    {"X:", "Choose X", TChartSource::X, &xSource_},
                    {"Labels:", "Choose Labels", TChartSource::Labels, &lSource_}};
  int row = 0;
  for (const auto& source : sourceRows) {
    auto* field = *source.field = new QLineEdit;
    field->setReadOnly(true);
    auto* label = new QLabel(Latin(source.caption));
    label->setBuddy(field);
    auto* choose = Named<QPushButton>("...", source.name);
    connect(choose, &QPushButton::clicked, this,
            [this, which = source.which] { ChooseSource(which); });
    sources->addWidget(label, row, 0);
    sources->addWidget(field, row, 1);
    sources->addWidget(choose, row, 2);
    ++row;
  }

  auto* active = new QCheckBox(QStringLiteral("Active"));
  BindCheck(active, [series]() -> bool& { return series().Visible; });
  auto* color = Named<QPushButton>("Color", "Series Color");
  BindColor(color, [series]() -> TChartColor& { return series().Brush; });
  auto* penColor = Button("Pen Color");
  BindColor(penColor, [series]() -> TChartColor& { return series().PenColor; });
  QSpinBox* penWidth = Spin(0, 100);
  BindSpin(penWidth, [series]() -> int& { return series().PenWidth; });
  QComboBox* vertAxis = List({"Left", "Right"}, "Vert. Axis:");
  BindCombo(vertAxis, [series]() -> int& { return series().VertAxis; });
  QComboBox* horizAxis = List({"Bottom", "Top"}, "Horiz. Axis:");
  BindCombo(horizAxis, [series]() -> int& { return series().HorizAxis; });
  auto* general = new QFormLayout;
  general->addRow(active);
  general->addRow(color);
  general->addRow(penColor);
  general->addRow(QStringLiteral("Pen Width:"), penWidth);
  general->addRow(QStringLiteral("Vert. Axis:"), vertAxis);
  general->addRow(QStringLiteral("Horiz. Axis:"), horizAxis);

  auto* pointForm = new QFormLayout;
  auto* pointsVisible = Named<QCheckBox>("Visible", "Points Visible");
  BindCheck(pointsVisible, [series]() -> bool& { return series().PointsVisible; });
  QComboBox* style = List({"Rectangle", "Circle", "Triangle", "Down Triangle", "Cross", "DiagCross",
                           "Star", "Diamond", "SmallDot"},
                          "Style:");
  BindCombo(style, [series]() -> int& { return series().PointStyle; });
  QSpinBox* vertSize = Spin(0, 100);
  BindSpin(vertSize, [series]() -> int& { return series().PointVSize; });
  QSpinBox* horizSize = Spin(0, 100);
  BindSpin(horizSize, [series]() -> int& { return series().PointHSize; });
  auto* brush = Named<QPushButton>("Brush", "Points Brush");
  BindColor(brush, [series]() -> TChartColor& { return series().PointBrushColor; });
  auto* pen = Named<QPushButton>("Pen", "Points Pen");
  BindColor(pen, [series]() -> TChartColor& { return series().PointPenColor; });
  auto* point3D = Named<QCheckBox>("3D", "Points 3D");
  BindCheck(point3D, [series]() -> bool& { return series().Point3D; });
  pointForm->addRow(pointsVisible);
  pointForm->addRow(QStringLiteral("Style:"), style);
  pointForm->addRow(QStringLiteral("Vert. Size:"), vertSize);
  pointForm->addRow(QStringLiteral("Horis. Size:"), horizSize);
  pointForm->addRow(brush);
  pointForm->addRow(pen);
  pointForm->addRow(point3D);
  points_ = Group("Points", pointForm);

  auto* marks = new QFormLayout;
  auto* marksVisible = Named<QCheckBox>("Visible", "Marks Visible");
  BindCheck(marksVisible, [series]() -> bool& { return series().MarksVisible; });
  QSpinBox* arrowWidth = Spin(0, 100);
  BindSpin(arrowWidth, [series]() -> int& { return series().MarksWidth; });
  QSpinBox* length = Spin(0, 100);
  BindSpin(length, [series]() -> int& { return series().MarksLen; });
  auto* marksColor = Named<QPushButton>("Color", "Marks Color");
  BindColor(marksColor, [series]() -> TChartColor& { return series().MarksColor; });
  auto* arrowColor = Button("Arrow Color");
  BindColor(arrowColor, [series]() -> TChartColor& { return series().MarksArrowColor; });
  auto* marksFont = Named<QPushButton>("Font", "Marks Font");
  BindFont(marksFont, [series]() -> TChartFont& { return series().MarksFont; });
  marks->addRow(marksVisible);
  marks->addRow(QStringLiteral("Arrow width:"), arrowWidth);
  marks->addRow(QStringLiteral("Length:"), length);
  marks->addRow(marksColor);
  marks->addRow(arrowColor);
  marks->addRow(marksFont);

  auto* layout = new QGridLayout(page);
  layout->addWidget(seriesName_, 0, 0, 1, 3);
  layout->addLayout(sources, 1, 0, 1, 3);
  layout->addLayout(general, 2, 0);
  layout->addWidget(points_, 2, 1);
  layout->addWidget(Group("Marks", marks), 2, 2);
  layout->setRowStretch(3, 1);
  return page;
}

void TChartPropsDlg::LoadDetails() {
  TChartSeries* series = Series();
  details_->setEnabled(series != nullptr);
  if (!series) {
    seriesName_->setText(QStringLiteral("No series"));
    for (QLineEdit* field : {ySource_, xSource_, lSource_})
      field->clear();
    return;
  }
  seriesName_->setText(QStringLiteral("Series: ") + FromCore(series->Name));
  // Each source read from its start, however long it is.
  const std::pair<QLineEdit*, const std::string*> sources[] = {
      {ySource_, &series->YSource}, {xSource_, &series->XSource}, {lSource_, &series->LSource}};
  for (const auto& [edit, source] : sources) {
    edit->setText(FromCore(ChartSourceText(*source)));
    edit->setCursorPosition(0);
  }
  // Bars and pies keep their point keys unchanged but have no points to show.
  points_->setEnabled(series->Type == cstLine || series->Type == cstPoint);
  RunLoaders(details_);
}

void TChartPropsDlg::ChooseSource(TChartSource which) {
  TChartSeries* series = Series();
  if (!series) return;
  const std::string& packed = which == TChartSource::Y   ? series->YSource
                              : which == TChartSource::X ? series->XSource
                                                         : series->LSource;
  TValue::Ptr value = TValue::Create("TChartPropsDlg.ChooseSource");
  if (!packed.empty()) {
    try {
      value->UnpackValue(packed, 1);
    } catch (const ErrorException&) {
      value = TValue::Create("TChartPropsDlg.ChooseSource"); // said where it is damaged
    }
  }
  // A new source is most often a list of numbers.
  const int opening = packed.empty() ? vpArray : 0;
  if (!app::EditValue(this, *value, nullptr, vpAll, opening, kValueDetailsCaption)) return;
  SetSource(which, *value);
}

void TChartPropsDlg::SetSource(TChartSource which, const TValue& value) {
  TChartSeries* series = Series();
  if (!series) return;
  std::string packed;
  if (!value.IsNull()) {
    try {
      packed = value.PackValue();
    } catch (const ErrorException&) {
      return; // too long to store, and said so
    }
  }
  (which == TChartSource::Y   ? series->YSource
   : which == TChartSource::X ? series->XSource
                              : series->LSource) = std::move(packed);
  FillSeries(chart_, series_);
  // The filling may have given the left or bottom axis its unit as title.
  LoadAxis();
  LoadDetails();
  Mark();
}

} // namespace vandro
