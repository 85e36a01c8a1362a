#include "digestwriter.h"

#include "filedigest.h"

#include <algorithm>
#include <cstring>

DigestWriter::DigestWriter(Write write, bool digesting)
    : write_(std::move(write)), digesting_(digesting),
      block_(digesting ? FileDigest::BlockSize : 0, Qt::Uninitialized)
{
}

bool DigestWriter::write(QByteArrayView bytes)
{
    if (!write_(bytes))
        return false;
    written_ += bytes.size();
    while (digesting_ && !bytes.isEmpty()) {
        const qint64 count = std::min<qint64>(bytes.size(), FileDigest::BlockSize - inBlock_);
        std::memcpy(block_.data() + inBlock_, bytes.data(), size_t(count));
        inBlock_ += count;
        bytes = bytes.sliced(count);
        if (inBlock_ == FileDigest::BlockSize) {
            values_.push_back(FileDigest::blockOf(qint64(values_.size()), block_.constData(),
                                                  FileDigest::BlockSize));
            inBlock_ = 0;
        }
    }
    return true;
}

std::shared_ptr<const FileDigest> DigestWriter::finish()
{
    if (inBlock_ > 0)
        values_.push_back(
            FileDigest::blockOf(qint64(values_.size()), block_.constData(), inBlock_));
    inBlock_ = 0;
    return std::make_shared<const FileDigest>(written_, std::move(values_));
}
