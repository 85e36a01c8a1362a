#include "journalwriter.h"

#include "journalentryrecords.h"
#include "journalfolder.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <future>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

// Records are gathered and written a few megabytes at a time.
constexpr qsizetype WriteSize = 4 << 20;

QString cannotWrite(const QString &path, int error)
{
    return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(error)));
}

#ifdef Q_OS_UNIX
// The bytes, not the times: what a journal needs to read back.
int syncData(int fd)
{
#ifdef Q_OS_LINUX
    return fdatasync(fd);
#else
    return fsync(fd);
#endif
}

int writeAll(int fd, const char *bytes, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : ENOSPC;
        bytes += written;
        size -= written;
    }
    return 0;
}
#endif

} // namespace

struct JournalWriter::Command
{
    enum class Op { Start, Resume, Add, Renew, Remove, Flush, Watch };
    Op op = Op::Add;
    Id id = 0;
    JournalOrigin origin;
    std::vector<JournalEntry> entries;
    QString path;
    qint64 length = 0;
    int fd = -1;
    std::function<void()> ready;
    std::shared_ptr<std::promise<void>> done;
};

struct JournalWriter::Journal
{
    int fd = -1;
    QString path;
    qint64 length = 0; ///< the bytes written whole
    bool failed = false;
    bool dirty = false;
};

JournalWriter::JournalWriter(std::shared_ptr<JournalFolder> folder, Trouble trouble)
    : folder_(std::move(folder)), trouble_(std::move(trouble))
{
#ifdef Q_OS_UNIX
    if (pipe(wake_) == 0) {
        for (int fd : wake_) {
            fcntl(fd, F_SETFD, FD_CLOEXEC);
            fcntl(fd, F_SETFL, O_NONBLOCK);
        }
    }
#endif
    thread_ = std::thread([this] { run(); });
}

JournalWriter::~JournalWriter()
{
    {
        const std::lock_guard guard(mutex_);
        stopping_ = true;
    }
#ifdef Q_OS_UNIX
    const char byte = 0;
    (void)!::write(wake_[1], &byte, 1);
#endif
    thread_.join();
#ifdef Q_OS_UNIX
    for (int fd : wake_)
        if (fd >= 0)
            close(fd);
#endif
}

// An edit made while the thread waits to sync needs no wake-up: the thread
// takes it when the time to sync comes, so that a run of keys costs one
// wake-up, one write and one sync, not one of each a key.
JournalWriter::Id JournalWriter::enqueue(Command command)
{
    Id id = command.id;
    bool wake = true;
    {
        const std::lock_guard guard(mutex_);
        if (id == 0)
            id = command.id = nextId_++;
        wake = command.op != Command::Op::Add || !syncDue_;
        queue_.push_back(std::move(command));
    }
#ifdef Q_OS_UNIX
    const char byte = 0;
    if (wake)
        (void)!::write(wake_[1], &byte, 1); // a full pipe wakes the thread all the same
#endif
    return id;
}

JournalWriter::Id JournalWriter::start(const JournalOrigin &origin, std::vector<JournalEntry> first)
{
    Command command;
    command.op = Command::Op::Start;
    command.origin = origin;
    command.entries = std::move(first);
    return enqueue(std::move(command));
}

JournalWriter::Id JournalWriter::resume(const QString &path, qint64 length)
{
    Command command;
    command.op = Command::Op::Resume;
    command.path = path;
    command.length = length;
    return enqueue(std::move(command));
}

void JournalWriter::add(Id id, JournalEntry entry)
{
    Command command;
    command.id = id;
    command.entries.push_back(std::move(entry));
    enqueue(std::move(command));
}

void JournalWriter::renew(Id id, const JournalOrigin &origin, std::vector<JournalEntry> first)
{
    Command command;
    command.op = Command::Op::Renew;
    command.id = id;
    command.origin = origin;
    command.entries = std::move(first);
    enqueue(std::move(command));
}

void JournalWriter::remove(Id id)
{
    Command command;
    command.op = Command::Op::Remove;
    command.id = id;
    enqueue(std::move(command));
}

void JournalWriter::flush()
{
    Command command;
    command.op = Command::Op::Flush;
    command.id = Id(-1); // no journal's
    command.done = std::make_shared<std::promise<void>>();
    std::future<void> done = command.done->get_future();
    enqueue(std::move(command));
    done.wait();
}

void JournalWriter::watch(int fd, std::function<void()> ready)
{
    Command command;
    command.op = Command::Op::Watch;
    command.id = Id(-1);
    command.fd = fd;
    command.ready = std::move(ready);
    enqueue(std::move(command));
}

QString JournalWriter::pathOf(Id id) const
{
    const std::lock_guard guard(mutex_);
    const auto found = paths_.find(id);
    return found == paths_.end() ? QString() : found->second;
}

void JournalWriter::setPath(Id id, const QString &path)
{
    if (id == 0)
        return;
    const std::lock_guard guard(mutex_);
    if (path.isEmpty())
        paths_.erase(id);
    else
        paths_[id] = path;
}

// The thread.

void JournalWriter::run()
{
    for (;;) {
        std::deque<Command> batch;
        bool stopping = false;
        {
            const std::lock_guard guard(mutex_);
            batch.swap(queue_);
            stopping = stopping_;
        }
        for (Command &command : batch)
            handle(command);
        if (stopping) {
            syncAll();
            break;
        }
        if (unsyncedSince_ && Clock::now() >= *unsyncedSince_ + SyncDelay)
            syncAll();
        if (batch.empty())
            wait();
    }
#ifdef Q_OS_UNIX
    for (auto &[id, journal] : journals_)
        if (journal.fd >= 0)
            close(journal.fd);
#endif
}

void JournalWriter::wait()
{
    {
        const std::lock_guard guard(mutex_);
        if (!queue_.empty())
            return;
        syncDue_ = unsyncedSince_.has_value();
    }
#ifdef Q_OS_UNIX
    int timeout = -1;
    if (unsyncedSince_) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            *unsyncedSince_ + SyncDelay - Clock::now());
        timeout = int(std::max<qint64>(left.count(), 0));
    }
    pollfd fds[2] = {{wake_[0], POLLIN, 0}, {watched_, POLLIN, 0}};
    const int ready = poll(fds, watched_ >= 0 ? 2 : 1, timeout);
    if (ready > 0 && (fds[0].revents & POLLIN)) {
        char bytes[256];
        while (::read(wake_[0], bytes, sizeof bytes) > 0) {
        }
    }
    if (ready > 0 && watched_ >= 0 && (fds[1].revents & POLLIN)) {
        // Whatever the window handed over before the call goes first.
        std::deque<Command> batch;
        {
            const std::lock_guard guard(mutex_);
            batch.swap(queue_);
        }
        for (Command &command : batch)
            handle(command);
        syncAll();
        ready_();
    }
#endif
}

void JournalWriter::handle(Command &command)
{
    if (command.op == Command::Op::Flush) {
        syncAll();
        command.done->set_value();
        return;
    }
    if (command.op == Command::Op::Watch) {
        watched_ = command.fd;
        ready_ = std::move(command.ready);
        return;
    }
    Journal &journal = journals_[command.id];
    switch (command.op) {
    case Command::Op::Start:
    case Command::Op::Renew:
        start(journal, command.id, command.origin, command.entries);
        break;
    case Command::Op::Resume:
        resume(journal, command.id, command.path, command.length);
        break;
    case Command::Op::Add:
        for (const JournalEntry &entry : command.entries)
            append(journal, command.id, entry);
        break;
    case Command::Op::Remove:
#ifdef Q_OS_UNIX
        if (journal.fd >= 0) {
            close(journal.fd);
            unlink(QFile::encodeName(journal.path).constData());
            folderDirty_ = true;
            unsyncedSince_ = unsyncedSince_.value_or(Clock::now());
        }
#endif
        journals_.erase(command.id);
        setPath(command.id, {});
        break;
    case Command::Op::Flush:
    case Command::Op::Watch:
        break;
    }
}

// A journal renewed keeps its old file until the new one is whole and
// synced: a power cut between the two leaves one or the other.
void JournalWriter::start(Journal &journal, Id id, const JournalOrigin &origin,
                          const std::vector<JournalEntry> &first)
{
#ifdef Q_OS_UNIX
    if (const std::optional<QString> reason = folder_->claim()) {
        journal.failed = true;
        if (trouble_)
            trouble_(id, *reason);
        return;
    }
    Journal made;
    made.path = folder_->newJournalPath();
    made.fd = open(QFile::encodeName(made.path).constData(),
                   O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (made.fd < 0) {
        journal.failed = true;
        if (trouble_)
            trouble_(id, cannotWrite(made.path, errno));
        return;
    }
    QByteArray bytes = JournalRecord::magic().toByteArray();
    originRecord(origin).writeTo(bytes);
    bool whole = write(made, id, bytes);
    for (const JournalEntry &entry : first)
        if (whole)
            append(made, id, entry);
    whole = whole && !made.failed;
    if (whole && syncData(made.fd) != 0)
        fail(made, id, errno);
    if (made.failed) {
        close(made.fd);
        unlink(QFile::encodeName(made.path).constData());
        journal.failed = true;
        return;
    }
    const bool wasFailed = journal.failed;
    if (journal.fd >= 0) {
        close(journal.fd);
        unlink(QFile::encodeName(journal.path).constData());
    }
    made.dirty = false;
    journal = made;
    folder_->sync();
    setPath(id, journal.path);
    if (wasFailed && trouble_)
        trouble_(id, {});
#else
    Q_UNUSED(journal);
    Q_UNUSED(id);
    Q_UNUSED(origin);
    Q_UNUSED(first);
#endif
}

void JournalWriter::resume(Journal &journal, Id id, const QString &path, qint64 length)
{
#ifdef Q_OS_UNIX
    journal.path = path;
    journal.length = length;
    journal.fd = open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (journal.fd < 0 || ftruncate(journal.fd, length) != 0 ||
        lseek(journal.fd, length, SEEK_SET) != length) {
        fail(journal, id, errno);
        return;
    }
    setPath(id, path);
#else
    Q_UNUSED(journal);
    Q_UNUSED(id);
    Q_UNUSED(path);
    Q_UNUSED(length);
#endif
}

void JournalWriter::append(Journal &journal, Id id, const JournalEntry &entry)
{
    if (journal.failed || journal.fd < 0)
        return;
    QByteArray bytes;
    bool whole = true;
    recordsOf(entry, [&](const JournalRecord &record) {
        if (!whole)
            return;
        record.writeTo(bytes);
        if (bytes.size() >= WriteSize) {
            whole = write(journal, id, bytes);
            bytes.clear();
        }
    });
    if (whole && !bytes.isEmpty())
        write(journal, id, bytes);
}

bool JournalWriter::write(Journal &journal, Id id, const QByteArray &bytes)
{
#ifdef Q_OS_UNIX
    if (const int error = writeAll(journal.fd, bytes.constData(), bytes.size())) {
        fail(journal, id, error);
        return false;
    }
    journal.length += bytes.size();
    journal.dirty = true;
    unsyncedSince_ = unsyncedSince_.value_or(Clock::now());
    return true;
#else
    Q_UNUSED(journal);
    Q_UNUSED(id);
    Q_UNUSED(bytes);
    return false;
#endif
}

// What was written of a record cut short goes, so that the journal ends
// at its last whole record.
void JournalWriter::fail(Journal &journal, Id id, int error)
{
#ifdef Q_OS_UNIX
    if (journal.fd >= 0 && ftruncate(journal.fd, journal.length) == 0)
        lseek(journal.fd, journal.length, SEEK_SET);
#endif
    journal.failed = true;
    if (trouble_)
        trouble_(id, cannotWrite(journal.path, error));
}

void JournalWriter::syncAll()
{
#ifdef Q_OS_UNIX
    for (auto &[id, journal] : journals_) {
        if (!journal.dirty || journal.failed)
            continue;
        journal.dirty = false;
        if (syncData(journal.fd) != 0)
            fail(journal, id, errno);
    }
    if (folderDirty_) {
        folderDirty_ = false;
        folder_->sync();
    }
#endif
    unsyncedSince_.reset();
}
