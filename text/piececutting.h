#pragma once

#include "chunk.h"
#include "chunkbuilder.h"
#include "piecetext.h"

#include <vector>

/// Cuts a piece where its text may be cut (PieceText::cuts): each part is a
/// piece of its own, with the summary of its characters, and its decoded
/// text is left in the store's cache, as the characters around an edit are
/// read again at once.
namespace PieceCutting {

/// The part of piece between two of its text's cuts, as a piece.
Chunk part(const Chunk &piece, const PieceText &text, const PieceCut &from, const PieceCut &to);

/// piece, whose text is text, cut so that [from, to) of its characters lies
/// in ordinary chunks made by builder: the stretch between the cuts around
/// it, or none when from and to are both the same cut; the rest stays
/// pieces.
std::vector<Chunk> openAround(const Chunk &piece, const PieceText &text, qint64 from, qint64 to,
                              ChunkBuilder builder);

} // namespace PieceCutting
