// The desktop program's saves never write over the open project, and a
// template's "Launch" opens nothing the user was not asked about.
#include "app/charts/chart_form.h"
#include "app/editing/create_record_dlg.h"
#include "app/editing/record_commands.h"
#include "app/exchange/exchange_windows.h"
#include "app/shell/main_form.h"
#include "app/stats/result_grid.h"
#include "app_test_support.h"
#include "exchange/export_objects.h"
#include "model/template.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QUrl>

#include <memory>

namespace vandro::apptest {

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Types path into the next file dialog and accepts it; Qt's question about
// replacing the existing file is answered Yes, so that only the program's
// own check stands between the choice and the file.
void ChooseExistingFile(const QString& path) {
  WhenModal("QFileDialog", [path](QWidget* window) {
    auto* dialog = static_cast<QFileDialog*>(window);
    const QFileInfo file(path);
    dialog->setDirectory(file.absolutePath());
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(file.fileName());
    WhenModal("QMessageBox", [](QWidget* box) {
      static_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click();
    });
    QMetaObject::invokeMethod(dialog, "accept");
  });
}

} // namespace

class SaveGuardTest : public TSampleProjectTest {
  Q_OBJECT

  QString Database() const {
    const QFileInfo file(project);
    return file.absolutePath() + QStringLiteral("/") + file.baseName() + QStringLiteral(".vdb");
  }

  std::string Refusal(const QString& path) const {
    return "The file is part of the open project: " + path.toStdString();
  }

private slots:
  void init() { QVERIFY(OpenSample()); }
  void cleanup() { CloseSample(); }

  // "Save As..." of a result grid, chosen in its dialog.
  void resultGridRefusesTheProjectsFiles() {
    const QByteArray database = ReadAll(Database());
    QVERIFY(!database.isEmpty());
    auto grid = std::unique_ptr<QTableWidget>(MakeResultGrid(QStringLiteral("Result"), nullptr));
    FillResultGrid(grid.get(), {{"N", "Mean"}, {"3", "4.5"}}, false);
    QAction* saveAs = nullptr;
    for (QAction* action : grid->actions())
      if (action->text() == QStringLiteral("Save As...")) saveAs = action;
    QVERIFY(saveAs);
    ChooseExistingFile(Database());
    saveAs->trigger();
    QCOMPARE(sink->Last(), Refusal(Database()));
    QCOMPARE(ReadAll(Database()), database);

    // Another name for the same file is the same file.
    const QString link = dir->filePath(QStringLiteral("result.csv"));
    QVERIFY(QFile::link(Database(), link));
    QVERIFY(!SaveGridAs(grid.get(), link));
    QCOMPARE(sink->Last(), Refusal(link));
    QCOMPARE(ReadAll(Database()), database);

    // Printing to a file is a save too.
    QAction* print = nullptr;
    for (QAction* action : grid->actions())
      if (action->text() == QStringLiteral("Print...")) print = action;
    QVERIFY(print);
    PrintNextToPdf(link);
    print->trigger();
    QCOMPARE(sink->Last(), Refusal(link));
    QCOMPARE(ReadAll(Database()), database);
  }

  // The export window's save dialog; the project file itself this time.
  void exportRefusesTheProjectFile() {
    const QByteArray file = ReadAll(project);
    WhenModal("vandro::TExportDlg", [](QWidget* window) {
      auto* dialog = static_cast<TExportDlg*>(window);
      dialog->What(ewUnits)->click();
      dialog->ContinueButton()->click();
    });
    ChooseExistingFile(project);
    form->Command(QStringLiteral("fileExport"))->trigger();
    QCOMPARE(sink->Last(), Refusal(project));
    QCOMPARE(ReadAll(project), file);
    QVERIFY(!QApplication::activeModalWidget());
  }

  // "Save Picture As" writes through the same check.
  void chartPictureRefusesTheProjectsFiles() {
    const QByteArray database = ReadAll(Database());
    const QString link = dir->filePath(QStringLiteral("curve.png"));
    QVERIFY(QFile::link(Database(), link));
    TChartForm chart;
    QVERIFY(!chart.SavePicture(link));
    QCOMPARE(sink->Last(), Refusal(link));
    QCOMPARE(ReadAll(Database()), database);
  }

  // The question names the target and its default is No; only Yes opens it,
  // and then through the opener alone.
  void launchAsksBeforeOpening() {
    TTemplate vitals;
    vitals.Name = "VITALS";
    vitals.Load();
    auto action = std::make_unique<TActionTemplate>();
    action->ActionType = atLaunch;
    action->Launch = lmBeforeCreate;
    action->Argument.SetPlain("https://example.org/vitals?ward=3");
    vitals.Actions.push_back(std::move(action));
    QVERIFY(vitals.Save());

    std::vector<QUrl> opened;
    const TLaunchOpener previous =
        SetLaunchOpener([&opened](const QUrl& url) { opened.push_back(url); });
    const std::string question =
        "The template VITALS wants to open:\r\nhttps://example.org/vitals?ward=3\r\nOpen it?";

    // Nothing queued: the question takes its default button.
    sink->questions.clear();
    TCreateRecordDlg* first = OpenNewObject(*form, "VITALS");
    QVERIFY(first);
    QCOMPARE(sink->questions, std::vector<std::string>{question});
    QCOMPARE(sink->unanswered, 1);
    QVERIFY(opened.empty());
    first->PressCancel();

    sink->Answer(true);
    sink->Answer(false); // not always
    TCreateRecordDlg* second = OpenNewObject(*form, "VITALS");
    QVERIFY(second);
    QCOMPARE(opened.size(), size_t(1));
    QCOMPARE(opened.front(), QUrl(QStringLiteral("https://example.org/vitals?ward=3")));
    second->PressCancel();
    SetLaunchOpener(previous);
  }
};

VANDRO_APP_TEST(SaveGuardTest);

} // namespace vandro::apptest

#include "save_guard_test.moc"
