#include "digestfeed.h"

#include "filedigest.h"

#include <algorithm>
#include <cstring>

DigestFeed::DigestFeed(FileDigest &digest, qint64 offset, QByteArrayView before)
    : digest_(digest), offset_(offset), carried_(before.size())
{
    std::copy_n(before.data(), before.size(), word_);
}

void DigestFeed::take(const char *bytes, qint64 count)
{
    if (carried_ > 0) {
        const qint64 filled = std::min(FileDigest::WordSize - carried_, count);
        std::copy_n(bytes, filled, word_ + carried_);
        carried_ += filled;
        offset_ += filled;
        bytes += filled;
        count -= filled;
        if (carried_ < FileDigest::WordSize)
            return;
        digest_.add(offset_ - carried_, word_, carried_);
        carried_ = 0;
    }
    const qint64 whole = count / FileDigest::WordSize * FileDigest::WordSize;
    digest_.add(offset_, bytes, whole);
    carried_ = count - whole;
    std::copy_n(bytes + whole, carried_, word_);
    offset_ += count;
}

void DigestFeed::finish()
{
    if (carried_ > 0 && offset_ == digest_.size())
        digest_.add(offset_ - carried_, word_, carried_);
    carried_ = 0;
}
