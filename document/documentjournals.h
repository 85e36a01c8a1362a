#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <set>

class JournalFolder;
class JournalWriter;
class frmDocument;

/// The journals of every document of the program: their folder, the thread
/// that writes them, and the note given when they cannot be written.
class DocumentJournals : public QObject
{
    Q_OBJECT

public:
    explicit DocumentJournals(const QString &folder, QObject *parent = nullptr);
    /// $XDG_STATE_HOME/vidizizor, or ~/.local/state/vidizizor.
    static QString defaultFolder();
    /// Writes what is left; the program's lock goes once no journal is left.
    ~DocumentJournals() override;

    JournalFolder &folder() { return *folder_; }
    JournalWriter &writer() { return *writer_; }

    /// Gives the document a journal of its own.
    void watch(frmDocument &document);

    /// Returns once everything handed to the journals' thread so far is
    /// written and synced.
    void flush();
    /// Runs ready on the journals' thread, once everything handed to it is
    /// written and synced, whenever fd can be read (ready reads it): what
    /// ends the program on a signal, whatever the window is doing.
    void watch(int fd, std::function<void()> ready);

signals:
    /// A journal could not be written: told once, until every journal can
    /// be written again.
    void troubleNoted(const QString &note);
    /// Every journal can be written again.
    void troubleOver(const QString &note);
    /// On the window's thread: the journal id failed, or works again.
    void troubled(quint64 id, bool failing);

private:
    void trouble(quint64 id, const QString &reason);

    struct Hearer;

    std::shared_ptr<JournalFolder> folder_;
    std::shared_ptr<Hearer> hearer_;
    std::shared_ptr<JournalWriter> writer_;
    std::set<quint64> failing_;
    QString note_;
};
