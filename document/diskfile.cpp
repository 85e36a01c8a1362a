#include "diskfile.h"

#include "platform/filewatcher.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Long enough for a program's save (a new file written beside and renamed
// over, or the old one removed and a new one made) to end; short enough to
// be told at once.
constexpr int SettleMilliseconds = 200;

// The note names the file by its name: its window's title holds the whole
// path, and a note cut short in a narrow status bar, or read aloud, still
// says which file it is about.
QString noteFor(DiskFile::Change change, const QString &path)
{
    const QString shown = QFileInfo(path).fileName();
    switch (change) {
    case DiskFile::Change::None:
        break;
    case DiskFile::Change::Written:
        return QStringLiteral("Il file \"%1\" è stato modificato da un altro programma.")
            .arg(shown);
    case DiskFile::Change::Replaced:
        return QStringLiteral("Il file \"%1\" è stato sostituito da un altro programma.")
            .arg(shown);
    case DiskFile::Change::Removed:
        return QStringLiteral("Il file \"%1\" è stato eliminato o spostato da un altro programma.")
            .arg(shown);
    }
    return {};
}

} // namespace

DiskFile::DiskFile(QObject *parent) : QObject(parent)
{
    settle_.setSingleShot(true);
    settle_.setInterval(SettleMilliseconds);
    connect(&settle_, &QTimer::timeout, this, &DiskFile::check);
}

DiskFile::~DiskFile() = default;

void DiskFile::follow(const QString &path, const std::optional<FileStamp> &stamp,
                      FileWatcher *watcher)
{
    if (told_ != Change::None)
        emit outdated(toldNote_);
    path_ = QFileInfo(path).absoluteFilePath();
    known_ = stamp;
    told_ = Change::None;
    settle_.stop();
    watch_.reset();
    if (!known_ || !watcher)
        return;
    watch_ = watcher->watch(path_);
    // Not restarted by the events that follow: a file written without end
    // (a log) is still looked at in time.
    connect(watch_.get(), &FileWatch::touched, &settle_, [this] {
        if (!settle_.isActive())
            settle_.start();
    });
    // What happened between the stamp and the watch.
    check();
}

DiskFile::Change DiskFile::change() const
{
    if (!known_)
        return Change::None;
    const std::optional<FileStamp> now = FileStamp::ofPath(path_);
    if (!now)
        return Change::Removed;
    if (!now->sameFileAs(*known_))
        return Change::Replaced;
    return *now == *known_ ? Change::None : Change::Written;
}

void DiskFile::check()
{
    const Change now = change();
    if (now == Change::None || now == told_)
        return;
    told_ = now;
    toldNote_ = noteFor(now, path_);
    emit changed(toldNote_);
}
