// Find and replace on a 100 MB model of 60-character lines: a search that
// misses across the whole text (exact and ignoring case), the next match
// 50 MB ahead, and replacing every occurrence of a frequent word, with the
// memory that takes against the memory of the loaded document. Then the
// same on 4 MB (as UTF-8) of decomposed letters, "e" + U+0301 in lines of
// 60: a search for "e" that finds no whole character, and replace-all of
// "e" (nothing to replace) and of the decomposed letter by the composed
// one. Run in a child process of its own, so that peak memory is its own.
// Prints figures only.
//
// Usage: bench_find

#include "benchsupport.h"
#include "modelloading.h"

#include "text/replaceall.h"
#include "text/textmodel.h"
#include "text/textsearch.h"

#include <QTemporaryDir>
#include <QTextStream>

#include <ctime>

using namespace Bench;

namespace {

// CPU time of this thread: the machine may be busy with other work.
double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + now.tv_nsec / 1e9;
}

// The median of a few runs of one search from the start of the text, and
// where it found something (-1 for nothing).
void measureFirst(const TextModel &model, const SearchQuery &query, const char *name)
{
    QList<double> times, cpuTimes;
    qint64 found = -2;
    QElapsedTimer timer;
    for (int round = 0; round < 5; ++round) {
        const double cpu = cpuSeconds();
        timer.start();
        const std::optional<TextSearch::Match> match =
            TextSearch(model, query).first(0, model.length());
        times << seconds(timer);
        cpuTimes << cpuSeconds() - cpu;
        found = match ? match->from : -1;
    }
    report(qPrintable(QStringLiteral("%1_s").arg(QLatin1String(name))), median(times));
    report(qPrintable(QStringLiteral("%1_cpu_s").arg(QLatin1String(name))), median(cpuTimes));
    report(qPrintable(QStringLiteral("%1_at").arg(QLatin1String(name))), double(found));
}

// Replace-all as one edit, with the peak memory it reaches.
bool measureReplaceAll(TextModel &model, const SearchQuery &query, const QString &replacement,
                       const char *name)
{
    const auto key = [name](const char *what) {
        return QStringLiteral("%1_%2").arg(QLatin1String(name), QLatin1String(what)).toLatin1();
    };
    resetPeakMemory();
    const double before = statusMegabytes("VmRSS:");
    QElapsedTimer timer;
    const double cpu = cpuSeconds();
    timer.start();
    const qint64 count = replaceAll(model, query, replacement, 0, model.length());
    report(key("s"), seconds(timer));
    report(key("cpu_s"), cpuSeconds() - cpu);
    report(key("count"), double(count));
    report(key("before_mb"), before);
    report(key("peak_mb"), statusMegabytes("VmHWM:"));
    report(key("after_mb"), statusMegabytes("VmRSS:"));
    return count > 0;
}

int measure(const QString &path)
{
    TextModel model;
    if (!loadModel(model, path))
        return 1;
    report("idle_mb", statusMegabytes("VmRSS:"));
    measureFirst(model, {QStringLiteral("zanzara"), true, false}, "miss");
    measureFirst(model, {QStringLiteral("ZANZARA"), false, false}, "miss_any_case");
    measureFirst(model, {QStringLiteral("z"), true, false}, "miss_one_letter");
    measureFirst(model, {QStringLiteral("zanzara"), true, true}, "miss_whole_word");
    const qint64 middle = model.lineStart(model.lineAt(model.length() / 2));
    model.replace(middle, middle, u"zanzara ");
    measureFirst(model, {QStringLiteral("zanzara"), true, false}, "ahead");
    measureFirst(model, {QStringLiteral("Zanzara"), false, false}, "ahead_any_case");
    model.replace(middle, middle + 8, QStringView());

    const bool replaced = measureReplaceAll(model, {QStringLiteral("lorem"), true, false},
                                            QStringLiteral("LOREM!"), "lorem") &&
                          measureReplaceAll(model, {QStringLiteral("\r\n"), true, false},
                                            QStringLiteral("\n"), "crlf");
    return replaced ? 0 : 1;
}

// 4 MB of "e" + U+0301 as a file would hold them in UTF-8, lines of 60.
QString decomposedText()
{
    const QString line = QString(QStringLiteral("e\u0301")).repeated(60) + QStringLiteral("\r\n");
    const qint64 lineBytes = 60 * 3 + 2;
    return line.repeated(qsizetype(4 * MB / lineBytes));
}

int measureDecomposed()
{
    TextModel model;
    model.setText(decomposedText());
    model.history().clear();
    report("decomposed_idle_mb", statusMegabytes("VmRSS:"));
    measureFirst(model, {QStringLiteral("e"), true, false}, "decomposed_e");
    measureFirst(model, {QStringLiteral("E"), false, false}, "decomposed_e_any_case");
    measureFirst(model, {QStringLiteral("e\u0301"), true, false}, "decomposed_whole");
    // What Find visits, one match after the other, is what replace-all
    // replaces: both count them here.
    report("decomposed_found",
           double(TextSearch(model, {QStringLiteral("e\u0301"), true, false})
                      .forEach(0, model.length(), [](const TextSearch::Match &) { return true; })));
    measureReplaceAll(model, {QStringLiteral("e"), true, false}, QStringLiteral("E"), "replace_e");
    return measureReplaceAll(model, {QStringLiteral("e\u0301"), true, false},
                             QStringLiteral("\u00e9"), "replace_whole")
               ? 0
               : 1;
}

QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

int runAll()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("lines-100.txt"));
    if (!writeFile(path, generate(100 * MB, Shape::Lines)))
        return 1;
    const QMap<QString, double> f = runChild({QStringLiteral("--measure"), path});
    QTextStream out(stdout);
    out << "Find and replace in a 100 MB model of 60-character lines (Latin-1 chunks; "
           "median of 5 searches from the start; wall and CPU seconds)\n\n"
           "| search | wall s | CPU s | found at |\n|---|---:|---:|---:|\n";
    const auto row = [&](const char *label, const char *key) {
        const QString k = QLatin1String(key);
        out << "| " << label << " | " << number(f.value(k + "_s"), 4) << " | "
            << number(f.value(k + "_cpu_s"), 4) << " | " << number(f.value(k + "_at"), 0) << " |\n";
    };
    row("\"zanzara\", absent, exact case", "miss");
    row("\"ZANZARA\", absent, any case", "miss_any_case");
    row("\"z\", absent, exact case", "miss_one_letter");
    row("\"zanzara\", absent, whole word", "miss_whole_word");
    row("\"zanzara\" 50 MB ahead, exact case", "ahead");
    row("\"Zanzara\" 50 MB ahead, any case", "ahead_any_case");
    out << "\nReplace all, as one edit (idle: the process with the document loaded)\n\n"
           "| replace | matches | wall s | CPU s | idle MB | peak MB | peak/idle | after MB |\n"
           "|---|---:|---:|---:|---:|---:|---:|---:|\n";
    const auto replaceRow = [&](const char *label, const char *key) {
        const auto v = [&](const char *what) {
            return f.value(QStringLiteral("%1_%2").arg(QLatin1String(key), QLatin1String(what)));
        };
        out << "| " << label << " | " << number(v("count"), 0) << " | " << number(v("s"), 3)
            << " | " << number(v("cpu_s"), 3) << " | " << number(f.value("idle_mb"), 0) << " | "
            << number(v("peak_mb"), 0) << " | " << number(v("peak_mb") / f.value("idle_mb"), 2)
            << "x | " << number(v("after_mb"), 0) << " |\n";
    };
    replaceRow("\"lorem\" with \"LOREM!\"", "lorem");
    replaceRow("every CR LF with LF", "crlf");

    const QMap<QString, double> d = runChild({QStringLiteral("--decomposed")});
    out << "\nThe same on 4 MB (as UTF-8) of \"e\" + U+0301 in lines of 60 (UTF-16 chunks)\n\n"
           "| search | wall s | CPU s | found at |\n|---|---:|---:|---:|\n";
    const auto decomposedRow = [&](const char *label, const char *key) {
        const QString k = QLatin1String(key);
        out << "| " << label << " | " << number(d.value(k + "_s"), 4) << " | "
            << number(d.value(k + "_cpu_s"), 4) << " | " << number(d.value(k + "_at"), 0) << " |\n";
    };
    decomposedRow("\"e\", no whole character, exact case", "decomposed_e");
    decomposedRow("\"E\", no whole character, any case", "decomposed_e_any_case");
    decomposedRow("\"e\" + U+0301, the first", "decomposed_whole");
    out << "\n| replace | matches | found by Find | wall s | CPU s | idle MB | peak MB |\n"
           "|---|---:|---:|---:|---:|---:|---:|\n";
    const auto decomposedReplace = [&](const char *label, const char *key, double found) {
        const auto v = [&](const char *what) {
            return d.value(QStringLiteral("%1_%2").arg(QLatin1String(key), QLatin1String(what)));
        };
        out << "| " << label << " | " << number(v("count"), 0) << " | " << number(found, 0) << " | "
            << number(v("s"), 3) << " | " << number(v("cpu_s"), 3) << " | "
            << number(d.value("decomposed_idle_mb"), 0) << " | " << number(v("peak_mb"), 0)
            << " |\n";
    };
    decomposedReplace("\"e\" with \"E\"", "replace_e", 0);
    decomposedReplace("\"e\" + U+0301 with \"\u00e9\"", "replace_whole",
                      d.value("decomposed_found"));
    return f.contains("failed") || d.contains("failed") ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.size() == 2 && arguments[0] == u"--measure")
        return measure(arguments[1]);
    if (arguments.size() == 1 && arguments[0] == u"--decomposed")
        return measureDecomposed();
    return runAll();
}
