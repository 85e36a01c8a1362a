#pragma once

#include "journalentry.h"

#include <QString>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class JournalFolder;

/// Writes the journals of the documents, on a thread of its own.
///
/// The window only hands over what each edit inserted and where (a string
/// it shares, or characters copied out of the document) and goes on; the
/// thread turns it into records, appends them to the document's journal,
/// and syncs the journal's bytes to the disk within SyncDelay of the first
/// record not yet synced (for an edit of hundreds of megabytes, as fast as
/// the disk takes them). A journal that cannot be written (a full disk, a
/// folder that cannot be written) is told once through trouble, with the
/// reason, and again with no reason when it is written once more; what it
/// holds up to the failure stays. Its later records are dropped until it is
/// renewed.
///
/// The thread may also watch a descriptor, such as one that becomes
/// readable when the program is asked to end: it then writes and syncs
/// everything handed over so far and runs what it was given, on its own
/// thread, whatever the window is doing.
class JournalWriter
{
public:
    using Id = quint64;
    /// Called on the journal's thread.
    using Trouble = std::function<void(Id id, const QString &reason)>;

    static constexpr std::chrono::milliseconds SyncDelay{300};

    explicit JournalWriter(std::shared_ptr<JournalFolder> folder, Trouble trouble = {});
    /// Writes and syncs whatever was handed over, then ends the thread.
    ~JournalWriter();
    JournalWriter(const JournalWriter &) = delete;
    JournalWriter &operator=(const JournalWriter &) = delete;

    /// A new journal in the folder, with its origin and first entries.
    Id start(const JournalOrigin &origin, std::vector<JournalEntry> first = {});
    /// Carries on the journal at path, cut back to length bytes first (the
    /// end of its last whole record).
    Id resume(const QString &path, qint64 length);
    void add(Id id, JournalEntry entry);
    /// Starts the journal anew as start does; its old file goes once the
    /// new one is written and synced.
    void renew(Id id, const JournalOrigin &origin, std::vector<JournalEntry> first);
    /// Removes the journal and its file.
    void remove(Id id);
    /// Returns once everything handed over so far is written and synced.
    void flush();
    /// The journal's file, once the thread has made or taken it.
    QString pathOf(Id id) const;

    /// Runs ready on the journal's thread, after everything handed over is
    /// written and synced, whenever fd can be read. ready must read it.
    void watch(int fd, std::function<void()> ready);

private:
    struct Command;
    struct Journal;

    Id enqueue(Command command);
    void run();
    void handle(Command &command);
    void start(Journal &journal, Id id, const JournalOrigin &origin,
               const std::vector<JournalEntry> &first);
    void resume(Journal &journal, Id id, const QString &path, qint64 length);
    void append(Journal &journal, Id id, const JournalEntry &entry);
    bool write(Journal &journal, Id id, const QByteArray &bytes);
    void syncAll();
    void fail(Journal &journal, Id id, int error);
    void setPath(Id id, const QString &path);
    /// Waits for a command, the watched descriptor or the time to sync;
    /// returns at once while commands wait.
    void wait();

    const std::shared_ptr<JournalFolder> folder_;
    const Trouble trouble_;

    mutable std::mutex mutex_;
    std::deque<Command> queue_;
    std::map<Id, QString> paths_;
    Id nextId_ = 1;
    bool stopping_ = false;
    /// The thread waits for the time to sync, and takes what is handed
    /// over then.
    bool syncDue_ = false;
    int wake_[2] = {-1, -1};

    // The thread's own.
    std::map<Id, Journal> journals_;
    bool folderDirty_ = false;
    std::optional<std::chrono::steady_clock::time_point> unsyncedSince_;
    int watched_ = -1;
    std::function<void()> ready_;

    std::thread thread_;
};
