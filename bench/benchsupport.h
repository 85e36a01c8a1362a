#pragma once

// What the benchmarks share: timing, memory readings, generated files, and
// running one measurement in a child process of its own, so that its peak
// memory is its own.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QPair>
#include <QProcess>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <iterator>

#include <sys/resource.h>
#include <time.h>

namespace Bench {

constexpr qint64 MB = 1024 * 1024;

/// A field of /proc/self/status in megabytes (VmHWM: peak resident memory,
/// VmRSS: resident memory now).
inline double statusMegabytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toDouble() / 1024;
    return -1;
}

/// The CPU time this process has taken, all its threads together.
inline double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

/// The CPU time the calling thread has taken.
inline double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

inline double seconds(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e9;
}

/// One figure of a child, read back by runChild.
inline void report(const char *key, double value)
{
    std::printf("%s=%.6f\n", key, value);
    std::fflush(stdout);
}

enum class Shape {
    Lines,      ///< lines of about 60 characters ending in CR LF
    OneLine,    ///< one line without any break
    BreaksOnly, ///< nothing but CR LF: a line break every two bytes
};

/// Generated text of at least the given size.
inline QByteArray generate(qint64 bytes, Shape shape)
{
    QByteArray file;
    file.reserve(bytes + 100);
    if (shape == Shape::BreaksOnly) {
        while (file.size() < bytes)
            file += "\r\n";
        return file;
    }
    const QByteArray words[] = {"lorem ",  "ipsum ", "dolor ", "sit ",         "amet, ",
                                "perché ", "città ", "però ",  "consectetur ", "adipiscing "};
    QRandomGenerator random(42);
    QByteArray line;
    while (file.size() < bytes) {
        line += words[random.bounded(int(std::size(words)))];
        if (shape == Shape::Lines && line.size() >= 58) {
            file += line + "\r\n";
            line.clear();
        } else if (shape == Shape::OneLine) {
            file += line;
            line.clear();
        }
    }
    return file;
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

/// Runs this program again with arguments and collects its "key=value"
/// lines; "failed" is set when it did not end well.
inline QMap<QString, double> runChild(const QStringList &arguments)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
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

/// Reads a whole file and decodes it with Qt's UTF-8 decoder, the floor
/// under any load, and reports the time as floor_s; gives the bytes read.
inline QByteArray measureFloor(const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    const QString text = QString::fromUtf8(bytes);
    report("floor_s", seconds(timer));
    return text.isEmpty() ? QByteArray() : bytes;
}

inline double childrenCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

/// A command's wall and CPU time (wc -l, cat), to set beside ours in the
/// same run: the machine may be loaded by others.
inline QPair<double, double> commandSeconds(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    const double cpuBefore = childrenCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    process.waitForFinished(-1);
    if (process.exitCode() != 0)
        return {-1, -1};
    return {seconds(timer), childrenCpuSeconds() - cpuBefore};
}

/// The median of some timings.
inline double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace Bench
