#include "lineiterator.h"

#include "textmodel.h"

#include <algorithm>

LineIterator::LineIterator(const TextModel &model, qint64 line)
    : model_(model), lineCount_(model.lineCount()),
      line_(std::clamp<qint64>(line, 0, model.lineCount() - 1)), bounds_(model.lineBounds(line_))
{
}

void LineIterator::next()
{
    if (atEnd())
        return;
    ++line_;
    if (atEnd()) {
        bounds_ = {bounds_.next, bounds_.next, bounds_.next};
        return;
    }
    findEnd(bounds_.next);
}

QString LineIterator::text() const
{
    const Chunk *chunk = chunk_.chunk;
    if (!chunk || bounds_.start < chunk_.start || bounds_.end > chunk_.start + chunk->size())
        return model_.text(bounds_.start, bounds_.end);
    QString out;
    chunk->held()->span(bounds_.start - chunk_.start, bounds_.end - chunk_.start).appendTo(out);
    return out;
}

void LineIterator::findEnd(qint64 start)
{
    const ChunkTree &chunks = model_.chunks_;
    if (line_ == lineCount_ - 1) {
        const qint64 length = model_.length();
        bounds_ = {start, length, length};
        return;
    }
    // A line break follows, so start is inside the text.
    if (!chunk_.chunk || start >= chunk_.start + chunk_.chunk->size())
        chunk_ = chunks.locate(start);
    Chunk::Break found = chunk_.chunk->nextBreak(start - chunk_.start);
    if (found.start == chunk_.chunk->size()) {
        // The line runs on into the chunks after: its break is the first one
        // of the chunk where the break ends, as a chunk never cuts a pair.
        chunk_ = chunks.locateBreak(line_ + 1);
        found = chunk_.chunk->nextBreak(0);
    }
    bounds_ = {start, chunk_.start + found.start, chunk_.start + found.end};
}
