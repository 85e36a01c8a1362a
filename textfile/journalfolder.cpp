#include "journalfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QString LockSuffix = QStringLiteral(".lock");
const QString JournalSuffix = QStringLiteral(".journal");
const QString AsideSuffix = QStringLiteral(".illeggibile");

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// "NAME.N.journal": the program's name and the journal's number.
std::pair<QString, int> partsOf(const QString &journal)
{
    const QStringList parts = journal.chopped(JournalSuffix.size()).split(u'.');
    if (parts.size() != 2)
        return {};
    return {parts[0], parts[1].toInt()};
}

#ifdef Q_OS_UNIX
// Makes the folder and those above it that are missing, the last one for
// this user alone.
std::optional<QString> makeFolder(const QString &path)
{
    if (!QDir().mkpath(path)) {
        const QFileInfo info(path);
        return info.exists() && !info.isDir()
                   ? QStringLiteral("\"%1\" non è una cartella.").arg(path)
                   : QStringLiteral("Impossibile creare la cartella \"%1\".").arg(path);
    }
    if (chmod(encoded(path).constData(), 0700) != 0 && errno != EPERM)
        return systemReason(errno);
    return std::nullopt;
}
#endif

} // namespace

QString JournalFolder::defaultPath()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/vidizizor");
}

JournalFolder::JournalFolder(QString path) : path_(std::move(path)) {}

JournalFolder::~JournalFolder()
{
#ifdef Q_OS_UNIX
    // Held to the end: journals left behind stay this program's until then.
    if (lock_ >= 0)
        close(lock_);
#endif
}

#ifdef Q_OS_UNIX

// The lock is taken under a name of its own and only then renamed into
// place, so that no other program ever sees it unlocked and takes it for an
// orphan's.
std::optional<QString> JournalFolder::claim()
{
    const std::lock_guard guard(mutex_);
    if (lock_ >= 0)
        return std::nullopt;
    if (std::optional<QString> reason = makeFolder(path_))
        return reason;
    const QString name =
        QString::number(QRandomGenerator::system()->generate64(), 16).rightJustified(16, u'0');
    const QString making = entryPath(name + QStringLiteral(".new"));
    const int fd = open(encoded(making).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return systemReason(errno);
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        rename(encoded(making).constData(), encoded(entryPath(name + LockSuffix)).constData()) !=
            0) {
        const int error = errno;
        unlink(encoded(making).constData());
        close(fd);
        return systemReason(error);
    }
    lock_ = fd;
    name_ = name;
    return std::nullopt;
}

QString JournalFolder::newJournalPath()
{
    const std::lock_guard guard(mutex_);
    return entryPath(QStringLiteral("%1.%2").arg(name_).arg(next_++) + JournalSuffix);
}

QStringList JournalFolder::adoptOrphans()
{
    QString own;
    {
        const std::lock_guard guard(mutex_);
        own = name_;
    }
    QDir folder(path_);
    std::map<QString, std::vector<std::pair<int, QString>>> byOwner;
    const QStringList names =
        folder.entryList({u'*' + JournalSuffix, u'*' + LockSuffix}, QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        if (name.endsWith(LockSuffix)) {
            byOwner[name.chopped(LockSuffix.size())];
            continue;
        }
        const auto [owner, number] = partsOf(name);
        if (!owner.isEmpty())
            byOwner[owner].emplace_back(number, name);
    }
    QStringList adopted;
    for (auto &[owner, journals] : byOwner) {
        if (owner == own)
            continue;
        std::sort(journals.begin(), journals.end());
        QStringList ordered;
        for (const auto &journal : journals)
            ordered << journal.second;
        adoptFrom(owner, ordered, adopted);
    }
    if (!adopted.isEmpty())
        sync();
    return adopted;
}

void JournalFolder::adoptFrom(const QString &owner, const QStringList &journals,
                              QStringList &adopted)
{
    const QByteArray lockPath = encoded(entryPath(owner + LockSuffix));
    const int lock = open(lockPath.constData(), O_RDONLY | O_CLOEXEC);
    if (lock < 0 && errno != ENOENT)
        return;
    if (lock >= 0 && flock(lock, LOCK_EX | LOCK_NB) != 0) {
        close(lock); // its program still runs
        return;
    }
    const bool canTake = !journals.isEmpty() && !claim().has_value();
    if (canTake) {
        for (const QString &journal : journals) {
            const QString taken = newJournalPath();
            // Whoever renames it first has it; the others find it gone.
            if (rename(encoded(entryPath(journal)).constData(), encoded(taken).constData()) == 0)
                adopted << taken;
        }
    }
    if (lock >= 0) {
        unlink(lockPath.constData());
        close(lock);
    }
}

QString JournalFolder::putAside(const QString &journal)
{
    const QString aside = journal + AsideSuffix;
    if (rename(encoded(journal).constData(), encoded(aside).constData()) != 0)
        return journal;
    sync();
    return aside;
}

void JournalFolder::sync()
{
    const int fd = open(encoded(path_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

void JournalFolder::release()
{
    const std::lock_guard guard(mutex_);
    if (lock_ < 0)
        return;
    unlink(encoded(entryPath(name_ + LockSuffix)).constData());
    close(lock_);
    lock_ = -1;
}

#else

std::optional<QString> JournalFolder::claim()
{
    return QStringLiteral("Non disponibile su questo sistema.");
}
QString JournalFolder::newJournalPath()
{
    return {};
}
QStringList JournalFolder::adoptOrphans()
{
    return {};
}
void JournalFolder::adoptFrom(const QString &, const QStringList &, QStringList &) {}
QString JournalFolder::putAside(const QString &journal)
{
    return journal;
}
void JournalFolder::sync() {}
void JournalFolder::release() {}

#endif
