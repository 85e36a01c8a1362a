#pragma once

#include "chunk.h"
#include "textsink.h"

#include <QStringView>

#include <memory>
#include <vector>

class MemoryReservation;

/// Cuts a stream of text into chunks of a given size.
///
/// A cut never falls between the CR and the LF of a pair or between the two
/// halves of a surrogate pair, so that every chunk counts its own line
/// breaks exactly and every chunk can be read on its own.
///
/// A decoder can write into it directly, as into any sink, on any thread:
/// the chunks it makes belong to nobody until they are taken.
class ChunkBuilder : public TextSink
{
public:
    /// Chunks of chunkSize characters, each made with room for capacity
    /// (at least chunkSize), so that edits after do not move them at once.
    explicit ChunkBuilder(qsizetype chunkSize, qsizetype capacity = 0);

    void appendLatin1(const char *text, qsizetype size) override;
    void append(QStringView text) override;
    void append(const TextSpan &span);
    /// Puts a chunk made elsewhere after the text so far, which ends the
    /// open chunk first. The text so far must not end in the first half of
    /// a pair that the chunk's first character completes.
    void append(Chunk chunk);

    /// How many characters the builder puts in a chunk.
    qsizetype chunkSize() const { return chunkSize_; }

    /// Memory the chunks of this builder and of its copies take, shared
    /// among them: a chunk that does not fit throws std::bad_alloc, as an
    /// allocation the system refuses does, before the system has to end the
    /// program for it.
    using Budget = std::shared_ptr<MemoryReservation>;
    void setBudget(Budget budget) { budget_ = std::move(budget); }

    /// Whether any text waits to be taken.
    bool isEmpty() const { return appended_ == 0; }
    /// How many characters wait to be taken.
    qint64 appended() const { return appended_; }
    /// The last character appended; there must be one.
    char16_t last() const { return open_.isEmpty() ? completed_.back().back() : open_.back(); }
    /// Every chunk so far, the unfinished last one included; the builder
    /// starts afresh.
    std::vector<Chunk> take();
    /// The chunks completed so far, leaving the open one to be filled.
    std::vector<Chunk> takeCompleted();

private:
    /// Room in the open chunk for text that starts with next; completes the
    /// open chunk first when it is full.
    qsizetype roomFor(char16_t next);
    void startChunk();
    /// Refreshes the open chunk and counts it among the completed ones.
    void completeOpen();
    /// Counts a finished chunk against the budget.
    void spend(const Chunk &chunk);

    qsizetype chunkSize_;
    qsizetype capacity_;
    Chunk open_;
    std::vector<Chunk> completed_;
    qint64 appended_ = 0;
    Budget budget_;
};
