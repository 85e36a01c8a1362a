#include "piececutting.h"

#include "piecestore.h"

#include <algorithm>

namespace {

// The characters of [from, to) of text as a chunk of their own.
Chunk copyOf(const Chunk &text, qint64 from, qint64 to)
{
    const TextSpan span = text.span(from, to);
    Chunk copy;
    copy.reserve(span.size);
    if (span.isWide())
        copy.append(QStringView(span.utf16, span.size));
    else
        copy.appendLatin1(span.latin1, span.size);
    copy.refresh();
    return copy;
}

} // namespace

namespace PieceCutting {

Chunk part(const Chunk &piece, const PieceText &text, const PieceCut &from, const PieceCut &to)
{
    if (from == text.cuts.front() && to == text.cuts.back())
        return piece;
    const PieceBytes &whole = piece.pieceBytes();
    PieceBytes bytes;
    bytes.begin = whole.begin + from.bytes;
    bytes.end = whole.begin + to.bytes;
    bytes.endsText = whole.endsText && to == text.cuts.back();
    bytes.bytesAreText = whole.bytesAreText;
    PieceText partText;
    partText.characters = copyOf(text.characters, from.characters, to.characters);
    partText.bytesAreText = text.bytesAreText;
    for (const PieceCut &cut : text.cuts) {
        if (cut.characters >= from.characters && cut.characters <= to.characters &&
            cut.bytes >= from.bytes && cut.bytes <= to.bytes)
            partText.cuts.push_back({cut.bytes - from.bytes, cut.characters - from.characters});
    }
    const LineSummary summary = partText.characters.summary();
    piece.pieceStore()->keep(bytes, std::move(partText));
    return Chunk::piece(piece.pieceStore(), bytes, summary);
}

std::vector<Chunk> openAround(const Chunk &piece, const PieceText &text, qint64 from, qint64 to,
                              ChunkBuilder builder)
{
    const PieceCut &first = text.cutBefore(from);
    const PieceCut &last = text.cutAfter(std::max(from, to));
    std::vector<Chunk> made;
    if (first.characters > 0)
        made.push_back(part(piece, text, text.cuts.front(), first));
    if (last.characters > first.characters) {
        builder.append(text.characters.span(first.characters, last.characters));
        for (Chunk &chunk : builder.take())
            made.push_back(std::move(chunk));
    }
    if (last.characters < text.characters.size())
        made.push_back(part(piece, text, last, text.cuts.back()));
    return made;
}

} // namespace PieceCutting
