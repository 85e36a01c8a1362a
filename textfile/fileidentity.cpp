#include "fileidentity.h"

#ifdef Q_OS_UNIX

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <functional>
#include <map>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <sys/xattr.h>
#endif

namespace {

using Attributes = std::map<QByteArray, QByteArray>;
// Fills a buffer of the given size, or tells the size needed when it is 0.
using Reader = std::function<ssize_t(char *, size_t)>;

#ifdef Q_OS_LINUX

// What a reader gives, read again while it grows between two calls.
std::optional<QByteArray> readAll(const Reader &read)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        const ssize_t size = read(nullptr, 0);
        if (size < 0)
            return std::nullopt;
        QByteArray buffer(size, Qt::Uninitialized);
        const ssize_t got = read(buffer.data(), size_t(buffer.size()));
        if (got >= 0) {
            buffer.truncate(got);
            return buffer;
        }
        if (errno != ERANGE)
            return std::nullopt;
    }
    return std::nullopt;
}

// The extended attributes of a file, none where the file system has none.
std::optional<Attributes> attributes(const Reader &listNames,
                                     const std::function<Reader(const char *)> &value)
{
    std::optional<QByteArray> names = readAll(listNames);
    if (!names)
        return (errno == ENOTSUP) ? std::optional<Attributes>(Attributes()) : std::nullopt;
    Attributes result;
    for (const QByteArray &name : names->split('\0')) {
        if (name.isEmpty())
            continue;
        std::optional<QByteArray> bytes = readAll(value(name.constData()));
        if (!bytes)
            return std::nullopt;
        result[name] = *bytes;
    }
    return result;
}

std::optional<Attributes> attributesOf(const QByteArray &path)
{
    const char *file = path.constData();
    return attributes([file](char *buffer, size_t size) { return listxattr(file, buffer, size); },
                      [file](const char *name) -> Reader {
                          return [file, name](char *buffer, size_t size) {
                              return getxattr(file, name, buffer, size);
                          };
                      });
}

std::optional<Attributes> attributesOf(int fd)
{
    return attributes([fd](char *buffer, size_t size) { return flistxattr(fd, buffer, size); },
                      [fd](const char *name) -> Reader {
                          return [fd, name](char *buffer, size_t size) {
                              return fgetxattr(fd, name, buffer, size);
                          };
                      });
}

// Makes fd's extended attributes those wanted: a new file may have been
// given some of its own, an access control list inherited from its folder
// for one.
bool giveAttributes(int fd, const Attributes &wanted)
{
    const std::optional<Attributes> current = attributesOf(fd);
    if (!current)
        return false;
    for (const auto &[name, value] : *current) {
        if (!wanted.count(name) && fremovexattr(fd, name.constData()) != 0)
            return false;
    }
    for (const auto &[name, value] : wanted) {
        const auto found = current->find(name);
        if ((found == current->end() || found->second != value) &&
            fsetxattr(fd, name.constData(), value.constData(), size_t(value.size()), 0) != 0)
            return false;
    }
    return true;
}

#else

// Where the attributes are not read, a new file cannot be shown to have
// the old one's: the old one is then always written in place.
std::optional<Attributes> attributesOf(const QByteArray &)
{
    return std::nullopt;
}

std::optional<Attributes> attributesOf(int)
{
    return std::nullopt;
}

bool giveAttributes(int, const Attributes &)
{
    return false;
}

#endif

bool sameOwnerAndMode(int fd, const struct stat &original)
{
    struct stat now;
    return ::fstat(fd, &now) == 0 && now.st_uid == original.st_uid &&
           now.st_gid == original.st_gid && (now.st_mode & 07777) == (original.st_mode & 07777);
}

} // namespace

namespace FileIdentity {

// The owner goes first, since changing it clears the set-ID bits; the mode
// goes last, since giving an access control list sets the mode's group bits
// and may clear the set-group-ID bit.
bool give(int fd, const struct stat &original, const QString &path)
{
    struct stat now;
    if (::fstat(fd, &now) != 0)
        return false;
    if ((now.st_uid != original.st_uid || now.st_gid != original.st_gid) &&
        ::fchown(fd, original.st_uid, original.st_gid) != 0)
        return false;
    const std::optional<Attributes> wanted = attributesOf(QFile::encodeName(path));
    if (!wanted || !giveAttributes(fd, *wanted) || ::fchmod(fd, original.st_mode & 07777) != 0)
        return false;
    return sameOwnerAndMode(fd, original) && attributesOf(fd) == wanted;
}

} // namespace FileIdentity

#endif
