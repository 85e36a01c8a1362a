#include "filestamp.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

#ifdef Q_OS_UNIX
qint64 nanoseconds(const struct timespec &time)
{
    return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

FileStamp stampOf(const struct stat &status)
{
    FileStamp stamp;
    stamp.device = quint64(status.st_dev);
    stamp.inode = quint64(status.st_ino);
    stamp.size = qint64(status.st_size);
    stamp.modifiedNs = nanoseconds(status.st_mtim);
    stamp.changedNs = nanoseconds(status.st_ctim);
    return stamp;
}
#endif

} // namespace

std::optional<FileStamp> FileStamp::ofDescriptor(int fd)
{
#ifdef Q_OS_UNIX
    struct stat status = {};
    if (fstat(fd, &status) != 0)
        return std::nullopt;
    return stampOf(status);
#else
    Q_UNUSED(fd);
    return std::nullopt;
#endif
}

std::optional<FileStamp> FileStamp::ofPath(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat status = {};
    if (stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return stampOf(status);
#else
    Q_UNUSED(path);
    return std::nullopt;
#endif
}
