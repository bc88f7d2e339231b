#include "app/shell/message_box.h"
#include "app/shell/text_edge.h"
#include "app_test_support.h"
#include "shell/settings.h"
#include "storage/database.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace vandro::apptest {

class MessageBoxTest : public QObject {
  Q_OBJECT

  const TWindowPlacement main{40, 30, 1000, 700};

  // Presses Enter in the box once it is open.
  static void PressEnterInTheBox() {
    WhenModal("vandro::TMessageBoxDlg",
              [](QWidget* box) { QTest::keyClick(box->focusWidget(), Qt::Key_Return); });
  }

private slots:
  void aMessageOfThreeLines() {
    TMessageBoxDlg box(main);
    box.Prepare(TMessageBoxKind::Information, QStringLiteral("one\r\ntwo\r\nthree"));
    const int h = box.LineHeight();
    QCOMPARE(box.height(), 3 * h + 128);
    QCOMPARE(box.width(), 387);
    QCOMPARE(box.pos(), QPoint(40 + (1000 - 387) / 2, 30 + (700 - box.height()) / 2));
    QCOMPARE(box.windowTitle(), QStringLiteral("Message Box"));
    QCOMPARE(box.Label()->text(), QStringLiteral("one\ntwo\nthree"));
    QCOMPARE(box.Label()->pos(), QPoint(56, 48));
    QVERIFY(!box.CancelButton()->isVisibleTo(&box));
    QCOMPARE(box.OkButton()->text(), QStringLiteral("OK"));
    QVERIFY(box.OkButton()->isDefault());
    QCOMPARE(box.OkButton()->geometry().bottom() + 1, box.height() - 20);
    QCOMPARE(box.OkButton()->geometry().center().x(), box.width() / 2);
  }

  void aLineTooLongForTheWidestBoxWraps() {
    TMessageBoxDlg box(main);
    const QString path = QStringLiteral("/home/somebody/") + QString(60, QLatin1Char('x')) +
                         QStringLiteral("/") + QString(60, QLatin1Char('y')) +
                         QStringLiteral("/project.vdp");
    box.Prepare(TMessageBoxKind::Information,
                QStringLiteral("Can't open the project ") + path + QString(20, QLatin1Char('z')));
    const int lines = static_cast<int>(box.Label()->text().count(QLatin1Char('\n'))) + 1;
    QVERIFY(lines >= 2);
    QCOMPARE(box.height(), lines * box.LineHeight() + 128);
    QVERIFY(box.Label()->sizeHint().width() <= box.Label()->width());
    QVERIFY(box.Label()->text().remove(QLatin1Char('\n')).contains(path));
  }

  void aListShowsFifteenLinesOfText() {
    TMessageBoxDlg box(main);
    box.Prepare(TMessageBoxKind::List, QStringLiteral("a\nb\nc"));
    QVERIFY(box.ListArea()->isVisibleTo(&box));
    QVERIFY(!box.Label()->isVisibleTo(&box));
    QCOMPARE(box.height(), 15 * box.LineHeight() + 128);
    QCOMPARE(box.ListArea()->toPlainText(), QStringLiteral("a\nb\nc"));
  }

  void questionsAnswerTheirDefaultOnEnter() {
    TSettings settings; // not loaded: defaults, nothing written
    TMessageBoxSink messageBox(settings);
    const ScopedMessageSink scope(messageBox);

    PressEnterInTheBox();
    QVERIFY(!Ask("Delete it?", false));
    PressEnterInTheBox();
    QVERIFY(Ask("Keep it?", true));

    TMessageBoxDlg box(main);
    box.Prepare(TMessageBoxKind::Question, QStringLiteral("Sure?"), false);
    QCOMPARE(box.OkButton()->text(), QStringLiteral("Yes"));
    QCOMPARE(box.CancelButton()->text(), QStringLiteral("No"));
    QVERIFY(box.CancelButton()->isDefault());
    QVERIFY(!box.OkButton()->isDefault());
    QCOMPARE(box.OkButton()->y(), box.CancelButton()->y());
    QCOMPARE(box.height(), box.LineHeight() + 128);
  }

  void aSystemErrorLeadsWithItsReasonAndStaysWholeOnTheScreen() {
    QTemporaryDir dir;
    TRecordingSink sink;
    TDatabase database;
    QVERIFY(database.Open(dir.filePath(QStringLiteral("Broken.vdb")).toStdString(),
                          TDatabase::TMode::Create));
    bool raised = false;
    try {
      Guarded([&] { database.Execute("DROP TABLE nothing_here"); });
    } catch (const ErrorException&) {
      raised = true;
    }
    QVERIFY(raised);
    QVERIFY(sink.Last().starts_with("System Error: Something wrong."));
    const std::vector<std::string> lines = MessageLines(sink.Last());
    const auto line = [&](const std::string& start) {
      for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].starts_with(start)) return static_cast<int>(i);
      return -1;
    };
    QVERIFY(line("no such table: nothing_here") > 0);
    QVERIFY(line("no such table") < line("(DROP TABLE"));
    QCOMPARE(line("(DROP TABLE"), static_cast<int>(lines.size()) - 1);

    // The main window mostly beyond the screen's right and lower edges.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    TMessageBoxDlg box(TWindowPlacement{screen.right() - 100, screen.bottom() - 100, 1000, 700});
    box.Prepare(TMessageBoxKind::Information, FromCore(sink.Last()));
    QVERIFY(box.width() <= screen.width());
    QVERIFY2(screen.contains(QRect(box.pos(), box.size())), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                           .arg(box.x())
                                                                           .arg(box.y())
                                                                           .arg(box.width())
                                                                           .arg(box.height())));
  }

  void coreTextIsShownInUnicode() {
    TSettings settings;
    TMessageBoxSink messageBox(settings);
    const ScopedMessageSink scope(messageBox);
    QString shown;
    WhenModal("vandro::TMessageBoxDlg", [&shown](QWidget* box) {
      shown = static_cast<TMessageBoxDlg*>(box)->Label()->text();
      static_cast<TMessageBoxDlg*>(box)->accept();
    });
    ShowMsg("5 \xB1 1 \xEA\xE3"); // "5 ± 1 кг" in code page 1251
    QCOMPARE(shown, QStringLiteral("5 \u00B1 1 \u043A\u0433"));
  }
};

VANDRO_APP_TEST(MessageBoxTest);

} // namespace vandro::apptest

#include "message_box_test.moc"
