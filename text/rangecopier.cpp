#include "rangecopier.h"

#include "linebreak.h"
#include "piececutting.h"
#include "piecetext.h"
#include "textmodel.h"

#include <QChar>

#include <algorithm>

namespace {

bool completesPair(char16_t last, char16_t first)
{
    return LineBreaks::splitsPair(last, first) ||
           (QChar::isHighSurrogate(last) && QChar::isLowSurrogate(first));
}

} // namespace

void RangeCopier::moveTo(qint64 position)
{
    if (at_.chunk && position >= at_.start && position < at_.start + at_.chunk->size())
        return;
    at_ = model_.chunks_.locate(position);
    held_.emplace(at_.chunk->held());
}

qint64 RangeCopier::appendTo(ChunkBuilder &builder, qint64 from, qint64 to)
{
    qint64 copied = 0;
    while (from < to) {
        moveTo(from);
        const qint64 end = std::min(to, at_.start + at_.chunk->size());
        if (at_.chunk->isPiece()) {
            copied += appendPiece(builder, from - at_.start, end - at_.start);
        } else {
            builder.append((*held_)->span(from - at_.start, end - at_.start));
            copied += end - from;
        }
        from = end;
    }
    return copied;
}

// The stretch of the piece between the first and the last place it may be
// cut inside [from, to) goes on as a piece of its own; what lies outside
// them is copied. A piece whose first character would complete a pair that
// the text before it begins is copied up to its next cut.
qint64 RangeCopier::appendPiece(ChunkBuilder &builder, qint64 from, qint64 to)
{
    const PieceText &text = *held_->piece();
    const Chunk &characters = text.characters;
    PieceCut first = text.cutAfter(from);
    const PieceCut &last = text.cutBefore(to);
    if (first.characters < last.characters && !builder.isEmpty() &&
        completesPair(builder.last(), characters.at(first.characters)))
        first = text.cutAfter(first.characters + 1);
    if (first.characters >= last.characters) {
        builder.append(characters.span(from, to));
        return to - from;
    }
    builder.append(characters.span(from, first.characters));
    builder.append(PieceCutting::part(*at_.chunk, text, first, last));
    builder.append(characters.span(last.characters, to));
    return (first.characters - from) + (to - last.characters);
}
