#include "piececopier.h"

#include "filedigest.h"
#include "filepieces.h"
#include "filesnapshot.h"

#include <algorithm>

bool PieceCopier::load(qint64 index)
{
    if (index == loaded_)
        return true;
    loaded_ = -1;
    const FileDigest &digest = *source_.digest();
    const qint64 from = index * FileDigest::BlockSize;
    const qint64 length = std::min(FileDigest::BlockSize, digest.size() - from);
    if (length <= 0)
        return false;
    block_.resize(length);
    if (source_.snapshot()->readAt(from, block_.data(), length).bytes < length ||
        FileDigest::blockOf(index, block_.constData(), length) != digest.block(index))
        return false;
    loaded_ = index;
    return true;
}

PieceCopier::Outcome PieceCopier::copy(const PieceBytes &piece,
                                       const std::function<bool(QByteArrayView)> &write)
{
    for (qint64 at = piece.begin; at < piece.end;) {
        const qint64 index = at / FileDigest::BlockSize;
        if (!load(index))
            return Outcome::Lost;
        const qint64 offset = at - index * FileDigest::BlockSize;
        const qint64 count = std::min<qint64>(piece.end - at, block_.size() - offset);
        if (!write(QByteArrayView(block_.constData() + offset, count)))
            return Outcome::NotWritten;
        at += count;
    }
    return Outcome::Copied;
}
