// Prints generated texts into PDF files, each in a child process of its own,
// and reports the CPU time of the print and its memory beside that of the
// document before printing. Prints figures only; asserts nothing.
#include "benchsupport.h"

#include "document/textprinter.h"
#include "text/textmodel.h"
#include "text/textmodelappender.h"

#include <QApplication>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>

#include <ctime>

using namespace Bench;

namespace {

// Fills the model a megabyte at a time, so that loading leaves no peak
// above the idle document.
void fill(TextModel &model, qint64 megabytes, Shape shape)
{
    TextModelAppender appender(model);
    const QString piece = QString::fromUtf8(generate(MB, shape));
    for (qint64 i = 0; i < megabytes; ++i) {
        appender.append(piece);
        appender.flush();
    }
}

double cpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

int printChild(qint64 megabytes, Shape shape, const QString &path)
{
    TextModel model;
    fill(model, megabytes, shape);
    report("lines", double(model.lineCount()));
    report("idle_mb", statusMegabytes("VmRSS:"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    const double cpu = cpuSeconds();
    QElapsedTimer timer;
    timer.start();
    const bool ok = TextPrinter().print(model, printer);
    report("wall_s", seconds(timer));
    report("cpu_s", cpuSeconds() - cpu);
    report("peak_mb", statusMegabytes("VmHWM:"));
    report("pdf_mb", double(QFileInfo(path).size()) / MB);
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 5 && arguments[1] == QLatin1String("--child"))
        return printChild(arguments[2].toLongLong(),
                          arguments[3] == QLatin1String("line") ? Shape::OneLine : Shape::Lines,
                          arguments[4]);

    QTemporaryDir folder;
    std::printf("%-18s %9s %8s %8s %8s %8s %9s %8s %7s\n", "text", "lines", "cpu s", "wall s",
                "idle MB", "peak MB", "peak/idle", "extra MB", "PDF MB");
    const struct
    {
        const char *name;
        qint64 megabytes;
        const char *shape;
    } cases[] = {{"10 MB of lines", 10, "lines"},
                 {"a 10 MB line", 10, "line"},
                 {"100 MB of lines", 100, "lines"}};
    for (const auto &one : cases) {
        if (arguments.contains(QLatin1String("--no-100")) && one.megabytes == 100)
            continue;
        const QString path = folder.filePath(QStringLiteral("print.pdf"));
        const QMap<QString, double> v =
            runChild({QStringLiteral("--child"), QString::number(one.megabytes),
                      QLatin1String(one.shape), path});
        const double idle = v.value("idle_mb");
        const double peak = v.value("peak_mb");
        std::printf("%-18s %9.0f %8.2f %8.2f %8.1f %8.1f %9.2f %8.1f %7.1f%s\n", one.name,
                    v.value("lines"), v.value("cpu_s"), v.value("wall_s"), idle, peak, peak / idle,
                    peak - idle, v.value("pdf_mb"), v.contains("failed") ? "  FAILED" : "");
        std::fflush(stdout);
        QFile::remove(path);
    }
    return 0;
}
