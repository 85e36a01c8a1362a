#include "chunkbuilder.h"

#include "linebreak.h"
#include "memoryreservation.h"

#include <QChar>

#include <algorithm>
#include <new>

ChunkBuilder::ChunkBuilder(qsizetype chunkSize, qsizetype capacity)
    : chunkSize_(std::max<qsizetype>(chunkSize, 2)), capacity_(std::max(capacity, chunkSize_))
{
    startChunk();
}

void ChunkBuilder::startChunk()
{
    open_ = Chunk();
}

qsizetype ChunkBuilder::roomFor(char16_t next)
{
    if (open_.isEmpty())
        open_.reserve(capacity_);
    if (open_.size() < chunkSize_)
        return chunkSize_ - open_.size();
    // The last character goes along to the next chunk when it is the first
    // half of a pair that next completes.
    const char16_t last = open_.back();
    const bool pairSplit = LineBreaks::splitsPair(last, next) ||
                           (QChar::isHighSurrogate(last) && QChar::isLowSurrogate(next));
    Chunk full = std::move(open_);
    startChunk();
    open_.reserve(capacity_);
    if (pairSplit) {
        const char16_t carried = full.takeBack();
        open_.append(QStringView(&carried, 1));
    }
    full.refresh();
    spend(full);
    completed_.push_back(std::move(full));
    return chunkSize_ - open_.size();
}

void ChunkBuilder::spend(const Chunk &chunk)
{
    if (budget_ && !budget_->take(chunk.memoryBytes()))
        throw std::bad_alloc();
}

void ChunkBuilder::appendLatin1(const char *text, qsizetype size)
{
    appended_ += size;
    while (size > 0) {
        const qsizetype count = std::min(size, roomFor(uchar(*text)));
        open_.appendLatin1(text, count);
        text += count;
        size -= count;
    }
}

void ChunkBuilder::append(QStringView text)
{
    appended_ += text.size();
    while (!text.isEmpty()) {
        const qsizetype count = std::min(text.size(), roomFor(text.front().unicode()));
        open_.append(text.first(count));
        text = text.sliced(count);
    }
}

void ChunkBuilder::append(const TextSpan &span)
{
    if (span.isWide())
        append(QStringView(span.utf16, span.size));
    else
        appendLatin1(span.latin1, span.size);
}

void ChunkBuilder::append(Chunk chunk)
{
    completeOpen();
    appended_ += chunk.size();
    spend(chunk);
    completed_.push_back(std::move(chunk));
}

void ChunkBuilder::completeOpen()
{
    if (!open_.isEmpty()) {
        open_.shrink();
        open_.refresh();
        spend(open_);
        completed_.push_back(std::move(open_));
    }
    startChunk();
}

std::vector<Chunk> ChunkBuilder::take()
{
    completeOpen();
    appended_ = 0;
    return std::exchange(completed_, {});
}

std::vector<Chunk> ChunkBuilder::takeCompleted()
{
    appended_ = open_.size();
    return std::exchange(completed_, {});
}
