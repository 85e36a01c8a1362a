#pragma once

#include <QtGlobal>

#ifdef Q_OS_LINUX

#include "filewatcher.h"

#include <QHash>
#include <QList>
#include <QObject>

class QSocketNotifier;
struct inotify_event;

namespace InotifyDetail {
class NameWatch;
}

/// Watches files through the kernel's inotify: each file, and its name in
/// its folder. The folder's events tell of a file renamed over the name, of
/// the name removed, and of a new file made under it; the file's own events
/// tell of writes and cuts, whatever name they come through. After each
/// happening the watch is set again on whatever file the name now leads to.
///
/// Without inotify (too many watches, a kernel without it) the watches
/// tell nothing, as on a network file system.
class InotifyWatcher : public QObject, public FileWatcher
{
    Q_OBJECT

public:
    InotifyWatcher();
    ~InotifyWatcher() override;

    std::unique_ptr<FileWatch> watch(const QString &path) override;

private:
    friend class InotifyDetail::NameWatch;

    /// Sets the watch's file and folder watches where they are missing or
    /// the name now leads to another file.
    void arm(InotifyDetail::NameWatch &watch);
    void forget(InotifyDetail::NameWatch &watch);
    /// Adds a kernel watch and counts the user; -1 when it cannot be set.
    int attach(const QByteArray &path, quint32 mask, InotifyDetail::NameWatch &user);
    void detach(int descriptor, InotifyDetail::NameWatch &user);
    void readEvents();
    void take(const inotify_event &event, QList<InotifyDetail::NameWatch *> &touched);

    int fd_ = -1;
    QSocketNotifier *notifier_ = nullptr;
    /// The users of each kernel watch.
    QHash<int, QList<InotifyDetail::NameWatch *>> users_;
};

#endif
