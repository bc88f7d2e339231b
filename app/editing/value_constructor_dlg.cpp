#include "app/editing/value_constructor_dlg.h"

#include "app/editing/query_edit_dlg.h"
#include "app/editing/selection_api.h"
#include "app/editing/structure_commands.h"
#include "app/editing/value_kind_icon.h"
#include "app/model/moment_picker.h"
#include "app/shell/guard.h"
#include "app/shell/text_edge.h"
#include "language/query.h"
#include "shell/clock.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vandro {
namespace {

// The tabs in the order of the page bits.
constexpr int kPageBits[] = {vpPlain, vpCalculated, vpObjects, vpLink, vpArray};

int TabOfPage(int page) {
  for (int tab = 0; tab < 5; ++tab)
    if (kPageBits[tab] == page) return tab;
  return 0;
}

template <typename Widget> Widget* Named(Widget* widget, const char* name) {
  widget->setAccessibleName(QString::fromLatin1(name));
  return widget;
}

QLineEdit* Field(const char* name) {
  auto* edit = Named(new QLineEdit, name);
  GuardCp1251(edit);
  return edit;
}

} // namespace

TValueConstructorDlg::TValueConstructorDlg(TValue& value, TDataRecord* record, int pages,
                                           int openingPage, const QString& caption, QWidget* parent)
    : QDialog(parent), value_(value), constructor_(value, record, pages, openingPage) {
  setWindowTitle(caption.isEmpty() ? QString::fromLatin1(kValueDetailsCaption) : caption);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  tabs_ = new QTabWidget;
  tabs_->addTab(MakePlainPage(), QStringLiteral("Plain values"));
  tabs_->addTab(MakeCalculatedPage(), QStringLiteral("Calculated"));
  tabs_->addTab(MakeObjectsPage(), QStringLiteral("Objects"));
  tabs_->addTab(MakeLinkPage(), QStringLiteral("Link to File"));
  tabs_->addTab(MakeArrayPage(), QStringLiteral("Array"));
  for (int tab = 0; tab < 5; ++tab)
    tabs_->setTabEnabled(tab, constructor_.Enabled(kPageBits[tab]));
  tabs_->setCurrentIndex(TabOfPage(constructor_.Page()));
  connect(tabs_, &QTabWidget::currentChanged, this,
          [this](int tab) { constructor_.SetPage(kPageBits[tab]); });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);
  resize(520, 380);
  NameButtonsByCaption(this);
  ShowFields();
}

QWidget* TValueConstructorDlg::MakePlainPage() {
  plainType_ = Named(new QComboBox, "Type");
  for (const std::string& name : PlainTypeNames())
    plainType_->addItem(FromCore(name));
  plainFields_ = new QStackedWidget;

  auto* nullPage = new QLabel(QStringLiteral("The value is empty (NULL)."));
  plainFields_->addWidget(nullPage);

  auto* booleanPage = new QWidget;
  boolean_ = Named(new QComboBox, "Value");
  boolean_->addItems({QStringLiteral("False"), QStringLiteral("True")});
  auto* booleanForm = new QFormLayout(booleanPage);
  booleanForm->addRow(QStringLiteral("Value"), boolean_);
  plainFields_->addWidget(booleanPage);

  auto* numberPage = new QWidget;
  number_ = Field("Number");
  unit_ = Named(new QComboBox, "Unit");
  unit_->setEditable(true);
  unit_->lineEdit()->setAccessibleName(unit_->accessibleName());
  unit_->addItem(QString());
  for (const std::string& name : CatalogueUnitNames())
    unit_->addItem(FromCore(name));
  GuardCp1251(unit_);
  minus_ = Field("Minus deviation");
  plus_ = Field("Plus deviation");
  auto* numberForm = new QFormLayout(numberPage);
  numberForm->addRow(QStringLiteral("Number"), number_);
  numberForm->addRow(QStringLiteral("Unit"), unit_);
  numberForm->addRow(QStringLiteral("Minus deviation"), minus_);
  numberForm->addRow(QStringLiteral("Plus deviation"), plus_);
  plainFields_->addWidget(numberPage);

  auto* timePage = new QWidget;
  time_ = new TMomentPicker;
  auto* timeForm = new QFormLayout(timePage);
  timeForm->addRow(QStringLiteral("Date and time"), time_);
  plainFields_->addWidget(timePage);

  auto* stringPage = new QWidget;
  string_ = Field("String");
  auto* stringForm = new QFormLayout(stringPage);
  stringForm->addRow(QStringLiteral("String"), string_);
  plainFields_->addWidget(stringPage);

  text_ = Named(new QPlainTextEdit, "Text");
  plainFields_->addWidget(text_);

  connect(plainType_, &QComboBox::currentIndexChanged, plainFields_,
          &QStackedWidget::setCurrentIndex);
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Type"), plainType_);
  layout->addLayout(form);
  layout->addWidget(plainFields_, 1);
  return page;
}

QWidget* TValueConstructorDlg::MakeCalculatedPage() {
  source_ = Named(new QPlainTextEdit, "Source");
  sourceKind_ = new QLabel;
  check_ = new QPushButton(QStringLiteral("Check"));
  evaluate_ = new QPushButton(QStringLiteral("Evaluate"));
  buildQuery_ = new QPushButton(QStringLiteral("Build Query    >>"));
  checkResult_ = Named(new QPlainTextEdit, "Check result");
  checkResult_->setReadOnly(true);
  checkResult_->setMaximumHeight(80);
  checkResult_->setFont(QFont(QStringLiteral("monospace")));
  connect(source_, &QPlainTextEdit::textChanged, this, [this] {
    std::string text;
    TryToCore(source_->toPlainText(), text);
    sourceKind_->setText(QStringLiteral("Kind: ") +
                         FromCore(CalculatedTypeName(CalculatedTypeOf(text))));
    checkResult_->clear();
  });
  connect(check_, &QPushButton::clicked, this, [this] { RunCommand([this] { Check(); }); });
  connect(evaluate_, &QPushButton::clicked, this, [this] { RunCommand([this] { Evaluate(); }); });
  connect(buildQuery_, &QPushButton::clicked, this,
          [this] { RunCommand([this] { BuildQuery(); }); });

  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* caption = new QLabel(QStringLiteral("Source"));
  caption->setBuddy(source_);
  layout->addWidget(caption);
  layout->addWidget(source_, 1);
  auto* row = new QHBoxLayout;
  row->addWidget(sourceKind_);
  row->addStretch();
  row->addWidget(check_);
  row->addWidget(evaluate_);
  row->addWidget(buildQuery_);
  layout->addLayout(row);
  layout->addWidget(checkResult_);
  return page;
}

QWidget* TValueConstructorDlg::MakeObjectsPage() {
  reference_ = Named(new QLineEdit, "Reference");
  reference_->setReadOnly(true);
  selectReference_ = new QPushButton(QStringLiteral("Select Object..."));
  auto* clear = new QPushButton(QStringLiteral("Clear"));
  connect(selectReference_, &QPushButton::clicked, this,
          [this] { RunCommand([this] { ChooseReference(); }); });
  connect(clear, &QPushButton::clicked, this, [this] {
    constructor_.Reference = 0;
    reference_->clear();
  });
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Reference"), reference_);
  layout->addLayout(form);
  auto* row = new QHBoxLayout;
  row->addWidget(selectReference_);
  row->addWidget(clear);
  row->addStretch();
  layout->addLayout(row);
  layout->addStretch();
  return page;
}

QWidget* TValueConstructorDlg::MakeLinkPage() {
  link_ = Field("File");
  auto* browse = new QPushButton(QStringLiteral("Browse..."));
  connect(browse, &QPushButton::clicked, this, [this] { ChooseFile(); });
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* form = new QFormLayout;
  auto* row = new QHBoxLayout;
  row->addWidget(link_, 1);
  row->addWidget(browse);
  form->addRow(QStringLiteral("File"), row);
  static_cast<QLabel*>(form->labelForField(row))->setBuddy(link_);
  layout->addLayout(form);
  layout->addStretch();
  return page;
}

QWidget* TValueConstructorDlg::MakeArrayPage() {
  items_ = Named(new QListWidget, "Items");
  addItem_ = new QPushButton(QStringLiteral("Add"));
  removeItem_ = new QPushButton(QStringLiteral("Remove"));
  upItem_ = new QPushButton(QStringLiteral("Up"));
  downItem_ = new QPushButton(QStringLiteral("Down"));
  editItem_ = new QPushButton(QStringLiteral("Edit..."));
  connect(addItem_, &QPushButton::clicked, this,
          [this] { ShowItems(constructor_.AddItem(items_->currentRow())); });
  connect(removeItem_, &QPushButton::clicked, this, [this] {
    const int row = items_->currentRow();
    constructor_.RemoveItem(row);
    ShowItems(std::min(row, constructor_.ItemCount() - 1));
  });
  connect(upItem_, &QPushButton::clicked, this,
          [this] { ShowItems(constructor_.MoveItem(items_->currentRow(), -1)); });
  connect(downItem_, &QPushButton::clicked, this,
          [this] { ShowItems(constructor_.MoveItem(items_->currentRow(), 1)); });
  connect(editItem_, &QPushButton::clicked, this,
          [this] { RunCommand([this] { EditCurrentItem(); }); });
  connect(items_, &QListWidget::itemDoubleClicked, this,
          [this] { RunCommand([this] { EditCurrentItem(); }); });
  auto* page = new QWidget;
  auto* layout = new QHBoxLayout(page);
  auto* list = new QVBoxLayout;
  auto* caption = new QLabel(QStringLiteral("Items"));
  caption->setBuddy(items_);
  list->addWidget(caption);
  list->addWidget(items_);
  layout->addLayout(list, 1);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* button : {addItem_, removeItem_, upItem_, downItem_, editItem_})
    buttons->addWidget(button);
  buttons->addStretch();
  layout->addLayout(buttons);
  return page;
}

void TValueConstructorDlg::ShowFields() {
  const TValueConstructor& c = constructor_;
  plainType_->setCurrentIndex(static_cast<int>(c.PlainType));
  plainFields_->setCurrentIndex(static_cast<int>(c.PlainType));
  boolean_->setCurrentIndex(c.Boolean ? 1 : 0);
  number_->setText(FromCore(c.Number));
  unit_->setEditText(FromCore(c.Unit));
  minus_->setText(FromCore(c.MinusDeviation));
  plus_->setText(FromCore(c.PlusDeviation));
  time_->SetMoment(c.Time);
  string_->setText(FromCore(c.String));
  text_->setPlainText(FromCore(c.Text));
  source_->setPlainText(FromCore(c.Source));
  reference_->setText(FromCore(c.ReferenceText()));
  link_->setText(FromCore(c.Link));
  ShowItems(c.ItemCount() > 0 ? 0 : -1);
}

void TValueConstructorDlg::ShowItems(int current) {
  items_->clear();
  for (int i = 0; i < constructor_.ItemCount(); ++i)
    items_->addItem(new QListWidgetItem(ValueKindIcon(constructor_.Item(i).Kind()),
                                        FromCore(constructor_.ItemText(i))));
  if (current >= 0 && current < items_->count()) items_->setCurrentRow(current);
}

bool TValueConstructorDlg::ReadFields() {
  TValueConstructor& c = constructor_;
  c.PlainType = static_cast<TPlainType>(plainType_->currentIndex());
  c.Boolean = boolean_->currentIndex() == 1;
  c.Time = time_->Moment();
  return ToCore(number_->text(), c.Number) && ToCore(unit_->currentText(), c.Unit) &&
         ToCore(minus_->text(), c.MinusDeviation) && ToCore(plus_->text(), c.PlusDeviation) &&
         ToCore(string_->text(), c.String) && ToCore(text_->toPlainText(), c.Text) &&
         ToCore(source_->toPlainText(), c.Source) && ToCore(link_->text(), c.Link);
}

void TValueConstructorDlg::Check() {
  if (!ReadFields()) return;
  const TCheckResult result = constructor_.Check();
  checkResult_->setPlainText(FromCore(result.Message));
}

void TValueConstructorDlg::Evaluate() {
  if (!ReadFields()) return;
  const TCheckResult result = constructor_.Evaluate();
  checkResult_->setPlainText(FromCore(result.Message));
}

void TValueConstructorDlg::HideBuildQuery() {
  buildQuery_->hide();
}

void TValueConstructorDlg::BuildQuery() {
  if (!ReadFields()) return;
  const std::unique_ptr<TQExpression> query = constructor_.StartQuery();
  if (!query) return;
  TQueryEditDlg editor(*query, this);
  if (editor.exec() != QDialog::Accepted) return;
  constructor_.FinishQuery(*query);
  source_->setPlainText(
      FromCore(constructor_.Source).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void TValueConstructorDlg::ChooseReference() {
  app::TSelectRequest request;
  request.Caption = "Select Object";
  app::TSelectResult result;
  if (!app::SelectObject(this, request, result) || result.CreateNewObject) return;
  constructor_.SetReference(result.ObjectId, result.StateIds.empty() ? 0 : result.StateIds[0]);
  reference_->setText(FromCore(constructor_.ReferenceText()));
}

void TValueConstructorDlg::ChooseFile() {
  const QString file =
      QFileDialog::getOpenFileName(this, QStringLiteral("Link to File"), link_->text());
  if (!file.isEmpty()) link_->setText(file);
}

void TValueConstructorDlg::EditCurrentItem() {
  const int row = items_->currentRow();
  if (row < 0) return;
  TValue::Ptr item = constructor_.Item(row).Clone("TValueConstructorDlg.EditCurrentItem");
  TValueConstructorDlg nested(
      *item, constructor_.Record(), vpAll, 0,
      windowTitle() + QStringLiteral(" [") + QString::number(row + 1) + QStringLiteral("]"), this);
  if (nested.exec() != QDialog::Accepted) return;
  constructor_.SetItem(row, *item);
  ShowItems(row);
}

void TValueConstructorDlg::done(int result) {
  if (result == QDialog::Accepted) {
    bool built = false;
    RunCommand([&] { built = ReadFields() && constructor_.Build(value_); });
    // A field that does not read keeps the dialog open with what was typed.
    if (!built) return;
  }
  QDialog::done(result);
}

} // namespace vandro
