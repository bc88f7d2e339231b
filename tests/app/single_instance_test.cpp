#include "app/shell/single_instance.h"
#include "app_test_support.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QUuid>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace vandro::apptest {

class SingleInstanceTest : public QObject {
  Q_OBJECT

  static QString UniqueName() {
    return QStringLiteral("vandro-test-") + QUuid::createUuid().toString(QUuid::Id128);
  }

private slots:
  void aSecondStartHandsOverAndEnds() {
    const QString name = UniqueName();
    TSingleInstance first(name);
    QVERIFY(!first.ActivateRunning({})); // nobody runs yet
    QVERIFY(first.Listen());
    QSignalSpy activations(&first, &TSingleInstance::activationRequested);

    TSingleInstance second(name);
    QVERIFY(second.ActivateRunning(
        QStringLiteral("/home/ann/\u041F\u0440\u043E\u0435\u043A\u0442.vdp")));
    QTRY_COMPARE(activations.size(), 1);
    QCOMPARE(activations.at(0).at(0).toString(),
             QStringLiteral("/home/ann/\u041F\u0440\u043E\u0435\u043A\u0442.vdp"));

    // A start that lost the race to listen finds the winner instead.
    TSingleInstance late(name);
    QVERIFY(!late.Listen());

    TSingleInstance third(name);
    QVERIFY(third.ActivateRunning({}));
    QTRY_COMPARE(activations.size(), 2);
    QVERIFY(activations.at(1).at(0).toString().isEmpty());
  }

  void theSocketOfACrashedInstanceIsTakenOver() {
    const QString name = UniqueName();
    // An instance that crashed leaves its socket file behind, bound to
    // nobody.
    const QByteArray file = QDir(QDir::tempPath()).filePath(name).toLocal8Bit();
    const int leftover = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, file.constData(), sizeof address.sun_path - 1);
    QCOMPARE(::bind(leftover, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(leftover);
    QVERIFY(QFile::exists(QString::fromLocal8Bit(file)));

    TSingleInstance next(name);
    QVERIFY(!next.ActivateRunning({}));
    QVERIFY(next.Listen());
    QVERIFY(TSingleInstance(name).ActivateRunning({}));
  }
};

VANDRO_APP_TEST(SingleInstanceTest);

} // namespace vandro::apptest

#include "single_instance_test.moc"
