#pragma once

#include "memorygauge.h"

#include <QString>

/// The least of the limits the system has: the memory it can still give
/// (MemAvailable, which counts the file cache it can drop), what the
/// process's limits on its address space (against VmSize) and on its data
/// (against VmData, which counts every private writable mapping) leave,
/// and what the memory limits of its control group and of every group
/// above it leave (ControlGroupMemory). On Linux, allocations are granted
/// beyond these and the program is ended when they are used, so they must
/// be checked first.
class SystemMemoryGauge : public MemoryGauge
{
public:
    /// procRoot and cgroupRoot stand for /proc and /sys/fs/cgroup.
    explicit SystemMemoryGauge(QString procRoot = QStringLiteral("/proc"),
                               QString cgroupRoot = QStringLiteral("/sys/fs/cgroup"));

    std::optional<qint64> available() const override;

private:
    QString procRoot_;
    QString cgroupRoot_;
};
