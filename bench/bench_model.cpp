// The text model alone, without a window: loading files of growing size
// straight from their bytes into the model, against reading and decoding the
// same bytes; one-character edits at the start, middle and end of a large
// model; many random edits; and saving the model as a stream, against a
// plain write of the same bytes. Each file is measured in a child process of
// its own, so that peak memory is that file's own. Prints figures only.
//
// Usage: bench_model [--no-gigabyte]
//        bench_model --file PATH   (a file of yours, beside wc -l, cat and a copy)

#include "benchsupport.h"
#include "modelloading.h"

#include "textfile/filesaver.h"
#include "textfile/textregion.h"
#include "textfile/textfileformat.h"
#include "text/textmodel.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>


#include <atomic>
#include <thread>

#include <unistd.h>

using namespace Bench;

namespace {

// The floor, and our own strict decoder into a string for reference.
int measureDecoding(const QString &path)
{
    const QByteArray bytes = measureFloor(path);
    QElapsedTimer timer;
    timer.start();
    const QString ours = TextFileFormat::decode(bytes);
    report("decode_s", seconds(timer));
    return ours.isEmpty() ? 1 : 0;
}

// One-character inserts and deletes at a place, each timed alone.
void measureEditsAt(TextModel &model, qint64 position, const char *name)
{
    const qint64 lines = model.lineCount();
    QList<double> inserts, deletes;
    QElapsedTimer timer;
    for (int i = 0; i < 2000; ++i) {
        timer.start();
        model.replace(position, position, u"x");
        inserts << seconds(timer);
        timer.start();
        model.replace(position, position + 1, QStringView());
        deletes << seconds(timer);
    }
    const bool indexRight =
        model.lineCount() == lines && model.lineStart(model.lineAt(position)) <= position;
    report(qPrintable(QStringLiteral("insert_%1_us").arg(QLatin1String(name))),
           median(inserts) * 1e6);
    report(qPrintable(QStringLiteral("delete_%1_us").arg(QLatin1String(name))),
           median(deletes) * 1e6);
    report(qPrintable(QStringLiteral("index_%1_right").arg(QLatin1String(name))), indexRight);
}

// Lines looked up at random, by number and by position: the mean time of
// one, while the chunks' break tables are made and once they are, and the
// memory the tables take.
void measureLookups(const TextModel &model)
{
    QRandomGenerator random(9);
    const double before = statusMegabytes("VmRSS:");
    constexpr int Count = 200000;
    qint64 sum = 0;
    QElapsedTimer timer;
    for (const char *pass : {"first", "again"}) {
        timer.start();
        for (int i = 0; i < Count; ++i)
            sum += model.lineStart(qint64(random.bounded(double(model.lineCount()))));
        report(qPrintable(QStringLiteral("line_start_%1_ns").arg(QLatin1String(pass))),
               seconds(timer) * 1e9 / Count);
    }
    timer.start();
    for (int i = 0; i < Count; ++i)
        sum += model.lineAt(qint64(random.bounded(double(model.length()))));
    report("line_at_ns", seconds(timer) * 1e9 / Count);
    report("tables_mb", statusMegabytes("VmRSS:") - before);
    report("lookup_checksum", double(sum % 1000));
}

// Random inserts and deletes of a few characters anywhere, timed in blocks
// of a quarter, with the memory they leave behind.
void measureRandomEdits(TextModel &model)
{
    QRandomGenerator random(5);
    const double before = statusMegabytes("VmRSS:");
    qint64 inserted = 0;
    QElapsedTimer timer;
    for (int block = 1; block <= 4; ++block) {
        timer.start();
        for (int i = 0; i < 25000; ++i) {
            const qint64 position = qint64(random.bounded(double(model.length())));
            if (random.bounded(2) == 0) {
                const QString text =
                    random.bounded(8) == 0 ? QStringLiteral("ab\r\n") : QStringLiteral("xyz");
                model.replace(position, position, text);
                inserted += text.size();
            } else {
                model.replace(position, position + 1 + random.bounded(4), QStringView());
            }
        }
        report(qPrintable(QStringLiteral("random_block%1_s").arg(block)), seconds(timer));
    }
    report("random_growth_mb", statusMegabytes("VmRSS:") - before);
    report("random_inserted_mb", inserted * 2.0 / MB);
}

// Saving as the program does, to a new file and then over it again (which
// keeps the file's identity), against plain writes of the same bytes.
bool measureSave(const TextModel &model, const QString &savePath)
{
    const auto save = [&model, &savePath] {
        FileSaver saver;
        return TextFileFormat::canEncode(model) &&
               saver.save(savePath, [&model](const FileSaver::Write &write) {
                   return TextFileFormat::encode(model, write);
               });
    };
    resetPeakMemory();
    const double before = statusMegabytes("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    bool written = save();
    report("save_s", seconds(timer));
    report("save_extra_mb", statusMegabytes("VmHWM:") - before);
    timer.start();
    written = written && save();
    report("save_over_s", seconds(timer));

    const QByteArray bytes = *TextFileFormat::encode(model.text());
    for (const bool synced : {false, true}) {
        double best = 1e9;
        for (int round = 0; round < 3; ++round) {
            const QString plainPath = savePath + QStringLiteral(".plain");
            QFile::remove(plainPath);
            timer.start();
            QFile plain(plainPath);
            written = written && plain.open(QIODevice::WriteOnly) &&
                      plain.write(bytes) == bytes.size() && plain.flush() &&
                      (!synced || ::fsync(plain.handle()) == 0);
            plain.close();
            best = std::min(best, seconds(timer));
            QFile::remove(plainPath);
        }
        report(synced ? "plain_sync_s" : "plain_s", best);
    }
    QFile saved(savePath);
    written = written && saved.open(QIODevice::ReadOnly) && saved.readAll() == bytes;
    QFile::remove(savePath);
    return written;
}

int measureModel(const QString &path, bool everything)
{
    TextModel model;
    QElapsedTimer timer;
    timer.start();
    if (!loadModel(model, path))
        return 1;
    const qint64 target = std::min<qint64>(1000000, model.lineCount() - 1);
    const qint64 answer = model.lineStart(target);
    report("load_s", seconds(timer));
    report("load_peak_mb", statusMegabytes("VmHWM:"));
    report("model_mb", statusMegabytes("VmRSS:"));
    report("lines", double(model.lineCount()));
    measureLookups(model);
    if (answer < 0 || !everything)
        return answer < 0 ? 1 : 0;
    if (!measureSave(model, path + QStringLiteral(".saved")))
        return 1;
    measureEditsAt(model, 0, "start");
    measureEditsAt(model, model.length() / 2, "middle");
    measureEditsAt(model, model.length(), "end");
    measureRandomEdits(model);
    return 0;
}

QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

// A large file of the user's, loaded and saved again in this process:
// the load and the save, with the memory and CPU they take.
int measureHugeModel(const QString &path)
{
    TextModel model;
    QElapsedTimer timer;
    timer.start();
    const double cpuBefore = cpuSeconds();
    if (!loadModel(model, path))
        return 1;
    report("load_s", seconds(timer));
    report("load_cpu_s", cpuSeconds() - cpuBefore);
    report("load_peak_mb", statusMegabytes("VmHWM:"));
    report("lines", double(model.lineCount()));
    const QString savePath = path + QStringLiteral(".saved");
    timer.start();
    FileSaver saver;
    const bool saved = TextFileFormat::canEncode(model) &&
                       saver.save(savePath, [&model](const FileSaver::Write &write) {
                           return TextFileFormat::encode(model, write);
                       });
    report("save_s", seconds(timer));
    QFile::remove(savePath);
    return saved ? 0 : 1;
}

// The floor under any load into memory of the program's own: the file read
// on the load's threads into memory new to the process, as the load reads
// it (a region each, each block's room backed before it is read into), and
// nothing else done.
int measureNewMemory(const QString &path)
{
    constexpr qint64 Block = 256 << 10;
    const qint64 size = QFileInfo(path).size();
    const int threads = FileLoad::defaultThreads();
    std::vector<std::shared_ptr<TextRegion>> regions(size_t(threads), nullptr);
    std::atomic<bool> failed = false;
    QElapsedTimer timer;
    timer.start();
    const double cpuBefore = cpuSeconds();
    std::vector<std::thread> readers;
    for (int k = 0; k < threads; ++k) {
        readers.emplace_back([&, k] {
            const qint64 begin = size / threads * k;
            const qint64 end = k + 1 == threads ? size : size / threads * (k + 1);
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || !file.seek(begin)) {
                failed = true;
                return;
            }
            TextRegion &region = *(regions[size_t(k)] = TextRegion::make(end - begin + Block));
            for (qint64 at = 0; at < end - begin;) {
                region.prepare(at, Block);
                const qint64 read = file.read(region.data() + at, std::min(Block, end - begin - at));
                if (read <= 0) {
                    failed = true;
                    return;
                }
                at += read;
            }
        });
    }
    for (std::thread &reader : readers)
        reader.join();
    report("new_memory_s", seconds(timer));
    report("new_memory_cpu_s", cpuSeconds() - cpuBefore);
    return failed ? 1 : 0;
}

// The model's load and save of a file that is already there, beside wc -l,
// cat and a copy with fsync of the same file in the same run.
int runOnFile(const QString &path)
{
    QTextStream out(stdout);
    const QString copy = path + QStringLiteral(".copy");
    const auto [wc, wcCpu] = commandSeconds(QStringLiteral("wc"), {QStringLiteral("-l"), path});
    const auto [cat, catCpu] = commandSeconds(QStringLiteral("cat"), {path});
    const QMap<QString, double> newMemory = runChild({QStringLiteral("--new-memory"), path});
    const QMap<QString, double> model = runChild({QStringLiteral("--huge"), path});
    const auto [copied, copyCpu] = commandSeconds(
        QStringLiteral("dd"), {QStringLiteral("if=") + path, QStringLiteral("of=") + copy,
                               QStringLiteral("bs=4M"), QStringLiteral("conv=fsync")});
    QFile::remove(copy);
    out << "Wall seconds, CPU seconds in brackets (all threads); new memory: the file read into "
           "memory new to the process on the load's threads, and nothing else\n\n"
           "| file | wc -l | cat | new memory | load | load/wc -l | peak MB | save | copy + fsync "
           "| save/copy |\n|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n";
    const auto both = [](double wall, double cpu) {
        return number(wall, 3) + " (" + number(cpu, 3) + ")";
    };
    out << "| " << QFileInfo(path).fileName() << " | " << both(wc, wcCpu) << " | "
        << both(cat, catCpu) << " | "
        << both(newMemory.value("new_memory_s"), newMemory.value("new_memory_cpu_s")) << " | "
        << both(model.value("load_s"), model.value("load_cpu_s")) << " | "
        << number(model.value("load_s") / wc, 2) << "x | "
        << number(model.value("load_peak_mb"), 0) << " | " << number(model.value("save_s"), 3)
        << " | " << both(copied, copyCpu) << " | " << number(model.value("save_s") / copied, 2)
        << "x |" << (model.contains("failed") ? " FAILED" : "") << "\n";
    return model.contains("failed") ? 1 : 0;
}

int runAll(bool gigabyte)
{
    QTemporaryDir folder;
    QTextStream out(stdout);
    const QString lines100 = folder.filePath(QStringLiteral("lines-100.txt"));
    const QString line10 = folder.filePath(QStringLiteral("one-line-10.txt"));
    const QString breaks100 = folder.filePath(QStringLiteral("breaks-100.txt"));
    if (!writeFile(lines100, generate(100 * MB, Shape::Lines)) ||
        !writeFile(line10, generate(10 * MB, Shape::OneLine)) ||
        !writeFile(breaks100, generate(100 * MB, Shape::BreaksOnly)))
        return 1;
    const QMap<QString, double> floor100 = runChild({QStringLiteral("--floor"), lines100});
    const QMap<QString, double> model100 =
        runChild({QStringLiteral("--model"), lines100, QStringLiteral("all")});
    const QMap<QString, double> floor10 = runChild({QStringLiteral("--floor"), line10});
    const QMap<QString, double> model10 = runChild({QStringLiteral("--model"), line10});
    const QMap<QString, double> floorBreaks = runChild({QStringLiteral("--floor"), breaks100});
    const QMap<QString, double> modelBreaks = runChild({QStringLiteral("--model"), breaks100});
    QMap<QString, double> model1000;
    if (gigabyte) {
        const QString lines1000 = folder.filePath(QStringLiteral("lines-1000.txt"));
        if (!writeFile(lines1000, generate(1000 * MB, Shape::Lines)))
            return 1;
        model1000 = runChild({QStringLiteral("--model"), lines1000});
        QFile::remove(lines1000);
    }

    out << "Loading into the model (floor: read + QString::fromUtf8 of the same bytes; "
           "our strict decoder into a string for reference)\n\n";
    out << "| file | load s | floor s | load/floor | strict decode s | peak MB | peak/size |\n";
    out << "|---|---:|---:|---:|---:|---:|---:|\n";
    const auto loadRow = [&](const QString &name, const QMap<QString, double> &model,
                             const QMap<QString, double> &floor, double megabytes) {
        out << "| " << name << " | " << number(model.value("load_s"), 3) << " | "
            << (floor.isEmpty() ? QStringLiteral("-") : number(floor.value("floor_s"), 3)) << " | "
            << (floor.isEmpty() ? QStringLiteral("-")
                                : number(model.value("load_s") / floor.value("floor_s"), 2) + "x")
            << " | " << (floor.isEmpty() ? QStringLiteral("-") : number(floor.value("decode_s"), 3))
            << " | " << number(model.value("load_peak_mb"), 0) << " | "
            << number(model.value("load_peak_mb") / megabytes, 2) << "x |"
            << (model.contains("failed") ? " FAILED" : "") << "\n";
    };
    loadRow(QStringLiteral("100 MB, 60-character lines"), model100, floor100, 100);
    loadRow(QStringLiteral("10 MB, one line"), model10, floor10, 10);
    loadRow(QStringLiteral("100 MB, nothing but CR LF"), modelBreaks, floorBreaks, 100);
    if (gigabyte) {
        loadRow(QStringLiteral("1000 MB, 60-character lines"), model1000, {}, 1000);
        out << "\n1000 MB load / 100 MB load: "
            << number(model1000.value("load_s") / model100.value("load_s"), 1) << "x\n";
    }

    out << "\nLines looked up at random (mean of 200,000, nanoseconds; the first pass makes "
           "the chunks' break tables)\n\n| file | start of line N, first | again | line of a "
           "position | tables MB |\n|---|---:|---:|---:|---:|\n";
    const auto lookupRow = [&](const QString &name, const QMap<QString, double> &model) {
        out << "| " << name << " | " << number(model.value("line_start_first_ns"), 0) << " | "
            << number(model.value("line_start_again_ns"), 0) << " | "
            << number(model.value("line_at_ns"), 0) << " | " << number(model.value("tables_mb"), 1)
            << " |\n";
    };
    lookupRow(QStringLiteral("100 MB, 60-character lines"), model100);
    lookupRow(QStringLiteral("100 MB, nothing but CR LF"), modelBreaks);

    out << "\nOne-character edits in the 100 MB model (median of 2000, microseconds; line "
           "index checked after)\n\n| place | insert µs | delete µs | index right |\n"
           "|---|---:|---:|---|\n";
    for (const char *place : {"start", "middle", "end"}) {
        const QString p = QLatin1String(place);
        out << "| " << p << " | " << number(model100.value("insert_" + p + "_us"), 2) << " | "
            << number(model100.value("delete_" + p + "_us"), 2) << " | "
            << (model100.value("index_" + p + "_right") ? "yes" : "NO") << " |\n";
    }

    out << "\n100,000 random edits in the 100 MB model, by quarters (seconds)\n\n"
           "| 1st 25k | 2nd 25k | 3rd 25k | 4th 25k | memory growth MB | text inserted MB |\n"
           "|---:|---:|---:|---:|---:|---:|\n|";
    for (int block = 1; block <= 4; ++block)
        out << " " << number(model100.value(QStringLiteral("random_block%1_s").arg(block)), 3)
            << " |";
    out << " " << number(model100.value("random_growth_mb"), 1) << " | "
        << number(model100.value("random_inserted_mb"), 2) << " |\n";

    out << "\nSaving the 100 MB model as a stream, as the program saves (checked writes, "
           "fsync, then the switch), against plain writes of the same bytes\n\n"
           "| save s | again over it s | plain write s | save/plain | plain + fsync s | "
           "save/(plain+fsync) | extra memory MB |\n|---:|---:|---:|---:|---:|---:|---:|\n";
    out << "| " << number(model100.value("save_s"), 3) << " | "
        << number(model100.value("save_over_s"), 3) << " | " << number(model100.value("plain_s"), 3)
        << " | " << number(model100.value("save_s") / model100.value("plain_s"), 2) << "x | "
        << number(model100.value("plain_sync_s"), 3) << " | "
        << number(model100.value("save_s") / model100.value("plain_sync_s"), 2) << "x | "
        << number(model100.value("save_extra_mb"), 1) << " |\n";
    return model100.contains("failed") || model10.contains("failed") ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.size() == 2 && arguments[0] == u"--floor")
        return measureDecoding(arguments[1]);
    if (arguments.size() == 2 && arguments[0] == u"--huge")
        return measureHugeModel(arguments[1]);
    if (arguments.size() == 2 && arguments[0] == u"--new-memory")
        return measureNewMemory(arguments[1]);
    if (arguments.size() == 2 && arguments[0] == u"--file")
        return runOnFile(arguments[1]);
    if (arguments.size() >= 2 && arguments[0] == u"--model")
        return measureModel(arguments[1], arguments.size() == 3);
    return runAll(!arguments.contains(QStringLiteral("--no-gigabyte")));
}
