#include "app/storage/database_browser_form.h"

#include "app/model/moment_picker.h"
#include "app/model/object_view_dlg.h"
#include "app/model/text_grid.h"
#include "app/shell/guard.h"
#include "app/shell/paged_grid.h"
#include "app/shell/records_bridge.h"
#include "app/shell/text_edge.h"
#include "app/storage/db_show_form.h"
#include "model/known_at.h"
#include "shell/clock.h"

#include <QApplication>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vandro {

TDatabaseBrowserForm::TDatabaseBrowserForm(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Browse Database"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  objects_ = MakeTextGrid({"Obj.Id", "Object Name"});
  // The scroll bar beside the grid moves through all objects; the grid holds
  // one page.
  objects_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // A page is as many whole rows as the grid shows: no row is cut by a
  // scroll bar below.
  objects_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  objects_->setMinimumWidth(260);
  objects_->setAccessibleName(QStringLiteral("Objects"));
  // The wheel and Page Up / Page Down over the grid move the pages as the
  // scroll bar does; the grid's own rows change with its height.
  objects_->installEventFilter(this);
  objects_->viewport()->installEventFilter(this);
  scroll_ = new QScrollBar(Qt::Vertical);
  scroll_->setAccessibleName(QStringLiteral("Object pages"));
  opened_ = Now();
  moment_ = new TMomentPicker;
  moment_->SetMoment(opened_);
  knownAt_ = new TMomentPicker;
  knownAt_->SetMoment(opened_);
  knownAt_->setToolTip(QStringLiteral("The states as they were known then"));
  refresh_ = new QPushButton(QStringLiteral("Refresh"));
  viewObject_ = new QPushButton(QStringLiteral("View Object"));
  dbShow_ = new QPushButton(QStringLiteral("DB Show"));
  states_ = MakeStatesGrid();
  values_ = MakeValuesGrid();

  connect(scroll_, &QScrollBar::valueChanged, this,
          [this](int position) { RunCommand([&] { ScrollTo(position); }); });
  connect(objects_, &QTableWidget::currentCellChanged, this,
          [this](int row) { RunCommand([&] { SelectObject(row); }); });
  connect(states_, &QTableWidget::currentCellChanged, this,
          [this](int row) { RunCommand([&] { SelectState(row); }); });
  connect(refresh_, &QPushButton::clicked, this, [this] { RunCommand([this] { Refresh(); }); });
  connect(viewObject_, &QPushButton::clicked, this,
          [this] { RunCommand([this] { ViewObject(); }); });
  connect(dbShow_, &QPushButton::clicked, this, [this] { RunCommand([this] { ShowTables(); }); });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* objectsBox = new QGridLayout;
  auto* objectsCaption = new QLabel(QStringLiteral("Objects"));
  objectsCaption->setBuddy(objects_);
  objectsBox->addWidget(objectsCaption, 0, 0);
  objectsBox->addWidget(objects_, 1, 0);
  objectsBox->addWidget(scroll_, 1, 1);
  auto* momentRow = new QHBoxLayout;
  momentRow->addWidget(moment_);
  auto* knownAtCaption = new QLabel(QStringLiteral("Known at:"));
  knownAtCaption->setBuddy(knownAt_->DateEdit());
  momentRow->addWidget(knownAtCaption);
  momentRow->addWidget(knownAt_);
  momentRow->addWidget(refresh_);
  momentRow->addStretch();
  momentRow->addWidget(viewObject_);
  momentRow->addWidget(dbShow_);
  auto* right = new QVBoxLayout;
  right->addLayout(momentRow);
  auto* statesCaption = new QLabel(QStringLiteral("States"));
  statesCaption->setBuddy(states_);
  right->addWidget(statesCaption);
  right->addWidget(states_, 1);
  auto* valuesCaption = new QLabel(QStringLiteral("Parameter Values"));
  valuesCaption->setBuddy(values_);
  right->addWidget(valuesCaption);
  right->addWidget(values_, 2);
  auto* panes = new QHBoxLayout;
  panes->addLayout(objectsBox);
  panes->addLayout(right, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(panes);
  layout->addWidget(buttons);
  resize(820, 520);

  browser_.Open(FittingRows(), moment_->Moment());
  ShowPage();

  // Any record stored may add an object to the list.
  follower_.ShowsAnyObject();
  connect(new TRecordsBridge(this), &TRecordsBridge::recordsChanged, this, [this](int objectId) {
    if (follower_.Heard(objectId, false) == TRecordsAction::Refresh)
      RunCommand([this] { Reread(); });
  });
}

void TDatabaseBrowserForm::Reread() {
  const int32_t selected = browser_.SelectedObject();
  browser_.ScrollTo(browser_.Position());
  ShowPage();
  const std::vector<TObjectRow> rows = browser_.ObjectRows();
  for (size_t row = 0; row < rows.size(); ++row)
    if (selected != 0 && rows[row].Id == selected) {
      const QSignalBlocker quiet(objects_);
      objects_->selectRow(static_cast<int>(row));
    }
  moment_->SetMoment(FollowedMoment(moment_->Moment(), opened_, Now()));
  Refresh();
}

int TDatabaseBrowserForm::FittingRows() const {
  const int rowHeight = std::max(1, objects_->verticalHeader()->defaultSectionSize());
  return std::clamp(objects_->viewport()->height() / rowHeight, 1, kMaxObjectPageSize);
}

bool TDatabaseBrowserForm::eventFilter(QObject* watched, QEvent* event) {
  if (PageLikeScrollBar(watched, event, objects_, scroll_, [this] { FitPage(); })) return true;
  return QDialog::eventFilter(watched, event);
}

void TDatabaseBrowserForm::FitPage() {
  if (FittingRows() == browser_.PageSize()) return;
  RunCommand([this] {
    const int position = browser_.Position();
    const int32_t selected = browser_.SelectedObject();
    browser_.Open(FittingRows(), moment_->Moment());
    browser_.ScrollTo(position);
    ShowPage();
    // The selection stays where it was when its row is still on the page.
    const std::vector<TObjectRow> rows = browser_.ObjectRows();
    for (size_t row = 0; row < rows.size(); ++row)
      if (selected != 0 && rows[row].Id == selected) objects_->selectRow(static_cast<int>(row));
  });
}

void TDatabaseBrowserForm::ShowPage() {
  {
    const QSignalBlocker quiet(scroll_);
    scroll_->setRange(0, browser_.ScrollMaximum());
    scroll_->setPageStep(browser_.PageSize());
    scroll_->setValue(browser_.Position());
  }
  std::vector<std::vector<std::string>> rows;
  for (const TObjectRow& row : browser_.ObjectRows())
    rows.push_back({row.Id ? std::to_string(row.Id) : std::string(), row.Name});
  const QSignalBlocker quiet(objects_);
  FillTextGrid(objects_, rows);
  objects_->setCurrentCell(-1, -1);
  objects_->clearSelection();
}

void TDatabaseBrowserForm::ScrollTo(int position) {
  browser_.ScrollTo(position);
  ShowPage();
}

void TDatabaseBrowserForm::SelectObject(int row) {
  FillTextGrid(states_, {});
  FillTextGrid(values_, {});
  browser_.SelectObject(row);
  ShowStatesOfObject();
}

void TDatabaseBrowserForm::ShowStatesOfObject() {
  const bool any = browser_.States().Count() > 0;
  {
    const QSignalBlocker quiet(states_);
    ShowStates(states_, browser_.States());
    states_->setCurrentCell(any ? 0 : -1, any ? 0 : -1);
  }
  // The first state's values show at once; the others are a click away.
  if (any)
    SelectState(0);
  else
    FillTextGrid(values_, {});
}

void TDatabaseBrowserForm::SelectState(int row) {
  ShowValues(values_, browser_.States(), row);
}

void TDatabaseBrowserForm::Refresh() {
  // A moment without a state is said in a message box: what was shown for
  // the moment before is gone by then.
  {
    const QSignalBlocker quiet(states_);
    FillTextGrid(states_, {});
  }
  FillTextGrid(values_, {});
  browser_.SetMoment(moment_->Moment(), PastMoment(knownAt_->Moment(), opened_));
  setWindowTitle(FromCore(browser_.Caption()));
  ShowStatesOfObject();
}

void TDatabaseBrowserForm::ViewObject() {
  const int32_t id = browser_.ObjectToView();
  if (id == 0) return;
  TObjectViewDlg view(this);
  if (view.Open(id, browser_.KnownAt())) view.exec();
}

void TDatabaseBrowserForm::ShowTables() {
  TDbShowForm tables(this);
  tables.exec();
}

} // namespace vandro
