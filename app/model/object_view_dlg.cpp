#include "app/model/object_view_dlg.h"

#include "app/model/compare_dlg.h"
#include "app/model/moment_picker.h"
#include "app/model/text_grid.h"
#include "app/shell/guard.h"
#include "app/shell/main_commands.h"
#include "app/shell/records_bridge.h"
#include "app/shell/text_edge.h"
#include "model/known_at.h"
#include "shell/clock.h"

#include <QAction>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vandro {

namespace {

TObjectViewDlg* showing = nullptr;

} // namespace

QTableWidget* MakeStatesGrid() {
  QTableWidget* grid = MakeTextGrid({"Last Rec.Id", "Date and Time"});
  grid->setAccessibleName(QStringLiteral("States"));
  return grid;
}

QTableWidget* MakeValuesGrid() {
  QTableWidget* grid = MakeTextGrid({"Parameter", "Value"});
  grid->setAccessibleName(QStringLiteral("Parameter Values"));
  return grid;
}

void ShowStates(QTableWidget* grid, const TObjectStates& states) {
  std::vector<std::vector<std::string>> rows;
  for (const TStateRow& row : states.Rows())
    rows.push_back({std::to_string(row.RecordId), row.Time});
  FillTextGrid(grid, rows);
}

void ShowValues(QTableWidget* grid, TObjectStates& states, int row) {
  std::vector<std::vector<std::string>> rows;
  for (const TValueRow& value : states.Values(row))
    rows.push_back({value.Parameter, value.Value});
  FillTextGrid(grid, rows);
}

TObjectViewDlg::TObjectViewDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("View Object"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  caption_ = new QLabel;
  moment_ = new TMomentPicker;
  knownAt_ = new TMomentPicker;
  knownAt_->setToolTip(QStringLiteral("The states as they were known then"));
  refresh_ = new QPushButton(QStringLiteral("Refresh"));
  states_ = MakeStatesGrid();
  values_ = MakeValuesGrid();
  contentCaption_ = new QLabel(QStringLiteral("Group Content"));
  content_ = MakeTextGrid({"Member", "Id"});
  content_->setAccessibleName(QStringLiteral("Group Content"));
  content_->setToolTip(QStringLiteral("Double-click a member to view it"));
  contentCaption_->setBuddy(content_);
  connect(refresh_, &QPushButton::clicked, this, [this] { RunCommand([this] { Refresh(); }); });
  connect(states_, &QTableWidget::currentCellChanged, this,
          [this](int row) { RunCommand([&] { SelectState(row); }); });
  connect(content_, &QTableWidget::cellDoubleClicked, this,
          [this](int row) { RunCommand([&] { ViewMember(row); }); });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  // The commands take the state shown here (Showing, SelectedTrack) and
  // close this view with OK.
  newState_ = AddCommandButton(buttons, QStringLiteral("recNewState"));
  editRecord_ = AddCommandButton(buttons, QStringLiteral("recEditRecord"));
  compare_ = buttons->addButton(QStringLiteral("Compare..."), QDialogButtonBox::ActionRole);
  compare_->setToolTip(QStringLiteral("Compare the chosen state with another one"));
  connect(compare_, &QPushButton::clicked, this,
          [this] { RunCommand([this] { CompareWithChosenState(this, view_.SelectedTrack()); }); });

  auto* top = new QHBoxLayout;
  auto* momentCaption = new QLabel(QStringLiteral("States at"));
  momentCaption->setBuddy(moment_->DateEdit());
  top->addWidget(momentCaption);
  top->addWidget(moment_);
  auto* knownAtCaption = new QLabel(QStringLiteral("Known at:"));
  knownAtCaption->setBuddy(knownAt_->DateEdit());
  top->addWidget(knownAtCaption);
  top->addWidget(knownAt_);
  top->addWidget(refresh_);
  top->addStretch();
  auto* contentBox = new QWidget;
  auto* contentLayout = new QVBoxLayout(contentBox);
  contentLayout->setContentsMargins(0, 0, 0, 0);
  contentLayout->addWidget(contentCaption_);
  contentLayout->addWidget(content_);
  auto* splitter = new QSplitter(Qt::Vertical);
  splitter->addWidget(states_);
  splitter->addWidget(values_);
  splitter->addWidget(contentBox);
  splitter->setStretchFactor(1, 2);
  splitter->setStretchFactor(2, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(caption_);
  layout->addLayout(top);
  layout->addWidget(splitter);
  layout->addWidget(buttons);
  resize(520, 480);

  // Nothing here is typed: a record of the object stored anywhere shows at once.
  follower_.Shows([this](int32_t objectId) { return objectId == view_.ObjectId(); });
  connect(new TRecordsBridge(this), &TRecordsBridge::recordsChanged, this, [this](int objectId) {
    if (follower_.Heard(objectId, false) != TRecordsAction::Refresh) return;
    RunCommand([this] {
      moment_->SetMoment(FollowedMoment(moment_->Moment(), opened_, Now()));
      view_.Reload(moment_->Moment());
      Refresh();
    });
  });
}

QPushButton* TObjectViewDlg::AddCommandButton(QDialogButtonBox* buttons, const QString& command) {
  QAction* action = MainWindowCommand(parentWidget(), command);
  if (!action) return nullptr;
  QString caption = action->text();
  caption.remove(QLatin1Char('&')).remove(QStringLiteral("..."));
  QPushButton* button = buttons->addButton(caption, QDialogButtonBox::ActionRole);
  commands_.emplace_back(button, action);
  EnableCommands();
  connect(action, &QAction::changed, button, [this] { EnableCommands(); });
  connect(button, &QPushButton::clicked, action, [action] { action->trigger(); });
  return button;
}

void TObjectViewDlg::EnableCommands() {
  // Nothing is stored after a state of the past.
  for (const auto& [button, action] : commands_)
    button->setEnabled(action->isEnabled() && !view_.ShowsThePast());
}

TObjectViewDlg::~TObjectViewDlg() {
  if (showing == this) showing = previous_;
}

TObjectViewDlg* TObjectViewDlg::Showing() {
  return showing;
}

void TObjectViewDlg::showEvent(QShowEvent* event) {
  // A member's view opens over its group's and hands the group's back.
  if (showing != this) previous_ = showing;
  showing = this;
  QDialog::showEvent(event);
}

void TObjectViewDlg::hideEvent(QHideEvent* event) {
  if (showing == this) showing = previous_;
  QDialog::hideEvent(event);
}

bool TObjectViewDlg::Open(int32_t id, std::optional<double> knownAt) {
  opened_ = Now();
  if (!view_.Open(id, opened_, knownAt)) return false;
  knownAt_->SetMoment(knownAt.value_or(opened_));
  ShowAll();
  return true;
}

void TObjectViewDlg::Refresh() {
  // A moment without a state is said in a message box: what was shown for
  // the moment before is gone by then.
  {
    const QSignalBlocker quiet(states_);
    FillTextGrid(states_, {});
  }
  FillTextGrid(values_, {});
  FillTextGrid(content_, {});
  members_.clear();
  view_.SetMoment(moment_->Moment(), PastMoment(knownAt_->Moment(), opened_));
  ShowAll();
}

void TObjectViewDlg::SelectState(int row) {
  if (row == view_.SelectedRow() && row >= 0) return;
  view_.Select(row);
  ShowState();
}

void TObjectViewDlg::ShowAll() {
  caption_->setText(FromCore(view_.Caption()));
  setWindowTitle(QStringLiteral("View Object") + FromCore(AsKnownAtText(view_.KnownAt())));
  EnableCommands();
  moment_->SetMoment(view_.Moment());
  {
    const QSignalBlocker quiet(states_);
    ShowStates(states_, view_.States());
    if (view_.SelectedRow() >= 0) states_->selectRow(view_.SelectedRow());
  }
  ShowState();
}

void TObjectViewDlg::ShowState() {
  const int row = view_.SelectedRow();
  ShowValues(values_, view_.States(), row);
  members_.clear();
  std::vector<std::vector<std::string>> rows;
  const auto members = view_.States().Members(row);
  if (members)
    for (const TMemberRow& member : *members) {
      members_.push_back(member.Id);
      rows.push_back({member.Name, std::to_string(member.Id)});
    }
  FillTextGrid(content_, rows);
  // A group's grid stays in its place while a moment shows no state.
  contentCaption_->setVisible(view_.IsGroup());
  content_->setVisible(view_.IsGroup());
}

void TObjectViewDlg::ViewMember(int row) {
  if (row < 0 || row >= static_cast<int>(members_.size())) return;
  TObjectViewDlg member(this);
  if (member.Open(members_[static_cast<size_t>(row)], view_.KnownAt())) member.exec();
}

} // namespace vandro
