#include "journalidentity.h"

#include "filedigest.h"

#include <vector>

quint64 JournalIdentity::checksumOf(const FileDigest &digest)
{
    std::vector<quint64> blocks(size_t(digest.blockCount()));
    for (qint64 i = 0; i < digest.blockCount(); ++i)
        blocks[size_t(i)] = digest.block(i);
    return checksumOf(digest.size(), blocks.data(), qint64(blocks.size()));
}

// Each block's value already depends on its place and length; folding them
// in order with a multiply and a rotation keeps their order in the result.
quint64 JournalIdentity::checksumOf(qint64 size, const quint64 *blocks, qint64 count)
{
    quint64 sum = quint64(size) ^ 0x6A09E667F3BCC908ULL;
    for (qint64 i = 0; i < count; ++i) {
        sum = (sum ^ blocks[i]) * 0x9E3779B97F4A7C15ULL;
        sum = (sum << 29) | (sum >> 35);
    }
    return sum;
}
