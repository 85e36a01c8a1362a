#pragma once

#include "piecebytes.h"
#include "piecetext.h"

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
};
