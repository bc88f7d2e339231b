#include "app/editing/select_object_dlg.h"
#include "app/exchange/exchange_windows.h"
#include "app/exchange/print_window.h"
#include "app/shell/main_form.h"
#include "app/storage/project_manager_form.h"
#include "app_test_support.h"
#include "exchange/export_objects.h"
#include "exchange/import_objects.h"
#include "model/record_events.h"
#include "shell/datetime.h"
#include "shell/settings.h"
#include "shell/text.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"
#include "storage/session.h"
#include "support/file_size_limit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

namespace vandro::apptest {

namespace {

// Chooses path in the next file dialog.
void ChooseFile(const QString& path) {
  WhenModal("QFileDialog", [path](QWidget* window) {
    auto* dialog = static_cast<QFileDialog*>(window);
    // Typed rather than selected: the folder's listing may still be loading.
    const QFileInfo file(path);
    dialog->setDirectory(file.absolutePath());
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(file.fileName());
    QMetaObject::invokeMethod(dialog, "accept");
  });
}

std::string ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll().toStdString();
}

} // namespace

class ExchangeWindowsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> dir;
  std::unique_ptr<TSettings> settings;
  std::unique_ptr<TMainForm> form;
  std::unique_ptr<TRecordingSink> sink;

  QString Path(const QString& name) const { return dir->filePath(name); }
  QString WriteFile(const QString& name, const std::string& bytes) const {
    std::ofstream(Path(name).toStdString(), std::ios::binary) << bytes;
    return Path(name);
  }
  bool OpenNewProject(const QString& name) {
    const QString file = Path(name + QStringLiteral("/") + name + QStringLiteral(".vdp"));
    return APSCreateProject(file.toStdString(), "", NewProjectInfo(name.toStdString())) &&
           form->OpenProjectAt(file);
  }
  // Every object's current states as a table, the way an export writes it.
  std::string StatesTable() {
    const QString out = Path(QStringLiteral("states.txt"));
    TExportSettings table;
    table.AsTable = true;
    TExportResult result;
    if (!ExportAllObjects(out.toStdString(), table, nullptr, result)) return "no export";
    return ReadAll(out);
  }

  QString CurrentProjectFile() const { return Path(QStringLiteral("Ward/Ward.vdp")); }
  // vandro-cli's output and exit code.
  static std::pair<QString, int> Cli(const QStringList& arguments) {
    QProcess cli;
    cli.start(QStringLiteral(QT_TESTCASE_BUILDDIR) + QStringLiteral("/../cli/vandro-cli"),
              arguments);
    if (!cli.waitForFinished(30000)) return {QStringLiteral("did not finish"), -1};
    return {QString::fromUtf8(cli.readAllStandardOutput() + cli.readAllStandardError()),
            cli.exitCode()};
  }
  // The state's text without the moments its records were stored.
  static QString WithoutCreation(QString state) {
    static const QRegularExpression created(QStringLiteral("; Created: [^\\n]*"));
    return state.remove(created);
  }

private slots:
  void init() {
    dir = std::make_unique<QTemporaryDir>();
    sink = std::make_unique<TRecordingSink>();
    settings = std::make_unique<TSettings>();
    settings->Load(Path(QStringLiteral("config.vd")).toStdString());
    form = std::make_unique<TMainForm>(*settings);
    SetDateStyle(TDateStyle::European);
    QVERIFY(OpenNewProject(QStringLiteral("Ward")));
  }

  void cleanup() {
    form.reset();
    CloseProject();
    settings.reset();
    sink.reset();
    dir.reset();
  }

  // A UTF-8 file with a Cyrillic header, its names and times in columns the
  // user picks; then the same states exported as a table come back whole
  // in a new project.
  void importsThroughThePreviewAndExportsBack() {
    const QString file = WriteFile(QStringLiteral("ward.txt"), "Пациент;Пульс;Когда\n"
                                                               "Иванов;72;01.02.2020 10:00\n"
                                                               "Петров;88;02.02.2020 11:30\n");
    ChooseFile(file);
    WhenModal("vandro::TImportDlg", [](QWidget* window) {
      auto* dialog = static_cast<TImportDlg*>(window);
      QCOMPARE(dialog->Problem()->text(), QString());
      dialog->Separator()->Button(skSemicolon)->click();
      QCOMPARE(dialog->Preview()->columnCount(), 3);
      QCOMPARE(dialog->Preview()->horizontalHeaderItem(0)->text(), QStringLiteral("Пациент"));
      QCOMPARE(dialog->Preview()->rowCount(), 2);
      QCOMPARE(dialog->Preview()->item(1, 1)->text(), QStringLiteral("88"));
      QCOMPARE(dialog->NameColumn()->count(), 4); // the empty choice and the three names
      dialog->NameColumn()->setCurrentText(QStringLiteral("Пациент"));
      dialog->TimeColumn()->setCurrentText(QStringLiteral("Когда"));
      dialog->ContinueButton()->click();
    });
    std::vector<int32_t> heard; // what the open windows are told
    const TRecordsListener listener([&heard](int32_t objectId) { heard.push_back(objectId); });
    form->Command(QStringLiteral("fileImportData"))->trigger();
    QCOMPARE(sink->Last(), std::string("2 new objects. 2 states were successfully modified"));
    QCOMPARE(heard, std::vector<int32_t>{kManyObjects});
    QVERIFY(APSFindObject(Utf8ToCp1251OrRaise("Петров")) != 0);
    QCOMPARE(form->StatusPanel(1)->text(), QStringLiteral("Ready"));
    const std::string before = StatesTable();
    QVERIFY(before.find("72") != std::string::npos);

    const QString exported = Path(QStringLiteral("all.txt"));
    WhenModal("vandro::TExportDlg", [](QWidget* window) {
      auto* dialog = static_cast<TExportDlg*>(window);
      dialog->What(ewAllObjects)->click();
      dialog->AsTable(true)->click();
      dialog->ContinueButton()->click();
    });
    ChooseFile(exported);
    form->Command(QStringLiteral("fileExport"))->trigger();
    QVERIFY(QFile::exists(exported));

    QVERIFY(form->CloseProjectCommand());
    // Each state stands at the time of its line's time column.
    const auto ivanov =
        Cli({QStringLiteral("state"), CurrentProjectFile(), QStringLiteral("Иванов")});
    QVERIFY2(ivanov.first.contains(QStringLiteral("Time: 01.02.2020 10:00")),
             qPrintable(ivanov.first));
    const auto petrov =
        Cli({QStringLiteral("state"), CurrentProjectFile(), QStringLiteral("Петров")});
    QVERIFY2(petrov.first.contains(QStringLiteral("Time: 02.02.2020 11:30")),
             qPrintable(petrov.first));
    QVERIFY(OpenNewProject(QStringLiteral("Copy")));
    TImportSettings settings;
    TImportResult result;
    QVERIFY(ImportObjectsFromFile(exported.toStdString(), settings, nullptr, result));
    QCOMPARE(StatesTable(), before);
  }

  // The import's "Add to group:" makes a ward; the ward exported as a table
  // through "Select Object" is read back by vandro-cli into a new project
  // with the same states.
  void wardGroupGoesThroughTheCommandLineToo() {
    const QString file = WriteFile(QStringLiteral("ward.txt"), "Пациент;Пульс;Когда\n"
                                                               "Иванов;72;01.02.2020 10:00\n"
                                                               "Петров;88;02.02.2020 11:30\n");
    ChooseFile(file);
    WhenModal("vandro::TImportDlg", [](QWidget* window) {
      auto* dialog = static_cast<TImportDlg*>(window);
      dialog->Separator()->Button(skSemicolon)->click();
      dialog->NameColumn()->setCurrentText(QStringLiteral("Пациент"));
      dialog->TimeColumn()->setCurrentText(QStringLiteral("Когда"));
      dialog->AddToGroup()->click();
      dialog->GroupName()->setText(QStringLiteral("Палата"));
      dialog->ContinueButton()->click();
    });
    form->Command(QStringLiteral("fileImportData"))->trigger();
    QVERIFY(APSFindObject(Utf8ToCp1251OrRaise("Палата")) != 0);

    const QString exported = Path(QStringLiteral("ward-out.txt"));
    WhenModal("vandro::TExportDlg", [](QWidget* window) {
      auto* dialog = static_cast<TExportDlg*>(window);
      dialog->What(ewGroup)->click();
      dialog->AsTable(true)->click();
      dialog->ContinueButton()->click();
    });
    WhenModal("vandro::TSelectObjectDlg", [](QWidget* window) {
      auto* dialog = static_cast<TSelectObjectDlg*>(window);
      QTableWidget* objects = dialog->Objects();
      for (int row = 0; row < objects->rowCount(); ++row)
        for (int column = 0; column < objects->columnCount(); ++column)
          if (objects->item(row, column) &&
              objects->item(row, column)->text() == QStringLiteral("ПАЛАТА"))
            objects->setCurrentCell(row, column);
      dialog->OkButton()->click();
    });
    ChooseFile(exported);
    form->Command(QStringLiteral("fileExport"))->trigger();
    QVERIFY2(QFile::exists(exported), sink->Last().c_str());
    const QString project = CurrentProjectFile();
    QVERIFY(form->CloseProjectCommand());

    const QString copy = Path(QStringLiteral("copy.vdp"));
    QCOMPARE(Cli({QStringLiteral("new"), copy}).second, 0);
    const auto imported = Cli({QStringLiteral("import"), copy, exported});
    QCOMPARE(imported.second, 0);
    QVERIFY2(imported.first.contains(QStringLiteral("2 states were successfully modified")),
             qPrintable(imported.first));
    for (const QString& patient : {QStringLiteral("Иванов"), QStringLiteral("Петров")}) {
      const QString before = Cli({QStringLiteral("state"), project, patient}).first;
      QVERIFY2(before.contains(QStringLiteral("Пульс")), qPrintable(before));
      QCOMPARE(WithoutCreation(Cli({QStringLiteral("state"), copy, patient}).first),
               WithoutCreation(before));
    }
  }

  void importsUnitsWithTheSeparatorChosen() {
    const QString file = WriteFile(QStringLiteral("units.txt"),
                                   "furlong;fur;Distance;0;201.168;0;;'an eighth of a mile'\n");
    WhenModal("vandro::TSeparatorDlg", [](QWidget* window) {
      auto* dialog = static_cast<TSeparatorDlg*>(window);
      QCOMPARE(dialog->windowTitle(), QStringLiteral("Select Separator"));
      dialog->Box()->Button(skSemicolon)->click();
      dialog->accept();
    });
    ChooseFile(file);
    form->Command(QStringLiteral("fileImportUnits"))->trigger();
    QCOMPARE(sink->Last(), std::string("1 units successfuly imported"));
  }

  void exportWindowFollowsItsRules() {
    TExportDlg dialog(form.get());
    QVERIFY(!dialog.ExportAsBox()->isEnabled()); // "Object" with "Actual states"
    QVERIFY(dialog.AsTable(false)->isChecked());
    QVERIFY(!dialog.Separator()->isEnabled());
    dialog.History(true)->click();
    QVERIFY(dialog.ExportAsBox()->isEnabled());
    dialog.AsTable(true)->click();
    QVERIFY(dialog.Separator()->isEnabled());
    dialog.What(ewUnits)->click();
    QVERIFY(!dialog.StatesBox()->isEnabled());
    QVERIFY(!dialog.ExportAsBox()->isEnabled());
    QVERIFY(dialog.History(false)->isChecked());
    QVERIFY(dialog.AsTable(true)->isChecked());
    QVERIFY(dialog.Separator()->isEnabled());
    for (auto* button : dialog.findChildren<QAbstractButton*>())
      QVERIFY2(!button->accessibleName().isEmpty(), qPrintable(button->text()));
  }

  // Each bad file says why in the window, which stays usable, and starts
  // nothing.
  void badFilesSayWhy() {
    const struct {
      const char* name;
      std::string bytes;
      QString problem;
    } cases[] = {
        {"empty.txt", "", QStringLiteral("Empty File")},
        {"gap.txt", "a\t\tb\n1\t2\t3\n", QStringLiteral("Empty parameter name encountered")},
        {"binary.txt",
         std::string("\x7f"
                     "ELF\0\0\x01",
                     7),
         QStringLiteral("Not a text file: ")},
        {"broken.xlsx", "PK not really", QStringLiteral("Can't read Excel document: ")},
        {"broken.xls", std::string("\xD0\xCF\x11\xE0 not really", 16),
         QStringLiteral("Can't read Excel document: ")},
    };
    for (const auto& c : cases) {
      const QString file = WriteFile(QString::fromLatin1(c.name), c.bytes);
      TImportDlg dialog(form.get());
      dialog.Open(file.toStdString());
      QVERIFY2(dialog.Problem()->text().startsWith(c.problem), c.name);
      QVERIFY2(!dialog.ContinueButton()->isEnabled(), c.name);
      // The separators are still offered and re-read the file.
      dialog.Separator()->Button(skComma)->click();
      dialog.Separator()->Button(skTab)->click();
      QVERIFY2(dialog.Problem()->text().startsWith(c.problem), c.name);
    }
    QCOMPARE(APSObjectCount(), 0);
  }

  // A folder that cannot take the file: a read-only one and a "folder" that
  // is a file. Rights that pass over read-only folders (root's) still stop at
  // sysfs, whose top folder takes no new files.
  void unwritableTargetRefusesTheExport() {
    const QString locked = Path(QStringLiteral("locked"));
    QVERIFY(QDir().mkpath(locked));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    QStringList targets{WriteFile(QStringLiteral("plain"), "x") + QStringLiteral("/units.txt")};
    if (!QFileInfo(locked).isWritable())
      targets << locked + QStringLiteral("/units.txt");
    else if (QFileInfo(QStringLiteral("/sys")).isDir())
      targets << QStringLiteral("/sys/units.txt");
    for (const QString& target : targets) {
      sink->messages.clear();
      WhenModal("vandro::TExportDlg", [](QWidget* window) {
        auto* dialog = static_cast<TExportDlg*>(window);
        dialog->What(ewUnits)->click();
        dialog->ContinueButton()->click();
      });
      WhenModal("QFileDialog", [target](QWidget* window) {
        window->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(target);
        QMetaObject::invokeMethod(window, "accept");
      });
      form->Command(QStringLiteral("fileExport"))->trigger();
      QVERIFY2(QString::fromStdString(sink->Last()).startsWith(QStringLiteral("Can't create file")),
               qPrintable(target + QStringLiteral(": ") + QString::fromStdString(sink->Last())));
      QVERIFY(!QFile::exists(target));
      QVERIFY(!QApplication::activeModalWidget());
    }
  }

  // Cancel stops after the line it is on: the lines before are kept, none
  // after, and the project stays sound.
  void cancelledImportKeepsWhatCameBefore() {
    std::string text = "Name\tValue\n";
    const int lines = 60000;
    for (int i = 1; i <= lines; ++i)
      text += "n" + std::to_string(i) + "\t" + std::to_string(i) + "\n";
    const QString file = WriteFile(QStringLiteral("long.txt"), text);
    ChooseFile(file);
    WhenModal("vandro::TImportDlg",
              [](QWidget* window) { static_cast<TImportDlg*>(window)->ContinueButton()->click(); });
    WhenModal("QProgressDialog", [](QWidget* window) {
      QCOMPARE(window->windowTitle(), QStringLiteral("Import progress"));
      static_cast<QProgressDialog*>(window)->cancel();
    });
    form->Command(QStringLiteral("fileImportData"))->trigger();
    const int kept = APSObjectCount();
    QVERIFY2(kept < lines, qPrintable(QString::number(kept)));
    for (int i : {1, kept}) {
      if (i > 0) QVERIFY(APSFindObject("n" + std::to_string(i)) != 0);
    }
    QCOMPARE(APSFindObject("n" + std::to_string(kept + 1)), 0);
    // The header is line 1: the object of the line named is the last kept.
    const std::string stopped = "Import stopped after line " + std::to_string(kept + 1);
    QVERIFY2(std::count(sink->messages.begin(), sink->messages.end(), stopped) == 1,
             stopped.c_str());
    QCOMPARE(sink->Last(), std::to_string(kept) + " new objects. " + std::to_string(kept) +
                               " states were successfully modified");

    // Closed and opened again with the main window's commands: what was
    // kept is there, and the database is sound.
    form->Command(QStringLiteral("fileClose"))->trigger();
    QVERIFY(!CurrentProject());
    ChooseFile(CurrentProjectFile());
    form->Command(QStringLiteral("fileOpen"))->trigger();
    QVERIFY(CurrentProject());
    QCOMPARE(APSObjectCount(), kept);
    QVERIFY(APSFindObject("n" + std::to_string(kept)) != 0);
    QCOMPARE(APSFindObject("n" + std::to_string(kept + 1)), 0);
    auto check = APSDatabase().Query("PRAGMA integrity_check");
    QVERIFY(check.Step());
    QCOMPARE(check.Text(0), std::string("ok"));
  }

  // A full disk: the window says from which line on nothing was stored, and
  // nothing of the import is left.
  void importStoppedByAFullDiskShowsWhereItStopped() {
    std::string text = "_Object_Name\tFlow\n";
    for (int i = 1; i <= 300; ++i)
      text += "n" + std::to_string(i) + "\t" + std::to_string(i) + "\n";
    const QString file = WriteFile(QStringLiteral("full.txt"), text);
    ChooseFile(file);
    WhenModal("vandro::TImportDlg",
              [](QWidget* window) { static_cast<TImportDlg*>(window)->ContinueButton()->click(); });
    {
      testing::TFileSizeLimit full(
          std::filesystem::file_size(Path(QStringLiteral("Ward/Ward.vdb")).toStdString()));
      form->Command(QStringLiteral("fileImportData"))->trigger();
    }
    const std::string& shown = sink->Last();
    const std::string none = ". 0 lines were imported";
    QVERIFY2(shown.rfind("Stopped at line 2: ", 0) == 0, shown.c_str());
    QVERIFY2(shown.size() > none.size() && shown.substr(shown.size() - none.size()) == none,
             shown.c_str());
    QCOMPARE(APSObjectCount(), 0);
    QVERIFY(!CurrentProject()->FindParameter("Flow"));
  }

  // vandro-cli under a file size limit (ulimit -f) is not killed without a
  // word: it stops the import and says so.
  void cliPastTheFileSizeLimitReportsTheStop() {
    const QString project = CurrentProjectFile();
    form->Command(QStringLiteral("fileClose"))->trigger();
    std::string text = "_Object_Name\tFlow\n";
    for (int i = 1; i <= 300; ++i)
      text += "n" + std::to_string(i) + "\t" + std::to_string(i) + "\n";
    const QString file = WriteFile(QStringLiteral("limit.txt"), text);
    const auto blocks =
        std::filesystem::file_size(Path(QStringLiteral("Ward/Ward.vdb")).toStdString()) / 512;
    // The shell is POSIX sh: ulimit -f counts blocks of 512 bytes.
    QProcess cli;
    cli.start(QStringLiteral("/bin/sh"),
              {QStringLiteral("-c"),
               QStringLiteral("ulimit -f %1 && exec \"$0\" import \"$1\" \"$2\"").arg(blocks),
               QStringLiteral(QT_TESTCASE_BUILDDIR) + QStringLiteral("/../cli/vandro-cli"), project,
               file});
    QVERIFY(cli.waitForFinished(30000));
    const QString output =
        QString::fromUtf8(cli.readAllStandardOutput() + cli.readAllStandardError());
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli.exitCode(), 1);
    QVERIFY2(output.contains(QStringLiteral("Stopped at line 2: ")), qPrintable(output));
    QVERIFY2(output.contains(QStringLiteral(". 0 lines were imported")), qPrintable(output));
  }

  void printsTheProjectManagerAsATable() {
    const QString pdf = Path(QStringLiteral("manager.pdf"));
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QMdiArea* area = form->findChild<QMdiArea*>();
    QVERIFY(area->activeSubWindow());
    // The explorer's page shows the project's details as a grid.
    auto* manager = qobject_cast<TProjectManagerForm*>(area->activeSubWindow()->widget());
    QVERIFY(manager);
    manager->findChild<QTabWidget*>()->setCurrentIndex(1);
    QVERIFY(GridToPrint(area->activeSubWindow()->widget()));
    PrintNextToPdf(pdf);
    form->Command(QStringLiteral("filePrint"))->trigger();
    QVERIFY(QFile::exists(pdf));
    const int dark = DarkPixelsOfFirstPage(pdf, dir->path());
    if (dark < 0) QSKIP("pdftoppm (poppler-utils) is not installed");
    QVERIFY2(dark > 50, qPrintable(QString::number(dark)));
  }
};

VANDRO_APP_TEST(ExchangeWindowsTest);

} // namespace vandro::apptest

#include "exchange_windows_test.moc"
