#pragma once

#include <QString>
#include <QStringList>

#include <mutex>
#include <optional>

/// The folder where a user's running programs keep the journals of their
/// documents, and the lock that says which program each journal belongs
/// to.
///
/// Each program has a name of its own, drawn at random, and a lock file
/// under it ("NAME.lock") that it holds locked for as long as it runs; the
/// system lets the lock go however the program ends, a kill included. Its
/// journals are "NAME.N.journal". A journal whose program's lock is free,
/// or gone, is an orphan, which the next program to start adopts: it
/// renames the journal under its own name, so that of two programs starting
/// at once only one ever has it. A running program's journals are never
/// touched by another. Folder 0700, files 0600; the folder is synced after
/// a journal is made, renamed or removed, so that a power cut cannot lose
/// the journal itself.
class JournalFolder
{
public:
    /// $XDG_STATE_HOME/vidizizor, or ~/.local/state/vidizizor.
    static QString defaultPath();
    explicit JournalFolder(QString path);
    ~JournalFolder();
    JournalFolder(const JournalFolder &) = delete;
    JournalFolder &operator=(const JournalFolder &) = delete;

    const QString &path() const { return path_; }

    /// Makes the folder and takes this program's lock, the first time;
    /// the reason when it cannot.
    std::optional<QString> claim();
    /// The path of a journal of this program not used yet.
    QString newJournalPath();
    /// Takes the journals of the programs that no longer run, in the
    /// order they were made, and gives their new paths. The locks of such
    /// programs go too.
    QStringList adoptOrphans();
    /// Renames a journal that cannot be read so that no program takes it
    /// for one again, and gives its new path.
    QString putAside(const QString &journal);
    /// Syncs the folder's own entries.
    void sync();
    /// The program ends by choice, its journals gone: so does its lock.
    void release();

private:
    QString entryPath(const QString &name) const { return path_ + u'/' + name; }
    /// The journals of the program named owner, each taken under this
    /// program's name; the lock of that program is held meanwhile.
    void adoptFrom(const QString &owner, const QStringList &journals, QStringList &adopted);

    const QString path_;
    QString name_;
    int lock_ = -1;
    int next_ = 1;
    std::mutex mutex_;
};
