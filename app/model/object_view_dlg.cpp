#include "app/model/object_view_dlg.h"

#include "app/model/moment_picker.h"
#include "app/model/text_grid.h"
#include "app/shell/guard.h"
#include "app/shell/main_commands.h"
#include "app/shell/text_edge.h"
#include "shell/clock.h"

#include <QAction>
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
  return MakeTextGrid({"Last Rec.Id", "Date and Time"});
}

QTableWidget* MakeValuesGrid() {
  return MakeTextGrid({"Parameter", "Value"});
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
  refresh_ = new QPushButton(QStringLiteral("Refresh"));
  states_ = MakeStatesGrid();
  values_ = MakeValuesGrid();
  connect(refresh_, &QPushButton::clicked, this, [this] { RunCommand([this] { Refresh(); }); });
  connect(states_, &QTableWidget::currentCellChanged, this,
          [this](int row) { RunCommand([&] { SelectState(row); }); });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  // The commands take the state shown here (Showing, SelectedTrack) and
  // close this view with OK.
  newState_ = AddCommandButton(buttons, QStringLiteral("recNewState"));
  editRecord_ = AddCommandButton(buttons, QStringLiteral("recEditRecord"));

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("States at")));
  top->addWidget(moment_);
  top->addWidget(refresh_);
  top->addStretch();
  auto* splitter = new QSplitter(Qt::Vertical);
  splitter->addWidget(states_);
  splitter->addWidget(values_);
  splitter->setStretchFactor(1, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(caption_);
  layout->addLayout(top);
  layout->addWidget(splitter);
  layout->addWidget(buttons);
  resize(520, 480);
}

QPushButton* TObjectViewDlg::AddCommandButton(QDialogButtonBox* buttons, const QString& command) {
  QAction* action = MainWindowCommand(parentWidget(), command);
  if (!action) return nullptr;
  QString caption = action->text();
  caption.remove(QLatin1Char('&')).remove(QStringLiteral("..."));
  QPushButton* button = buttons->addButton(caption, QDialogButtonBox::ActionRole);
  button->setEnabled(action->isEnabled());
  connect(action, &QAction::changed, button,
          [button, action] { button->setEnabled(action->isEnabled()); });
  connect(button, &QPushButton::clicked, action, [action] { action->trigger(); });
  return button;
}

TObjectViewDlg::~TObjectViewDlg() {
  if (showing == this) showing = nullptr;
}

TObjectViewDlg* TObjectViewDlg::Showing() {
  return showing;
}

void TObjectViewDlg::showEvent(QShowEvent* event) {
  showing = this;
  QDialog::showEvent(event);
}

void TObjectViewDlg::hideEvent(QHideEvent* event) {
  if (showing == this) showing = nullptr;
  QDialog::hideEvent(event);
}

bool TObjectViewDlg::Open(int32_t id) {
  if (!view_.Open(id, Now())) return false;
  ShowAll();
  return true;
}

void TObjectViewDlg::Refresh() {
  view_.SetMoment(moment_->Moment());
  ShowAll();
}

void TObjectViewDlg::SelectState(int row) {
  if (row == view_.SelectedRow() && row >= 0) return;
  view_.Select(row);
  ShowValues(values_, view_.States(), view_.SelectedRow());
}

void TObjectViewDlg::ShowAll() {
  caption_->setText(FromCore(view_.Caption()));
  moment_->SetMoment(view_.Moment());
  const QSignalBlocker quiet(states_);
  ShowStates(states_, view_.States());
  if (view_.SelectedRow() >= 0) states_->selectRow(view_.SelectedRow());
  ShowValues(values_, view_.States(), view_.SelectedRow());
}

} // namespace vandro
