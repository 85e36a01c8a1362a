#include "contentchecksum.h"

#include "filedigest.h"
#include "journalidentity.h"

#include <algorithm>

void ContentChecksum::take(QByteArrayView bytes)
{
    size_ += bytes.size();
    while (!bytes.isEmpty()) {
        const qint64 room = FileDigest::BlockSize - open_.size();
        const qint64 taken = std::min<qint64>(room, bytes.size());
        if (open_.isEmpty() && taken == FileDigest::BlockSize) {
            // A whole block in place: no copy.
            blocks_.push_back(FileDigest::blockOf(qint64(blocks_.size()), bytes.data(), taken));
        } else {
            open_.append(bytes.first(taken));
            if (open_.size() == FileDigest::BlockSize) {
                blocks_.push_back(
                    FileDigest::blockOf(qint64(blocks_.size()), open_.constData(), open_.size()));
                open_.clear();
            }
        }
        bytes = bytes.sliced(taken);
    }
}

quint64 ContentChecksum::value() const
{
    std::vector<quint64> blocks = blocks_;
    if (!open_.isEmpty())
        blocks.push_back(
            FileDigest::blockOf(qint64(blocks.size()), open_.constData(), open_.size()));
    return JournalIdentity::checksumOf(size_, blocks.data(), qint64(blocks.size()));
}
