#pragma once

#include "text/piecebytes.h"

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

class FilePieces;

/// Reads the bytes of pieces of a file again, as a save copies them, whole
/// blocks of the file's checksum at a time, each checked against the value
/// it had when the file was read: bytes another program cut or rewrote are
/// never copied. The last block read is kept, as pieces side by side share
/// the block at their edge.
class PieceCopier
{
public:
    explicit PieceCopier(const FilePieces &source) : source_(source) {}

    enum class Outcome { Copied, Lost, NotWritten };
    /// Hands the bytes of piece to write.
    Outcome copy(const PieceBytes &piece, const std::function<bool(QByteArrayView)> &write);

private:
    /// Reads block index and checks it; false when it is no longer the file's.
    bool load(qint64 index);

    const FilePieces &source_;
    QByteArray block_;
    qint64 loaded_ = -1;
};
