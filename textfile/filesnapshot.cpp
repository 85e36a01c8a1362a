#include "filesnapshot.h"

#include <QFile>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

namespace {

const QString NotAFile = QStringLiteral("Non è un file ordinario.");

#ifdef Q_OS_UNIX
#ifdef Q_OS_LINUX
// The kernel's own file systems: their files are made as they are read,
// and the size they say (0, or a page) is not what they hold.
bool onKernelFileSystem(int fd)
{
    struct statfs system = {};
    if (fstatfs(fd, &system) != 0)
        return false;
    switch (quint64(system.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case SECURITYFS_MAGIC:
    case 0x62656570: // configfs
        return true;
    default:
        return false;
    }
}
#else
bool onKernelFileSystem(int)
{
    return false;
}
#endif
#endif

} // namespace

#ifdef Q_OS_UNIX

// O_NONBLOCK: a FIFO with no writer yet opens at once rather than waiting
// for one; a device is refused before anything waits on it.
std::shared_ptr<FileSnapshot> FileSnapshot::open(const QString &path, QString *reason)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (reason)
            *reason = reasonFor(errno);
        return nullptr;
    }
    const std::optional<FileStamp> stamp = FileStamp::ofDescriptor(fd);
    struct stat status = {};
    const bool known = stamp && fstat(fd, &status) == 0;
    if (!known || S_ISDIR(status.st_mode) || S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode)) {
        if (reason)
            *reason = !known                    ? reasonFor(errno)
                      : S_ISDIR(status.st_mode) ? reasonFor(EISDIR)
                                                : NotAFile;
        ::close(fd);
        return nullptr;
    }
    const bool atOffsets = S_ISREG(status.st_mode) && status.st_size > 0 && !onKernelFileSystem(fd);
    return std::shared_ptr<FileSnapshot>(new FileSnapshot(path, fd, *stamp, atOffsets));
}

FileSnapshot::FileSnapshot(const QString &path, int fd, const FileStamp &stamp, bool readsAtOffsets)
    : path_(path), fd_(fd), stamp_(stamp), readsAtOffsets_(readsAtOffsets)
{
}

FileSnapshot::~FileSnapshot()
{
    ::close(fd_);
}

void FileSnapshot::waitForData()
{
    const int flags = fcntl(fd_, F_GETFL);
    if (flags >= 0 && (flags & O_NONBLOCK))
        fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
}

// A read may give fewer bytes than asked before the end (a signal, a
// network file system): only a read that gives nothing is the end.
FileSnapshot::Read FileSnapshot::readAt(qint64 offset, char *into, qint64 size) const
{
    Read read;
    while (read.bytes < size) {
        const ssize_t got =
            ::pread(fd_, into + read.bytes, size_t(size - read.bytes), off_t(offset + read.bytes));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            read.error = errno;
        if (got <= 0)
            break;
        read.bytes += got;
    }
    return read;
}

FileSnapshot::Read FileSnapshot::readNext(char *into, qint64 size)
{
    Read read;
    while (read.bytes < size) {
        const ssize_t got = ::read(fd_, into + read.bytes, size_t(size - read.bytes));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            read.error = errno;
        if (got <= 0)
            break;
        read.bytes += got;
    }
    return read;
}

bool FileSnapshot::isNoOffsets(int error)
{
    return error == ESPIPE;
}

std::optional<FileStamp> FileSnapshot::stampNow() const
{
    return FileStamp::ofDescriptor(fd_);
}

#else

// Where there are no descriptors of the system's own, the file is read
// through one handle, one read at a time.
std::shared_ptr<FileSnapshot> FileSnapshot::open(const QString &path, QString *reason)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly | QIODevice::Unbuffered) || file->isSequential()) {
        if (reason)
            *reason = file->isOpen() ? NotAFile : file->errorString();
        return nullptr;
    }
    FileStamp stamp;
    stamp.size = file->size();
    auto snapshot =
        std::shared_ptr<FileSnapshot>(new FileSnapshot(path, -1, stamp, stamp.size > 0));
    snapshot->file_ = std::move(file);
    return snapshot;
}

FileSnapshot::FileSnapshot(const QString &path, int fd, const FileStamp &stamp, bool readsAtOffsets)
    : path_(path), fd_(fd), stamp_(stamp), readsAtOffsets_(readsAtOffsets)
{
}

FileSnapshot::~FileSnapshot() = default;

void FileSnapshot::waitForData() {}

FileSnapshot::Read FileSnapshot::readAt(qint64 offset, char *into, qint64 size) const
{
    const std::lock_guard lock(mutex_);
    Read read;
    if (!file_->seek(offset) || (read.bytes = file_->read(into, size)) < 0)
        read = Read{0, EIO};
    return read;
}

FileSnapshot::Read FileSnapshot::readNext(char *into, qint64 size)
{
    const std::lock_guard lock(mutex_);
    Read read{file_->read(into, size), 0};
    if (read.bytes < 0)
        read = Read{0, EIO};
    return read;
}

bool FileSnapshot::isNoOffsets(int)
{
    return false;
}

std::optional<FileStamp> FileSnapshot::stampNow() const
{
    FileStamp stamp;
    stamp.size = file_->size();
    return stamp;
}

#endif

QString FileSnapshot::reasonFor(int error)
{
    return qt_error_string(error);
}

bool FileSnapshot::isAtPath() const
{
    const std::optional<FileStamp> atPath = FileStamp::ofPath(path_);
    return atPath && atPath->sameFileAs(stamp_);
}
