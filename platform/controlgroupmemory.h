#pragma once

#include <QString>

#include <optional>

/// What the memory limits of the process's control group leave it, the
/// limits of every group above it included, in either kind of hierarchy:
/// the unified one (memory.max, and memory.high, past which the kernel
/// holds the group's programs back) and the older one that has a hierarchy
/// of its own for memory (memory.limit_in_bytes). File cache the kernel
/// can drop counts as free.
class ControlGroupMemory
{
public:
    /// procRoot and cgroupRoot stand for /proc and /sys/fs/cgroup.
    ControlGroupMemory(QString procRoot, QString cgroupRoot);

    /// In bytes; nothing where no group has a limit.
    std::optional<qint64> left() const;

private:
    /// The process's group in the unified hierarchy and in the memory one,
    /// each empty where the process has none.
    struct Groups
    {
        QString unified;
        QString memory;
    };
    using LevelLeft = std::optional<qint64> (*)(const QString &folder);

    Groups groups() const;
    static std::optional<qint64> tightest(const QString &mount, QString path, LevelLeft levelLeft);
    static std::optional<qint64> unifiedLevelLeft(const QString &folder);
    static std::optional<qint64> memoryLevelLeft(const QString &folder);

    QString procRoot_;
    QString cgroupRoot_;
};
