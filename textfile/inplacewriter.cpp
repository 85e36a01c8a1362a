#include "inplacewriter.h"

#ifdef Q_OS_UNIX

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr qsizetype PieceSize = 1 << 20;

QString folderForCopies()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    return !folder.isEmpty() && QDir().mkpath(folder) ? folder : QString();
}

} // namespace

InPlaceWriter::~InPlaceWriter()
{
    if (file_ >= 0)
        ::close(file_);
    if (copy_ >= 0)
        ::close(copy_);
}

bool InPlaceWriter::write(const FileSaver::Content &content)
{
    file_ = ::open(QFile::encodeName(path_).constData(), O_WRONLY | O_CLOEXEC);
    if (file_ < 0)
        return fail();
    if (!makeCopy())
        return false;
    if (beforeRewrite_)
        beforeRewrite_(copyPath_);
    if (rewrite(content)) {
        if (keepAs_.isEmpty())
            removeCopy();
        else
            keepCopy();
        return true;
    }
    const QString reason = error_;
    if (putBack()) {
        removeCopy();
        error_ = reason;
    } else {
        error_ = reason + u'\n' +
                 QStringLiteral("Il contenuto precedente del file è conservato in \"%1\".")
                     .arg(QDir::toNativeSeparators(copyPath_));
    }
    return false;
}

// The copy goes beside the file where it can, so that it is on the same
// disk and found next to the file should the program stop half-way.
bool InPlaceWriter::makeCopy()
{
    const int source = ::open(QFile::encodeName(path_).constData(), O_RDONLY | O_CLOEXEC);
    if (source < 0)
        return fail();
    const QFileInfo info(path_);
    bool made = copyTo(source, info.absolutePath() + QStringLiteral("/.") + info.fileName());
    if (!made) {
        const QString folder = folderForCopies();
        made = !folder.isEmpty() && copyTo(source, folder + u'/' + info.fileName());
    }
    ::close(source);
    return made;
}

bool InPlaceWriter::copyTo(int source, const QString &prefix)
{
    QByteArray name = QFile::encodeName(prefix + QStringLiteral(".XXXXXX~"));
    const int copy = ::mkostemps(name.data(), 1, O_CLOEXEC);
    if (copy < 0)
        return fail();
    size_ = 0;
    if (copyBytes(source, copy, size_) && (::fsync(copy) == 0 || fail())) {
        copy_ = copy;
        copyPath_ = QFile::decodeName(name);
        return true;
    }
    ::close(copy);
    ::unlink(name.constData());
    return false;
}

// Writes over the old bytes and cuts off what is left of them: a file that
// does not grow then needs no more room on the disk than it has.
bool InPlaceWriter::rewrite(const FileSaver::Content &content)
{
    qint64 offset = 0;
    const bool written = content([this, &offset](QByteArrayView bytes) {
        if (!writeAt(file_, bytes, offset))
            return false;
        offset += bytes.size();
        return true;
    });
    if (!written) {
        if (error_.isEmpty())
            error_ = QStringLiteral("Il file non è stato scritto per intero.");
        return false;
    }
    return (::ftruncate(file_, offset) == 0 && ::fsync(file_) == 0) || fail();
}

bool InPlaceWriter::putBack()
{
    qint64 copied = 0;
    return copyBytes(copy_, file_, copied) && copied == size_ && ::ftruncate(file_, size_) == 0 &&
           ::fsync(file_) == 0;
}

void InPlaceWriter::removeCopy()
{
    ::close(copy_);
    copy_ = -1;
    ::unlink(QFile::encodeName(copyPath_).constData());
}

void InPlaceWriter::keepCopy()
{
    ::close(copy_);
    copy_ = -1;
    const bool moved = ::rename(QFile::encodeName(copyPath_).constData(),
                                QFile::encodeName(keepAs_).constData()) == 0;
    kept_ = moved ? keepAs_ : copyPath_;
}

bool InPlaceWriter::copyBytes(int from, int to, qint64 &copied)
{
    QByteArray buffer(PieceSize, Qt::Uninitialized);
    for (copied = 0;;) {
        const ssize_t count = ::pread(from, buffer.data(), size_t(buffer.size()), copied);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return fail();
        if (count == 0)
            return true;
        if (!writeAt(to, QByteArrayView(buffer.constData(), count), copied))
            return false;
        copied += count;
    }
}

bool InPlaceWriter::writeAt(int fd, QByteArrayView bytes, qint64 offset)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t count =
            ::pwrite(fd, bytes.data() + done, size_t(bytes.size() - done), offset + done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return fail();
        done += count;
    }
    return true;
}

// Keeps the system's reason for the call that just failed; always false.
bool InPlaceWriter::fail()
{
    const int error = errno;
    error_ = qt_error_string(error ? error : EIO);
    return false;
}

#endif
