#include "accessibletextitems.h"

#include "text/textboundaries.h"
#include "text/textmodel.h"
#include "text/textnavigation.h"

#include <algorithm>

namespace AccessibleTextItems {

namespace {

// The item of the boundary finder's kind at offset, or the line break there.
Range finderItem(const TextModel &model, qint64 offset, QTextBoundaryFinder::BoundaryType type)
{
    const LineBounds line = model.lineBounds(model.lineAt(offset));
    const qint64 end = line.end;
    if (offset >= end)
        return {end, line.next};
    const TextBoundaries::Range item = TextBoundaries::itemAt(model, offset, type);
    return {item.from, item.to};
}

// The line at offset with its break, or on a long line the piece of it.
Range lineItem(const TextModel &model, qint64 offset)
{
    const LineBounds line = model.lineBounds(model.lineAt(offset));
    const qint64 start = line.start;
    const qint64 end = line.end;
    const qint64 next = line.next;
    if (end - start <= LinePiece)
        return {start, next};
    auto edge = [&](qint64 i) {
        const qint64 place = start + i * LinePiece;
        return place >= end ? end : TextNavigation::snapped(model, place);
    };
    qint64 piece = (std::min(offset, end - 1) - start) / LinePiece;
    if (offset >= edge(piece + 1) && edge(piece + 1) < end)
        ++piece; // the piece's edge moved back to a character's start
    const qint64 to = edge(piece + 1);
    return {edge(piece), to == end ? next : to};
}

} // namespace

Range at(const TextModel &model, qint64 offset, QAccessible::TextBoundaryType kind)
{
    const qint64 length = model.length();
    offset = std::clamp<qint64>(offset, 0, length);
    switch (kind) {
    case QAccessible::CharBoundary:
        return offset == length ? Range{length, length}
                                : finderItem(model, offset, QTextBoundaryFinder::Grapheme);
    case QAccessible::WordBoundary:
    case QAccessible::SentenceBoundary: {
        const auto type = kind == QAccessible::WordBoundary ? QTextBoundaryFinder::Word
                                                            : QTextBoundaryFinder::Sentence;
        if (offset == length && offset > 0)
            --offset;
        return finderItem(model, offset, type);
    }
    case QAccessible::LineBoundary:
    case QAccessible::ParagraphBoundary:
        return lineItem(model, offset);
    case QAccessible::NoBoundary:
        break;
    }
    return {0, length};
}

Range before(const TextModel &model, qint64 offset, QAccessible::TextBoundaryType kind)
{
    const Range here = at(model, offset, kind);
    if (kind == QAccessible::NoBoundary || here.from == 0)
        return {0, 0};
    return at(model, here.from - 1, kind);
}

Range after(const TextModel &model, qint64 offset, QAccessible::TextBoundaryType kind)
{
    const Range here = at(model, offset, kind);
    const qint64 length = model.length();
    if (kind == QAccessible::NoBoundary || here.to >= length)
        return {length, length};
    return at(model, here.to, kind);
}

} // namespace AccessibleTextItems
