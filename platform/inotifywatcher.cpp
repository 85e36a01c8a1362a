#include "inotifywatcher.h"

#ifdef Q_OS_LINUX

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// The file's own events: written, cut, its attributes or names changed,
// removed or moved away.
constexpr quint32 FileEvents =
    IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF;
// The folder's events about its names, and about the folder itself going.
constexpr quint32 FolderEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                 IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

} // namespace

namespace InotifyDetail {

/// The watch of one name: the kernel's watch of the file it leads to and of
/// its folder.
class NameWatch : public FileWatch
{
public:
    NameWatch(InotifyWatcher &watcher, const QString &path)
        : watcher_(&watcher), path_(QFile::encodeName(QFileInfo(path).absoluteFilePath())),
          folder_(QFile::encodeName(QFileInfo(path).absolutePath())),
          name_(QFile::encodeName(QFileInfo(path).fileName()))
    {
    }
    ~NameWatch() override
    {
        // The watcher may go first, with the services it belongs to.
        if (watcher_)
            watcher_->forget(*this);
    }

    QPointer<InotifyWatcher> watcher_;
    const QByteArray path_;
    const QByteArray folder_;
    const QByteArray name_;
    int file_ = -1;
    int folderWatch_ = -1;
};

} // namespace InotifyDetail

using InotifyDetail::NameWatch;

InotifyWatcher::InotifyWatcher() : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
    if (fd_ < 0)
        return;
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &InotifyWatcher::readEvents);
}

InotifyWatcher::~InotifyWatcher()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::unique_ptr<FileWatch> InotifyWatcher::watch(const QString &path)
{
    auto watch = std::make_unique<NameWatch>(*this, path);
    arm(*watch);
    return watch;
}

// Adding a watch to a file already watched gives its descriptor again, so
// the descriptor tells whether the name still leads to the same file.
void InotifyWatcher::arm(NameWatch &watch)
{
    if (fd_ < 0)
        return;
    if (watch.folderWatch_ < 0)
        watch.folderWatch_ = attach(watch.folder_, FolderEvents, watch);
    const int file = ::inotify_add_watch(fd_, watch.path_.constData(), FileEvents);
    if (file == watch.file_)
        return;
    if (watch.file_ >= 0)
        detach(watch.file_, watch);
    watch.file_ = file;
    if (file >= 0)
        users_[file].append(&watch);
}

void InotifyWatcher::forget(NameWatch &watch)
{
    if (watch.file_ >= 0)
        detach(watch.file_, watch);
    if (watch.folderWatch_ >= 0)
        detach(watch.folderWatch_, watch);
    watch.file_ = watch.folderWatch_ = -1;
}

int InotifyWatcher::attach(const QByteArray &path, quint32 mask, NameWatch &user)
{
    const int descriptor = ::inotify_add_watch(fd_, path.constData(), mask);
    if (descriptor >= 0)
        users_[descriptor].append(&user);
    return descriptor;
}

void InotifyWatcher::detach(int descriptor, NameWatch &user)
{
    const auto found = users_.find(descriptor);
    if (found == users_.end())
        return; // the kernel has dropped it already
    found->removeOne(&user);
    if (found->isEmpty()) {
        users_.erase(found);
        ::inotify_rm_watch(fd_, descriptor);
    }
}

void InotifyWatcher::readEvents()
{
    QList<NameWatch *> touched;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t count = ::read(fd_, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        for (ssize_t at = 0; at < count;) {
            const auto &event = *reinterpret_cast<const inotify_event *>(buffer + at);
            take(event, touched);
            at += ssize_t(sizeof(inotify_event)) + event.len;
        }
    }
    // Set again first: a name may lead to another file now. Then told, each
    // watch once, in case a receiver ends another watch.
    QList<QPointer<FileWatch>> told;
    for (NameWatch *watch : touched) {
        arm(*watch);
        told.append(watch);
    }
    for (const QPointer<FileWatch> &watch : told)
        if (watch)
            emit watch->touched();
}

void InotifyWatcher::take(const inotify_event &event, QList<NameWatch *> &touched)
{
    const auto add = [&touched](NameWatch *watch) {
        if (!touched.contains(watch))
            touched.append(watch);
    };
    if (event.mask & IN_Q_OVERFLOW) { // events were lost: anything may have happened
        for (const QList<NameWatch *> &users : std::as_const(users_))
            for (NameWatch *watch : users)
                add(watch);
        return;
    }
    const QList<NameWatch *> users = users_.value(event.wd);
    for (NameWatch *watch : users) {
        const bool aboutTheFile = watch->file_ == event.wd;
        const bool aboutTheFolder = watch->folderWatch_ == event.wd;
        const bool aboutTheName =
            event.len > 0 && watch->name_ == QByteArrayView(static_cast<const char *>(event.name));
        const bool folderGone = event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED);
        if (aboutTheFile || (aboutTheFolder && (aboutTheName || folderGone)))
            add(watch);
        if (event.mask & IN_IGNORED) { // the kernel has dropped the watch
            if (aboutTheFile)
                watch->file_ = -1;
            if (aboutTheFolder)
                watch->folderWatch_ = -1;
        }
    }
    if (event.mask & IN_IGNORED)
        users_.remove(event.wd);
}

#endif
