// The editor as a person uses it, in process: opening generated files
// through the Open command until the window has painted the first screen,
// and until the whole file is in, against reading and decoding the same
// bytes; the longest pause of the window meanwhile;
// memory; keystrokes, caret moves and scrolling in the loaded document, each
// timed with the repaint it causes; Select All and Copy; the CPU an idle
// window takes with its caret blinking; and saving it again. Each file is
// measured in a child process of its own. Prints figures only.
//
// Usage: bench_open [megabytes...]   (default: 1 10 100, and a one-line file of 10)

#include "benchkeys.h"

#include "tests/mainwindowfixture.h"

#include "document/frmdocument.h"
#include "textview/textview.h"
#include "text/textmodel.h"

#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

using namespace Bench;

namespace {

struct Timings
{
    QList<double> seconds;
    void add(double s) { seconds << s; }
    double worst() const
    {
        return seconds.isEmpty() ? 0 : *std::max_element(seconds.begin(), seconds.end());
    }
};

// 50 keystrokes of a letter at a place, each with its repaint.
double typingAt(TextView &view, qint64 position)
{
    view.setSelStart(position);
    Timings typing;
    for (int i = 0; i < 50; ++i)
        typing.add(keyAndPaint(view, Qt::Key_A, {}, QStringLiteral("a")));
    return typing.worst();
}

double repeatedKey(TextView &view, Qt::Key key, Qt::KeyboardModifiers modifiers, int times)
{
    Timings steps;
    for (int i = 0; i < times; ++i)
        steps.add(keyAndPaint(view, key, modifiers));
    return steps.worst();
}

// The mouse dragged below the view while selecting: each move scrolls the
// view on and the selection follows.
double dragScroll(TextView &view)
{
    QWidget *area = view.viewport();
    const QPointF inside(10, 10);
    QMouseEvent press(QEvent::MouseButtonPress, inside, area->mapToGlobal(inside), Qt::LeftButton,
                      Qt::LeftButton, {});
    QApplication::sendEvent(area, &press);
    Timings steps;
    QElapsedTimer timer;
    for (int i = 0; i < 50; ++i) {
        const QPointF below(10, area->height() + 5 + i % 3);
        QMouseEvent move(QEvent::MouseMove, below, area->mapToGlobal(below), Qt::NoButton,
                         Qt::LeftButton, {});
        timer.start();
        QApplication::sendEvent(area, &move);
        view.viewport()->repaint();
        steps.add(seconds(timer));
    }
    QMouseEvent release(QEvent::MouseButtonRelease, inside, area->mapToGlobal(inside),
                        Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(area, &release);
    return steps.worst();
}

// The share of a core the process takes while its event loop runs alone.
double idleCpuShare(int milliseconds)
{
    const double before = cpuSeconds();
    QElapsedTimer timer;
    timer.start();
    QEventLoop idle;
    QTimer::singleShot(milliseconds, &idle, &QEventLoop::quit);
    idle.exec();
    return (cpuSeconds() - before) / (timer.elapsed() / 1000.0);
}

void measureEditing(TextView &view, bool oneLine)
{
    // The first jump to the end reads and lays out the text there; then a
    // key typed at the end.
    report("first_ctrl_end_s", keyAndPaint(view, Qt::Key_End, Qt::ControlModifier));
    report("key_after_ctrl_end_s", keyAndPaint(view, Qt::Key_A, {}, QStringLiteral("a")));
    view.setSelStart(0);
    const qint64 length = view.textLength();
    report("key_start_s", typingAt(view, 0));
    report("key_middle_s", typingAt(view, length / 2));
    report("key_end_s", typingAt(view, view.textLength()));
    if (oneLine) {
        view.setSelStart(view.textLength() / 2);
        Timings homeEnd;
        for (int i = 0; i < 25; ++i) {
            homeEnd.add(keyAndPaint(view, Qt::Key_End));
            homeEnd.add(keyAndPaint(view, Qt::Key_Home));
        }
        report("home_end_s", homeEnd.worst());
        QScrollBar *bar = view.horizontalScrollBar();
        Timings scrolling;
        QElapsedTimer timer;
        for (int i = 0; i < 50; ++i) {
            timer.start();
            bar->setValue(int(qint64(bar->maximum()) * i / 49));
            view.viewport()->repaint();
            scrolling.add(seconds(timer));
        }
        report("hscroll_s", scrolling.worst());
        return;
    }
    view.setSelStart(0);
    report("page_down_s", repeatedKey(view, Qt::Key_PageDown, {}, 50));
    Timings ends;
    for (int i = 0; i < 25; ++i) {
        ends.add(keyAndPaint(view, Qt::Key_End, Qt::ControlModifier));
        ends.add(keyAndPaint(view, Qt::Key_Home, Qt::ControlModifier));
    }
    report("ctrl_end_s", ends.worst());
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
    report("drag_scroll_s", dragScroll(view));
}

int measureOpen(const QString &path, const QString &savePath)
{
    MainWindowFixture editor;
    frmMain &window = *editor.window;
    window.resize(1000, 700);
    window.Show();
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
    report("base_mb", statusMegabytes("VmRSS:"));

    // The window's pulse: the longest gap between two ticks is the longest
    // time it could not paint or react. On a machine loaded by others the
    // thread may also wait for a core: the CPU the thread itself took in
    // its longest gap says what was its own work.
    QElapsedTimer pulse;
    double longestPause = 0;
    double longestPauseCpu = 0;
    double lastTickCpu = threadCpuSeconds();
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const double cpu = threadCpuSeconds();
        longestPause = std::max(longestPause, seconds(pulse));
        longestPauseCpu = std::max(longestPauseCpu, cpu - lastTickCpu);
        lastTickCpu = cpu;
        pulse.restart();
    });
    QElapsedTimer timer;
    editor.dialog->answer(path);
    ticker.start();
    pulse.start();
    lastTickCpu = threadCpuSeconds();
    timer.start();
    const double cpuBefore = cpuSeconds();
    window.mnuFileOpen_Click();
    window.repaint();
    report("first_screen_s", seconds(timer));
    frmDocument *document = window.activeDocument();
    if (!document || !editor.messages->messages.isEmpty())
        return 1;
    // The rest of the file comes in while the window goes on.
    while (document->isLoading())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    report("open_s", seconds(timer));
    report("open_cpu_s", cpuSeconds() - cpuBefore);
    ticker.stop();
    report("pause_s", longestPause);
    report("pause_cpu_s", longestPauseCpu);
    report("open_peak_mb", statusMegabytes("VmHWM:"));
    if (!editor.messages->messages.isEmpty())
        return 1;
    auto &view = *static_cast<TextView *>(document->txtText);
    document->parentWidget()->showMaximized();
    view.setFocus();
    QCoreApplication::processEvents();
    report("idle_mb", statusMegabytes("VmRSS:"));
    report("idle_cpu", idleCpuShare(5000));

    measureEditing(view, document->text().lineCount() <= 2);

    // A copy of more than a gigabyte of text would measure the clipboard's
    // memory, not the editor.
    if (document->text().length() <= 1100 * MB) {
        timer.restart();
        window.mnuSelTutto_Click();
        window.mnuEditCopy_Click();
        report("select_copy_s", seconds(timer));
        QGuiApplication::clipboard()->clear();
    }

    editor.dialog->answer(savePath);
    timer.restart();
    window.mnuFileSaveAs_Click();
    report("save_s", seconds(timer));
    return editor.messages->messages.isEmpty() ? 0 : 1;
}

QString ms(const QMap<QString, double> &values, const char *key)
{
    return QString::number(values.value(QLatin1String(key)) * 1000, 'f', 1);
}

void printTables(QTextStream &out, const QList<QPair<QString, QMap<QString, double>>> &results)
{
    out << "| file | first screen ms | open s | open CPU s | wc -l s | cat s | open/wc -l | floor s "
           "| longest pause ms | peak MB | idle MB | idle MB/size | idle CPU |\n"
           "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n";
    for (const auto &[name, r] : results)
        out << "| " << name << " | " << ms(r, "first_screen_s") << " | "
            << QString::number(r.value("open_s"), 'f', 3) << " | "
            << QString::number(r.value("open_cpu_s"), 'f', 3) << " | "
            << QString::number(r.value("wc_s"), 'f', 3) << " | "
            << QString::number(r.value("cat_s"), 'f', 3) << " | "
            << QString::number(r.value("open_s") / r.value("wc_s"), 'f', 1) << "x | "
            << QString::number(r.value("floor_s"), 'f', 3) << " | "
            << ms(r, "pause_s") << " (" << ms(r, "pause_cpu_s") << " CPU) | " << QString::number(r.value("open_peak_mb"), 'f', 0)
            << " | " << QString::number(r.value("idle_mb"), 'f', 0) << " | "
            << QString::number(r.value("idle_mb") / r.value("size_mb"), 'f', 2) << "x | "
            << QString::number(r.value("idle_cpu") * 100, 'f', 2) << "% |"
            << (r.contains("failed") ? " FAILED" : "") << "\n";
    out << "\nKeystrokes and moves with their repaint, worst of 50 (ms)\n\n"
           "| file | first Ctrl+End | key after it | key at start | key in middle | key at end | "
           "Page Down | Ctrl+End/Home | drag-scroll | Home/End | horizontal scroll | "
           "Select All + Copy | Save As |\n"
           "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n";
    for (const auto &[name, r] : results)
        out << "| " << name << " | " << ms(r, "first_ctrl_end_s") << " | "
            << ms(r, "key_after_ctrl_end_s") << " | " << ms(r, "key_start_s") << " | "
            << ms(r, "key_middle_s")
            << " | " << ms(r, "key_end_s") << " | " << ms(r, "page_down_s") << " | "
            << ms(r, "ctrl_end_s") << " | " << ms(r, "drag_scroll_s") << " | "
            << ms(r, "home_end_s") << " | " << ms(r, "hscroll_s") << " | " << ms(r, "select_copy_s")
            << " | " << ms(r, "save_s") << " |\n";
}

int runAll(const QStringList &sizes)
{
    QTemporaryDir folder;
    QTextStream out(stdout);
    QList<QPair<qint64, Shape>> cases;
    for (const QString &size : sizes)
        cases << qMakePair(size.toLongLong(), Shape::Lines);
    if (sizes.isEmpty())
        cases = {{1, Shape::Lines},
                 {10, Shape::Lines},
                 {100, Shape::Lines},
                 {10, Shape::OneLine},
                 {100, Shape::BreaksOnly}};
    QList<QPair<QString, QMap<QString, double>>> results;
    for (const auto &[megabytes, shape] : cases) {
        const QString path =
            folder.filePath(QStringLiteral("f-%1-%2.txt").arg(megabytes).arg(int(shape)));
        if (!writeFile(path, generate(megabytes * MB, shape)))
            return 1;
        QMap<QString, double> values =
            runChild({QStringLiteral("--open"), path, path + QStringLiteral(".saved")});
        values.insert(QStringLiteral("floor_s"),
                      runChild({QStringLiteral("--floor"), path}).value("floor_s"));
        values.insert(QStringLiteral("size_mb"), double(megabytes));
        values.insert(QStringLiteral("wc_s"),
                      commandSeconds(QStringLiteral("wc"), {QStringLiteral("-l"), path}).first);
        values.insert(QStringLiteral("cat_s"), commandSeconds(QStringLiteral("cat"), {path}).first);
        QFile::remove(path + QStringLiteral(".saved"));
        QFile::remove(path);
        const char *kind = shape == Shape::OneLine      ? ", one line"
                           : shape == Shape::BreaksOnly ? " of CR LF only"
                                                        : "";
        results << qMakePair(QStringLiteral("%1 MB%2").arg(megabytes).arg(QLatin1String(kind)),
                             values);
    }
    printTables(out, results);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--floor") == 0) {
        QCoreApplication app(argc, argv);
        return measureFloor(QString::fromLocal8Bit(argv[2])).isEmpty() ? 1 : 0;
    }
    if (argc == 4 && qstrcmp(argv[1], "--open") == 0) {
        QApplication app(argc, argv);
        return measureOpen(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QCoreApplication app(argc, argv);
    return runAll(app.arguments().mid(1));
}
