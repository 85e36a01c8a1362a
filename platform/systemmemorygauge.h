#pragma once

#include "memorygauge.h"

#include <QString>

/// The least of three limits, each where the system has it: the memory
/// the system can still give (MemAvailable, which counts the file cache it
/// can drop), what the process's address-space limit leaves of its address
/// space, and what the memory limit of its control group (and of each group
/// above it) leaves. On Linux, allocations are granted beyond these and the
/// program is ended when they are used, so they must be checked first.
class SystemMemoryGauge : public MemoryGauge
{
public:
    /// procRoot and cgroupRoot stand for /proc and /sys/fs/cgroup.
    explicit SystemMemoryGauge(QString procRoot = QStringLiteral("/proc"),
                               QString cgroupRoot = QStringLiteral("/sys/fs/cgroup"));

    std::optional<qint64> available() const override;

private:
    std::optional<qint64> systemAvailable() const;
    std::optional<qint64> addressSpaceLeft() const;
    std::optional<qint64> groupLeft() const;

    QString procRoot_;
    QString cgroupRoot_;
};
