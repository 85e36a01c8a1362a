#pragma once

#include "chunk.h"

#include <QStringView>

#include <vector>

/// Cuts a stream of text into chunks of a given size.
///
/// A cut never falls between the CR and the LF of a pair or between the two
/// halves of a surrogate pair, so that every chunk counts its own line
/// breaks exactly and every chunk can be read on its own.
class ChunkBuilder
{
public:
    /// Chunks of chunkSize characters, each made with room for capacity
    /// (at least chunkSize), so that edits after do not move them at once.
    explicit ChunkBuilder(qsizetype chunkSize, qsizetype capacity = 0);

    void appendLatin1(const char *text, qsizetype size);
    void append(QStringView text);
    void append(const TextSpan &span);

    /// Whether any text was appended since the last take.
    bool isEmpty() const { return appended_ == 0; }
    /// How many characters were appended since the last take.
    qint64 appended() const { return appended_; }
    /// Every chunk so far, the unfinished last one included; the builder
    /// starts afresh.
    std::vector<Chunk> take();

private:
    /// Room in the open chunk for text that starts with next; completes the
    /// open chunk first when it is full.
    qsizetype roomFor(char16_t next);
    void startChunk();

    qsizetype chunkSize_;
    qsizetype capacity_;
    Chunk open_;
    std::vector<Chunk> completed_;
    qint64 appended_ = 0;
};
