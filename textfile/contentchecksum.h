#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

/// The checksum of bytes handed over in order, as a save writes them: the
/// same value JournalIdentity::checksumOf gives for the digest a load takes
/// of those bytes, so that a file the program wrote can be known again by
/// a later load of it.
class ContentChecksum
{
public:
    void take(QByteArrayView bytes);
    /// How many bytes were taken.
    qint64 size() const { return size_; }
    /// The checksum of every byte taken.
    quint64 value() const;

private:
    QByteArray open_; ///< the bytes of the block not yet whole
    std::vector<quint64> blocks_;
    qint64 size_ = 0;
};
