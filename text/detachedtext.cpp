#include "detachedtext.h"

DetachedText::DetachedText(std::vector<Chunk> chunks) : chunks_(std::move(chunks))
{
    for (const Chunk &chunk : chunks_)
        chunkLength_ += chunk.size();
}

std::vector<Chunk> DetachedText::takeChunks()
{
    chunkLength_ = 0;
    return std::exchange(chunks_, {});
}

qint64 DetachedText::bytes() const
{
    qint64 total = string_.size() * qint64(sizeof(char16_t));
    for (const Chunk &chunk : chunks_) {
        if (!chunk.isPiece()) // a piece's characters stay in its file
            total += chunk.size() * (chunk.isWide() ? qint64(sizeof(char16_t)) : 1);
    }
    return total;
}
