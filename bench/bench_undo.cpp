// Undo and redo: typing 10,000 characters in a text view and undoing them
// all, a step at a time with its repaint, and the memory the history takes
// a typed character; 10,000 and 100,000 random edits of a 100 MB model,
// undone all and redone all, against the text at the start and at the end;
// and on a 100 MB document in a view, Ctrl+A and Delete, Ctrl+Z, Ctrl+Y,
// each timed with its repaint, with the peak memory against the idle
// document's. Each measurement runs in a child process of its own. Prints
// figures only.
//
// Usage: bench_undo

#include "benchkeys.h"
#include "benchsupport.h"
#include "modelloading.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextStream>

#include <malloc.h>

using namespace Bench;

namespace {

double heapBytes()
{
    return double(mallinfo2().uordblks);
}

// A digest of the text, whatever chunks hold it.
QByteArray digest(const TextModel &model)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    QString piece;
    model.forEachSpan(0, model.length(), [&](const TextSpan &span) {
        piece.clear();
        span.appendTo(piece);
        hash.addData(QByteArrayView(reinterpret_cast<const char *>(piece.utf16()),
                                    piece.size() * qsizetype(sizeof(char16_t))));
        return true;
    });
    return hash.result();
}

int typing()
{
    TextModel model;
    TextView view(model);
    view.resize(800, 600);
    view.show();
    const QString words[] = {"lorem", "ipsum", "dolor", "sit", "amet,", "perché", "città"};
    QRandomGenerator random(7);
    QString text;
    while (text.size() < 10000)
        text += words[random.bounded(int(std::size(words)))] + u' ';
    text.truncate(10000);
    const double heapBefore = heapBytes();
    QElapsedTimer timer;
    timer.start();
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, c == u' ' ? Qt::Key_Space : Qt::Key_A, {}, QString(c));
        QApplication::sendEvent(&view, &press);
    }
    report("typing_s", seconds(timer));
    const qsizetype steps = model.history().undoCount();
    report("typing_steps", steps);
    // The text itself, one byte a character in its chunk, is left out.
    report("history_bytes_per_char", (heapBytes() - heapBefore - model.length()) / model.length());
    QList<double> undo;
    while (model.history().canUndo())
        undo << keyAndPaint(view, Qt::Key_Z, Qt::ControlModifier);
    report("undo_step_median_ms", median(undo) * 1e3);
    report("undo_step_worst_ms", *std::max_element(undo.begin(), undo.end()) * 1e3);
    report("undone_to_empty", model.isEmpty());
    return 0;
}

int randomEdits(const QString &path, int count)
{
    TextModel model;
    if (!loadModel(model, path))
        return 1;
    const QByteArray start = digest(model);
    QRandomGenerator random(5);
    const double rssBefore = statusMegabytes("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        const qint64 position = qint64(random.bounded(double(model.length())));
        if (random.bounded(2) == 0)
            model.replace(position, position,
                          random.bounded(8) == 0 ? QStringLiteral("ab\r\n")
                                                 : QStringLiteral("xyz"));
        else
            model.replace(position, position + 1 + random.bounded(4), QStringView());
    }
    report("edits_us", seconds(timer) / count * 1e6);
    report("history_mb", (statusMegabytes("VmRSS:") - rssBefore));
    const QByteArray end = digest(model);
    timer.start();
    while (model.history().undo()) {
    }
    report("undo_all_s", seconds(timer));
    report("undo_us", seconds(timer) / count * 1e6);
    report("start_again", digest(model) == start);
    timer.start();
    while (model.history().redo()) {
    }
    report("redo_all_s", seconds(timer));
    report("redo_us", seconds(timer) / count * 1e6);
    report("end_again", digest(model) == end);
    return 0;
}

int selectAll(const QString &path)
{
    TextModel model;
    TextView view(model);
    view.resize(800, 600);
    view.show();
    if (!loadModel(model, path))
        return 1;
    view.viewport()->repaint();
    const qint64 length = model.length();
    resetPeakMemory();
    const double idle = statusMegabytes("VmRSS:");
    double worst = 0;
    const auto step = [&](const char *name, Qt::Key key, Qt::KeyboardModifiers modifiers) {
        const double s = keyAndPaint(view, key, modifiers);
        report(name, s);
        worst = std::max(worst, statusMegabytes("VmHWM:"));
    };
    keyAndPaint(view, Qt::Key_A, Qt::ControlModifier);
    step("delete_s", Qt::Key_Delete, {});
    const bool emptied = model.isEmpty();
    step("undo_s", Qt::Key_Z, Qt::ControlModifier);
    const bool back = model.length() == length;
    step("redo_s", Qt::Key_Y, Qt::ControlModifier);
    report("right", emptied && back && model.isEmpty());
    report("idle_mb", idle);
    report("peak_ratio", worst / idle);
    return 0;
}

QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() >= 2 && arguments[1] == QStringLiteral("--typing"))
        return typing();
    if (arguments.size() >= 4 && arguments[1] == QStringLiteral("--random"))
        return randomEdits(arguments[2], arguments[3].toInt());
    if (arguments.size() >= 3 && arguments[1] == QStringLiteral("--select-all"))
        return selectAll(arguments[2]);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("100.txt"));
    if (!writeFile(path, generate(100 * MB, Shape::Lines)))
        return 1;
    QTextStream out(stdout);
    const auto typed = runChild({QStringLiteral("--typing")});
    out << "Typing 10,000 characters in a view, then Ctrl+Z until nothing is left:\n"
        << "  " << number(typed.value("typing_steps"), 0) << " steps, history "
        << number(typed.value("history_bytes_per_char"), 1) << " bytes a typed character;"
        << " a Ctrl+Z with its repaint: median " << number(typed.value("undo_step_median_ms"), 3)
        << " ms, worst " << number(typed.value("undo_step_worst_ms"), 3)
        << " ms; empty again: " << (typed.value("undone_to_empty") ? "yes" : "NO") << "\n";
    out << "Random edits of 100 MB, then undo all, then redo all (per step):\n";
    for (const int count : {10000, 100000}) {
        const auto r = runChild({QStringLiteral("--random"), path, QString::number(count)});
        out << "  " << count << " edits: edit " << number(r.value("edits_us"), 1) << " us, undo "
            << number(r.value("undo_us"), 1) << " us (all " << number(r.value("undo_all_s"), 2)
            << " s), redo " << number(r.value("redo_us"), 1) << " us (all "
            << number(r.value("redo_all_s"), 2) << " s); history "
            << number(r.value("history_mb"), 1) << " MB; start and end identical: "
            << (r.value("start_again") && r.value("end_again") ? "yes" : "NO") << "\n";
    }
    const auto s = runChild({QStringLiteral("--select-all"), path});
    out << "100 MB in a view: Ctrl+A then Delete " << number(s.value("delete_s"), 3)
        << " s, Ctrl+Z " << number(s.value("undo_s"), 3) << " s, Ctrl+Y "
        << number(s.value("redo_s"), 3) << " s (each with its repaint); peak "
        << number(s.value("peak_ratio"), 2) << "x the idle document's "
        << number(s.value("idle_mb"), 0) << " MB; text right: " << (s.value("right") ? "yes" : "NO")
        << "\n";
    return typed.contains("failed") || s.contains("failed") ? 1 : 0;
}
