#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>
#include <memory>
#include <vector>

class FileDigest;

/// Hands the bytes of a file being written on, in order, and works out the
/// file's checksum (FileDigest) from them meanwhile, a block at a time, so
/// that the file written can be read again as checked as a file read.
class DigestWriter
{
public:
    using Write = std::function<bool(QByteArrayView)>;

    /// Without digesting, it only hands the bytes on.
    explicit DigestWriter(Write write, bool digesting = true);

    /// Hands bytes on; false when that fails.
    bool write(QByteArrayView bytes);
    qint64 written() const { return written_; }
    /// The checksum of every byte written.
    std::shared_ptr<const FileDigest> finish();

private:
    Write write_;
    const bool digesting_;
    QByteArray block_;
    qint64 inBlock_ = 0;
    std::vector<quint64> values_;
    qint64 written_ = 0;
};
