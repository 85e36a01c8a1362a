#include "platform/sessionbushandover.h"

#include <QDBusConnectionInterface>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Files handed from a later start of the program to the one running in the
// desktop session, over a message bus of the test's own.
class TestHandOver : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void theRunningProgramTakesTheFiles();
    void withNoneToTakeThemNothingIsHanded();
    void theNextProgramTakesOverWhenTheFirstEnds();
    void aSecondStartHandsOverAndEnds_data();
    void aSecondStartHandsOverAndEnds();

private:
    // A connection of its own to the test's bus, as another process has.
    QDBusConnection connect();

    QProcess bus_;
    QString address_;
    int connections_ = 0;
};

namespace {

// The paths of every hand-over a program took, one list each.
struct Received
{
    QList<QStringList> handOvers;
    FileHandOver::Receive receiver()
    {
        return [this](const QStringList &paths) { handOvers << paths; };
    }
};

} // namespace

void TestHandOver::initTestCase()
{
    bus_.start(QStringLiteral("dbus-daemon"),
               {QStringLiteral("--session"), QStringLiteral("--nofork"),
                QStringLiteral("--print-address")});
    if (!bus_.waitForStarted())
        QSKIP("dbus-daemon is not installed (scripts/install-deps.sh installs it)");
    QTRY_VERIFY(bus_.canReadLine());
    address_ = QString::fromUtf8(bus_.readLine()).trimmed();
    QVERIFY(!address_.isEmpty());
}

void TestHandOver::cleanupTestCase()
{
    bus_.terminate();
    bus_.waitForFinished();
}

QDBusConnection TestHandOver::connect()
{
    const QDBusConnection bus =
        QDBusConnection::connectToBus(address_, QStringLiteral("test%1").arg(++connections_));
    [&] { QVERIFY(bus.isConnected()); }();
    return bus;
}

void TestHandOver::theRunningProgramTakesTheFiles()
{
    Received received;
    SessionBusHandOver running(connect());
    running.receive(received.receiver());
    SessionBusHandOver later(connect());
    const QStringList files{QStringLiteral("/tmp/due parole.txt"), QStringLiteral("/tmp/b.txt")};

    QVERIFY(later.handOver(files));
    QVERIFY(later.handOver({QStringLiteral("/tmp/c.txt")}));

    QTRY_COMPARE(received.handOvers.size(), 2);
    QCOMPARE(received.handOvers[0], files);
    QCOMPARE(received.handOvers[1], QStringList{QStringLiteral("/tmp/c.txt")});
}

void TestHandOver::withNoneToTakeThemNothingIsHanded()
{
    SessionBusHandOver later(connect());
    QVERIFY(!later.handOver({QStringLiteral("/tmp/a.txt")}));

    Received received;
    SessionBusHandOver noBus(QDBusConnection(QStringLiteral("not connected")));
    noBus.receive(received.receiver());
    QVERIFY(!noBus.handOver({QStringLiteral("/tmp/a.txt")}));
    QVERIFY(!later.handOver({QStringLiteral("/tmp/a.txt")}));
}

// A program started while another takes the files waits its turn, and
// takes them as soon as the first one has ended.
void TestHandOver::theNextProgramTakesOverWhenTheFirstEnds()
{
    Received first;
    Received next;
    auto running = std::make_unique<SessionBusHandOver>(connect());
    running->receive(first.receiver());
    SessionBusHandOver waiting(connect());
    waiting.receive(next.receiver());
    SessionBusHandOver later(connect());

    QVERIFY(later.handOver({QStringLiteral("/tmp/a.txt")}));
    QTRY_COMPARE(first.handOvers.size(), 1);
    running.reset();
    QVERIFY(later.handOver({QStringLiteral("/tmp/b.txt")}));
    QTRY_COMPARE(next.handOvers, QList<QStringList>{{QStringLiteral("/tmp/b.txt")}});
    QCOMPARE(first.handOvers.size(), 1);
}

void TestHandOver::aSecondStartHandsOverAndEnds_data()
{
    QTest::addColumn<bool>("running");
    QTest::newRow("a program running") << true;
    QTest::newRow("none running: it starts on its own") << false;
}

// The program itself, started with a relative path while another runs in
// the session: the one running gets the full path, and the start ends with
// status 0. With none running, it starts and takes the files itself.
void TestHandOver::aSecondStartHandsOverAndEnds()
{
    QFETCH(bool, running);
    Received received;
    SessionBusHandOver first(connect());
    if (running)
        first.receive(received.receiver());
    QTemporaryDir folder;
    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(environment);
    second.setWorkingDirectory(folder.path());
    second.start(QStringLiteral(VIDIZIZOR_BINARY), {QStringLiteral("nota.txt")});
    QVERIFY(second.waitForStarted());

    if (running) {
        QTRY_COMPARE(second.state(), QProcess::NotRunning);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE(
            received.handOvers,
            QList<QStringList>{{QDir(folder.path()).filePath(QStringLiteral("nota.txt"))}});
        return;
    }
    QDBusConnectionInterface &bus = *connect().interface();
    const QString service = QString::fromLatin1(SessionBusHandOver::Service);
    QTRY_VERIFY_WITH_TIMEOUT(bus.isServiceRegistered(service).value(), 20000);
    QCOMPARE(qint64(bus.servicePid(service).value()), second.processId());
    QCOMPARE(second.state(), QProcess::Running);
    second.terminate();
    QVERIFY(second.waitForFinished());
}

QTEST_GUILESS_MAIN(TestHandOver)
#include "tst_handover.moc"
