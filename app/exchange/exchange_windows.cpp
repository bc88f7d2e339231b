#include "app/exchange/exchange_windows.h"

#include "app/editing/selection_api.h"
#include "app/exchange/save_target.h"
#include "app/shell/guard.h"
#include "app/shell/main_form.h"
#include "app/shell/progress_window.h"
#include "app/shell/text_edge.h"
#include "app/stats/result_grid.h"
#include "app/storage/project_manager_form.h"
#include "exchange/units_file.h"
#include "model/record_events.h"
#include "shell/messages.h"
#include "shell/text.h"
#include "storage/objects.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vandro {

namespace {

const QString kTextFilter = QStringLiteral("Text files (*.txt);;All files (*)");
const QString kDataFilter = QStringLiteral(
    "Data files (*.csv *.tsv *.txt *.xls *.xlsx);;CSV files (*.csv);;Tab-separated files "
    "(*.tsv);;Text files (*.txt);;Spreadsheets (*.xls *.xlsx);;All files (*)");
// Beyond this many, line warnings are counted, not listed.
constexpr size_t kListedWarnings = 100000;

QString Utf8(const std::string& text) {
  return QString::fromStdString(text);
}

std::string FromUtf8(const QString& text) {
  return text.toStdString();
}

// Every field and button is known by its caption.
template <class Widget> Widget* Named(Widget* widget, const QString& name) {
  widget->setAccessibleName(name);
  return widget;
}

// "Wait" in the status bar while the work runs.
class TWaitScope {
public:
  explicit TWaitScope(TMainForm& main) : main_(main) { main_.SetWaiting(true); }
  ~TWaitScope() { main_.SetWaiting(false); }
  TWaitScope(const TWaitScope&) = delete;
  TWaitScope& operator=(const TWaitScope&) = delete;

private:
  TMainForm& main_;
};

// An open- or save-file dialog; the path in code page 1251, or false.
bool AskPath(QWidget* parent, const QString& caption, const QString& filter, bool save,
             std::string& path) {
  QFileDialog dialog(parent, caption);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilter(filter);
  dialog.setDefaultSuffix(QStringLiteral("txt"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  const QString chosen = dialog.selectedFiles().constFirst();
  if (save && !MayWriteFile(chosen)) return false;
  return ToCore(chosen, path);
}

} // namespace

// --- Separator ---------------------------------------------------------------

TSeparatorBox::TSeparatorBox(QWidget* parent)
    : QGroupBox(QStringLiteral("Separator"), parent), buttons_(new QButtonGroup(this)),
      other_(Named(new QLineEdit(QStringLiteral("#")), QStringLiteral("Other text"))) {
  setAccessibleName(title());
  auto* layout = new QVBoxLayout(this);
  const auto& captions = SeparatorCaptions();
  for (int kind = 0; kind < static_cast<int>(captions.size()); ++kind) {
    auto* button = Named(new QRadioButton(Utf8(captions[kind])), Utf8(captions[kind]));
    buttons_->addButton(button, kind);
    if (kind == skOther) {
      auto* row = new QHBoxLayout;
      row->addWidget(button);
      row->addWidget(other_);
      layout->addLayout(row);
    } else {
      layout->addWidget(button);
    }
  }
  buttons_->button(skTab)->setChecked(true);
  connect(buttons_, &QButtonGroup::idClicked, this, [this] { emit changed(); });
  connect(other_, &QLineEdit::textChanged, this, [this] {
    if (buttons_->checkedId() == skOther) emit changed();
  });
}

TSeparatorChoice TSeparatorBox::Choice() const {
  return {static_cast<TSeparatorKind>(buttons_->checkedId()), FromUtf8(other_->text())};
}

void TSeparatorBox::SetChoice(const TSeparatorChoice& choice) {
  buttons_->button(choice.Kind)->setChecked(true);
  other_->setText(Utf8(choice.Other));
}

QRadioButton* TSeparatorBox::Button(TSeparatorKind kind) const {
  return static_cast<QRadioButton*>(buttons_->button(kind));
}

TSeparatorDlg::TSeparatorDlg(QWidget* parent) : QDialog(parent), box_(new TSeparatorBox) {
  setWindowTitle(QStringLiteral("Select Separator"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(box_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("Cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

// --- Import ------------------------------------------------------------------

TImportDlg::TImportDlg(QWidget* parent)
    : QDialog(parent), separator_(new TSeparatorBox),
      preview_(Named(new QTableWidget, QStringLiteral("Preview"))),
      nameColumn_(Named(new QComboBox, QStringLiteral("Object Name column"))),
      timeColumn_(Named(new QComboBox, QStringLiteral("Real Time column"))),
      mode_(Named(new QComboBox, QStringLiteral("If object already exists:"))),
      addToGroup_(
          Named(new QCheckBox(QStringLiteral("Add to group:")), QStringLiteral("Add to group:"))),
      groupName_(Named(new QLineEdit, QStringLiteral("Group name"))),
      select_(Named(new QPushButton(QStringLiteral("Select")), QStringLiteral("Select"))),
      problem_(Named(new QLabel, QStringLiteral("Problem"))),
      continue_(Named(new QPushButton(QStringLiteral("Continue")), QStringLiteral("Continue"))),
      column_(Named(new QComboBox, QStringLiteral("Column"))),
      skip_(Named(new QCheckBox(QStringLiteral("Skip")), QStringLiteral("Skip"))),
      renameTo_(Named(new QLineEdit, QStringLiteral("Rename to"))),
      unit_(Named(new QLineEdit, QStringLiteral("Unit"))) {
  setWindowTitle(QStringLiteral("Import objects from table"));
  resize(720, 520);
  preview_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  preview_->verticalHeader()->hide();
  preview_->setWordWrap(false);
  mode_->addItems({QStringLiteral("Modify most recent state"),
                   QStringLiteral("Modify all available states"),
                   QStringLiteral("Create new state")});
  GuardCp1251(groupName_);
  groupName_->setEnabled(false);
  select_->setEnabled(false);
  problem_->setStyleSheet(QStringLiteral("color: #b00020"));

  auto* roles = new QFormLayout;
  auto role = [](QComboBox* box, const QString& after) {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Use")));
    row->addWidget(box, 1);
    row->addWidget(new QLabel(after));
    return row;
  };
  roles->addRow(role(nameColumn_, QStringLiteral("column as Object Name")));
  roles->addRow(role(timeColumn_, QStringLiteral("column as Real Time")));
  roles->addRow(QStringLiteral("If object already exists:"), mode_);
  auto* group = new QHBoxLayout;
  group->addWidget(addToGroup_);
  group->addWidget(groupName_, 1);
  group->addWidget(select_);
  roles->addRow(group);
  GuardCp1251(renameTo_);
  GuardCp1251(unit_);
  auto* column = new QHBoxLayout;
  column->addWidget(column_, 1);
  column->addWidget(skip_);
  column->addWidget(new QLabel(QStringLiteral("Rename to")));
  column->addWidget(renameTo_, 1);
  column->addWidget(new QLabel(QStringLiteral("Unit")));
  column->addWidget(unit_);
  roles->addRow(QStringLiteral("Column:"), column);

  auto* top = new QHBoxLayout;
  top->addWidget(separator_);
  top->addLayout(roles, 1);
  auto* buttons = new QDialogButtonBox;
  buttons->addButton(continue_, QDialogButtonBox::AcceptRole);
  auto* cancel = buttons->addButton(QDialogButtonBox::Cancel);
  cancel->setAccessibleName(QStringLiteral("Cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &TImportDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(preview_, 1);
  layout->addWidget(problem_);
  layout->addWidget(buttons);

  connect(separator_, &TSeparatorBox::changed, this, [this] {
    rules_.SetSeparator(separator_->Choice());
    Refill();
  });
  connect(nameColumn_, &QComboBox::currentTextChanged, this,
          [this](const QString& name) { rules_.SetNameColumn(FromUtf8(name)); });
  connect(timeColumn_, &QComboBox::currentTextChanged, this,
          [this](const QString& name) { rules_.SetTimeColumn(FromUtf8(name)); });
  connect(addToGroup_, &QCheckBox::toggled, this, [this](bool on) {
    groupName_->setEnabled(on);
    select_->setEnabled(on);
  });
  // A typed name makes a new group unless it is the chosen one's.
  connect(groupName_, &QLineEdit::textEdited, this, [this] { rules_.GroupId = 0; });
  connect(select_, &QPushButton::clicked, this, [this] { SelectGroup(); });
  connect(column_, &QComboBox::currentTextChanged, this, [this] { ShowRole(); });
  connect(skip_, &QCheckBox::toggled, this, [this](bool on) {
    rules_.SetSkipped(FromUtf8(column_->currentText()), on);
    ShowProblem();
  });
  connect(renameTo_, &QLineEdit::textEdited, this, [this](const QString& name) {
    rules_.SetRenamed(FromUtf8(column_->currentText()), FromUtf8(name));
    ShowProblem();
  });
  connect(unit_, &QLineEdit::textEdited, this, [this](const QString& unit) {
    rules_.SetUnit(FromUtf8(column_->currentText()), FromUtf8(unit));
  });
}

void TImportDlg::ShowRole() {
  const std::string column = FromUtf8(column_->currentText());
  const QSignalBlocker blockSkip(skip_);
  skip_->setChecked(rules_.Skipped(column));
  renameTo_->setText(Utf8(rules_.RenamedTo(column)));
  unit_->setText(Utf8(rules_.Unit(column)));
}

// The problem, and each flagged column's title marked with its reason.
void TImportDlg::ShowProblem() {
  const auto& header = rules_.Header();
  QString first;
  for (int c = 0; c < static_cast<int>(header.size()); ++c) {
    QTableWidgetItem* title = preview_->horizontalHeaderItem(c);
    if (!title) continue;
    const std::string flag = rules_.HeaderFlag(header[static_cast<size_t>(c)]);
    title->setForeground(flag.empty() ? palette().text() : QBrush(QColor(0xb0, 0x00, 0x20)));
    title->setToolTip(flag.empty() ? QString()
                                   : Utf8(flag) + QStringLiteral(": rename the column or skip it"));
    if (!flag.empty() && first.isEmpty()) first = Utf8(header[static_cast<size_t>(c)]);
  }
  // The rename is offered where it is typed.
  if (!first.isEmpty() && column_->currentText() != first) column_->setCurrentText(first);
  problem_->setText(Utf8(rules_.Problem()));
  continue_->setEnabled(rules_.CanContinue());
}

void TImportDlg::Open(const std::string& path) {
  rules_ = TImportDialog();
  rules_.Open(path);
  separator_->SetChoice(rules_.Separator());
  addToGroup_->setChecked(false);
  groupName_->clear();
  mode_->setCurrentIndex(0);
  Refill();
}

void TImportDlg::Refill() {
  const QSignalBlocker blockName(nameColumn_), blockTime(timeColumn_);
  QStringList choices;
  for (const auto& choice : rules_.ColumnChoices())
    choices << Utf8(choice);
  nameColumn_->clear();
  nameColumn_->addItems(choices);
  nameColumn_->setCurrentText(Utf8(rules_.NameColumn()));
  timeColumn_->clear();
  timeColumn_->addItems(choices);
  timeColumn_->setCurrentText(Utf8(rules_.TimeColumn()));

  const auto& header = rules_.Header();
  preview_->clear();
  preview_->setColumnCount(static_cast<int>(header.size()));
  QStringList titles;
  for (const auto& title : header)
    titles << Utf8(title);
  preview_->setHorizontalHeaderLabels(titles);
  const auto& rows = rules_.Rows();
  preview_->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    // Fields beyond the header are not imported and not shown.
    for (int c = 0; c < static_cast<int>(std::min(rows[r].size(), header.size())); ++c)
      preview_->setItem(r, c, new QTableWidgetItem(Utf8(rows[r][c])));
  }
  // Each field on one line, as wide as it needs but never wider than a
  // third of the grid, so that a long field does not hide the others.
  preview_->resizeColumnsToContents();
  const int widest = std::max(preview_->viewport()->width() / 3, 120);
  for (int c = 0; c < preview_->columnCount(); ++c)
    preview_->setColumnWidth(c, std::min(preview_->columnWidth(c), widest));
  preview_->resizeRowsToContents();
  {
    const QSignalBlocker blockColumn(column_);
    column_->clear();
    for (const auto& title : header)
      column_->addItem(Utf8(title));
  }
  ShowRole();
  ShowProblem();
}

void TImportDlg::SelectGroup() {
  app::TSelectRequest request;
  request.Caption = "Select group";
  app::TSelectResult result;
  if (!app::SelectObject(this, request, result) || result.ObjectId == 0) return;
  rules_.GroupId = result.ObjectId;
  rules_.GroupStateId = result.StateIds.empty() ? 0 : result.StateIds.front();
  groupName_->setText(FromCore(APSObjectName(result.ObjectId)));
}

void TImportDlg::accept() {
  if (!rules_.CanContinue()) {
    if (!rules_.Problem().empty()) ShowMsg(rules_.Problem());
    return;
  }
  rules_.Mode = static_cast<TImportMode>(mode_->currentIndex());
  rules_.AddToGroup = addToGroup_->isChecked();
  if (rules_.AddToGroup) {
    std::string name;
    if (!ToCore(groupName_->text().trimmed(), name)) return;
    rules_.GroupName = Cp1251ToUtf8(name);
    if (name.empty() && rules_.GroupId == 0) {
      ShowMsg("Input group name");
      return;
    }
  }
  QDialog::accept();
}

TImportReportDlg::TImportReportDlg(QWidget* parent, const std::string& summary,
                                   const std::vector<TImportWarning>& warnings, int64_t more)
    : QDialog(parent), list_(MakeResultGrid(QStringLiteral("Import warnings"))),
      copy_(Named(new QPushButton(QStringLiteral("Copy")), QStringLiteral("Copy"))),
      save_(Named(new QPushButton(QStringLiteral("Save As...")), QStringLiteral("Save As..."))) {
  setWindowTitle(QStringLiteral("Import report"));
  resize(720, 420);
  std::vector<std::vector<std::string>> cells{{"Line", "Column", "Message"}};
  for (const TImportWarning& warning : warnings) {
    std::string text = warning.Text;
    // One row a warning: its line breaks become blanks.
    for (size_t at = 0; (at = text.find(kLineBreak, at)) != std::string::npos;)
      text.replace(at, 2, " ");
    cells.push_back(
        {warning.Line > 0 ? std::to_string(warning.Line) : std::string(), warning.Column, text});
  }
  FillResultGrid(list_, cells, false);
  std::string heading = summary;
  if (more > 0)
    heading += std::string(heading.empty() ? "" : ". ") + std::to_string(more) +
               " more warnings are not listed";
  auto* label = Named(new QLabel(FromCore(heading)), QStringLiteral("Summary"));
  label->setWordWrap(true);
  auto* buttons = new QDialogButtonBox;
  buttons->addButton(copy_, QDialogButtonBox::ActionRole);
  buttons->addButton(save_, QDialogButtonBox::ActionRole);
  buttons->addButton(QDialogButtonBox::Close)->setAccessibleName(QStringLiteral("Close"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  // The grid's own commands, so that the buttons and its shortcuts agree.
  const auto trigger = [this](const QString& text) {
    for (QAction* action : list_->actions())
      if (action->text() == text) action->trigger();
  };
  connect(copy_, &QPushButton::clicked, this, [this, trigger] {
    list_->clearSelection();
    trigger(QStringLiteral("Copy"));
  });
  connect(save_, &QPushButton::clicked, this, [trigger] { trigger(QStringLiteral("Save As...")); });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(list_, 1);
  layout->addWidget(buttons);
}

// --- Export ------------------------------------------------------------------

namespace {

QButtonGroup* Choices(QGroupBox* box, const QStringList& captions) {
  auto* group = new QButtonGroup(box);
  auto* layout = new QVBoxLayout(box);
  box->setAccessibleName(box->title());
  for (int i = 0; i < captions.size(); ++i) {
    auto* button = Named(new QRadioButton(captions[i]), captions[i]);
    group->addButton(button, i);
    layout->addWidget(button);
  }
  return group;
}

} // namespace

TExportDlg::TExportDlg(QWidget* parent)
    : QDialog(parent), states_(new QGroupBox(QStringLiteral("States"))),
      exportAs_(new QGroupBox(QStringLiteral("Export As"))), separator_(new TSeparatorBox),
      continue_(Named(new QPushButton(QStringLiteral("Continue")), QStringLiteral("Continue"))) {
  setWindowTitle(QStringLiteral("Export"));
  auto* whatBox = new QGroupBox(QStringLiteral("What"));
  what_ = Choices(whatBox, {QStringLiteral("Units"), QStringLiteral("Object"),
                            QStringLiteral("Group"), QStringLiteral("All objects")});
  history_ = Choices(states_, {QStringLiteral("Actual states"), QStringLiteral("History")});
  table_ = Choices(exportAs_, {QStringLiteral("Table"), QStringLiteral("Plain text")});
  auto* grid = new QHBoxLayout;
  grid->addWidget(whatBox);
  grid->addWidget(states_);
  grid->addWidget(exportAs_);
  grid->addWidget(separator_);
  auto* buttons = new QDialogButtonBox;
  buttons->addButton(continue_, QDialogButtonBox::AcceptRole);
  buttons->addButton(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("Cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(buttons);

  connect(what_, &QButtonGroup::idClicked, this, [this](int id) {
    rules_.SetWhat(static_cast<TExportWhat>(id));
    Show();
  });
  connect(history_, &QButtonGroup::idClicked, this, [this](int id) {
    rules_.SetHistory(id == 1);
    Show();
  });
  connect(table_, &QButtonGroup::idClicked, this, [this](int id) {
    rules_.SetAsTable(id == 0);
    Show();
  });
  connect(separator_, &TSeparatorBox::changed, this,
          [this] { rules_.SetSeparator(separator_->Choice()); });
  Show();
}

QRadioButton* TExportDlg::What(TExportWhat what) const {
  return static_cast<QRadioButton*>(what_->button(what));
}

QRadioButton* TExportDlg::History(bool history) const {
  return static_cast<QRadioButton*>(history_->button(history ? 1 : 0));
}

QRadioButton* TExportDlg::AsTable(bool table) const {
  return static_cast<QRadioButton*>(table_->button(table ? 0 : 1));
}

void TExportDlg::Show() {
  What(rules_.What())->setChecked(true);
  History(rules_.History())->setChecked(true);
  AsTable(rules_.AsTable())->setChecked(true);
  states_->setEnabled(rules_.StatesEnabled());
  exportAs_->setEnabled(rules_.ExportAsEnabled());
  separator_->setEnabled(rules_.SeparatorEnabled());
}

// --- Commands ----------------------------------------------------------------

void ImportUnitsCommand(TMainForm& main) {
  TSeparatorDlg separator(&main);
  if (separator.exec() != QDialog::Accepted) return;
  std::string path;
  if (!AskPath(&main, QStringLiteral("Import Units"), kTextFilter, false, path)) return;
  std::string text;
  if (!ToCore(Utf8(SeparatorText(separator.Box()->Choice())), text)) return;
  RunCommand([&] {
    TUnitImportResult result;
    {
      TWaitScope wait(main);
      if (!ImportUnitsFromFile(path, text, result)) return;
    }
    ShowMsg(result.Summary);
  });
}

void ImportDataCommand(TMainForm& main) {
  std::string path;
  if (!AskPath(&main, QStringLiteral("Import Data"), kDataFilter, false, path)) return;
  TImportDlg dialog(&main);
  dialog.Open(path);
  if (dialog.exec() != QDialog::Accepted) return;
  TImportSettings settings = dialog.Rules().Settings();
  settings.InputName = [&main](const std::string& prompt, std::string& name) {
    if (!AskText(&main, QStringLiteral("Import"), FromCore(prompt), name)) return false;
    name = Trim(name);
    return true;
  };
  // Gathered into one report rather than a message box a line.
  std::vector<TImportWarning> warnings;
  int64_t more = 0;
  settings.Warn = [&](const TImportWarning& warning) {
    if (warnings.size() < kListedWarnings)
      warnings.push_back(warning);
    else
      ++more;
  };
  RunCommand([&] {
    TImportResult result;
    {
      TWaitScope wait(main);
      TProgressWindow progress(&main, true);
      ImportObjectsFromFile(path, settings, &progress, result);
    }
    if (!warnings.empty()) {
      TImportReportDlg report(&main, result.Summary, warnings, more);
      report.exec();
    } else if (!result.Summary.empty()) {
      ShowMsg(result.Summary);
    }
    // Stored lines may have touched any object, the open windows' included.
    if (result.StoredLines > 0) NotifyRecordsChanged(kManyObjects);
  });
  main.RefreshParameterLists();
  if (main.ProjectManager()) main.ProjectManager()->RefreshAll();
}

void ExportCommand(TMainForm& main) {
  TExportDlg dialog(&main);
  if (dialog.exec() != QDialog::Accepted) return;
  const TExportDialog& rules = dialog.Rules();
  int32_t target = 0;
  if (rules.NeedsSelection()) {
    app::TSelectRequest request;
    request.Caption = "Select Object";
    app::TSelectResult chosen;
    if (!app::SelectObject(&main, request, chosen) || chosen.ObjectId == 0) return;
    target = chosen.StateIds.empty() ? chosen.ObjectId : chosen.StateIds.front();
  }
  std::string path;
  if (!AskPath(&main, QStringLiteral("Export"), kTextFilter, true, path)) return;
  RunCommand([&] {
    std::string summary;
    {
      TWaitScope wait(main);
      const TExportSettings settings = rules.Settings();
      TExportResult result;
      switch (rules.What()) {
      case ewUnits:
        if (ExportUnits(path, settings.Separator, summary) < 0) return;
        break;
      case ewObject:
        if (!ExportObject(path, target, settings, result)) return;
        summary = result.Summary;
        break;
      case ewGroup:
        if (!ExportGroup(path, target, settings, result)) return;
        summary = result.Summary;
        break;
      case ewAllObjects: {
        TProgressWindow progress(&main);
        if (!ExportAllObjects(path, settings, &progress, result)) return;
        summary = result.Summary;
        break;
      }
      }
    }
    if (!summary.empty()) ShowMsg(summary);
  });
}

} // namespace vandro
