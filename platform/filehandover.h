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

    /// Hands the files to the program running in this session: paths, or
    /// file:// addresses, read as a program working in folder means them.
    /// True once that program has taken them; false when this start is to
    /// open them itself: no program took them, or the session has no bus.
    /// Exactly one of the two programs opens them, even when the running
    /// one does not answer in time and takes its calls later.
    virtual bool handOver(const QString &folder, const QStringList &files) = 0;

    /// From now on takes the files that later starts hand over: each
    /// hand-over comes to receive as full paths, in the order given, once
    /// the event loop runs. While another program already takes them this
    /// one waits its turn, and takes them once that one has ended.
    virtual void receive(Receive receive) = 0;
};
