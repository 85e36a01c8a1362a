#include "systemmemorygauge.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <initializer_list>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace {

QByteArray readSmallFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(1 << 16) : QByteArray();
}

// The value of a "Name:   1234 kB" line of a /proc file, in bytes.
std::optional<qint64> kilobytesField(const QByteArray &text, const char *name)
{
    const QRegularExpression line(QStringLiteral("^%1:\\s*(\\d+) kB").arg(QLatin1String(name)),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch found = line.match(QString::fromLatin1(text));
    if (!found.hasMatch())
        return std::nullopt;
    return found.captured(1).toLongLong() * 1024;
}

std::optional<qint64> number(const QByteArray &text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

std::optional<qint64> least(std::initializer_list<std::optional<qint64>> limits)
{
    std::optional<qint64> result;
    for (const std::optional<qint64> &limit : limits)
        if (limit)
            result = result ? std::min(*result, *limit) : *limit;
    return result;
}

} // namespace

SystemMemoryGauge::SystemMemoryGauge(QString procRoot, QString cgroupRoot)
    : procRoot_(std::move(procRoot)), cgroupRoot_(std::move(cgroupRoot))
{
}

std::optional<qint64> SystemMemoryGauge::available() const
{
    const std::optional<qint64> left = least({systemAvailable(), addressSpaceLeft(), groupLeft()});
    return left ? std::optional<qint64>(std::max<qint64>(*left, 0)) : std::nullopt;
}

std::optional<qint64> SystemMemoryGauge::systemAvailable() const
{
    return kilobytesField(readSmallFile(procRoot_ + QStringLiteral("/meminfo")), "MemAvailable");
}

std::optional<qint64> SystemMemoryGauge::addressSpaceLeft() const
{
#ifdef Q_OS_UNIX
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return std::nullopt;
    const std::optional<qint64> used =
        kilobytesField(readSmallFile(procRoot_ + QStringLiteral("/self/status")), "VmSize");
    if (!used)
        return std::nullopt;
    return qint64(limit.rlim_cur) - *used;
#else
    return std::nullopt;
#endif
}

// The group is named in /proc/self/cgroup as "0::/its/path"; every group on
// the way up may have a limit of its own.
std::optional<qint64> SystemMemoryGauge::groupLeft() const
{
    const QByteArray groups = readSmallFile(procRoot_ + QStringLiteral("/self/cgroup"));
    QString path;
    for (const QByteArray &line : groups.split('\n'))
        if (line.startsWith("0::"))
            path = QString::fromUtf8(line.mid(3)).trimmed();
    if (path.isEmpty())
        return std::nullopt;
    std::optional<qint64> left;
    for (;;) {
        const QString folder = cgroupRoot_ + (path == u"/" ? QString() : path);
        const std::optional<qint64> limit =
            number(readSmallFile(folder + QStringLiteral("/memory.max"))); // "max": none
        const std::optional<qint64> used =
            number(readSmallFile(folder + QStringLiteral("/memory.current")));
        if (limit && used)
            left = least({left, *limit - *used});
        if (path == u"/" || path.isEmpty())
            break;
        path = path.section(u'/', 0, -2);
        if (path.isEmpty())
            path = QStringLiteral("/");
    }
    return left;
}
