#include "textmodel.h"

#include "chunkbuilder.h"
#include "piececutting.h"

#include <QChar>

#include <algorithm>
#include <iterator>
#include <utility>

TextModel::TextModel(qsizetype chunkSize, QObject *parent)
    : QObject(parent), chunkSize_(std::max<qsizetype>(chunkSize, 4))
{
}

TextModel::~TextModel()
{
    emit aboutToBeDestroyed();
}

qint64 TextModel::length() const
{
    return chunks_.summary().length;
}

qint64 TextModel::bytes() const
{
    const LineSummary summary = chunks_.summary();
    return summary.length - summary.stored + summary.wide;
}

qint64 TextModel::storedLength() const
{
    return chunks_.summary().stored;
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
    forEachHeldSpan(from, to,
                    [&visit](const TextSpan &span, const HeldChunk &) { return visit(span); });
}

void TextModel::forEachHeldSpan(
    qint64 from, qint64 to,
    const std::function<bool(const TextSpan &, const HeldChunk &)> &visit) const
{
    chunks_.visit(from, to, [&](const Chunk &chunk, qint64 start) {
        const qint64 first = std::max(from, start) - start;
        const qint64 last = std::min<qint64>(to - start, chunk.size());
        const HeldChunk held = chunk.held();
        return visit(held->span(first, last), held);
    });
}

void TextModel::replace(qint64 from, qint64 to, QStringView text)
{
    from = std::clamp<qint64>(from, 0, length());
    to = std::clamp<qint64>(to, from, length());
    if (from == to && text.isEmpty())
        return;
    emit aboutToReplace(from, to);
    history_.record(from, replaceRange(from, to, text), text.size());
    changed(from, to - from, text.size());
    const bool given = insertedString_ && insertedString_->constData() == text.data();
    emit edited(from, to - from, text.size(), given ? *insertedString_ : QString());
}

void TextModel::replace(qint64 from, qint64 to, const QString &text)
{
    const QString *outer = std::exchange(insertedString_, &text);
    replace(from, to, QStringView(text));
    insertedString_ = outer;
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
    emit aboutToReplace(from, to);
    history_.record(from, replaceRange(from, to, std::move(chunks)), added);
    changed(from, to - from, added);
    emit edited(from, to - from, added, QString());
}

DetachedText TextModel::exchange(qint64 from, qint64 to, DetachedText text)
{
    const qint64 added = text.length();
    emit aboutToReplace(from, to);
    DetachedText removed = text.isChunks() ? replaceRange(from, to, text.takeChunks())
                                           : replaceRange(from, to, QStringView(text.string()));
    changed(from, to - from, added);
    emit edited(from, to - from, added, QString());
    return removed;
}

void TextModel::changed(qint64 from, qint64 removed, qint64 added)
{
    ++revision_;
    emit contentsChanged(from, removed, added);
}

DetachedText TextModel::replaceRange(qint64 from, qint64 to, QStringView text)
{
    QString removed;
    if (replaceInChunk(from, to, text, removed))
        return DetachedText(std::move(removed));
    std::vector<Chunk> chunks;
    if (!text.isEmpty()) {
        ChunkBuilder builder = evenChunks(text.size());
        builder.append(text);
        chunks = builder.take();
    }
    return replaceRange(from, to, std::move(chunks));
}

// The common edit, typing or deleting a little: it stays inside one chunk,
// which is changed in place.
bool TextModel::replaceInChunk(qint64 from, qint64 to, QStringView text, QString &removed)
{
    if (chunks_.chunkCount() == 0)
        return false;
    const ChunkTree::Location location = chunks_.locate(from);
    const qsizetype size = location.chunk->size();
    const qint64 end = to - location.start;
    if (location.chunk->isPiece() || end > size || size - (to - from) + text.size() > chunkSize_)
        return false;
    Chunk &chunk = chunks_.chunk(location.index);
    const qsizetype offset = from - location.start;
    chunk.span(offset, end).appendTo(removed);
    chunk.remove(offset, end);
    chunk.insert(offset, text);
    chunks_.refresh(location.index);
    repair(location.index, 1);
    return true;
}

// Any other edit: the chunks that [from, to) touches leave the tree whole.
// What they hold before from and after to is made anew together with the
// first and the last of the new chunks; the chunks between go in as they
// are, and the removed text goes out as the chunks that held it, trimmed
// to the range. Only the two ends are ever copied.
DetachedText TextModel::replaceRange(qint64 from, qint64 to, std::vector<Chunk> chunks)
{
    std::erase_if(chunks, [](const Chunk &chunk) { return chunk.isEmpty(); });
    openPieceAt(from);
    openPieceAt(to);
    qsizetype index = 0;
    qsizetype head = 0;
    qsizetype tail = 0;
    std::vector<Chunk> taken = takeRange(from, to, index, head, tail);
    std::vector<Chunk> made;
    if (taken.empty()) {
        made = std::move(chunks);
    } else {
        Chunk &first = taken.front();
        Chunk &last = taken.back();
        // Only ordinary chunks are cut: a piece is taken whole or not at all.
        made = withEnds(head > 0 ? first.span(0, head) : TextSpan(), std::move(chunks),
                        tail > 0 ? last.span(last.size() - tail, last.size()) : TextSpan());
        // The end first: the first and the last may be one chunk.
        last.remove(last.size() - tail, last.size());
        last.refresh();
        first.remove(0, head);
        first.refresh();
        std::erase_if(taken, [](const Chunk &chunk) { return chunk.isEmpty(); });
    }
    const qsizetype count = qsizetype(made.size());
    chunks_.insert(index, std::move(made));
    repair(index, count);
    return detached(std::move(taken));
}

// A piece among the new chunks goes in as it is; the text kept before or
// after it is made into chunks of its own.
std::vector<Chunk> TextModel::withEnds(TextSpan before, std::vector<Chunk> chunks,
                                       TextSpan after) const
{
    std::vector<Chunk> made;
    auto build = [&](std::initializer_list<TextSpan> spans) {
        qint64 total = 0;
        for (const TextSpan &span : spans)
            total += span.size;
        if (total == 0)
            return;
        ChunkBuilder builder = evenChunks(total);
        for (const TextSpan &span : spans)
            builder.append(span);
        for (Chunk &chunk : builder.take())
            made.push_back(std::move(chunk));
    };
    if (chunks.empty()) {
        build({before, after});
        return made;
    }
    const bool firstJoins = !chunks.front().isPiece();
    const bool lastJoins = !chunks.back().isPiece();
    if (chunks.size() == 1) {
        if (firstJoins) {
            build({before, chunks.front().span(), after});
        } else {
            build({before});
            made.push_back(std::move(chunks.front()));
            build({after});
        }
        return made;
    }
    if (firstJoins && before.size > 0)
        build({before, chunks.front().span()});
    else {
        build({before});
        made.push_back(std::move(chunks.front()));
    }
    std::move(chunks.begin() + 1, chunks.end() - 1, std::back_inserter(made));
    if (lastJoins && after.size > 0)
        build({chunks.back().span(), after});
    else {
        made.push_back(std::move(chunks.back()));
        build({after});
    }
    return made;
}

std::vector<Chunk> TextModel::takeRange(qint64 from, qint64 to, qsizetype &index, qsizetype &head,
                                        qsizetype &tail)
{
    index = 0;
    head = tail = 0;
    if (chunks_.chunkCount() == 0)
        return {};
    if (from == to) {
        // An insertion between two chunks takes none of them.
        if (from == length()) {
            index = chunks_.chunkCount();
            return {};
        }
        const ChunkTree::Location at = chunks_.locate(from);
        index = at.index;
        if (from == at.start)
            return {};
        head = from - at.start;
        tail = at.chunk->size() - head;
        return chunks_.take(at.index, 1);
    }
    const ChunkTree::Location first = chunks_.locate(from);
    const ChunkTree::Location last = chunks_.locate(to - 1);
    index = first.index;
    head = from - first.start;
    tail = last.start + last.chunk->size() - to;
    return chunks_.take(first.index, last.index - first.index + 1);
}

DetachedText TextModel::detached(std::vector<Chunk> chunks) const
{
    qint64 total = 0;
    for (const Chunk &chunk : chunks)
        total += chunk.size();
    // Pieces stay pieces, so that undo puts them back as they were.
    if (total > chunkSize_ ||
        std::any_of(chunks.begin(), chunks.end(), [](const Chunk &c) { return c.isPiece(); }))
        return DetachedText(std::move(chunks));
    QString text;
    text.reserve(total);
    for (const Chunk &chunk : chunks)
        chunk.span().appendTo(text);
    return DetachedText(std::move(text));
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

void TextModel::renamePieces(std::vector<std::pair<qsizetype, Chunk>> pieces)
{
    for (auto &[index, chunk] : pieces) {
        Q_ASSERT(chunk.summary() == chunks_.chunk(index).summary());
        chunks_.chunk(index) = std::move(chunk);
    }
}

void TextModel::setLoading(bool loading)
{
    if (loading == loading_)
        return;
    loading_ = loading;
    emit loadingChanged(loading);
}

void TextModel::setLineBreak(LineBreak lineBreak)
{
    if (lineBreak == lineBreak_)
        return;
    lineBreak_ = lineBreak;
    emit lineBreakChanged();
}

void TextModel::appendChunks(std::vector<Chunk> chunks)
{
    const qint64 position = length();
    const qsizetype first = chunks_.chunkCount();
    const qsizetype count = qsizetype(chunks.size());
    chunks_.insert(first, std::move(chunks));
    repair(first, count);
    changed(position, 0, length() - position);
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
    if (chunks_.chunk(left).isPiece() || chunks_.chunk(left + 1).isPiece())
        return joinIfNeeded(openPieceEdge(left));
    const Chunk &a = chunks_.chunk(left);
    const Chunk &b = chunks_.chunk(left + 1);
    const bool pairCut = LineBreaks::splitsPair(a.back(), b.front()) ||
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

// A piece never joins its neighbour, whatever its size. Only a pair of
// characters cut at its edge opens it there, so that the pair's halves can
// join in ordinary chunks. A piece that does not end the text ends right
// after a line feed, which no pair begins with, so two pieces never cut one.
qsizetype TextModel::openPieceEdge(qsizetype left)
{
    const Chunk &a = chunks_.chunk(left);
    const Chunk &b = chunks_.chunk(left + 1);
    if (a.isPiece() && (b.isPiece() || !a.pieceBytes().endsText))
        return -1;
    const char16_t last = a.back();
    if (last != u'\r' && !QChar::isHighSurrogate(last))
        return -1;
    const char16_t first = b.front();
    if (!LineBreaks::splitsPair(last, first) &&
        !(QChar::isHighSurrogate(last) && QChar::isLowSurrogate(first)))
        return -1;
    const qint64 edge = chunks_.startOf(left + 1);
    if (a.isPiece())
        openPiece(left, a.size() - 1, a.size());
    else
        openPiece(left + 1, 0, 1);
    return chunks_.locate(edge).index - 1;
}

// Cuts the piece that holds position, if one does, so that position is an
// edge between chunks or lies in an ordinary chunk: the stretch between the
// places around position where the piece's text may be cut becomes ordinary
// chunks, the rest stays pieces. The text stays what it was.
void TextModel::openPieceAt(qint64 position)
{
    if (position <= 0 || position >= length())
        return;
    const ChunkTree::Location at = chunks_.locate(position);
    if (at.chunk->isPiece() && position > at.start)
        openPiece(at.index, position - at.start, position - at.start);
}

void TextModel::openPiece(qsizetype index, qint64 from, qint64 to)
{
    const Chunk piece = chunks_.chunk(index);
    const HeldChunk text = piece.held();
    std::vector<Chunk> made =
        PieceCutting::openAround(piece, *text.piece(), from, to, chunkBuilder());
    chunks_.remove(index, 1);
    chunks_.insert(index, std::move(made));
}
