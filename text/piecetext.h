#pragma once

#include "chunk.h"

#include <vector>

/// A place where a piece may be cut in two: right after a line feed, given
/// as the bytes and the characters of the piece before it.
struct PieceCut
{
    qint64 bytes = 0;
    qint64 characters = 0;
    bool operator==(const PieceCut &) const = default;
};

/// The characters of a piece, decoded, with the places where it may be cut:
/// the bytes on either side of a cut decode on their own into the
/// characters on either side of it, so a piece cut there is two pieces.
struct PieceText
{
    /// One chunk, however long, with the characters of the whole piece.
    Chunk characters;
    /// In order, every few kilobytes of the piece where its lines allow;
    /// the piece's start and its end are the first and the last.
    std::vector<PieceCut> cuts;
    /// The piece's bytes are exactly what its text is written as.
    bool bytesAreText = false;
    /// Its bytes were gone: the text only stands in for them
    /// (lostPieceText).
    bool lost = false;
    /// Memory kept alive with the characters besides their own (the file's
    /// bytes around them, read with them).
    qint64 heldBytes = 0;

    /// The last cut at or before characters, and the first at or after it.
    const PieceCut &cutBefore(qint64 characters) const;
    const PieceCut &cutAfter(qint64 characters) const;
    /// The memory the text takes, its table of line breaks included.
    qint64 memoryBytes() const;
};
