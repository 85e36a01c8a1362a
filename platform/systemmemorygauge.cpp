#include "systemmemorygauge.h"

#include "controlgroupmemory.h"
#include "kernelfigures.h"

#include <QList>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

using namespace KernelFigures;

namespace {

#ifdef Q_OS_UNIX
constexpr int AddressSpace = RLIMIT_AS;
constexpr int DataSize = RLIMIT_DATA;
#else
constexpr int AddressSpace = -1;
constexpr int DataSize = -1;
#endif

std::optional<qint64> ownLimit(int resource)
{
#ifdef Q_OS_UNIX
    rlimit limit{};
    if (resource >= 0 && getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        return qint64(limit.rlim_cur);
#else
    Q_UNUSED(resource);
#endif
    return std::nullopt;
}

// The soft limit on a line such as "Max address space   1500000000
// unlimited   bytes" of the process's table of limits, or from the system
// call where there is no table; nothing when it is "unlimited".
std::optional<qint64> softLimit(const QByteArray &limits, const QByteArray &name, int resource)
{
    if (limits.isEmpty())
        return ownLimit(resource);
    for (const QByteArray &line : limits.split('\n'))
        if (line.startsWith(name))
            return number(line.mid(name.size()).simplified().split(' ').front());
    return std::nullopt;
}

} // namespace

SystemMemoryGauge::SystemMemoryGauge(QString procRoot, QString cgroupRoot)
    : procRoot_(std::move(procRoot)), cgroupRoot_(std::move(cgroupRoot))
{
}

// Since Linux 4.7 the data limit counts every private writable mapping
// (VmData), not only the heap, so large allocations meet it too.
std::optional<qint64> SystemMemoryGauge::available() const
{
    const QByteArray status = read(procRoot_ + QStringLiteral("/self/status"));
    const QByteArray limits = read(procRoot_ + QStringLiteral("/self/limits"));
    const std::optional<qint64> left =
        least({kilobytes(read(procRoot_ + QStringLiteral("/meminfo")), "MemAvailable"),
               leftBelow(softLimit(limits, "Max address space", AddressSpace),
                         kilobytes(status, "VmSize")),
               leftBelow(softLimit(limits, "Max data size", DataSize), kilobytes(status, "VmData")),
               ControlGroupMemory(procRoot_, cgroupRoot_).left()});
    return left ? std::optional<qint64>(std::max<qint64>(*left, 0)) : std::nullopt;
}
