#pragma once

#include "piecebytes.h"
#include "piecetext.h"

#include <QByteArray>
#include <QStringView>

#include <memory>
#include <optional>

/// Where the characters of a document's pieces come from: the bytes of the
/// file the pieces were counted in, read again and decoded in the file's
/// encoding each time a piece is asked for.
class PieceSource
{
public:
    virtual ~PieceSource() = default;

    /// The text of the piece's bytes; nothing when they can no longer be
    /// read, or are no longer the bytes the piece was counted from (another
    /// program cut or rewrote the file). Called on any thread.
    virtual std::optional<PieceText> read(const PieceBytes &piece) const = 0;

    /// A piece's bytes as the file holds them, undecoded, kept alive by memory.
    struct Bytes
    {
        std::shared_ptr<const char[]> memory;
        const char *data = nullptr;
        qint64 size = 0;
    };
    /// The piece's bytes, read and checked as read() reads them; nothing
    /// when read() would give nothing, or when the source cannot tell.
    /// Called on any thread.
    virtual std::optional<Bytes> bytes(const PieceBytes &) const { return std::nullopt; }
    /// The bytes that write text in the file's encoding (no byte-order
    /// mark); nothing when it cannot be written there or the source cannot
    /// tell.
    virtual std::optional<QByteArray> encoded(QStringView) const { return std::nullopt; }
    /// Whether every character below U+0080 is written as the one byte of
    /// its value, and no byte below 0x80 is ever part of another character.
    virtual bool writesAsciiAsItself() const { return false; }
};
