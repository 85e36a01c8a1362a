#include "storedspans.h"

#include "chunkbuilder.h"
#include "textmodel.h"

#include <algorithm>

StoredSpans::StoredSpans(const TextModel &model, qint64 from, qint64 to)
    : from_(std::clamp<qint64>(from, 0, model.length())),
      to_(std::clamp<qint64>(to, from_, model.length()))
{
    qint64 start = from_;
    model.forEachHeldSpan(from_, to_, [&](const TextSpan &span, const HeldChunk &held) {
        if (held.piece())
            held_.push_back(held);
        pieces_.push_back({start, span});
        start += span.size;
        return true;
    });
}

qsizetype StoredSpans::pieceAt(qint64 position) const
{
    const auto after =
        std::upper_bound(pieces_.begin(), pieces_.end(), position,
                         [](qint64 p, const Piece &piece) { return p < piece.start; });
    return std::max<qsizetype>(0, (after - pieces_.begin()) - 1);
}

qsizetype StoredSpans::near(qint64 position) const
{
    const Piece &last = pieces_[last_];
    if (position >= last.start && position < last.end())
        return last_;
    const qsizetype next = last_ + (position < last.start ? -1 : 1);
    if (next >= 0 && next < qsizetype(pieces_.size()) && position >= pieces_[next].start &&
        position < pieces_[next].end())
        return last_ = next;
    return last_ = pieceAt(position);
}

char16_t StoredSpans::at(qint64 position) const
{
    if (position < from_ || position >= to_)
        return 0;
    const Piece &piece = pieces_[near(position)];
    return piece.span.at(position - piece.start);
}

void StoredSpans::read(qint64 position, qsizetype count, char16_t *out) const
{
    if (position >= from_ && position + count <= to_) {
        const Piece &piece = pieces_[near(position)];
        if (position + count <= piece.end()) {
            const qsizetype offset = position - piece.start;
            for (qsizetype i = 0; i < count; ++i)
                out[i] = piece.span.at(offset + i);
            return;
        }
    }
    for (qsizetype i = 0; i < count; ++i)
        out[i] = at(position + i);
}

void StoredSpans::appendTo(ChunkBuilder &builder, qint64 from, qint64 to) const
{
    from = std::max(from, from_);
    to = std::min(to, to_);
    while (from < to) {
        const Piece &piece = pieces_[near(from)];
        const qint64 end = std::min(to, piece.end());
        TextSpan part = piece.span;
        const qint64 offset = from - piece.start;
        if (part.isWide())
            part.utf16 += offset;
        else
            part.latin1 += offset;
        part.size = end - from;
        builder.append(part);
        from = end;
    }
}
