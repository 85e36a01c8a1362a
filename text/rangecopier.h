#pragma once

#include "chunkbuilder.h"
#include "chunktree.h"
#include "heldchunk.h"

#include <optional>

class TextModel;

/// Copies stretches of a model's text into a builder, each after the one
/// before, as a replacement of everything builds the new text: the
/// characters of ordinary chunks are copied, while the whole pieces of a
/// file inside a stretch (Chunk::piece) go on as pieces, so that the text
/// left as it was costs no memory. Stretches near each other cost no search
/// of the tree. The model must not change while it copies.
class RangeCopier
{
public:
    explicit RangeCopier(const TextModel &model) : model_(model) {}

    /// Appends the characters of [from, to) to builder; gives how many of
    /// them were copied into memory rather than kept as pieces.
    qint64 appendTo(ChunkBuilder &builder, qint64 from, qint64 to);

private:
    /// The chunk that holds position, held while it is read.
    void moveTo(qint64 position);
    qint64 appendPiece(ChunkBuilder &builder, qint64 from, qint64 to);

    const TextModel &model_;
    ChunkTree::Location at_;
    std::optional<HeldChunk> held_;
};
