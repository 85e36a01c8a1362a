#include "accessibletextitems.h"

#include "text/textboundaries.h"
#include "text/textmodel.h"
#include "text/textnavigation.h"
#include "text/textwords.h"

#include <algorithm>

namespace AccessibleTextItems {

namespace {

// The character or sentence at offset, or the line break there.
Range boundedItem(const TextModel &model, qint64 offset, TextBoundaries::Unit unit)
{
    const LineBounds line = model.lineBounds(model.lineAt(offset));
    const qint64 end = line.end;
    if (offset >= end)
        return {end, line.next};
    const TextBoundaries::Range item = TextBoundaries::itemAt(model, offset, unit);
    return {item.from, item.to};
}

// The word at offset as text boxes give it to a screen reader: from the
// word's start to the next word's start, so with the blanks after it, and
// for the last word of a line with the line break. Blanks at a line's start
// are an item of their own, and so is an empty line's break. At a line's
// end the word is the one before it.
Range wordItem(const TextModel &model, qint64 offset)
{
    const LineBounds line = model.lineBounds(model.lineAt(offset));
    if (line.start == line.end)
        return {line.start, line.next};
    offset = std::min(offset, line.end - 1);
    qint64 from = TextWords::previousStart(model, offset + 1);
    qint64 to = TextWords::nextStart(model, offset);
    if (from < 0 || to < 0) { // a token longer than the words' reach
        const TextBoundaries::Range item = TextWords::at(model, offset);
        from = from < 0 ? item.from : from;
        to = to < 0 ? item.to : to;
    }
    return {from, to >= line.end ? line.next : to};
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
                                : boundedItem(model, offset, TextBoundaries::Unit::Character);
    case QAccessible::WordBoundary:
        return wordItem(model, offset);
    case QAccessible::SentenceBoundary:
        if (offset == length && offset > 0)
            --offset;
        return boundedItem(model, offset, TextBoundaries::Unit::Sentence);
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
