#pragma once

#include <QStringList>

#include <functional>

/// Files handed from one start of the program to the program already
/// running in the same desktop session, so that they open among its
/// documents rather than in a second main window.
class FileHandOver
{
public:
    using Receive = std::function<void(const QStringList &paths)>;

    virtual ~FileHandOver() = default;

    /// Hands the paths, full ones, to the program running in this session.
    /// True once it has taken them; false when no program takes them, or the
    /// session has no bus: the caller then starts on its own.
    virtual bool handOver(const QStringList &paths) = 0;

    /// From now on takes the paths that later starts hand over: each
    /// hand-over comes to receive, in the order given, once the event loop
    /// runs. While another program already takes them this one waits its
    /// turn, and takes them once that one has ended.
    virtual void receive(Receive receive) = 0;
};
