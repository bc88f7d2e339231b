#include "app/stats/stat_dlg.h"

#include "app/editing/selection_api.h"
#include "app/shell/guard.h"
#include "app/shell/records_bridge.h"
#include "app/shell/text_edge.h"
#include "app/stats/basic_stat_dlg.h"
#include "app/stats/histogram_view.h"
#include "app/stats/matrix_dlg.h"
#include "app/stats/result_grid.h"
#include "app/stats/stat_windows.h"
#include "editing/value_constructor.h"
#include "shell/messages.h"
#include "shell/progress.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <utility>

namespace vandro {

namespace {

QPushButton* Button(const char* caption) {
  auto* button = new QPushButton(QString::fromLatin1(caption));
  button->setAccessibleName(QString::fromLatin1(caption));
  return button;
}

QLabel* Caption(const char* text) {
  return new QLabel(QString::fromLatin1(text));
}

// "Input Series Name", starting from initial; false on Cancel.
bool AskSeriesName(QWidget* parent, const std::string& initial, std::string& name) {
  name = initial;
  return AskText(parent, QString::fromLatin1(kSeriesNamePrompt), QStringLiteral("Series name:"),
                 name);
}

} // namespace

TStatDlg::TStatDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Statistics"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  grid_ = new QTableWidget(0, 4);
  grid_->setObjectName(QStringLiteral("SSGrid"));
  grid_->setAccessibleName(QStringLiteral("Series"));
  grid_->setHorizontalHeaderLabels({QStringLiteral("Series"), QStringLiteral("Kind"),
                                    QStringLiteral("Unit"), QStringLiteral("Count")});
  grid_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  // A row is dragged by its number into another place in the list.
  grid_->verticalHeader()->setSectionsMovable(true);
  grid_->verticalHeader()->setToolTip(
      QStringLiteral("Drag a row, or press Ctrl+Up or Ctrl+Down, to move the series"));
  connect(grid_->verticalHeader(), &QHeaderView::sectionMoved, this,
          [this](int, int from, int to) { RunCommand([&] { RowDragged(from, to); }); });
  // The same from the keyboard: Ctrl+Up and Ctrl+Down move the selected row.
  for (const auto& [key, step] : {std::pair{Qt::Key_Up, -1}, std::pair{Qt::Key_Down, +1}}) {
    auto* move = new QAction(grid_);
    move->setShortcut(QKeySequence(Qt::CTRL | key));
    move->setShortcutContext(Qt::WidgetShortcut);
    connect(move, &QAction::triggered, this, [this, step] {
      RunCommand([&] {
        const int row = Selected();
        if (row < 0 || row + step < 0 || row + step >= dialog_.Count()) return;
        dialog_.Move(row, row + step);
        ShowList();
        grid_->selectRow(row + step);
      });
    });
    grid_->addAction(move);
  }
  auto* gridCaption = Caption("Series");
  gridCaption->setBuddy(grid_);

  add_ = Button("Add Series");
  remove_ = Button("Remove Series");
  clear_ = Button("Clear All");
  modify_ = Button("Modify Series");
  histogram_ = Button("Series Histogram");
  correlation_ = Button("Correlation");
  descriptive_ = Button("Descriptive stats");
  connect(add_, &QPushButton::clicked, this, [this] { RunCommand([this] { AddSeries(); }); });
  connect(remove_, &QPushButton::clicked, this, [this] { RunCommand([this] { RemoveSeries(); }); });
  connect(clear_, &QPushButton::clicked, this, [this] { RunCommand([this] { ClearAll(); }); });
  connect(modify_, &QPushButton::clicked, this, [this] { RunCommand([this] { ModifySeries(); }); });
  connect(histogram_, &QPushButton::clicked, this,
          [this] { RunCommand([this] { ShowHistogram(); }); });
  connect(correlation_, &QPushButton::clicked, this,
          [this] { RunCommand([this] { ShowCorrelation(); }); });
  connect(descriptive_, &QPushButton::clicked, this,
          [this] { RunCommand([this] { ShowDescriptive(); }); });
  connect(grid_, &QTableWidget::cellDoubleClicked, this,
          [this] { RunCommand([this] { ModifySeries(); }); });

  testType_ = new QComboBox;
  testType_->setAccessibleName(QStringLiteral("Test type"));
  for (const char* name : StatTestNames())
    testType_->addItem(QString::fromLatin1(name));
  testType_->setCurrentIndex(-1);
  testType_->setPlaceholderText(QStringLiteral("(choose a test)"));
  auto* testTypeCaption = Caption("Test type:");
  testTypeCaption->setBuddy(testType_);
  yates_ = new QCheckBox(QStringLiteral("Yates correction"));
  yates_->setAccessibleName(QStringLiteral("Yates correction"));
  yates_->setChecked(dialog_.Yates);
  welchAnova_ = new QCheckBox(QStringLiteral("Welch (unequal variances)"));
  welchAnova_->setAccessibleName(QStringLiteral("Welch's ANOVA for unequal variances"));
  welchAnova_->setChecked(dialog_.WelchAnova);
  anovaTable_ = Button("ANOVA Table");
  tukey_ = Button("Tukey HSD");
  hypothesis_ = new QPlainTextEdit;
  hypothesis_->setReadOnly(true);
  hypothesis_->setAccessibleName(QStringLiteral("Hypothesis"));
  hypothesis_->setMaximumHeight(hypothesis_->fontMetrics().lineSpacing() * 5 + 12);
  auto* hypothesisCaption = Caption("Hypothesis H0:");
  hypothesisCaption->setBuddy(hypothesis_);
  test_ = Button("Test");
  table_ = Button("View Contingency Table");
  statisticCaption_ = new QLabel;
  statistic_ = new QLabel;
  pCaption_ = Caption(kPCaption);
  p_ = new QLabel;
  rejectCaption_ = Caption(kRejectCaption);
  reject_ = new QLabel;
  effectCaption_ = new QLabel;
  effect_ = new QLabel;
  intervalCaption_ = Caption(kIntervalCaption);
  interval_ = new QLabel;
  missing_ = new QLabel;
  missing_->setAccessibleName(QStringLiteral("Missing values"));
  for (QLabel* value : {statistic_, p_, reject_, effect_, interval_, missing_})
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
  connect(testType_, &QComboBox::currentIndexChanged, this, [this](int index) {
    RunCommand([&] {
      dialog_.ChooseTest(static_cast<TStatTest>(index));
      ShowPanel();
    });
  });
  connect(yates_, &QCheckBox::toggled, this, [this](bool on) { dialog_.Yates = on; });
  connect(welchAnova_, &QCheckBox::toggled, this, [this](bool on) {
    dialog_.WelchAnova = on;
    ShowPanel();
  });
  connect(anovaTable_, &QPushButton::clicked, this,
          [this] { RunCommand([this] { ShowAnovaTable(); }); });
  connect(tukey_, &QPushButton::clicked, this, [this] { RunCommand([this] { ShowTukey(); }); });
  connect(test_, &QPushButton::clicked, this, [this] { RunCommand([this] { RunTest(); }); });
  connect(table_, &QPushButton::clicked, this,
          [this] { RunCommand([this] { ShowContingencyTable(); }); });

  auto* listButtons = new QVBoxLayout;
  for (QPushButton* button :
       {add_, remove_, clear_, modify_, histogram_, correlation_, descriptive_})
    listButtons->addWidget(button);
  listButtons->addStretch();
  auto* listColumn = new QVBoxLayout;
  listColumn->addWidget(gridCaption);
  listColumn->addWidget(grid_);
  auto* listRow = new QHBoxLayout;
  listRow->addLayout(listColumn, 1);
  listRow->addLayout(listButtons);

  auto* testBox = new QGroupBox(QStringLiteral("Test"));
  auto* testGrid = new QGridLayout(testBox);
  testGrid->addWidget(testTypeCaption, 0, 0);
  testGrid->addWidget(testType_, 0, 1);
  testGrid->addWidget(yates_, 0, 2);
  testGrid->addWidget(welchAnova_, 0, 2);
  testGrid->addWidget(test_, 0, 3);
  testGrid->addWidget(hypothesisCaption, 1, 0, 1, 4);
  testGrid->addWidget(hypothesis_, 2, 0, 1, 4);
  testGrid->addWidget(statisticCaption_, 3, 0, 1, 2);
  testGrid->addWidget(statistic_, 3, 2, 1, 2);
  testGrid->addWidget(pCaption_, 4, 0, 1, 2);
  testGrid->addWidget(p_, 4, 2, 1, 2);
  testGrid->addWidget(rejectCaption_, 5, 0, 1, 2);
  testGrid->addWidget(reject_, 5, 2, 1, 2);
  testGrid->addWidget(effectCaption_, 6, 0, 1, 2);
  testGrid->addWidget(effect_, 6, 2, 1, 2);
  testGrid->addWidget(intervalCaption_, 7, 0, 1, 2);
  testGrid->addWidget(interval_, 7, 2, 1, 2);
  testGrid->addWidget(missing_, 8, 0, 1, 3);
  testGrid->addWidget(table_, 8, 3);
  testGrid->addWidget(anovaTable_, 9, 2);
  testGrid->addWidget(tukey_, 9, 3);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(listRow, 1);
  layout->addWidget(testBox);
  layout->addWidget(buttons);
  resize(640, 560);
  ShowList();
  ShowPanel();

  // Formulas and queries may read any object's states; nothing typed here is
  // lost by loading them again.
  follower_.ShowsAnyObject();
  connect(new TRecordsBridge(this), &TRecordsBridge::recordsChanged, this, [this](int objectId) {
    if (follower_.Heard(objectId, false) == TRecordsAction::Refresh)
      RunCommand([this] { ReloadSeries(); });
  });
}

void TStatDlg::ReloadSeries() {
  bool reloaded = false;
  for (int row = 0; row < dialog_.Count(); ++row) {
    const TValue& definition = dialog_.Definition(row);
    if (!definition.IsCalculated()) continue;
    TValue::Ptr source = definition.Clone("TStatDlg.ReloadSeries");
    const std::string name = dialog_.Series(row).Name();
    TStatWait wait(this);
    dialog_.Modify(row, *source, name, wait.Progress());
    reloaded = true;
  }
  if (reloaded) ShowList();
}

int TStatDlg::Selected() const {
  const QList<QTableWidgetSelectionRange> ranges = grid_->selectedRanges();
  if (ranges.isEmpty()) return -1;
  const int row = ranges.first().topRow();
  return row < dialog_.Count() ? row : -1;
}

void TStatDlg::ShowList() {
  const int selected = grid_->currentRow();
  grid_->clearContents();
  grid_->setRowCount(dialog_.Count());
  for (int row = 0; row < dialog_.Count(); ++row) {
    const TStatSeries& series = dialog_.Series(row);
    const std::string unit =
        series.Kind == skNumeric || series.Kind == skDate ? series.UnitText : std::string();
    const QStringList cells = {FromCore(series.Name()),
                               QString::fromLatin1(SeriesKindName(series.Kind)), FromCore(unit),
                               QString::number(series.Count())};
    for (int column = 0; column < cells.size(); ++column)
      grid_->setItem(row, column, new QTableWidgetItem(cells[column]));
  }
  if (selected >= 0 && selected < dialog_.Count()) grid_->selectRow(selected);
  ShowPanel();
}

void TStatDlg::ShowPanel() {
  const TStatTestPanel panel = dialog_.Panel();
  QStringList lines;
  for (const std::string& line : panel.hypothesis)
    lines << FromCore(line);
  hypothesis_->setPlainText(lines.join(QLatin1Char('\n')));
  yates_->setVisible(panel.yatesVisible);
  table_->setVisible(panel.tableVisible);
  welchAnova_->setVisible(panel.welchVisible);
  anovaTable_->setVisible(panel.anovaVisible);
  tukey_->setVisible(panel.anovaVisible);
  statisticCaption_->setText(FromCore(panel.statisticCaption));
  statistic_->setText(FromCore(panel.statistic));
  p_->setText(FromCore(panel.p));
  reject_->setText(FromCore(panel.reject));
  for (QLabel* label : {statisticCaption_, statistic_, pCaption_, p_, rejectCaption_, reject_})
    label->setVisible(panel.hasResult);
  effectCaption_->setText(FromCore(panel.effectCaption));
  effect_->setText(FromCore(panel.effect));
  interval_->setText(FromCore(panel.interval));
  for (QLabel* label : {effectCaption_, effect_, intervalCaption_, interval_})
    label->setVisible(panel.hasEffect);
  missing_->setText(FromCore(panel.missing));
  missing_->setVisible(!panel.missing.empty());
}

void TStatDlg::AddSeries() {
  // A definition that was refused comes back for mending, not retyping.
  const int page = draft_ ? 0 : vpArray; // a draft opens on its own page
  TValue::Ptr source = draft_ ? std::move(draft_) : TValue::Create("TStatDlg.AddSeries");
  const std::string initialName = draftName_.empty() ? kDefaultSeriesName : draftName_;
  if (!app::EditValue(this, *source, nullptr, vpAll, page, kSeriesSourceCaption)) return;
  std::string name;
  if (!TStatDialog::AcceptsSource(*source) || !AskSeriesName(this, initialName, name)) {
    draft_ = std::move(source);
    return;
  }
  bool added = false;
  {
    TStatWait wait(this);
    added = dialog_.Add(*source, name, wait.Progress());
  }
  if (!added) {
    draft_ = std::move(source);
    draftName_ = name;
    return;
  }
  draftName_.clear();
  ShowList();
  grid_->selectRow(dialog_.Count() - 1);
}

void TStatDlg::ModifySeries() {
  const int row = Selected();
  if (row < 0) {
    dialog_.Modify(row, TValue::Null(), {}); // refused: "Select series"
    return;
  }
  TValue::Ptr source = dialog_.Definition(row).Clone("TStatDlg.ModifySeries");
  if (!app::EditValue(this, *source, nullptr, vpAll, 0, kSeriesSourceCaption)) return;
  if (!TStatDialog::AcceptsSource(*source)) return;
  std::string name;
  if (!AskSeriesName(this, dialog_.Series(row).Name(), name)) return;
  {
    TStatWait wait(this);
    dialog_.Modify(row, *source, name, wait.Progress());
  }
  ShowList();
}

void TStatDlg::RemoveSeries() {
  if (dialog_.Remove(Selected())) ShowList();
}

void TStatDlg::ClearAll() {
  dialog_.Clear();
  ShowList();
}

void TStatDlg::ShowHistogram() {
  const int row = Selected();
  THistogram probe;
  if (!dialog_.Histogram(row, probe)) return;
  THistogramDlg histogram(dialog_, row, this);
  histogram.exec();
}

void TStatDlg::ShowCorrelation() {
  TCorrelation correlation;
  {
    TStatWait wait;
    if (!dialog_.Correlation(correlation)) return;
  }
  TMatrixDlg matrix(correlation.Text(), this);
  matrix.exec();
}

void TStatDlg::ShowDescriptive() {
  ShowBasicStatistics(this, dialog_.SeriesList());
}

void TStatDlg::RunTest() {
  dialog_.RunTest();
  ShowPanel();
}

void TStatDlg::ShowContingencyTable() {
  TContingencyTable table;
  if (!dialog_.ContingencyTable(table)) return;
  TMatrixDlg matrix(table.Text(), this);
  matrix.exec();
}

void TStatDlg::ShowAnovaTable() {
  TMatrixText table, tukey;
  if (!dialog_.AnovaTables(table, tukey)) return;
  TMatrixDlg matrix(table, this);
  matrix.exec();
}

void TStatDlg::ShowTukey() {
  TMatrixText table, tukey;
  if (!dialog_.AnovaTables(table, tukey)) return;
  TMatrixDlg matrix(tukey, this);
  matrix.exec();
}

void TStatDlg::RowDragged(int from, int to) {
  // The header only moved its section; the list takes the new order and the
  // rows are shown in it again, each section back in its place.
  QHeaderView* header = grid_->verticalHeader();
  {
    const QSignalBlocker blocker(header);
    header->moveSection(to, from);
  }
  dialog_.Move(from, to);
  ShowList();
  grid_->selectRow(to);
}

} // namespace vandro

namespace vandro::app {

bool LoadHandedSeries(std::vector<THandedSeries>& series, QWidget* parent,
                      const std::function<void(THandedSeries&)>& load) {
  TStatWait wait(parent);
  TProgressScope scope(wait.Progress(), kLoadSeriesProgress);
  for (size_t i = 0; i < series.size(); ++i) {
    if (!scope.Update(static_cast<int64_t>(i), static_cast<int64_t>(series.size()))) {
      ShowMsg(kLoadSeriesCancelled);
      return false;
    }
    load(series[i]);
  }
  return true;
}

void OpenStatDialog(QWidget* parent, std::vector<THandedSeries> series) {
  TStatDlg dialog(parent);
  if (!LoadHandedSeries(series, parent, [&dialog](THandedSeries& one) {
        dialog.Dialog().AddItems(std::move(one.Source), one.Name);
      }))
    return;
  dialog.ShowList();
  dialog.exec();
}

} // namespace vandro::app
