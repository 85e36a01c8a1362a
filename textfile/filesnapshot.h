#pragma once

#include "filestamp.h"

#include <QString>
#include <QtGlobal>

#include <memory>
#include <mutex>

#ifndef Q_OS_UNIX
class QFile;
#endif

/// One state of a file, as a load reads it: the file opened once, read at
/// any offset through that one descriptor, with the stamp it had when it
/// was opened.
///
/// Whatever another program does to the path meanwhile (renames a new file
/// over it, removes it), the descriptor still reads the file that was
/// opened; what it does to the file itself (cuts it, writes into it) shows
/// in the file's stamp and in short reads, which the load checks.
///
/// Opening never waits: a FIFO with no writer, or a file on a device, is
/// opened without blocking, and the reads wait for data only once
/// waitForData() is called on the thread that reads. Shared between the
/// load's threads and whoever keeps the file's text in the file.
class FileSnapshot
{
public:
    /// Opens path for reading; nothing, with the reason, when it cannot be
    /// read (missing, no right to it, a folder, a device).
    static std::shared_ptr<FileSnapshot> open(const QString &path, QString *reason = nullptr);
    ~FileSnapshot();
    FileSnapshot(const FileSnapshot &) = delete;
    FileSnapshot &operator=(const FileSnapshot &) = delete;

    const QString &path() const { return path_; }
    /// The stamp the file had when it was opened.
    const FileStamp &stamp() const { return stamp_; }
    /// Whether its size says what it holds, so that any part of it may be
    /// read at its offset and its identity checked: an ordinary file that
    /// is not empty and not one of the kernel's own, whose files say a size
    /// that is not theirs (/proc, /sys). Any other (a pipe, a FIFO, an empty
    /// file) is read in order to its end.
    bool readsAtOffsets() const { return readsAtOffsets_; }

    /// What a read gave: the bytes it read, fewer than asked only where the
    /// file ends, or the system's error.
    struct Read
    {
        qint64 bytes = 0;
        int error = 0;
    };

    /// Makes reads wait for data, as a FIFO opened without waiting does not.
    void waitForData();
    /// Reads at most size bytes from offset.
    Read readAt(qint64 offset, char *into, qint64 size) const;
    /// Reads at most size bytes after those of the last call, as a pipe
    /// gives them.
    Read readNext(char *into, qint64 size);
    /// Whether error says the file cannot be read at an offset (a pipe).
    static bool isNoOffsets(int error);
    /// The system's words for error.
    static QString reasonFor(int error);

    /// The file's stamp now; nothing when it cannot be read.
    std::optional<FileStamp> stampNow() const;
    /// Whether the path still names this file, rather than another file
    /// renamed over it, or nothing.
    bool isAtPath() const;

private:
    FileSnapshot(const QString &path, int fd, const FileStamp &stamp, bool readsAtOffsets);

    const QString path_;
    const int fd_;
    const FileStamp stamp_;
    const bool readsAtOffsets_;
#ifndef Q_OS_UNIX
    std::unique_ptr<QFile> file_;
    mutable std::mutex mutex_;
#endif
};
