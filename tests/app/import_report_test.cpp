// An import whose lines draw warnings shows them in one report after it
// ends, not a message box a line.
#include "app/exchange/exchange_windows.h"
#include "app/shell/main_form.h"
#include "app_test_support.h"
#include "shell/datetime.h"
#include "shell/settings.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <memory>

namespace vandro::apptest {

class ImportReportTest : public QObject {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> dir;
  std::unique_ptr<TSettings> settings;
  std::unique_ptr<TMainForm> form;
  std::unique_ptr<TRecordingSink> sink;

  QString Path(const QString& name) const { return dir->filePath(name); }

private slots:
  void init() {
    dir = std::make_unique<QTemporaryDir>();
    sink = std::make_unique<TRecordingSink>();
    settings = std::make_unique<TSettings>();
    settings->Load(Path(QStringLiteral("config.vd")).toStdString());
    form = std::make_unique<TMainForm>(*settings);
    SetDateStyle(TDateStyle::European);
    const QString project = Path(QStringLiteral("Farm/Farm.vdp"));
    QVERIFY(APSCreateProject(project.toStdString(), "", NewProjectInfo("Farm")));
    QVERIFY(form->OpenProjectAt(project));
  }

  void cleanup() {
    form.reset();
    CloseProject();
    settings.reset();
    sink.reset();
    dir.reset();
  }

  // A header no parameter may have is marked in the preview with its
  // reason; the rename is offered in the column's fields.
  void aForbiddenHeaderIsFlaggedAndRenamedInThePreview() {
    const QString file = Path(QStringLiteral("days.csv"));
    std::ofstream(file.toStdString(), std::ios::binary) << "Chick,Day,Weight\nC1,3,42\n";
    TImportDlg dialog(form.get());
    dialog.Open(file.toStdString());
    QCOMPARE(dialog.Problem()->text(),
             QStringLiteral(
                 "Column Day can't name a parameter (Day is a standard function): rename it or "
                 "skip it"));
    QVERIFY(!dialog.ContinueButton()->isEnabled());
    QCOMPARE(dialog.Preview()->horizontalHeaderItem(1)->toolTip(),
             QStringLiteral("Day is a standard function: rename the column or skip it"));
    QVERIFY(dialog.Preview()->horizontalHeaderItem(2)->toolTip().isEmpty());
    QCOMPARE(dialog.Column()->currentText(), QStringLiteral("Day"));
    QCOMPARE(dialog.RenameTo()->accessibleName(), QStringLiteral("Rename to"));
    QTest::keyClicks(dialog.RenameTo(), QStringLiteral("Age"));
    QVERIFY(dialog.Problem()->text().isEmpty());
    QVERIFY(dialog.ContinueButton()->isEnabled());
    QVERIFY(dialog.Preview()->horizontalHeaderItem(1)->toolTip().isEmpty());

    dialog.Column()->setCurrentText(QStringLiteral("Weight"));
    QTest::keyClicks(dialog.Unit(), QStringLiteral("g"));
    dialog.Column()->setCurrentText(QStringLiteral("Chick"));
    dialog.Skip()->setChecked(true);
    const TImportSettings settings = dialog.Rules().Settings();
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    QCOMPARE(settings.Renamed, (Pairs{{"Day", "Age"}}));
    QCOMPARE(settings.Units, (Pairs{{"Weight", "g"}}));
    QCOMPARE(settings.Skipped, std::vector<std::string>{"Chick"});
  }

  // 200 lines with a time that cannot be read and a good one: every warning
  // is a row of one report, with its line and column.
  void warningsOfManyLinesMakeOneReport() {
    std::string text = "Chick,When,Weight\r\n";
    for (int i = 1; i <= 200; ++i)
      text +=
          "C" + std::to_string(i) + ",day " + std::to_string(i) + "," + std::to_string(i) + "\r\n";
    text += "C0,2026-01-01,42\r\n";
    const QString file = Path(QStringLiteral("chicks.csv"));
    std::ofstream(file.toStdString(), std::ios::binary) << text;

    QStringList filters;
    WhenModal("QFileDialog", [file, &filters](QWidget* window) {
      auto* dialog = static_cast<QFileDialog*>(window);
      filters = dialog->nameFilters();
      dialog->setDirectory(QFileInfo(file).absolutePath());
      dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
          ->setText(QFileInfo(file).fileName());
      QMetaObject::invokeMethod(dialog, "accept");
    });
    WhenModal("vandro::TImportDlg", [](QWidget* window) {
      auto* dialog = static_cast<TImportDlg*>(window);
      // The separator the file suggests, and its roles chosen.
      QVERIFY(dialog->Separator()->Button(skComma)->isChecked());
      dialog->NameColumn()->setCurrentText(QStringLiteral("Chick"));
      dialog->TimeColumn()->setCurrentText(QStringLiteral("When"));
      dialog->ContinueButton()->click();
    });
    int rows = 0;
    QString first, copied;
    WhenModal("vandro::TImportReportDlg", [&](QWidget* window) {
      auto* report = static_cast<TImportReportDlg*>(window);
      QTableWidget* list = report->List();
      rows = list->rowCount();
      first = list->item(1, 0)->text() + QStringLiteral("|") + list->item(1, 1)->text() +
              QStringLiteral("|") + list->item(1, 2)->text();
      report->CopyButton()->click();
      copied = QApplication::clipboard()->text();
      report->reject();
    });
    form->Command(QStringLiteral("fileImportData"))->trigger();

    // Every kind of data file is offered at once.
    QVERIFY2(!filters.isEmpty() && filters.front().contains(QStringLiteral("*.csv")) &&
                 filters.front().contains(QStringLiteral("*.tsv")) &&
                 filters.front().contains(QStringLiteral("*.xlsx")) &&
                 filters.contains(QStringLiteral("All files (*)")),
             qPrintable(filters.join(QStringLiteral(";;"))));
    QCOMPARE(rows, 201); // the headings, then a row a warning
    QCOMPARE(first, QStringLiteral("2|When|Line 2 skipped: can't read the time \"day 1\""));
    QCOMPARE(copied.count(QStringLiteral("\r\n")), 201);
    QVERIFY(copied.startsWith(QStringLiteral("Line\tColumn\tMessage\r\n2\tWhen\t\"Line 2 skipped: "
                                             "can't read the time \"\"day 1\"\"\"")));
    // No message box was shown for a line.
    for (const std::string& message : sink->messages)
      QVERIFY2(message.rfind("Line ", 0) != 0, message.c_str());
    QCOMPARE(APSObjectCount(), 1);
  }
};

VANDRO_APP_TEST(ImportReportTest);

} // namespace vandro::apptest

#include "import_report_test.moc"
