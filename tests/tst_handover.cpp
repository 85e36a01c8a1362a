#include "mainwindowfixture.h"

#include "platform/sessionbushandover.h"

#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

#ifdef Q_OS_LINUX
#include <sys/inotify.h>
#include <unistd.h>
#endif

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
    void thousandsOfMissingFilesCostLittle();
    void aStoppedProgramLeavesTheFilesToTheStart();

private:
    // A connection of its own to the test's bus, as another process has.
    QDBusConnection connect();
    // Starts the program itself in folder, in the test's session.
    void start(QProcess &program, const QStringList &arguments, const QString &folder);

    QProcess bus_;
    QTemporaryDir session_;
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

#ifdef Q_OS_LINUX
// The names of the files of a folder that any program opens, once each time.
struct Opens
{
    int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QStringList names;
    explicit Opens(const QString &folder)
    {
        inotify_add_watch(fd, QFile::encodeName(folder).constData(), IN_OPEN);
    }
    ~Opens() { ::close(fd); }
    qsizetype of(const QString &name)
    {
        alignas(inotify_event) char events[4096];
        for (ssize_t size; (size = ::read(fd, events, sizeof events)) > 0;)
            for (char *at = events; at < events + size;) {
                const auto *event = reinterpret_cast<const inotify_event *>(at);
                names << QFile::decodeName(event->name);
                at += sizeof(inotify_event) + event->len;
            }
        return names.count(name);
    }
};
#endif

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
    // The session of this test: its bus, and its folder where requests are
    // claimed, shared with the programs it starts.
    qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(session_.path()));
    // The programs started keep their journals here, never among the user's.
    qputenv("XDG_STATE_HOME", QFile::encodeName(session_.filePath(QStringLiteral("state"))));
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

void TestHandOver::start(QProcess &program, const QStringList &arguments, const QString &folder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(folder);
    program.start(QStringLiteral(VIDIZIZOR_BINARY), arguments);
    QVERIFY(program.waitForStarted());
}

// Paths come as the start that hands them over means them, relative ones
// from its own folder.
void TestHandOver::theRunningProgramTakesTheFiles()
{
    Received received;
    SessionBusHandOver running(connect());
    running.receive(received.receiver());
    SessionBusHandOver later(connect());
    const QStringList files{QStringLiteral("/tmp/due parole.txt"), QStringLiteral("/tmp/b.txt")};

    QVERIFY(later.handOver(QStringLiteral("/"), files));
    QVERIFY(later.handOver(QStringLiteral("/altrove"), {QStringLiteral("c.txt")}));

    QTRY_COMPARE(received.handOvers.size(), 2);
    QCOMPARE(received.handOvers[0], files);
    QCOMPARE(received.handOvers[1], QStringList{QStringLiteral("/altrove/c.txt")});
}

void TestHandOver::withNoneToTakeThemNothingIsHanded()
{
    SessionBusHandOver later(connect());
    QVERIFY(!later.handOver(QStringLiteral("/"), {QStringLiteral("/tmp/a.txt")}));

    Received received;
    SessionBusHandOver noBus(QDBusConnection(QStringLiteral("not connected")));
    noBus.receive(received.receiver());
    QVERIFY(!noBus.handOver(QStringLiteral("/"), {QStringLiteral("/tmp/a.txt")}));
    QVERIFY(!later.handOver(QStringLiteral("/"), {QStringLiteral("/tmp/a.txt")}));
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

    QVERIFY(later.handOver(QStringLiteral("/"), {QStringLiteral("/tmp/a.txt")}));
    QTRY_COMPARE(first.handOvers.size(), 1);
    running.reset();
    QVERIFY(later.handOver(QStringLiteral("/"), {QStringLiteral("/tmp/b.txt")}));
    QTRY_COMPARE(next.handOvers, QList<QStringList>{{QStringLiteral("/tmp/b.txt")}});
    QCOMPARE(first.handOvers.size(), 1);
}

void TestHandOver::aSecondStartHandsOverAndEnds_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("name"); // of the file in the start's folder
    QTest::newRow("a program running") << true << "nota.txt"
                                       << "nota.txt";
    QTest::newRow("an address relative to the folder") << true << "file:due%20parole.txt"
                                                       << "due parole.txt";
    QTest::newRow("none running: it starts on its own") << false << "nota.txt"
                                                        << "nota.txt";
}

// The program itself, started in a folder of its own while another runs in
// the session: the one running gets the file of that folder, and the start
// ends with status 0. With none running, it starts and takes the files
// itself.
void TestHandOver::aSecondStartHandsOverAndEnds()
{
    QFETCH(bool, running);
    QFETCH(QString, argument);
    QFETCH(QString, name);
    Received received;
    SessionBusHandOver first(connect());
    if (running)
        first.receive(received.receiver());
    QTemporaryDir folder;
    QProcess second;
    start(second, {argument}, folder.path());

    if (running) {
        QTRY_COMPARE(second.state(), QProcess::NotRunning);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE(received.handOvers, QList<QStringList>{{QDir(folder.path()).filePath(name)}});
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

// One request of five thousand files that are not there: a hundred are
// tried, the rest told in the same one message, and the program takes the
// next request as it comes. Closing the window gives the bus name up at once.
void TestHandOver::thousandsOfMissingFilesCostLittle()
{
    MainWindowFixture editor;
    editor.window->Show();
    SessionBusHandOver::forSession(editor.window.get())->receive([&](const QStringList &paths) {
        editor.window->OpenFiles(paths);
    });
    QStringList missing;
    for (int i = 0; i < 5000; ++i)
        missing << QStringLiteral("manca%1.txt").arg(i);
    SessionBusHandOver later(connect());

    QVERIFY(later.handOver(session_.path(), missing));
    QTRY_COMPARE(editor.messages->messages.size(), 1);
    QVERIFY(editor.messages->messages.front().startsWith(u"Impossibile aprire 100 file:\n"));
    QVERIFY(editor.messages->messages.front().endsWith(
        u"\ne altri 90.\nAltri 4900 file non sono stati aperti: se ne aprono al massimo 100 alla "
        u"volta."));
    QTRY_COMPARE(editor.window->documents().size(), 1);
    QFile(session_.filePath(QStringLiteral("c'è.txt"))).open(QIODevice::WriteOnly);
    QVERIFY(later.handOver(session_.path(), {QStringLiteral("c'è.txt")}));
    QTRY_COMPARE(editor.window->documents().size(), 2);

    editor.window->mnuFileExit_Click();
    QVERIFY(!connect().interface()->isServiceRegistered(
        QString::fromLatin1(SessionBusHandOver::Service)));
}

// The program running in the session is stopped: a start hands a file over,
// gets no answer, and opens the file itself. When the stopped program goes
// on, it takes later requests but leaves that file alone.
void TestHandOver::aStoppedProgramLeavesTheFilesToTheStart()
{
#ifdef Q_OS_LINUX
    QTemporaryDir folder;
    for (const char *name : {"consegnato.txt", "dopo.txt"})
        QFile(folder.filePath(QLatin1String(name))).open(QIODevice::WriteOnly);
    Opens opens(folder.path());
    QProcess first;
    start(first, {}, folder.path());
    QDBusConnectionInterface &bus = *connect().interface();
    const QString service = QString::fromLatin1(SessionBusHandOver::Service);
    QTRY_VERIFY_WITH_TIMEOUT(bus.servicePid(service).value() == first.processId(), 20000);
    ::kill(pid_t(first.processId()), SIGSTOP);

    QProcess second;
    start(second, {QStringLiteral("consegnato.txt")}, folder.path());
    QTRY_VERIFY_WITH_TIMEOUT(opens.of(QStringLiteral("consegnato.txt")) > 0, 20000);
    QCOMPARE(second.state(), QProcess::Running);
    second.kill();
    QVERIFY(second.waitForFinished());
    const qsizetype opensByTheStart = opens.of(QStringLiteral("consegnato.txt"));

    ::kill(pid_t(first.processId()), SIGCONT);
    QVERIFY(SessionBusHandOver(connect()).handOver(folder.path(), {QStringLiteral("dopo.txt")}));
    QTRY_VERIFY_WITH_TIMEOUT(opens.of(QStringLiteral("dopo.txt")) > 0, 20000);
    QCOMPARE(opens.of(QStringLiteral("consegnato.txt")), opensByTheStart);
    first.kill();
    QVERIFY(first.waitForFinished());
#else
    QSKIP("the opens of a file are counted with inotify");
#endif
}

QTEST_MAIN(TestHandOver)
#include "tst_handover.moc"
