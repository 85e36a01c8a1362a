#pragma once

#include <QtGlobal>

#include <atomic>
#include <memory>
#include <vector>

/// A checksum of a file's bytes: a 64-bit value for each block of
/// BlockSize bytes that starts at a multiple of BlockSize, so that any
/// stretch of the file read again can be checked against the blocks it
/// covers, and two states of a file compared block by block.
///
/// A block's value comes from a sum over its words of eight bytes, each
/// word's halves multiplied after adding keys that depend on the word's
/// place in the block: the words may be added in any order, from any number
/// of stretches read on any threads, and the value is the same. A changed
/// word, a word moved elsewhere or a block cut short changes it; changes
/// that happen to cancel out are about as rare as a 64-bit collision. It is
/// a check against accidents, not against someone making two files agree.
/// Summing a gigabyte whose bytes are still in the processor's cache from
/// their read takes about 7 ms on one core with AVX-512 (64 bytes a step),
/// 15 ms with AVX2 and 40 ms with SSE2, so a load computes it as it reads;
/// every width gives the same sums.
class FileDigest
{
public:
    /// A megabyte: the digest of a gigabyte is 8 KB, and a piece of the file
    /// read again later is checked by reading no more than the blocks that
    /// hold it.
    static constexpr qint64 BlockSize = 1 << 20;
    /// Bytes are added a word at a time.
    static constexpr qint64 WordSize = 8;

    /// The digest of a file of size bytes, none of them added yet.
    explicit FileDigest(qint64 size);
    /// The digest of a file of size bytes whose blocks have these values,
    /// as blockOf() gives them, worked out as the file was written.
    FileDigest(qint64 size, std::vector<quint64> blocks);
    FileDigest(const FileDigest &) = delete;
    FileDigest &operator=(const FileDigest &) = delete;

    qint64 size() const { return size_; }
    qint64 blockCount() const { return (size_ + BlockSize - 1) / BlockSize; }

    /// Adds count bytes of the file from offset, a multiple of WordSize;
    /// count too is one, unless the bytes end where the file does. Each
    /// word is added once. Any thread may add.
    void add(qint64 offset, const char *bytes, qint64 count);
    /// The value of block index, once every byte of it has been added.
    quint64 block(qint64 index) const;
    /// The value block index has when these are its bytes, all of them.
    static quint64 blockOf(qint64 index, const char *bytes, qint64 count);

private:
    /// The sum of the words of bytes from offset, the last one padded with
    /// zeros when count is not a whole number of words.
    static quint64 sumOf(qint64 offset, const char *bytes, qint64 count);
    static quint64 finished(qint64 index, quint64 sum, qint64 length);

    const qint64 size_;
    std::unique_ptr<std::atomic<quint64>[]> sums_;
    std::vector<quint64> blocks_; ///< the values, when they were given whole
};
