#include "piecetext.h"

#include <algorithm>

const PieceCut &PieceText::cutBefore(qint64 characters) const
{
    const auto after = std::upper_bound(
        cuts.begin(), cuts.end(), characters,
        [](qint64 position, const PieceCut &cut) { return position < cut.characters; });
    return *(after - 1);
}

const PieceCut &PieceText::cutAfter(qint64 characters) const
{
    return *std::lower_bound(
        cuts.begin(), cuts.end(), characters,
        [](const PieceCut &cut, qint64 position) { return cut.characters < position; });
}

// A table entry of four bytes for every block of the chunk's characters.
qint64 PieceText::memoryBytes() const
{
    return characters.memoryBytes() + heldBytes + characters.size() / Chunk::BlockSize * 4 +
           qint64(cuts.size() * sizeof(PieceCut));
}
