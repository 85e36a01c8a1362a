#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

/// What tells one state of a file from another without reading its bytes:
/// the device and inode (which file it is), its size, and the times of its
/// last change of content (modification) and of its last change of any
/// kind (change time). A program can set the modification time back, but
/// not the change time, so a file whose stamp is the same as before has not
/// been written since, as far as the file system can tell.
struct FileStamp
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0; ///< since the epoch, in nanoseconds
    qint64 changedNs = 0;  ///< since the epoch, in nanoseconds

    /// The stamp of the file open as fd; nothing when it cannot be read.
    static std::optional<FileStamp> ofDescriptor(int fd);
    /// The stamp of the file at path, links followed; nothing when there is
    /// no such file or it cannot be read.
    static std::optional<FileStamp> ofPath(const QString &path);

    /// Whether both stamps are of the same file (device and inode).
    bool sameFileAs(const FileStamp &other) const
    {
        return device == other.device && inode == other.inode;
    }
    /// Whether nothing tells the two states of a file apart.
    bool operator==(const FileStamp &other) const
    {
        return sameFileAs(other) && size == other.size && modifiedNs == other.modifiedNs &&
               changedNs == other.changedNs;
    }
    bool operator!=(const FileStamp &other) const { return !(*this == other); }
};
