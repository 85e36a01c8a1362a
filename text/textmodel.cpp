#include "textmodel.h"

#include "chunkbuilder.h"

#include <QChar>

#include <algorithm>
#include <iterator>

TextModel::TextModel(qsizetype chunkSize, QObject *parent)
    : QObject(parent), chunkSize_(std::max<qsizetype>(chunkSize, 4))
{
}

TextModel::~TextModel() = default;

qint64 TextModel::length() const
{
    return chunks_.summary().length;
}

qint64 TextModel::lineCount() const
{
    return chunks_.summary().breaks + 1;
}

qint64 TextModel::longestLineLength() const
{
    return chunks_.summary().longestLine;
}

qint64 TextModel::lineStart(qint64 line) const
{
    line = std::clamp<qint64>(line, 0, lineCount() - 1);
    if (line == 0)
        return 0;
    const ChunkTree::Location location = chunks_.locateBreak(line);
    return location.start + location.chunk->breakEnd(line - location.breaksBefore);
}

qint64 TextModel::lineEnd(qint64 line) const
{
    return lineBounds(line).end;
}

LineBounds TextModel::lineBounds(qint64 line) const
{
    line = std::clamp<qint64>(line, 0, lineCount() - 1);
    const qint64 start = lineStart(line);
    if (line == lineCount() - 1)
        return {start, length(), length()};
    // A chunk never cuts a CR LF pair, so the break lies whole in the chunk
    // where it ends.
    const ChunkTree::Location location = chunks_.locateBreak(line + 1);
    const qsizetype next = location.chunk->breakEnd(line + 1 - location.breaksBefore);
    return {start, location.start + location.chunk->breakStart(next), location.start + next};
}

qint64 TextModel::lineAt(qint64 position) const
{
    if (chunks_.chunkCount() == 0)
        return 0;
    position = std::clamp<qint64>(position, 0, length());
    const ChunkTree::Location location = chunks_.locate(position);
    return location.breaksBefore + location.chunk->breaksBefore(position - location.start);
}

char16_t TextModel::at(qint64 position) const
{
    if (position < 0 || position >= length())
        return 0;
    const ChunkTree::Location location = chunks_.locate(position);
    return location.chunk->at(position - location.start);
}

QString TextModel::text(qint64 from, qint64 to) const
{
    from = std::clamp<qint64>(from, 0, length());
    to = std::clamp<qint64>(to, from, length());
    QString out;
    out.reserve(to - from);
    forEachSpan(from, to, [&out](const TextSpan &span) {
        span.appendTo(out);
        return true;
    });
    return out;
}

void TextModel::forEachSpan(qint64 from, qint64 to,
                            const std::function<bool(const TextSpan &)> &visit) const
{
    chunks_.visit(from, to, [&](const Chunk &chunk, qint64 start) {
        const qint64 first = std::max(from, start) - start;
        const qint64 last = std::min<qint64>(to - start, chunk.size());
        return visit(chunk.span(first, last));
    });
}

void TextModel::replace(qint64 from, qint64 to, QStringView text)
{
    from = std::clamp<qint64>(from, 0, length());
    to = std::clamp<qint64>(to, from, length());
    if (from == to && text.isEmpty())
        return;
    emit aboutToReplace(from, to);
    if (!replaceInChunk(from, to, text))
        replaceChunks(from, to, text);
    ++revision_;
    emit contentsChanged(from, to - from, text.size());
}

void TextModel::replace(qint64 from, qint64 to, std::vector<Chunk> &&chunks)
{
    from = std::clamp<qint64>(from, 0, length());
    to = std::clamp<qint64>(to, from, length());
    std::erase_if(chunks, [](const Chunk &chunk) { return chunk.isEmpty(); });
    qint64 added = 0;
    for (const Chunk &chunk : chunks)
        added += chunk.size();
    if (from == to && added == 0)
        return;
    // The chunks that [from, to) touches give way to what they keep of
    // their text before from (the head) and after to (the tail), with the
    // new chunks between.
    std::vector<Chunk> made;
    qsizetype first = 0;
    qsizetype count = 0;
    if (chunks_.chunkCount() > 0) {
        const ChunkTree::Location start = chunks_.locate(from);
        const ChunkTree::Location end = to > from ? chunks_.locate(to - 1) : start;
        const TextSpan head = start.chunk->span(0, from - start.start);
        const TextSpan tail = end.chunk->span(to - end.start, end.chunk->size());
        const auto add = [&made](std::vector<Chunk> &&more) {
            std::move(more.begin(), more.end(), std::back_inserter(made));
        };
        ChunkBuilder headBuilder = evenChunks(head.size);
        headBuilder.append(head);
        made = headBuilder.take();
        add(std::move(chunks));
        ChunkBuilder tailBuilder = evenChunks(tail.size);
        tailBuilder.append(tail);
        add(tailBuilder.take());
        first = start.index;
        count = end.index - start.index + 1;
    } else {
        made = std::move(chunks);
    }
    const qsizetype madeCount = qsizetype(made.size());
    chunks_.remove(first, count);
    chunks_.insert(first, std::move(made));
    // Every seam of the new chunks, from the right so that a join leaves
    // the seams still to check where they are.
    for (qsizetype left = first + madeCount - 1; left >= first - 1; --left)
        joinIfNeeded(left);
    ++revision_;
    emit contentsChanged(from, to - from, added);
}

// The common edit, typing or deleting a little: it stays inside one chunk,
// which is changed in place.
bool TextModel::replaceInChunk(qint64 from, qint64 to, QStringView text)
{
    if (chunks_.chunkCount() == 0)
        return false;
    const ChunkTree::Location location = chunks_.locate(from);
    const qsizetype size = location.chunk->size();
    const qint64 end = to - location.start;
    if (end > size || size - (to - from) + text.size() > chunkSize_)
        return false;
    Chunk &chunk = chunks_.chunk(location.index);
    const qsizetype offset = from - location.start;
    chunk.remove(offset, end);
    chunk.insert(offset, text);
    chunks_.refresh(location.index);
    repair(location.index, 1);
    return true;
}

// Any other edit: the chunks that [from, to) touches are made anew from
// what they keep of their text, with the new text between.
void TextModel::replaceChunks(qint64 from, qint64 to, QStringView text)
{
    ChunkTree::Location start;
    ChunkTree::Location end;
    TextSpan head;
    TextSpan tail;
    qsizetype count = 0;
    if (chunks_.chunkCount() > 0) {
        start = chunks_.locate(from);
        end = to > from ? chunks_.locate(to - 1) : start;
        head = start.chunk->span(0, from - start.start);
        tail = end.chunk->span(to - end.start, end.chunk->size());
        count = end.index - start.index + 1;
    }
    ChunkBuilder builder = evenChunks(head.size + text.size() + tail.size);
    builder.append(head);
    builder.append(text);
    builder.append(tail);
    const qsizetype first = start.index;
    std::vector<Chunk> made = builder.take();
    const qsizetype madeCount = qsizetype(made.size());
    chunks_.remove(first, count);
    chunks_.insert(first, std::move(made));
    repair(first, madeCount);
}

// Text made into chunks by an edit is shared evenly among as few chunks as
// hold it, each with a little room to grow, so that the next edits nearby
// still fit in their chunk and move nothing.
ChunkBuilder TextModel::evenChunks(qint64 total) const
{
    const qint64 count = std::max<qint64>((total + chunkSize_ - 1) / chunkSize_, 1);
    const qsizetype size = qsizetype((total + count - 1) / count);
    return ChunkBuilder(size, size + roomToGrow());
}

void TextModel::appendChunks(std::vector<Chunk> chunks)
{
    const qint64 position = length();
    const qsizetype first = chunks_.chunkCount();
    const qsizetype count = qsizetype(chunks.size());
    chunks_.insert(first, std::move(chunks));
    repair(first, count);
    ++revision_;
    emit contentsChanged(position, 0, length() - position);
}

void TextModel::repair(qsizetype first, qsizetype count)
{
    if (count == 1 && chunks_.chunk(first).isEmpty()) {
        chunks_.remove(first, 1);
        count = 0;
    }
    if (count > 0)
        joinIfNeeded(first + count - 1);
    joinIfNeeded(first - 1);
}

// Makes the chunks at left and left + 1 anew when a pair of characters is cut
// between them, or when one of them is small and both fit in one.
bool TextModel::joinIfNeeded(qsizetype left)
{
    if (left < 0 || left + 1 >= chunks_.chunkCount())
        return false;
    const Chunk &a = chunks_.chunk(left);
    const Chunk &b = chunks_.chunk(left + 1);
    const bool pairCut = (a.back() == u'\r' && b.front() == u'\n') ||
                         (QChar::isHighSurrogate(a.back()) && QChar::isLowSurrogate(b.front()));
    const qsizetype total = a.size() + b.size();
    // A chunk under a quarter full joins its neighbour when both fit in one.
    const qsizetype minimum = chunkSize_ / 4;
    const bool small = (a.size() < minimum || b.size() < minimum) && total <= chunkSize_;
    if (!pairCut && !small)
        return false;
    ChunkBuilder builder = evenChunks(total);
    builder.append(a.span());
    builder.append(b.span());
    chunks_.remove(left, 2);
    chunks_.insert(left, builder.take());
    return true;
}
