// The text view alone, in a window of 55 lines and 1280 pixels: a letter
// typed at the end of the first line, with the repaint it causes, when the
// lines in view are of one shape or another (80 characters of prose, 300
// digits and commas, 1000, 4000, 4096 and 4097 characters, a 10 MB line).
// Each keystroke is timed, in processor time of the thread, with the
// repaint of what it changed (as the window paints it) and with a repaint
// of the whole view; worst and median of 50. Then Page Down through a document of 4000-character
// lines, with the memory it leaves, and Ctrl+G to lines all over a document
// of 20 million lines, each jump with its repaint. Prints figures only.
//
// Usage: bench_view

#include "benchsupport.h"

#include "tests/support/textshapes.h"
#include "text/textmodel.h"
#include "textview/gotolinedialog.h"
#include "textview/textview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QScrollBar>
#include <QSpinBox>
#include <QTextStream>

#include <ctime>

using namespace Bench;
using TextShapes::repeated;

namespace {

constexpr int LinesInView = 55;

QString digits(qsizetype length)
{
    QString line;
    for (int i = 0; line.size() < length; ++i)
        line += QString::number(i * 1024) + u',';
    line.truncate(length);
    return line;
}

QString document(const QString &line, int lines)
{
    QString text;
    text.reserve((line.size() + 2) * lines);
    for (int i = 0; i < lines; ++i)
        text += line + QStringLiteral("\r\n");
    return text;
}

void pressKey(TextView &view, Qt::Key key, const QString &text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, {}, text);
    QKeyEvent release(QEvent::KeyRelease, key, {}, text);
    QApplication::sendEvent(&view, &press);
    QApplication::sendEvent(&view, &release);
}

struct Figures
{
    double worst = 0;
    double median = 0;
};

Figures figures(const QList<double> &times)
{
    return {*std::max_element(times.begin(), times.end()), Bench::median(times)};
}

// The processor time this thread took, in seconds: other programs on a
// loaded machine do not count.
double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// 50 letters typed at the end of the first line, each timed with a repaint.
Figures typing(TextView &view, bool wholeView)
{
    pressKey(view, Qt::Key_End);
    view.viewport()->repaint();
    QList<double> times;
    for (int i = 0; i < 50; ++i) {
        const double start = threadSeconds();
        pressKey(view, Qt::Key_9, QStringLiteral("9"));
        if (wholeView)
            view.viewport()->repaint();
        else
            QCoreApplication::processEvents();
        times << threadSeconds() - start;
    }
    return figures(times);
}

void measureShape(QTextStream &out, const QString &name, const QString &line, int lines)
{
    TextModel model;
    model.setText(document(line, lines));
    TextView view(model);
    view.resize(1280, LinesInView * view.lineHeight() + 2 * TextView::Margin +
                          view.horizontalScrollBar()->sizeHint().height());
    view.show();
    view.setFocus();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    const Figures shown = typing(view, false);
    const Figures whole = typing(view, true);
    out << "| " << name << " | " << QString::number(shown.worst * 1000, 'f', 2) << " | "
        << QString::number(shown.median * 1000, 'f', 2) << " | "
        << QString::number(whole.worst * 1000, 'f', 2) << " | "
        << QString::number(whole.median * 1000, 'f', 2) << " |\n";
    out.flush();
}

void measurePaging(QTextStream &out)
{
    TextModel model;
    model.setText(document(repeated(QStringLiteral("lorem ipsum dolor sit amet "), 4000), 2500));
    TextView view(model);
    view.resize(1280, 1000);
    view.show();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    const double loaded = statusMegabytes("VmRSS:");
    QList<double> times;
    while (view.cursor().position() < model.lineStart(model.lineCount() - 1)) {
        const double start = threadSeconds();
        pressKey(view, Qt::Key_PageDown);
        view.viewport()->repaint();
        times << threadSeconds() - start;
    }
    const Figures paging = figures(times);
    out << "\nPage Down through 2500 lines of 4000 characters: worst "
        << QString::number(paging.worst * 1000, 'f', 2) << " ms, median "
        << QString::number(paging.median * 1000, 'f', 2) << " ms; "
        << (statusMegabytes("VmRSS:") - loaded) << " MB more memory after paging ("
        << view.layouts().cachedCharacters() << " characters laid out in the cache)\n";
}

// Ctrl+G, a line number and Return, as a person gives them, to lines spread
// over the document, from its end back to its start.
void measureGoToLine(QTextStream &out)
{
    constexpr int Lines = 20'000'000;
    TextModel model;
    model.setText(document(QStringLiteral("riga di prova"), Lines));
    TextView view(model);
    view.resize(1280, 1000);
    view.show();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    QList<double> times;
    for (int line = Lines; line > 0; line -= Lines / 50) {
        const double start = threadSeconds();
        QKeyEvent ctrlG(QEvent::KeyPress, Qt::Key_G, Qt::ControlModifier);
        QApplication::sendEvent(&view, &ctrlG);
        const QPointer<GoToLineDialog> dialog = view.findChild<GoToLineDialog *>();
        dialog->lineField->setValue(line);
        dialog->accept();
        view.viewport()->repaint();
        times << threadSeconds() - start;
        delete dialog.data(); // if it did not go at once
        if (view.cursor().position() != model.lineStart(line - 1))
            out << "FAILED: the caret is not at the start of line " << line << "\n";
    }
    const Figures jumps = figures(times);
    out << "\nCtrl+G to 50 lines over 20 million, with the dialog and the repaint: worst "
        << QString::number(jumps.worst * 1000, 'f', 2) << " ms, median "
        << QString::number(jumps.median * 1000, 'f', 2) << " ms\n";
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    out << "Keystroke at the end of the first line, with its repaint, 55 lines in view "
           "(ms of processor time)\n\n"
           "| lines | as painted, worst | median | whole view, worst | median |\n"
           "|---|---:|---:|---:|---:|\n";
    const QString prose = QStringLiteral("lorem ipsum dolor sit amet, perché città ");
    measureShape(out, QStringLiteral("80 characters"), repeated(prose, 80), 200);
    measureShape(out, QStringLiteral("300 digits"), digits(300), 200);
    measureShape(out, QStringLiteral("1000 characters"), repeated(prose, 1000), 200);
    measureShape(out, QStringLiteral("4000 characters"), repeated(prose, 4000), 200);
    measureShape(out, QStringLiteral("4096 characters"), repeated(prose, 4096), 200);
    measureShape(out, QStringLiteral("4097 characters"), repeated(prose, 4097), 200);
    measureShape(out, QStringLiteral("10 MB line"), repeated(prose, 10'000'000), 1);
    measurePaging(out);
    measureGoToLine(out);
    return 0;
}
