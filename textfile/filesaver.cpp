#include "filesaver.h"

#include "filesnapshot.h"

#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include "fileidentity.h"
#include "inplacewriter.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Writes all of the bytes, however many calls it takes: a short write is no
// error by itself, and writing the rest then gives the system's reason (disk
// full, file too large).
bool writeAll(QFileDevice &file, QByteArrayView bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 count = file.write(bytes.data() + done, bytes.size() - done);
        if (count <= 0)
            return false;
        done += count;
    }
    return true;
}

QString reasonOf(const QFileDevice &file)
{
    return file.error() != QFileDevice::NoError
               ? file.errorString()
               : QStringLiteral("Il file non è stato scritto per intero.");
}

} // namespace

bool FileSaver::save(const QString &path, const Content &content)
{
    error_.clear();
    kept_.clear();
    keptFailure_.clear();
    written_.reset();
#ifdef Q_OS_UNIX
    struct stat original;
    if (::stat(QFile::encodeName(path).constData(), &original) == 0 && S_ISREG(original.st_mode)) {
        // The file the path leads to, through any symbolic links.
        const QString target = QFileInfo(path).canonicalFilePath();
        if (!target.isEmpty()) {
            if (original.st_nlink == 1) {
                const Outcome outcome = replace(target, content, &original);
                if (outcome != Outcome::NotTheSame)
                    return outcome == Outcome::Saved;
            }
            return saveInPlace(target, content);
        }
    }
#endif
    return replace(path, content, nullptr) == Outcome::Saved;
}

FileSaver::Outcome FileSaver::replace(const QString &path, const Content &content,
                                      const struct stat *original)
{
    QSaveFile file(path);
    // Unbuffered: a buffered write that fails when it is flushed loses its
    // reason, and the commit then even replaces the file with what little
    // was written.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        // A folder that takes no new file may still hold a file that can
        // be written.
        if (original)
            return Outcome::NotTheSame;
        error_ = file.errorString();
        return Outcome::Failed;
    }
#ifdef Q_OS_UNIX
    if (original && !FileIdentity::give(file.handle(), *original, path)) {
        file.cancelWriting();
        return Outcome::NotTheSame;
    }
#endif
    if (!content([&file](QByteArrayView bytes) { return writeAll(file, bytes); })) {
        error_ = reasonOf(file);
        file.cancelWriting();
        return Outcome::Failed;
    }
    return finishReplacement(file, original);
}

// Makes sure the new file is still the old one's equal and on the disk,
// then puts it in the old one's place.
FileSaver::Outcome FileSaver::finishReplacement(QSaveFile &file, const struct stat *original)
{
#ifdef Q_OS_UNIX
    // Writing may have cleared the set-user-ID and set-group-ID bits.
    if (original && !FileIdentity::give(file.handle(), *original, file.fileName())) {
        file.cancelWriting();
        return Outcome::NotTheSame;
    }
    if (::fsync(file.handle()) != 0) {
        error_ = qt_error_string(errno);
        file.cancelWriting();
        return Outcome::Failed;
    }
    if (original && !keepSuffix_.isEmpty())
        keepAsSecondName(file.fileName());
    // The new file as it was written, by its descriptor: whatever takes its
    // name later, this is the file that holds the text.
    if (keepWritten_)
        written_ = FileSnapshot::open(QStringLiteral("/proc/self/fd/%1").arg(file.handle()));
#else
    Q_UNUSED(original)
#endif
    if (file.commit()) {
        if (keepWritten_ && !written_)
            written_ = FileSnapshot::open(file.fileName());
        return Outcome::Saved;
    }
    written_.reset();
    error_ = reasonOf(file);
    return Outcome::Failed;
}

bool FileSaver::saveInPlace(const QString &path, const Content &content)
{
#ifdef Q_OS_UNIX
    InPlaceWriter writer(path);
    if (!keepSuffix_.isEmpty())
        writer.keepCopyAs(path + keepSuffix_);
    writer.setBeforeRewrite(beforeRewrite_);
    // The same file, its bytes rewritten: opened now, it holds them after.
    std::shared_ptr<FileSnapshot> written = keepWritten_ ? FileSnapshot::open(path) : nullptr;
    if (writer.write(content)) {
        kept_ = writer.keptPath();
        written_ = std::move(written);
        return true;
    }
    error_ = writer.errorString();
    return false;
#else
    Q_UNUSED(path)
    Q_UNUSED(content)
    return false;
#endif
}

// The old file, which the new one is about to replace, goes on under the
// kept name; the one kept there before makes room.
void FileSaver::keepAsSecondName(const QString &target)
{
#ifdef Q_OS_UNIX
    kept_ = target + keepSuffix_;
    const QByteArray name = QFile::encodeName(kept_);
    if ((::unlink(name.constData()) == 0 || errno == ENOENT) &&
        ::link(QFile::encodeName(target).constData(), name.constData()) == 0)
        return;
    keptFailure_ = qt_error_string(errno);
#else
    Q_UNUSED(target)
#endif
}
