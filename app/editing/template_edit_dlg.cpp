#include "app/editing/template_edit_dlg.h"

#include "app/editing/action_edit_dlg.h"
#include "app/editing/param_template_dlg.h"
#include "app/editing/selection_api.h"
#include "app/editing/structure_commands.h"
#include "app/shell/guard.h"
#include "app/shell/text_edge.h"
#include "editing/value_constructor.h"
#include "values/value_text.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vandro {

namespace {

QTableWidget* Grid(const char* name, const QStringList& columns) {
  auto* grid = new QTableWidget(0, static_cast<int>(columns.size()));
  grid->setHorizontalHeaderLabels(columns);
  grid->setAccessibleName(QString::fromLatin1(name));
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->verticalHeader()->hide();
  grid->horizontalHeader()->setStretchLastSection(true);
  grid->setToolTip(QStringLiteral("Drag a row to move it"));
  return grid;
}

void FillGrid(QTableWidget* grid, const std::vector<std::vector<std::string>>& rows, int current) {
  grid->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < grid->rowCount(); ++r) {
    const auto& row = rows[static_cast<size_t>(r)];
    for (int c = 0; c < static_cast<int>(row.size()); ++c)
      grid->setItem(r, c, new QTableWidgetItem(FromCore(row[static_cast<size_t>(c)])));
  }
  if (current >= grid->rowCount()) current = grid->rowCount() - 1;
  if (current >= 0)
    grid->setCurrentCell(current, 0);
  else
    grid->setCurrentCell(-1, -1);
}

// The row index of the grid's current row, or -1 when none is selected.
int CurrentRow(const QTableWidget* grid) {
  return grid->selectionModel()->hasSelection() ? grid->currentRow() : -1;
}

} // namespace

TTemplateEditDlg::TTemplateEditDlg(std::unique_ptr<TTemplateEditor> editor, QWidget* parent)
    : QDialog(parent), editor_(std::move(editor)) {
  setWindowTitle(QStringLiteral("Edit Template"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  const TTemplate& tmpl = editor_->Template();

  name_ = new QLineEdit(FromCore(tmpl.Name));
  name_->setMaxLength(32);
  name_->setAccessibleName(QStringLiteral("Template Name"));
  GuardCp1251(name_);
  naming_ = new QLineEdit;
  naming_->setReadOnly(true);
  naming_->setAccessibleName(QStringLiteral("Object Naming"));
  naming_->setToolTip(QString::fromLatin1(kNamingHint));
  auto* defineNaming = new QPushButton(QStringLiteral("Define"));
  defineNaming->setToolTip(QString::fromLatin1(kNamingHint));
  auto* namingRow = new QHBoxLayout;
  namingRow->addWidget(naming_, 1);
  namingRow->addWidget(defineNaming);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Template Name"), name_);
  form->addRow(QStringLiteral("Object Naming"), namingRow);

  lines_ = Grid("Parameters", {QStringLiteral("Parameter"), QStringLiteral("Constraints")});
  actions_ = Grid(
      "Actions", {QStringLiteral("Condition"), QStringLiteral("Action"), QStringLiteral("Launch")});
  const auto section =
      [this](const char* title, QTableWidget* grid,
             std::initializer_list<std::pair<const char*, void (TTemplateEditDlg::*)()>> buttons) {
        auto* box = new QGroupBox(QString::fromLatin1(title));
        auto* row = new QHBoxLayout(box);
        row->addWidget(grid, 1);
        auto* column = new QVBoxLayout;
        for (const auto& [caption, press] : buttons) {
          auto* button = new QPushButton(QString::fromLatin1(caption));
          connect(button, &QPushButton::clicked, this, [this, press = press] { (this->*press)(); });
          column->addWidget(button);
        }
        column->addStretch();
        row->addLayout(column);
        return box;
      };
  QGroupBox* linesBox = section("Parameters", lines_,
                                {{"Add Parameter", &TTemplateEditDlg::AddLine},
                                 {"Edit Parameter", &TTemplateEditDlg::EditLine},
                                 {"Delete Parameter", &TTemplateEditDlg::DeleteLine}});
  QGroupBox* actionsBox = section("Actions", actions_,
                                  {{"Add Action", &TTemplateEditDlg::AddAction},
                                   {"Edit Action", &TTemplateEditDlg::EditAction},
                                   {"Delete Action", &TTemplateEditDlg::DeleteAction}});

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &TTemplateEditDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(defineNaming, &QPushButton::clicked, this, [this] { DefineNaming(); });
  connect(name_, &QLineEdit::editingFinished, this, [this] { NameLeft(); });
  connect(lines_, &QTableWidget::cellDoubleClicked, this, [this] { EditLine(); });
  connect(actions_, &QTableWidget::cellDoubleClicked, this, [this] { EditAction(); });
  for (QTableWidget* grid : {lines_, actions_})
    grid->viewport()->installEventFilter(this);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(linesBox, 3);
  layout->addWidget(actionsBox, 2);
  layout->addWidget(buttons);
  NameButtonsByCaption(this);
  defineNaming->setAccessibleName(QStringLiteral("Define Object Naming"));
  naming_->setText(FromCore(ToDisplayText(&tmpl.Naming)));
  FillLines(-1);
  FillActions(-1);
  resize(560, 520);
}

void TTemplateEditDlg::FillLines(int current) {
  std::vector<std::vector<std::string>> rows;
  for (const TParamLineRow& row : editor_->LineRows())
    rows.push_back({row.Parameter, row.Constraints});
  FillGrid(lines_, rows, current);
}

void TTemplateEditDlg::FillActions(int current) {
  std::vector<std::vector<std::string>> rows;
  for (const TActionRow& row : editor_->ActionRows())
    rows.push_back({row.Condition, row.Type, row.Launch});
  FillGrid(actions_, rows, current);
}

void TTemplateEditDlg::NameLeft() {
  std::string name;
  if (!TryToCore(name_->text(), name)) return;
  if (!editor_->CheckNameOnLeave(name)) name_->setFocus();
}

void TTemplateEditDlg::DefineNaming() {
  TTemplate& tmpl = editor_->Template();
  TValue value;
  value.Assign(tmpl.Naming);
  if (!app::EditValue(this, value, nullptr, vpPlain | vpCalculated, vpCalculated,
                      "Value Details (Object Naming)"))
    return;
  tmpl.Naming.Assign(value);
  naming_->setText(FromCore(ToDisplayText(&tmpl.Naming)));
}

void TTemplateEditDlg::AddLine() {
  TTemplate& tmpl = editor_->Template();
  auto line = std::make_unique<TParamTemplate>("TTemplateEditDlg.AddLine");
  TParamTemplateDlg dialog(tmpl, -1, *line, this);
  if (dialog.exec() != QDialog::Accepted) return;
  tmpl.ParamLines.push_back(std::move(line));
  FillLines(tmpl.ParamLineCount() - 1);
}

void TTemplateEditDlg::EditLine() {
  const int index = CurrentRow(lines_);
  if (!editor_->CanEditLine(index)) return;
  TTemplate& tmpl = editor_->Template();
  TParamTemplateDlg dialog(tmpl, index, tmpl.ParamLine(index), this);
  if (dialog.exec() == QDialog::Accepted) FillLines(index);
}

void TTemplateEditDlg::DeleteLine() {
  const int index = CurrentRow(lines_);
  bool deleted = false;
  RunCommand([&] { deleted = editor_->DeleteLine(index); });
  if (deleted) FillLines(index);
}

void TTemplateEditDlg::AddAction() {
  TTemplate& tmpl = editor_->Template();
  auto action = std::make_unique<TActionTemplate>("TTemplateEditDlg.AddAction");
  TActionEditDlg dialog(*action, this);
  if (dialog.exec() != QDialog::Accepted) return;
  tmpl.Actions.push_back(std::move(action));
  FillActions(tmpl.ActionCount() - 1);
}

void TTemplateEditDlg::EditAction() {
  const int index = CurrentRow(actions_);
  if (!editor_->CanEditAction(index)) return;
  TActionEditDlg dialog(editor_->Template().Action(index), this);
  if (dialog.exec() == QDialog::Accepted) FillActions(index);
}

void TTemplateEditDlg::DeleteAction() {
  const int index = CurrentRow(actions_);
  bool deleted = false;
  RunCommand([&] { deleted = editor_->DeleteAction(index); });
  if (deleted) FillActions(index);
}

void TTemplateEditDlg::DragLine(int from, int to) {
  if (editor_->MoveLine(from, to)) FillLines(to);
}

void TTemplateEditDlg::DragAction(int from, int to) {
  if (editor_->MoveAction(from, to)) FillActions(to);
}

bool TTemplateEditDlg::eventFilter(QObject* watched, QEvent* event) {
  // A row is dragged by pressing on it and releasing over another row.
  for (QTableWidget* grid : {lines_, actions_}) {
    if (watched != grid->viewport()) continue;
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease)
      break;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const int row = grid->rowAt(mouse->position().toPoint().y());
    if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
      dragGrid_ = grid;
      dragFrom_ = row;
    } else if (event->type() == QEvent::MouseButtonRelease && dragGrid_ == grid) {
      const int from = dragFrom_;
      dragGrid_ = nullptr;
      dragFrom_ = -1;
      if (from >= 0 && row >= 0 && row != from) {
        if (grid == lines_)
          DragLine(from, row);
        else
          DragAction(from, row);
        return true;
      }
    }
    break;
  }
  return QDialog::eventFilter(watched, event);
}

void TTemplateEditDlg::accept() {
  std::string name;
  if (!ToCore(name_->text(), name)) return;
  bool saved = false;
  RunCommand([&] { saved = editor_->Save(name); });
  if (!saved) {
    name_->setFocus();
    return;
  }
  name_->setText(FromCore(editor_->Template().Name));
  QDialog::accept();
}

} // namespace vandro
