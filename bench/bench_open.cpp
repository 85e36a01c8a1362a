// Opens generated text files of growing size through the Open command and
// reports: seconds until the text is in the box and the window has painted,
// against reading and decoding the same file alone; the longest pause of the
// window while the file loads; peak memory; typing and scrolling in the
// loaded document; and saving it again against a plain write of the same
// bytes. Each file is measured in a fresh process, so that peak memory is
// that file's own. Prints figures only; asserts nothing.
//
// Usage: bench_open [megabytes...]   (default: 1 10 100, and a one-line file of 10)

#include "tests/mainwindowfixture.h"

#include "document/frmdocument.h"
#include "document/textfileformat.h"
#include "platform/textview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdio>

#include <unistd.h>

namespace {

constexpr qint64 MB = 1024 * 1024;

// A field of /proc/self/status in megabytes (VmHWM: peak resident memory).
double statusMegabytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toDouble() / 1024;
    return -1;
}

double seconds(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e9;
}

void report(const char *key, double value)
{
    std::printf("%s=%.6f\n", key, value);
}

QByteArray generate(qint64 bytes, bool oneLine)
{
    QByteArray file;
    file.reserve(bytes + 100);
    const QByteArray words[] = {"lorem ",  "ipsum ", "dolor ", "sit ",         "amet, ",
                                "perché ", "città ", "però ",  "consectetur ", "adipiscing "};
    QRandomGenerator random(42);
    QByteArray line;
    while (file.size() < bytes) {
        line += words[random.bounded(int(std::size(words)))];
        if (!oneLine && line.size() >= 58) {
            file += line + "\r\n";
            line.clear();
        } else if (oneLine) {
            file += line;
            line.clear();
        }
    }
    return file;
}

// Reading and decoding alone: the floor under any open.
int measureFloor(const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray bytes = file.readAll();
    const QString text = QString::fromUtf8(bytes);
    report("floor_s", seconds(timer));
    timer.restart();
    const QString ours = TextFileFormat::decode(bytes);
    report("decode_s", seconds(timer));
    report("floor_peak_mb", statusMegabytes("VmHWM:"));
    return text.isEmpty() && ours.isEmpty() ? 1 : 0;
}

// A main window on test doubles, as the tests build it.
using Editor = MainWindowFixture;

struct Timings
{
    double worst = 0;
    double total = 0;
    int count = 0;
    void add(double s)
    {
        worst = std::max(worst, s);
        total += s;
        ++count;
    }
    double average() const { return count ? total / count : 0; }
};

int measureOpen(const QString &path, const QString &savePath)
{
    Editor editor;
    frmMain &window = *editor.window;
    window.resize(1000, 700);
    window.Show();
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
    report("base_mb", statusMegabytes("VmRSS:"));

    // The window's pulse: the longest gap between two ticks is the longest
    // time it could not paint or react.
    QElapsedTimer pulse;
    double longestPause = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestPause = std::max(longestPause, seconds(pulse));
        pulse.restart();
    });

    QElapsedTimer timer;
    editor.dialog->answer(path);
    ticker.start();
    pulse.start();
    timer.start();
    window.mnuFileOpen_Click();
    window.repaint();
    const double openSeconds = seconds(timer);
    ticker.stop();
    frmDocument *document = window.activeDocument();
    if (!document || !editor.messages->messages.isEmpty()) {
        std::printf("error=%s\n", qPrintable(editor.messages->messages.join(u' ')));
        return 1;
    }
    report("open_s", openSeconds);
    report("pause_s", longestPause);
    report("open_peak_mb", statusMegabytes("VmHWM:"));

    // Typing in the middle of the text and at its end.
    auto *box = static_cast<TextView *>(document->txtText);
    box->setFocus();
    // A document where each step takes seconds gets a few steps only.
    const auto enough = [](const Timings &t, int count) {
        return t.count >= count || (t.count >= 5 && t.total > 5);
    };
    Timings typing;
    for (const qsizetype start : {box->textLength() / 2, box->textLength()}) {
        box->setSelStart(start);
        for (int i = 0; i < 60 && !enough(typing, 120); ++i) {
            const bool enter = i % 15 == 14;
            QKeyEvent press(QEvent::KeyPress, enter ? Qt::Key_Return : Qt::Key_A, Qt::NoModifier,
                            enter ? QStringLiteral("\r") : QStringLiteral("a"));
            QKeyEvent release(QEvent::KeyRelease, enter ? Qt::Key_Return : Qt::Key_A,
                              Qt::NoModifier);
            timer.restart();
            QApplication::sendEvent(box, &press);
            QApplication::sendEvent(box, &release);
            box->viewport()->repaint();
            typing.add(seconds(timer));
        }
    }
    report("key_worst_s", typing.worst);
    report("key_average_s", typing.average());

    // Scrolling: jumps anywhere, and page by page.
    Timings scrolling;
    QScrollBar *bar = box->verticalScrollBar();
    QRandomGenerator random(1);
    for (int i = 0; i < 40 && !enough(scrolling, 40); ++i) {
        timer.restart();
        bar->setValue(random.bounded(bar->maximum() + 1));
        box->viewport()->repaint();
        scrolling.add(seconds(timer));
    }
    for (int i = 0; i < 40 && !enough(scrolling, 80); ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        timer.restart();
        QApplication::sendEvent(box, &press);
        box->viewport()->repaint();
        scrolling.add(seconds(timer));
    }
    report("scroll_worst_s", scrolling.worst);
    report("scroll_average_s", scrolling.average());

    // Saving the whole text, against a plain write of the same bytes.
    editor.dialog->answer(savePath);
    timer.restart();
    window.mnuFileSaveAs_Click();
    report("save_s", seconds(timer));
    report("save_peak_mb", statusMegabytes("VmHWM:"));
    if (!editor.messages->messages.isEmpty())
        return 1;
    timer.restart();
    const QString text = box->Text();
    report("text_s", seconds(timer));
    timer.restart();
    const std::optional<QByteArray> bytes = TextFileFormat::encode(text);
    report("encode_s", seconds(timer));
    if (!bytes)
        return 1;
    // The best of three writes to a new file, as the save makes one.
    double plainWrite = 1e9, plainSyncedWrite = 1e9;
    for (int round = 0; round < 3; ++round) {
        for (const bool synced : {false, true}) {
            const QString plainPath = savePath + QStringLiteral(".plain");
            QFile::remove(plainPath);
            timer.restart();
            QFile plain(plainPath);
            if (!plain.open(QIODevice::WriteOnly) || plain.write(*bytes) != bytes->size())
                return 1;
            plain.flush();
            if (synced)
                ::fsync(plain.handle());
            plain.close();
            double &best = synced ? plainSyncedWrite : plainWrite;
            best = std::min(best, seconds(timer));
            QFile::remove(plainPath);
        }
    }
    report("plain_write_s", plainWrite);
    {
        const QString atomicPath = savePath + QStringLiteral(".atomic");
        timer.restart();
        QSaveFile atomic(atomicPath);
        if (!atomic.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
            atomic.write(*bytes) != bytes->size() || !atomic.commit())
            return 1;
        report("save_file_s", seconds(timer));
        QFile::remove(atomicPath);
    }
    report("plain_write_sync_s", plainSyncedWrite);
    return 0;
}

QMap<QString, double> runChild(const QStringList &arguments)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    child.waitForFinished(-1);
    QMap<QString, double> values;
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            values.insert(QString::fromUtf8(line.left(equals)), line.mid(equals + 1).toDouble());
        if (line.startsWith("error="))
            std::fprintf(stderr, "%s\n", line.constData());
    }
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        values.insert(QStringLiteral("failed"), 1);
    return values;
}

int runAll(const QStringList &sizes)
{
    QTemporaryDir folder;
    QTextStream out(stdout);
    struct Case
    {
        qint64 megabytes;
        bool oneLine;
    };
    QList<Case> cases;
    for (const QString &size : sizes)
        cases << Case{size.toLongLong(), false};
    if (sizes.isEmpty())
        cases = {{1, false}, {10, false}, {100, false}, {10, true}};

    out << "Opening (seconds until the text is in the box and painted; floor = read + "
           "QString::fromUtf8)\n";
    out << qSetFieldWidth(14) << Qt::left << "file"
        << "open s"
        << "floor s"
        << "open/floor"
        << "decode s"
        << "longest pause"
        << "peak MB"
        << "peak-base/size" << qSetFieldWidth(0) << "\n";
    QList<QPair<QString, QMap<QString, double>>> results;
    for (const Case &c : cases) {
        const QString name =
            QStringLiteral("%1 MB%2").arg(c.megabytes).arg(c.oneLine ? " 1 line" : "");
        const QString path =
            folder.filePath(QStringLiteral("file-%1-%2.txt").arg(c.megabytes).arg(c.oneLine));
        {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) ||
                file.write(generate(c.megabytes * MB, c.oneLine)) < 0)
                return 1;
        }
        const QMap<QString, double> floor = runChild({QStringLiteral("--floor"), path});
        QMap<QString, double> open =
            runChild({QStringLiteral("--open"), path, path + QStringLiteral(".saved")});
        QFile::remove(path + QStringLiteral(".saved"));
        QFile::remove(path);
        const double size = double(c.megabytes);
        out << qSetFieldWidth(14) << name << QString::number(open.value("open_s"), 'f', 3)
            << QString::number(floor.value("floor_s"), 'f', 3)
            << QString::number(open.value("open_s") / floor.value("floor_s"), 'f', 1) + "x"
            << QString::number(floor.value("decode_s"), 'f', 3)
            << QString::number(open.value("pause_s") * 1000, 'f', 0) + " ms"
            << QString::number(open.value("open_peak_mb"), 'f', 0)
            << QString::number((open.value("open_peak_mb") - open.value("base_mb")) / size, 'f',
                               1) +
                   "x"
            << qSetFieldWidth(0)
            << (open.contains("failed") || floor.contains("failed") ? " FAILED" : "") << Qt::endl;
        results << qMakePair(name, open);
    }

    out << "\nEditing the loaded document (milliseconds, key press and repaint)\n";
    out << qSetFieldWidth(14) << Qt::left << "file"
        << "key avg"
        << "key worst"
        << "scroll avg"
        << "scroll worst" << qSetFieldWidth(0) << "\n";
    for (const auto &[name, open] : results)
        out << qSetFieldWidth(14) << name
            << QString::number(open.value("key_average_s") * 1000, 'f', 2)
            << QString::number(open.value("key_worst_s") * 1000, 'f', 2)
            << QString::number(open.value("scroll_average_s") * 1000, 'f', 2)
            << QString::number(open.value("scroll_worst_s") * 1000, 'f', 2) << qSetFieldWidth(0)
            << Qt::endl;

    out << "\nSaving the loaded text (seconds; plain = best QFile write of the same bytes to a "
           "new file; the save's parts: Text(), encoding, QSaveFile write and commit)\n";
    out << qSetFieldWidth(14) << Qt::left << "file"
        << "save s"
        << "plain s"
        << "save/plain"
        << "plain+fsync s"
        << "Text() s"
        << "encode s"
        << "QSaveFile s"
        << "peak MB" << qSetFieldWidth(0) << "\n";
    for (const auto &[name, open] : results)
        out << qSetFieldWidth(14) << name << QString::number(open.value("save_s"), 'f', 3)
            << QString::number(open.value("plain_write_s"), 'f', 3)
            << QString::number(open.value("save_s") / open.value("plain_write_s"), 'f', 1) + "x"
            << QString::number(open.value("plain_write_sync_s"), 'f', 3)
            << QString::number(open.value("text_s"), 'f', 3)
            << QString::number(open.value("encode_s"), 'f', 3)
            << QString::number(open.value("save_file_s"), 'f', 3)
            << QString::number(open.value("save_peak_mb"), 'f', 0) << qSetFieldWidth(0) << Qt::endl;
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--floor") == 0) {
        QCoreApplication app(argc, argv);
        return measureFloor(QString::fromLocal8Bit(argv[2]));
    }
    if (argc == 4 && qstrcmp(argv[1], "--open") == 0) {
        QApplication app(argc, argv);
        return measureOpen(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QCoreApplication app(argc, argv);
    QStringList sizes = app.arguments().mid(1);
    return runAll(sizes);
}
