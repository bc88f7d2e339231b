#include "app/editing/select_object_dlg.h"

#include "app/editing/structure_commands.h"
#include "app/editing/value_kind_icon.h"
#include "app/model/moment_picker.h"
#include "app/model/object_view_dlg.h"
#include "app/model/text_grid.h"
#include "app/shell/guard.h"
#include "app/shell/paged_grid.h"
#include "app/shell/text_edge.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vandro {
namespace {

QLabel* Caption(const char* text, QWidget* buddy) {
  auto* label = new QLabel(QString::fromLatin1(text));
  label->setBuddy(buddy);
  return label;
}

} // namespace

TSelectObjectDlg::TSelectObjectDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Select Object"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  tabs_ = new QTabWidget;

  // "Objects": one page of the objects table; the scroll bar beside the grid
  // moves through all of it.
  objects_ = MakeTextGrid({"Obj.Id", "Object Name"});
  objects_->setAccessibleName(QStringLiteral("Objects"));
  objects_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  objects_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  objects_->setAlternatingRowColors(false);
  objects_->setStyleSheet(
      QStringLiteral("QTableWidget { background: white; selection-background-color: navy; "
                     "selection-color: white; }"));
  objects_->installEventFilter(this);
  objects_->viewport()->installEventFilter(this);
  scroll_ = new QScrollBar(Qt::Vertical);
  scroll_->setAccessibleName(QStringLiteral("Object pages"));
  selectedName_ = new QLineEdit;
  selectedName_->setReadOnly(true);
  selectedName_->setAccessibleName(QStringLiteral("Selected Object:"));
  viewObject_ = new QPushButton(QStringLiteral("View Object"));
  createNew_ = new QPushButton(QStringLiteral("Create New Object"));
  QFont bold = createNew_->font();
  bold.setBold(true);
  createNew_->setFont(bold);
  useLink_ = new QCheckBox(QStringLiteral("Use Link to Object"));
  showGroups_ = new QCheckBox(QStringLiteral("Show Groups"));
  showObjects_ = new QCheckBox(QStringLiteral("Show Data Objects"));
  showGroups_->setChecked(true);
  showObjects_->setChecked(true);

  auto* objectsPage = new QWidget;
  auto* objectsGrid = new QGridLayout(objectsPage);
  objectsGrid->addWidget(Caption("Objects", objects_), 0, 0);
  objectsGrid->addWidget(objects_, 1, 0);
  objectsGrid->addWidget(scroll_, 1, 1);
  auto* side = new QVBoxLayout;
  side->addWidget(Caption("Selected Object:", selectedName_));
  side->addWidget(selectedName_);
  side->addWidget(viewObject_);
  side->addWidget(createNew_);
  side->addSpacing(12);
  side->addWidget(useLink_);
  side->addWidget(showGroups_);
  side->addWidget(showObjects_);
  side->addStretch();
  objectsGrid->addLayout(side, 1, 2);
  objectsGrid->setColumnStretch(0, 1);
  tabs_->addTab(objectsPage, QStringLiteral("Objects"));

  // "States": the states at the moment, the values of the current one, and
  // the states marked so far.
  states_ = MakeTextGrid({"Rec.Id", "Record Name"});
  states_->setAccessibleName(QStringLiteral("States"));
  states_->setToolTip(QStringLiteral("Select object state"));
  states_->setSelectionMode(QAbstractItemView::MultiSelection);
  states_->viewport()->installEventFilter(this);
  values_ = MakeTextGrid({"Parameter", "Value"});
  values_->setAccessibleName(QStringLiteral("Values"));
  moment_ = new TMomentPicker;
  refresh_ = new QPushButton(QStringLiteral("Refresh"));
  marked_ = new QListWidget;
  marked_->setAccessibleName(QStringLiteral("Selected States:"));
  marked_->setToolTip(QStringLiteral("the list of selected states"));
  showHidden_ = new QAction(QStringLiteral("Show Hidden"), this);
  showHidden_->setCheckable(true);
  for (QWidget* grid : {static_cast<QWidget*>(states_), static_cast<QWidget*>(values_)}) {
    grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    grid->addAction(showHidden_);
  }

  auto* statesPage = new QWidget;
  auto* statesLayout = new QVBoxLayout(statesPage);
  auto* momentRow = new QHBoxLayout;
  momentRow->addWidget(moment_);
  momentRow->addWidget(refresh_);
  momentRow->addStretch();
  statesLayout->addLayout(momentRow);
  auto* lists = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addWidget(Caption("States", states_));
  left->addWidget(states_, 2);
  left->addWidget(Caption("Selected States:", marked_));
  left->addWidget(marked_, 1);
  auto* right = new QVBoxLayout;
  right->addWidget(Caption("Values", values_));
  right->addWidget(values_);
  lists->addLayout(left, 1);
  lists->addLayout(right, 1);
  statesLayout->addLayout(lists);
  tabs_->addTab(statesPage, QStringLiteral("States"));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  // OK does not simply close: the rules decide.
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { RunCommand([this] { Ok(); }); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  connect(scroll_, &QScrollBar::valueChanged, this, [this](int position) {
    RunCommand([&] {
      selection_.ScrollTo(position);
      ShowPage();
      objects_->setFocus();
    });
  });
  connect(objects_, &QTableWidget::currentCellChanged, this,
          [this](int row) { RunCommand([&] { ChooseObjectRow(row); }); });
  connect(objects_, &QTableWidget::cellDoubleClicked, this,
          [this] { RunCommand([this] { Ok(); }); });
  connect(showGroups_, &QCheckBox::toggled, this, [this](bool on) {
    RunCommand([&] {
      selection_.SetShowGroups(on);
      ShowKinds();
      ShowPage();
    });
  });
  connect(showObjects_, &QCheckBox::toggled, this, [this](bool on) {
    RunCommand([&] {
      selection_.SetShowDataObjects(on);
      ShowKinds();
      ShowPage();
    });
  });
  connect(useLink_, &QCheckBox::toggled, this, [this](bool on) { selection_.SetUseLink(on); });
  connect(states_, &QTableWidget::cellPressed, this, [this](int row) {
    RunCommand([&] { ClickState(row, pressModifiers_.testFlag(Qt::ControlModifier)); });
  });
  // The keyboard moves the current state as a plain click does.
  connect(states_, &QTableWidget::currentCellChanged, this, [this](int row) {
    if (!pressing_ && row >= 0) RunCommand([&] { ClickState(row, false); });
  });
  connect(showHidden_, &QAction::toggled, this, [this](bool on) {
    selection_.SetShowHidden(on);
    RunCommand([this] { ShowValues(); });
  });
  connect(refresh_, &QPushButton::clicked, this, [this] { RunCommand([this] { Refresh(); }); });
  connect(viewObject_, &QPushButton::clicked, this,
          [this] { RunCommand([this] { ViewObject(); }); });
  connect(createNew_, &QPushButton::clicked, this, [this] {
    selection_.CreateNewObject();
    accept();
  });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);
  resize(640, 460);
  NameButtonsByCaption(this);
}

TSelectObjectDlg::~TSelectObjectDlg() {
  if (prepared_) Release();
}

void TSelectObjectDlg::Prepare(double moment, bool requireState, bool quiet, bool allowCreate,
                               bool showHidden) {
  moment_->SetMoment(moment);
  createNew_->setVisible(allowCreate);
  {
    const QSignalBlocker quietGroups(showGroups_), quietObjects(showObjects_), quietLink(useLink_),
        quietHidden(showHidden_);
    showHidden_->setChecked(showHidden);
    useLink_->setChecked(!requireState);
    selection_.Prepare(FittingRows(), moment, requireState, quiet, showHidden);
  }
  ShowKinds();
  prepared_ = true;
  selectedName_->clear();
  ShowPage();
  ShowStates();
  tabs_->setCurrentIndex(0);
}

void TSelectObjectDlg::Release() {
  selection_.Release();
  prepared_ = false;
}

int TSelectObjectDlg::FittingRows() const {
  // A row and its grid line.
  const int rowHeight = std::max(1, objects_->verticalHeader()->defaultSectionSize() + 1);
  return std::clamp(objects_->viewport()->height() / rowHeight, 1, kMaxObjectPageSize);
}

void TSelectObjectDlg::FitPage() {
  if (!prepared_ || FittingRows() == selection_.PageSize()) return;
  RunCommand([this] {
    selection_.SetPageSize(FittingRows());
    ShowPage();
  });
}

bool TSelectObjectDlg::eventFilter(QObject* watched, QEvent* event) {
  // Events come while the window is being built.
  if (!objects_ || !scroll_ || !states_) return QDialog::eventFilter(watched, event);
  if (PageLikeScrollBar(watched, event, objects_, scroll_, [this] { FitPage(); })) return true;
  if (watched == states_->viewport()) {
    if (event->type() == QEvent::MouseButtonPress) {
      pressModifiers_ = static_cast<QMouseEvent*>(event)->modifiers();
      pressing_ = true;
    } else if (event->type() == QEvent::MouseButtonRelease) {
      pressing_ = false;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TSelectObjectDlg::ShowKinds() {
  // The rules may check again the box just unchecked.
  const QSignalBlocker quietGroups(showGroups_), quietObjects(showObjects_);
  showGroups_->setChecked(selection_.ShowGroups());
  showObjects_->setChecked(selection_.ShowDataObjects());
}

void TSelectObjectDlg::ShowPage() {
  {
    const QSignalBlocker quiet(scroll_);
    scroll_->setRange(0, selection_.ScrollMaximum());
    scroll_->setPageStep(selection_.PageSize());
    scroll_->setValue(selection_.Position());
  }
  const QSignalBlocker quiet(objects_);
  const std::vector<TSelectObjectRow> rows = selection_.ObjectRows();
  objects_->clearContents();
  objects_->setRowCount(static_cast<int>(rows.size()));
  QFont bold = objects_->font();
  bold.setBold(true);
  for (size_t r = 0; r < rows.size(); ++r) {
    const TSelectObjectRow& row = rows[r];
    auto* id = new QTableWidgetItem(row.Id ? QString::number(row.Id) : QString());
    auto* name = new QTableWidgetItem(FromCore(row.Name));
    for (QTableWidgetItem* item : {id, name}) {
      if (row.Group) {
        item->setFont(bold);
        item->setForeground(QColor(0, 128, 0));
      } else {
        item->setForeground(Qt::black);
      }
      objects_->setItem(static_cast<int>(r), item == id ? 0 : 1, item);
    }
    if (row.Id != 0 && row.Id == selection_.ObjectId()) objects_->selectRow(static_cast<int>(r));
  }
  objects_->resizeColumnToContents(0);
  if (selection_.ObjectId() == 0) {
    objects_->setCurrentCell(-1, -1);
    objects_->clearSelection();
  }
}

void TSelectObjectDlg::ChooseObjectRow(int row) {
  if (row < 0) return;
  // What the choice raises is said in a message; the name and the states
  // found so far are shown either way.
  try {
    selection_.ChooseRow(row);
  } catch (...) {
    selectedName_->setText(FromCore(selection_.ObjectName()));
    ShowStates();
    throw;
  }
  selectedName_->setText(FromCore(selection_.ObjectName()));
  ShowStates();
}

void TSelectObjectDlg::ShowStates() {
  const std::vector<TSelectStateRow> rows = selection_.StateRows();
  std::vector<std::vector<std::string>> cells;
  for (const TSelectStateRow& row : rows)
    cells.push_back({std::to_string(row.RecordId), row.Name});
  {
    const QSignalBlocker quiet(states_);
    FillTextGrid(states_, cells);
  }
  ShowMarks();
  ShowValues();
}

void TSelectObjectDlg::ShowMarks() {
  marked_->clear();
  for (const std::string& name : selection_.MarkedNames())
    marked_->addItem(FromCore(name));
  const QSignalBlocker quiet(states_);
  states_->clearSelection();
  for (const int row : selection_.Marked())
    states_->selectRow(row);
  if (selection_.CurrentState() >= 0)
    states_->setCurrentCell(selection_.CurrentState(), 0, QItemSelectionModel::NoUpdate);
}

void TSelectObjectDlg::ShowValues() {
  const std::vector<TSelectValueRow> rows = selection_.Values();
  values_->clearContents();
  values_->setRowCount(static_cast<int>(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r) {
    values_->setItem(static_cast<int>(r), 0, new QTableWidgetItem(FromCore(rows[r].Parameter)));
    values_->setItem(static_cast<int>(r), 1,
                     new QTableWidgetItem(ValueKindIcon(rows[r].Kind), FromCore(rows[r].Value)));
  }
  values_->resizeColumnToContents(0);
}

void TSelectObjectDlg::ClickState(int row, bool several) {
  if (row < 0) return;
  selection_.ClickState(row, several && allowSeveral_);
  ShowMarks();
  ShowValues();
}

void TSelectObjectDlg::Refresh() {
  selection_.Refresh(moment_->Moment());
  ShowPage();
  ShowStates();
  tabs_->setCurrentIndex(0);
}

void TSelectObjectDlg::ViewObject() {
  if (selection_.ObjectId() == 0) return;
  TObjectViewDlg view(this);
  if (view.Open(selection_.ObjectId())) view.exec();
}

void TSelectObjectDlg::Ok() {
  const TSelectPage page = tabs_->currentIndex() == 0 ? TSelectPage::Objects : TSelectPage::States;
  switch (selection_.Ok(page)) {
  case TSelectOutcome::Stay:
    break;
  case TSelectOutcome::ShowStates:
    tabs_->setCurrentIndex(1);
    break;
  case TSelectOutcome::Accept:
    accept();
    break;
  case TSelectOutcome::Cancel:
    reject();
    break;
  }
}

} // namespace vandro
