#include "controlgroupmemory.h"

#include "kernelfigures.h"

#include <QList>

#include <algorithm>

using namespace KernelFigures;

namespace {

// File cache the kernel drops before it refuses the group memory or ends a
// program in it. Pages used more than once lately (the active list) count
// as well as the others: a file read twice, as one opened again is, sits
// there, and leaving it out would refuse a file that fits. Pages mapped
// into programs (their code, their libraries) do not: dropped, they would
// be read back at once.
qint64 droppableCache(const QByteArray &stat, const QByteArray &prefix, const QByteArray &mapped,
                      qint64 usage)
{
    const qint64 cache = field(stat, prefix + "inactive_file").value_or(0) +
                         field(stat, prefix + "active_file").value_or(0) -
                         field(stat, prefix + mapped).value_or(0);
    return std::clamp<qint64>(cache, 0, usage);
}

QString parentOf(const QString &path)
{
    const QString parent = path.section(u'/', 0, -2);
    return parent.isEmpty() ? QStringLiteral("/") : parent;
}

} // namespace

ControlGroupMemory::ControlGroupMemory(QString procRoot, QString cgroupRoot)
    : procRoot_(std::move(procRoot)), cgroupRoot_(std::move(cgroupRoot))
{
}

std::optional<qint64> ControlGroupMemory::left() const
{
    const Groups groups = this->groups();
    return least(
        {tightest(cgroupRoot_, groups.unified, unifiedLevelLeft),
         tightest(cgroupRoot_ + QStringLiteral("/memory"), groups.memory, memoryLevelLeft)});
}

// Lines "0::/path" for the unified hierarchy, "N:memory:/path" or
// "N:cpu,memory:/path" for the memory one. A group outside what the
// process can see ("/../path") has no limit it can read.
ControlGroupMemory::Groups ControlGroupMemory::groups() const
{
    Groups groups;
    for (const QByteArray &line : read(procRoot_ + QStringLiteral("/self/cgroup")).split('\n')) {
        const qsizetype first = line.indexOf(':');
        const qsizetype second = line.indexOf(':', first + 1);
        if (first < 0 || second < 0)
            continue;
        const QByteArray controllers = line.mid(first + 1, second - first - 1);
        QString path = QString::fromUtf8(line.mid(second + 1)).trimmed();
        if (!path.startsWith(u'/') || path.startsWith(u"/.."))
            path.clear();
        if (line.left(first) == "0" && controllers.isEmpty())
            groups.unified = path;
        else if (controllers.split(',').contains("memory"))
            groups.memory = path;
    }
    return groups;
}

// Every group on the way up may have a limit of its own: the tightest
// counts. Where the hierarchy is mounted at the process's own group (a
// container), the levels above it are not there and count for nothing.
std::optional<qint64> ControlGroupMemory::tightest(const QString &mount, QString path,
                                                   LevelLeft levelLeft)
{
    std::optional<qint64> left;
    while (!path.isEmpty()) {
        left = least({left, levelLeft(mount + (path == u"/" ? QString() : path))});
        path = path == u"/" ? QString() : parentOf(path);
    }
    return left;
}

std::optional<qint64> ControlGroupMemory::unifiedLevelLeft(const QString &folder)
{
    const std::optional<qint64> limit =
        least({number(read(folder + QStringLiteral("/memory.max"))),
               number(read(folder + QStringLiteral("/memory.high")))});
    const std::optional<qint64> usage = number(read(folder + QStringLiteral("/memory.current")));
    if (!limit || !usage)
        return std::nullopt;
    const QByteArray stat = read(folder + QStringLiteral("/memory.stat"));
    return *limit - (*usage - droppableCache(stat, {}, "file_mapped", *usage));
}

// The counts of memory.stat named "total_" take in the groups below, as
// the usage does. No limit reads as a number near 2^63, which no other
// limit is above.
std::optional<qint64> ControlGroupMemory::memoryLevelLeft(const QString &folder)
{
    const std::optional<qint64> limit =
        number(read(folder + QStringLiteral("/memory.limit_in_bytes")));
    const std::optional<qint64> usage =
        number(read(folder + QStringLiteral("/memory.usage_in_bytes")));
    if (!limit || !usage)
        return std::nullopt;
    const QByteArray stat = read(folder + QStringLiteral("/memory.stat"));
    const QByteArray prefix = field(stat, "total_inactive_file") ? "total_" : "";
    return *limit - (*usage - droppableCache(stat, prefix, "mapped_file", *usage));
}
