#pragma once

#include "heldchunk.h"
#include "textspan.h"

#include <vector>

class ChunkBuilder;
class TextModel;

/// The stored pieces of a stretch of a model's text, in order, each with
/// the position where it starts: a way to walk the text, or to read
/// characters near each other, without copying it. Valid until the model
/// changes.
class StoredSpans
{
public:
    struct Piece
    {
        qint64 start = 0;
        TextSpan span;
        qint64 end() const { return start + span.size; }
    };

    /// The pieces of [from, to), clamped to the text.
    StoredSpans(const TextModel &model, qint64 from, qint64 to);

    qint64 from() const { return from_; }
    qint64 to() const { return to_; }
    const std::vector<Piece> &pieces() const { return pieces_; }
    /// The index of the piece that holds position (from() <= position < to()).
    qsizetype pieceAt(qint64 position) const;
    /// The character at position, or 0 outside [from(), to()). Quickest
    /// when each position asked for is near the one before.
    char16_t at(qint64 position) const;
    /// The count characters from position on into out, each 0 outside
    /// [from(), to()); as quick as one at() when they lie in one piece.
    void read(qint64 position, qsizetype count, char16_t *out) const;
    /// Appends the characters of [from, to) to builder; quickest when each
    /// call continues where the one before ended.
    void appendTo(ChunkBuilder &builder, qint64 from, qint64 to) const;

private:
    /// The index of the piece that holds position, starting from the last
    /// one found.
    qsizetype near(qint64 position) const;

    qint64 from_;
    qint64 to_;
    std::vector<Piece> pieces_;
    std::vector<HeldChunk> held_;
    mutable qsizetype last_ = 0;
};
