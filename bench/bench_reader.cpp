// What assistive technology and a person's hands ask of the text box on a
// large document, in process: the whole text and the value as a screen
// reader asks for them, a line, a word and a character at an offset, and
// the caret stepping over a character with hundreds or a hundred thousand
// marks. Prints figures only.
//
// Usage: bench_reader [megabytes]   (default: 100)

#include "benchsupport.h"

#include "text/textmodel.h"
#include "text/textnavigation.h"
#include "textview/textview.h"

#include <QAccessible>
#include <QApplication>
#include <QTextStream>

using namespace Bench;

namespace {

// The worst of repeated calls, in milliseconds.
template <class Call> double worstMs(int times, Call call)
{
    double worst = 0;
    for (int i = 0; i < times; ++i) {
        QElapsedTimer timer;
        timer.start();
        call(i);
        worst = std::max(worst, seconds(timer) * 1000);
    }
    return worst;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 100;
    QTextStream out(stdout);
    TextModel model;
    model.setText(QString::fromLatin1(generate(megabytes * MB, Shape::Lines)));
    TextView view(model);
    QAccessibleInterface *box = QAccessible::queryAccessibleInterface(&view);
    QAccessibleTextInterface *reader = box->textInterface();
    const double peakBefore = statusMegabytes("VmHWM:");
    const qint64 length = model.length();
    int from = 0;
    int to = 0;

    out << "| " << megabytes << " MB of lines | worst ms |\n|---|---:|\n";
    out << "| whole text, text(0, -1) | " << worstMs(5, [&](int) { reader->text(0, -1); })
        << " |\n";
    out << "| value | " << worstMs(5, [&](int) { box->valueInterface()->currentValue(); })
        << " |\n";
    out << "| line at an offset, across the text | " << worstMs(50, [&](int i) {
        reader->textAtOffset(int(std::min<qint64>(length * i / 50, INT_MAX)),
                             QAccessible::LineBoundary, &from, &to);
    }) << " |\n";
    out << "| word at an offset, across the text | " << worstMs(50, [&](int i) {
        reader->textAtOffset(int(std::min<qint64>(length * i / 50, INT_MAX)),
                             QAccessible::WordBoundary, &from, &to);
    }) << " |\n";
    out << "| peak memory added by the reads | " << statusMegabytes("VmHWM:") - peakBefore
        << " MB |\n";

    for (const int marks : {300, 100000}) {
        TextModel cluster;
        cluster.setText(QStringLiteral("xa") + QString(marks, QChar(0x301)) + QStringLiteral("y"));
        qint64 position = 1;
        out << "| Right from before a letter with " << marks << " marks | "
            << worstMs(1, [&](int) { position = TextNavigation::nextCharacter(cluster, position); })
            << " |\n";
        out << "| Right inside it, 100 times | " << worstMs(100, [&](int) {
            position = TextNavigation::nextCharacter(cluster, position);
        }) << " |\n";
    }
    TextModel token;
    token.setText(QString(1 << 16, QLatin1Char('a')));
    out << "| the word at the middle of a 64 Ki token | "
        << worstMs(5, [&](int) { TextNavigation::wordAt(token, 1 << 15); }) << " |\n";
    return 0;
}
