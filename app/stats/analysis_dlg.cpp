#include "app/stats/analysis_dlg.h"

#include "app/editing/selection_api.h"
#include "app/shell/guard.h"
#include "app/shell/records_bridge.h"
#include "app/shell/text_edge.h"
#include "app/stats/cluster_dlg.h"
#include "app/stats/edit_data_dlg.h"
#include "app/stats/lregress_dlg.h"
#include "app/stats/result_grid.h"
#include "editing/value_constructor.h"
#include "model/parameter.h"
#include "model/project.h"
#include "shell/messages.h"
#include "values/value_text.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace vandro {

namespace {

// Before "Define Array" or "Select Group" has given any objects.
constexpr const char* kNoSeries = "Define the series of objects first: \"Define Array\" or "
                                  "\"Select Group\"";

QPushButton* Button(const QString& caption) {
  auto* button = new QPushButton(caption);
  button->setAccessibleName(caption);
  button->setAutoDefault(false);
  return button;
}

QLabel* Caption(const QString& text, QWidget* buddy) {
  auto* label = new QLabel(text);
  label->setBuddy(buddy);
  buddy->setAccessibleName(text);
  return label;
}

} // namespace

TAnalysisDlg::TAnalysisDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Data Analysis"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  pages_ = new QTabWidget;
  pages_->setAccessibleName(QStringLiteral("Data Analysis"));
  auto* series = new QWidget;
  auto* domains = new QWidget;
  auto* analysis = new QWidget;
  BuildSeriesPage(series);
  BuildDomainsPage(domains);
  BuildAnalysisPage(analysis);
  pages_->addTab(series, QStringLiteral("Define Series"));
  pages_->addTab(domains, QStringLiteral("Domains"));
  pages_->addTab(analysis, QStringLiteral("Analysis"));
  connect(pages_, &QTabWidget::currentChanged, this, &TAnalysisDlg::PageChanged);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  dataChanged_ = new TDataChangedLine;
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_, 1);
  layout->addWidget(dataChanged_);
  layout->addWidget(buttons);
  resize(660, 500);

  // Calculated parameters may read any object's states.
  follower_.ShowsAnyObject();
  connect(new TRecordsBridge(this), &TRecordsBridge::recordsChanged, this, [this](int objectId) {
    switch (follower_.Heard(objectId, dialog_.HasEditedData())) {
    case TRecordsAction::Refresh:
      RunCommand([this] { Reread(); });
      break;
    case TRecordsAction::SayChanged:
      dataChanged_->show();
      break;
    case TRecordsAction::None:
      break;
    }
  });
  connect(dataChanged_, &TDataChangedLine::refreshRequested, this,
          [this] { RunCommand([this] { Reread(); }); });
}

QLabel* TAnalysisDlg::DataChangedLine() const {
  return dataChanged_;
}

void TAnalysisDlg::Reread() {
  follower_.Refreshed();
  dataChanged_->hide();
  if (group_ != 0) {
    SelectGroup(group_);
  } else if (!source_.IsNull()) {
    const TValue::Ptr source = source_.Clone("TAnalysisDlg.Reread");
    DefineArray(*source);
  }
}

TAnalysisDlg::~TAnalysisDlg() {
  // The result windows are children; they go with this window, and the
  // regression's plot before its regression (TLRegressDlg sees to that).
  delete regression_.data();
  delete cluster_.data();
}

TLRegressDlg* TAnalysisDlg::RegressionWindow() const {
  return regression_.data();
}

TClusterDlg* TAnalysisDlg::ClusterWindow() const {
  return cluster_.data();
}

// --- "Define Series" ---------------------------------------------------------

void TAnalysisDlg::BuildSeriesPage(QWidget* page) {
  auto* defineArray = Button(QStringLiteral("Define Array"));
  auto* selectGroup = Button(QStringLiteral("Select Group"));
  series_ = new QLabel(QStringLiteral("No objects selected"));
  series_->setAccessibleName(QStringLiteral("Series"));
  connect(defineArray, &QPushButton::clicked, this, &TAnalysisDlg::PressDefineArray);
  connect(selectGroup, &QPushButton::clicked, this, &TAnalysisDlg::PressSelectGroup);

  all_ = new QListWidget;
  chosen_ = new QListWidget;
  if (const TProject* project = CurrentProject())
    for (const auto& parameter : project->Parameters())
      all_->addItem(FromCore(parameter->ParamName));
  auto* add = Button(QStringLiteral("-->"));
  auto* remove = Button(QStringLiteral("<--"));
  auto* clear = Button(QStringLiteral("X"));
  add->setAccessibleDescription(QStringLiteral("Add the parameter to analyze"));
  remove->setAccessibleDescription(QStringLiteral("Remove the parameter from analysis"));
  clear->setAccessibleDescription(QStringLiteral("Clear the parameters to analyze"));
  connect(add, &QPushButton::clicked, this, &TAnalysisDlg::PressAdd);
  connect(remove, &QPushButton::clicked, this, &TAnalysisDlg::PressRemove);
  connect(clear, &QPushButton::clicked, this, &TAnalysisDlg::PressClear);
  connect(all_, &QListWidget::itemDoubleClicked, this, [this] { PressAdd(); });
  connect(chosen_, &QListWidget::itemDoubleClicked, this, [this] { PressRemove(); });
  connect(chosen_, &QListWidget::currentRowChanged, this, [this] { ShowWeight(); });

  weight_ = new QLineEdit;
  weightUp_ = new QToolButton;
  weightUp_->setArrowType(Qt::UpArrow);
  weightUp_->setAccessibleName(QStringLiteral("Weight up"));
  weightDown_ = new QToolButton;
  weightDown_->setArrowType(Qt::DownArrow);
  weightDown_->setAccessibleName(QStringLiteral("Weight down"));
  connect(weight_, &QLineEdit::editingFinished, this, [this] { WeightEdited(weight_->text()); });
  connect(weightUp_, &QToolButton::clicked, this, [this] { PressWeightStep(1); });
  connect(weightDown_, &QToolButton::clicked, this, [this] { PressWeightStep(-1); });

  calcName_ = new QLineEdit;
  calcFormula_ = new QLineEdit;
  GuardCp1251(calcName_);
  GuardCp1251(calcFormula_);
  auto* addCalculated = Button(QStringLiteral("Add Calculated"));
  auto* change = Button(QStringLiteral("Change"));
  auto* editData = Button(QStringLiteral("Edit Data"));
  connect(addCalculated, &QPushButton::clicked, this, &TAnalysisDlg::PressAddCalculated);
  connect(change, &QPushButton::clicked, this, &TAnalysisDlg::PressChange);
  connect(editData, &QPushButton::clicked, this, &TAnalysisDlg::PressEditData);

  auto* top = new QHBoxLayout;
  top->addWidget(defineArray);
  top->addWidget(selectGroup);
  top->addWidget(series_, 1);

  auto* moves = new QVBoxLayout;
  moves->addStretch();
  moves->addWidget(add);
  moves->addWidget(remove);
  moves->addWidget(clear);
  moves->addStretch();
  auto* lists = new QGridLayout;
  lists->addWidget(Caption(QStringLiteral("All parameters:"), all_), 0, 0);
  lists->addWidget(Caption(QStringLiteral("Parameters to analyze"), chosen_), 0, 2);
  lists->addWidget(all_, 1, 0);
  lists->addLayout(moves, 1, 1);
  lists->addWidget(chosen_, 1, 2);

  auto* weightRow = new QHBoxLayout;
  weightRow->addWidget(Caption(QStringLiteral("Weight of Selected Parameter:"), weight_));
  weightRow->addWidget(weight_);
  weightRow->addWidget(weightUp_);
  weightRow->addWidget(weightDown_);
  weightRow->addStretch();

  auto* calculated = new QGridLayout;
  calculated->addWidget(Caption(QStringLiteral("Calculated parameter:"), calcName_), 0, 0);
  calculated->addWidget(calcName_, 0, 1);
  calculated->addWidget(addCalculated, 0, 2);
  calculated->addWidget(Caption(QStringLiteral("Formula:"), calcFormula_), 1, 0);
  calculated->addWidget(calcFormula_, 1, 1);
  calculated->addWidget(change, 1, 2);

  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(editData);

  auto* layout = new QVBoxLayout(page);
  layout->addLayout(top);
  layout->addLayout(lists, 1);
  layout->addLayout(weightRow);
  layout->addLayout(calculated);
  layout->addLayout(bottom);
}

bool TAnalysisDlg::DefineArray(const TValue& source) {
  bool set = false;
  {
    TStatWait wait(this);
    RunCommand([&] { set = dialog_.Analysis().SetObjects(source, wait.Progress()); });
  }
  if (!set) return false;
  source_.Assign(source);
  group_ = 0;
  series_->setText(QStringLiteral("Array: %1 objects").arg(dialog_.Analysis().ObjectCount()));
  Changed();
  return true;
}

bool TAnalysisDlg::SelectGroup(int32_t groupId) {
  TValue group;
  group.SetText(vkObject, std::to_string(groupId));
  bool set = false;
  {
    TStatWait wait(this);
    RunCommand([&] { set = dialog_.Analysis().SelectGroup(group, wait.Progress()); });
  }
  if (!set) return false;
  group_ = groupId;
  series_->setText(QStringLiteral("Group: %1 objects").arg(dialog_.Analysis().ObjectCount()));
  Changed();
  return true;
}

void TAnalysisDlg::PressDefineArray() {
  TValue value;
  value.Assign(source_);
  if (!app::EditValue(this, value, nullptr, vpAll, vpLastUsed, "Data series for analysis")) return;
  DefineArray(value);
}

void TAnalysisDlg::PressSelectGroup() {
  app::TSelectRequest request;
  request.Caption = "Select Group";
  app::TSelectResult result;
  if (!app::SelectObject(this, request, result) || result.ObjectId == 0) return;
  SelectGroup(result.ObjectId);
}

void TAnalysisDlg::PressAdd() {
  const QListWidgetItem* item = all_->currentItem();
  if (!item) return;
  std::string name;
  if (!ToCore(item->text(), name)) return;
  bool added = false;
  RunCommand([&] { added = dialog_.Analysis().AddParameter(name); });
  if (!added) return;
  Changed();
  FillChosen(dialog_.Analysis().ParamCount() - 1);
}

void TAnalysisDlg::PressRemove() {
  const int row = chosen_->currentRow();
  if (row < 0) return;
  dialog_.Analysis().RemoveParameter(row);
  Changed();
  FillChosen(std::min(row, dialog_.Analysis().ParamCount() - 1));
}

void TAnalysisDlg::PressClear() {
  dialog_.Analysis().ClearParameters();
  Changed();
  FillChosen(-1);
}

void TAnalysisDlg::PressAddCalculated() {
  std::string name, formula;
  if (!ToCore(calcName_->text().trimmed(), name) || !ToCore(calcFormula_->text(), formula)) return;
  TValue value;
  value.SetText(vkCalculated, formula);
  bool added = false;
  RunCommand([&] { added = dialog_.Analysis().AddCalculated(name, value); });
  if (!added) return;
  Changed();
  FillChosen(dialog_.Analysis().ParamCount() - 1);
}

void TAnalysisDlg::PressChange() {
  const int row = chosen_->currentRow();
  if (row < 0 || !dialog_.Analysis().Param(row).Calculated) {
    ShowMsg("Select a calculated parameter");
    return;
  }
  std::string formula;
  if (!ToCore(calcFormula_->text(), formula)) return;
  TValue value;
  value.SetText(vkCalculated, formula);
  bool changed = false;
  RunCommand([&] { changed = dialog_.Analysis().ChangeFormula(row, value); });
  if (changed) Changed();
}

void TAnalysisDlg::PressEditData() {
  if (dialog_.Analysis().ObjectCount() == 0) {
    ShowMsg(kNoSeries);
    return;
  }
  if (dialog_.Analysis().ParamCount() == 0) {
    ShowMsg("Select parameters to analyse!");
    return;
  }
  if (!EnsureDomains()) return;
  TEditDataDlg editor(dialog_, this);
  if (editor.Load()) editor.exec();
}

void TAnalysisDlg::FillChosen(int current) {
  filling_ = true;
  chosen_->clear();
  for (int c = 0; c < dialog_.Analysis().ParamCount(); ++c)
    chosen_->addItem(FromCore(dialog_.Analysis().Param(c).Name));
  filling_ = false;
  chosen_->setCurrentRow(current);
  ShowWeight();
}

void TAnalysisDlg::ShowWeight() {
  const int row = chosen_->currentRow();
  weight_->setText(FromCore(dialog_.WeightText(row)));
  const bool calculated = row >= 0 && dialog_.Analysis().Param(row).Calculated;
  if (calculated) {
    const TAParam& param = dialog_.Analysis().Param(row);
    calcName_->setText(FromCore(param.Name));
    calcFormula_->setText(param.Formula ? FromCore(param.Formula->Text()) : QString());
  }
  for (QWidget* widget : {static_cast<QWidget*>(weight_), static_cast<QWidget*>(weightUp_),
                          static_cast<QWidget*>(weightDown_)})
    widget->setEnabled(row >= 0);
}

void TAnalysisDlg::WeightEdited(const QString& text) {
  const int row = chosen_->currentRow();
  if (row < 0 || text == FromCore(dialog_.WeightText(row))) return;
  std::string core;
  if (ToCore(text, core)) {
    bool set = false;
    RunCommand([&] { set = dialog_.Analysis().SetWeightText(row, core); });
    if (set) Changed();
  }
  ShowWeight();
}

void TAnalysisDlg::PressWeightStep(int direction) {
  const int row = chosen_->currentRow();
  if (row < 0) return;
  dialog_.Analysis().StepWeight(row, direction);
  Changed();
  ShowWeight();
}

void TAnalysisDlg::Changed() {
  dialog_.Changed();
  FillDependent();
}

// --- "Domains" ---------------------------------------------------------------

void TAnalysisDlg::BuildDomainsPage(QWidget* page) {
  domainParams_ = new QListWidget;
  domainGrid_ = new QTableWidget(0, 2);
  domainGrid_->setHorizontalHeaderLabels({QStringLiteral("Value"), QStringLiteral("Number")});
  domainGrid_->horizontalHeader()->setStretchLastSection(true);
  domainGrid_->verticalHeader()->setSectionsMovable(true);
  domainGrid_->verticalHeader()->setToolTip(QStringLiteral("Drag a row to move it"));
  domainType_ = new QComboBox;
  for (const char* name : DomainTypeNames())
    domainType_->addItem(QString::fromLatin1(name));
  nullMode_ = new QComboBox;
  for (const char* name : NullModeNames())
    nullMode_->addItem(QString::fromLatin1(name));
  nullValue_ = Button(QStringLiteral("..."));
  nullValue_->setAccessibleName(QStringLiteral("Replace Null values with:"));
  auto* setMapping = Button(QStringLiteral("Set Mapping Automatically"));

  connect(domainParams_, &QListWidget::currentRowChanged, this, [this] { ShowDomain(); });
  connect(domainGrid_, &QTableWidget::cellChanged, this, &TAnalysisDlg::DomainNumberEdited);
  connect(domainGrid_->verticalHeader(), &QHeaderView::sectionMoved, this,
          [this](int, int from, int to) {
            if (filling_) return;
            // The grid is filled again in the domain's new order; the
            // header's own move is undone first, after this signal.
            QMetaObject::invokeMethod(
                this, [this, from, to] { MoveDomainRow(from, to); }, Qt::QueuedConnection);
          });
  connect(domainType_, &QComboBox::activated, this, &TAnalysisDlg::DomainTypeChosen);
  connect(nullMode_, &QComboBox::activated, this, &TAnalysisDlg::NullModeChosen);
  connect(nullValue_, &QPushButton::clicked, this, &TAnalysisDlg::PressNullValue);
  connect(setMapping, &QPushButton::clicked, this, &TAnalysisDlg::PressSetMapping);

  nullCaption_ = Caption(QStringLiteral("Replace Nulls with:"), nullMode_);
  domainGrid_->setAccessibleName(QStringLiteral("Domain values"));
  domainGrid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  auto* parameters = new QVBoxLayout;
  parameters->addWidget(Caption(QStringLiteral("Parameters:"), domainParams_));
  parameters->addWidget(domainParams_, 1);
  auto* side = new QVBoxLayout;
  side->addWidget(Caption(QStringLiteral("Domain type:"), domainType_));
  side->addWidget(domainType_);
  side->addWidget(setMapping);
  side->addSpacing(12);
  side->addWidget(nullCaption_);
  auto* nullRow = new QHBoxLayout;
  nullRow->addWidget(nullMode_, 1);
  nullRow->addWidget(nullValue_);
  side->addLayout(nullRow);
  side->addStretch();
  auto* layout = new QHBoxLayout(page);
  layout->addLayout(parameters, 2);
  layout->addWidget(domainGrid_, 3);
  layout->addLayout(side, 2);
}

void TAnalysisDlg::PageChanged(int page) {
  if (page == 1) {
    EnsureDomains();
    FillDomainParameters();
  } else if (page == 2) {
    FillDependent();
  }
}

bool TAnalysisDlg::EnsureDomains() {
  TDataAnalysis& analysis = dialog_.Analysis();
  if (analysis.DomainsCurrent() || analysis.ObjectCount() == 0 || analysis.ParamCount() == 0)
    return true;
  const int before = analysis.ParamCount();
  bool built = false;
  {
    TStatWait wait(this);
    RunCommand([&] { built = analysis.BuildDomains(wait.Progress()); });
  }
  dialog_.Changed();
  if (analysis.ParamCount() != before) FillChosen(-1);
  FillDependent();
  return built;
}

int TAnalysisDlg::DomainParam() const {
  const int row = domainParams_->currentRow();
  return row >= 0 && row < dialog_.Analysis().ParamCount() ? row : -1;
}

void TAnalysisDlg::FillDomainParameters() {
  const int current = DomainParam();
  filling_ = true;
  domainParams_->clear();
  for (int c = 0; c < dialog_.Analysis().ParamCount(); ++c)
    domainParams_->addItem(FromCore(dialog_.Analysis().Param(c).Name));
  filling_ = false;
  domainParams_->setCurrentRow(current >= 0 && current < domainParams_->count()
                                   ? current
                                   : (domainParams_->count() ? 0 : -1));
  ShowDomain();
}

void TAnalysisDlg::ShowDomain() {
  if (filling_) return;
  filling_ = true;
  const int param = DomainParam();
  const bool known = param >= 0 && dialog_.Analysis().DomainsCurrent();
  const std::vector<std::vector<std::string>> rows =
      known ? dialog_.DomainRows(param) : std::vector<std::vector<std::string>>();
  // Undo any dragging of the header: the rows are shown in the domain's order.
  QHeaderView* header = domainGrid_->verticalHeader();
  domainGrid_->setRowCount(0);
  header->reset();
  domainGrid_->setRowCount(static_cast<int>(rows.size()));
  for (int logical = 0; logical < header->count(); ++logical)
    if (header->visualIndex(logical) != logical)
      header->moveSection(header->visualIndex(logical), logical);
  for (size_t r = 0; r < rows.size(); ++r) {
    auto* value = new QTableWidgetItem(FromCore(rows[r][0]));
    value->setFlags(value->flags() & ~Qt::ItemIsEditable);
    domainGrid_->setItem(static_cast<int>(r), 0, value);
    domainGrid_->setItem(static_cast<int>(r), 1, new QTableWidgetItem(FromCore(rows[r][1])));
  }
  const TDomain* domain = known ? &dialog_.Analysis().Param(param).Domain : nullptr;
  domainType_->setEnabled(domain != nullptr);
  domainType_->setCurrentIndex(domain ? domain->Type : 0);
  // Numbers of a numeric domain are the values themselves.
  domainGrid_->setEnabled(domain && domain->Type != dtNumeric);
  const bool replaceable = domain && domain->NullsReplaceable();
  nullCaption_->setVisible(replaceable);
  nullMode_->setVisible(replaceable);
  nullValue_->setVisible(replaceable && domain->NullMode == nmValue);
  if (domain) nullMode_->setCurrentIndex(domain->NullMode);
  if (domain && domain->NullValue)
    nullValue_->setText(FromCore(ToDisplayText(domain->NullValue.get())));
  else
    nullValue_->setText(QStringLiteral("..."));
  filling_ = false;
}

void TAnalysisDlg::DomainNumberEdited(int row, int column) {
  const int param = DomainParam();
  if (filling_ || column != 1 || param < 0) return;
  QTableWidgetItem* item = domainGrid_->item(row, column);
  std::string text;
  bool set = false;
  if (item && ToCore(item->text(), text))
    RunCommand([&] { set = dialog_.Analysis().Param(param).Domain.SetNumberText(row, text); });
  if (set) dialog_.Changed();
  // A refused number shows the one kept.
  ShowDomain();
}

void TAnalysisDlg::MoveDomainRow(int from, int to) {
  const int param = DomainParam();
  if (param < 0) return;
  dialog_.Analysis().Param(param).Domain.MoveValue(from, to);
  dialog_.Changed();
  ShowDomain();
}

void TAnalysisDlg::DomainTypeChosen(int type) {
  const int param = DomainParam();
  if (filling_ || param < 0) return;
  bool set = false;
  RunCommand(
      [&] { set = dialog_.Analysis().Param(param).Domain.SetType(static_cast<uint8_t>(type)); });
  if (set) dialog_.Changed();
  ShowDomain();
}

void TAnalysisDlg::PressSetMapping() {
  const int param = DomainParam();
  if (param < 0) return;
  dialog_.Analysis().Param(param).Domain.SetMappingAutomatically();
  dialog_.Changed();
  ShowDomain();
}

void TAnalysisDlg::NullModeChosen(int mode) {
  const int param = DomainParam();
  if (filling_ || param < 0) return;
  TDomain& domain = dialog_.Analysis().Param(param).Domain;
  if (mode == nmValue) {
    PressNullValue();
    return;
  }
  domain.NullMode = static_cast<uint8_t>(mode);
  dialog_.Changed();
  ShowDomain();
}

void TAnalysisDlg::PressNullValue() {
  const int param = DomainParam();
  if (param < 0) return;
  TDomain& domain = dialog_.Analysis().Param(param).Domain;
  TValue value;
  if (domain.NullValue) value.Assign(*domain.NullValue);
  if (app::EditValue(this, value, nullptr, vpPlain, vpPlain, "Replace Null values with:")) {
    bool set = false;
    RunCommand([&] { set = domain.SetNullValue(value); });
    if (set) dialog_.Changed();
  }
  ShowDomain();
}

// --- "Analysis" --------------------------------------------------------------

void TAnalysisDlg::BuildAnalysisPage(QWidget* page) {
  distance_ = new QComboBox;
  for (const char* name : ClusterDistanceNames())
    distance_->addItem(QString::fromLatin1(name));
  dependent_ = new QComboBox;
  auto* cluster = Button(QStringLiteral("Cluster Analysis"));
  auto* regression = Button(QStringLiteral("Linear Regression"));
  connect(cluster, &QPushButton::clicked, this, &TAnalysisDlg::PressCluster);
  connect(regression, &QPushButton::clicked, this, &TAnalysisDlg::PressRegression);

  auto* clusterBox = new QGridLayout;
  clusterBox->addWidget(Caption(QStringLiteral("Distance:"), distance_), 0, 0);
  clusterBox->addWidget(distance_, 0, 1);
  clusterBox->addWidget(cluster, 0, 2);
  clusterBox->addWidget(Caption(QStringLiteral("Dependent parameter:"), dependent_), 1, 0);
  clusterBox->addWidget(dependent_, 1, 1);
  clusterBox->addWidget(regression, 1, 2);
  clusterBox->setColumnStretch(1, 1);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(clusterBox);
  layout->addStretch();
}

void TAnalysisDlg::FillDependent() {
  const QString current = dependent_->currentText();
  dependent_->clear();
  for (int c = 0; c < dialog_.Analysis().ParamCount(); ++c)
    dependent_->addItem(FromCore(dialog_.Analysis().Param(c).Name));
  const int kept = dependent_->findText(current);
  dependent_->setCurrentIndex(kept >= 0 ? kept : -1);
}

void TAnalysisDlg::PressCluster() {
  if (dialog_.Analysis().ParamCount() > 0 && dialog_.Analysis().ObjectCount() == 0) {
    ShowMsg(kNoSeries);
    return;
  }
  TMergeTable merges;
  bool clustered = false;
  {
    TStatWait wait(this);
    RunCommand([&] {
      clustered = dialog_.RunCluster(static_cast<TClusterDistance>(distance_->currentIndex()),
                                     merges, wait.Progress());
    });
  }
  // BuildDomains may have asked to drop parameters.
  FillChosen(std::min(chosen_->currentRow(), dialog_.Analysis().ParamCount() - 1));
  if (!clustered) return;
  delete cluster_.data();
  cluster_ = new TClusterDlg(std::move(merges), dialog_.Analysis().Objects(), this);
  cluster_->setAttribute(Qt::WA_DeleteOnClose);
  cluster_->show();
}

void TAnalysisDlg::PressRegression() {
  auto regression = std::make_unique<TLinearRegression>();
  bool opened = false;
  {
    TStatWait wait(this);
    RunCommand([&] {
      opened = dialog_.OpenRegression(dependent_->currentIndex(), *regression, wait.Progress());
    });
  }
  FillChosen(std::min(chosen_->currentRow(), dialog_.Analysis().ParamCount() - 1));
  if (!opened) return;
  delete regression_.data();
  regression_ = new TLRegressDlg(std::move(regression), this);
  regression_->setAttribute(Qt::WA_DeleteOnClose);
  regression_->show();
}

} // namespace vandro
