#pragma once

#include <memory>

class Chunk;
struct PieceText;

/// The characters of a chunk, held for as long as the handle lives: those
/// of an ordinary chunk, or the decoded text of a piece, which no cache may
/// free meanwhile. Whatever is read through it (spans, characters) stays
/// valid while it lives.
class HeldChunk
{
public:
    explicit HeldChunk(const Chunk &chunk) : chunk_(&chunk) {}
    HeldChunk(std::shared_ptr<const PieceText> piece, const Chunk &characters)
        : piece_(std::move(piece)), chunk_(&characters)
    {
    }

    const Chunk &operator*() const { return *chunk_; }
    const Chunk *operator->() const { return chunk_; }
    /// The decoded text of a piece, with its cuts; null for other chunks.
    const PieceText *piece() const { return piece_.get(); }

private:
    std::shared_ptr<const PieceText> piece_;
    const Chunk *chunk_;
};
