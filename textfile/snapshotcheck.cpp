#include "snapshotcheck.h"

#include "filedigest.h"
#include "filesnapshot.h"

#include <QByteArray>

#include <algorithm>
#include <cerrno>

namespace {

enum class Bytes { Same, Different, Cut };

// The file's first bytes read again, a block at a time, against the digest.
Bytes compare(const FileSnapshot &snapshot, const FileDigest &digest,
              const std::function<bool()> &stopping)
{
    QByteArray block(FileDigest::BlockSize, Qt::Uninitialized);
    for (qint64 index = 0; index < digest.blockCount() && !stopping(); ++index) {
        const qint64 offset = index * FileDigest::BlockSize;
        const qint64 length = std::min(FileDigest::BlockSize, digest.size() - offset);
        const FileSnapshot::Read read = snapshot.readAt(offset, block.data(), length);
        if (read.bytes < length)
            return Bytes::Cut;
        if (FileDigest::blockOf(index, block.constData(), length) != digest.block(index))
            return Bytes::Different;
    }
    return Bytes::Same;
}

} // namespace

namespace SnapshotCheck {

QString cutReason()
{
    return QStringLiteral(
        "Il file è stato accorciato da un altro programma durante il caricamento.");
}

QString rewrittenReason()
{
    return QStringLiteral(
        "Il file è stato modificato da un altro programma durante il caricamento.");
}

Verdict check(const FileSnapshot &snapshot, const std::shared_ptr<const FileDigest> &digest,
              const std::function<bool()> &stopping)
{
    const FileStamp &before = snapshot.stamp();
    const std::optional<FileStamp> now = snapshot.stampNow();
    if (!now)
        return FileSnapshot::reasonFor(errno);
    if (now->size < before.size)
        return cutReason();
    if (*now != before) {
        switch (compare(snapshot, *digest, stopping)) {
        case Bytes::Cut:
            return cutReason();
        case Bytes::Different:
            return rewrittenReason();
        case Bytes::Same:
            break;
        }
    }
    return LoadedFile{*now, before.size, now->size > before.size, digest};
}

} // namespace SnapshotCheck
