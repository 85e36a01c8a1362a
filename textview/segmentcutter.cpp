#include "segmentcutter.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace {

// How far a cut looks for a cluster's end or for the letters around it.
constexpr qsizetype Lookaround = 64;

// Right-to-left letters: Hebrew, Arabic, Syriac, Thaana, NKo and the
// scripts after them up to U+08FF, their presentation forms, and the
// surrogates of the right-to-left planes' blocks.
bool mayBeRightToLeft(char16_t c)
{
    return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) ||
           (c >= 0xFE70 && c <= 0xFEFE) || c == 0xD802 || c == 0xD803 || c == 0xD83A || c == 0xD83B;
}

bool isSpace(QChar c)
{
    return c == u' ' || (c.unicode() > 0x7F && c.isSpace());
}

} // namespace

SegmentCutter::SegmentCutter(QStringView text, bool endsLine, bool rightToLeft)
    : text_(text), endsLine_(endsLine), opposite_(rightToLeft ? Side::Left : Side::Right),
      mixed_(rightToLeft || std::any_of(text.begin(), text.end(),
                                        [](QChar c) { return mayBeRightToLeft(c.unicode()); }))
{
}

qsizetype SegmentCutter::next(qsizetype from, qsizetype size) const
{
    const qsizetype limit = from + size;
    if (limit >= text_.size())
        return text_.size();
    const qsizetype shortest = from + size / 4;
    for (qsizetype at = limit; at > shortest; --at)
        if (text_[at - 1] == u'\t' && isBoundary(from, at))
            return at;
    const auto fits = [&](qsizetype at) {
        return isSpace(text_[at - 1]) && !isSpace(text_[at]) && isBoundary(from, at) &&
               (!mixed_ || keepsRunsWhole(at));
    };
    for (qsizetype at = limit; at > shortest; --at)
        if (fits(at))
            return at;
    if (mixed_) {
        const qsizetype furthest = from + 4 * size;
        for (qsizetype at = limit + 1; at < std::min(text_.size(), furthest); ++at)
            if (fits(at))
                return at;
        if (endsLine_ && text_.size() <= furthest)
            return text_.size();
    }
    return boundaryNear(from, limit);
}

bool SegmentCutter::isBoundary(qsizetype from, qsizetype at) const
{
    return boundaryNear(from, at) == at;
}

qsizetype SegmentCutter::boundaryNear(qsizetype from, qsizetype at) const
{
    // Below U+0300 every character is a cluster of its own.
    if (at >= text_.size() || (text_[at - 1].unicode() < 0x300 && text_[at].unicode() < 0x300))
        return at;
    const qsizetype left = std::max(from, at - Lookaround);
    const qsizetype right = std::min(text_.size(), at + Lookaround);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme,
                               text_.sliced(left, right - left).toString());
    finder.setPosition(at - left);
    if (finder.isAtBoundary())
        return at;
    const qsizetype before = finder.toPreviousBoundary();
    if (before > 0)
        return left + before;
    finder.setPosition(at - left);
    const qsizetype after = finder.toNextBoundary();
    return after > 0 ? left + after : right;
}

bool SegmentCutter::keepsRunsWhole(qsizetype at) const
{
    return sideBefore(at) != opposite_ || sideAfter(at) != opposite_;
}

// Which way the nearest letter or number before at runs: a number runs the
// way of the letter before it, as it does when the line is laid out whole.
SegmentCutter::Side SegmentCutter::sideBefore(qsizetype at) const
{
    for (qsizetype i = at - 1; i >= std::max<qsizetype>(0, at - Lookaround); --i)
        if (const Side side = sideOf(i, i); side != Side::Neither)
            return side;
    return Side::Neither;
}

SegmentCutter::Side SegmentCutter::sideAfter(qsizetype at) const
{
    for (qsizetype i = at; i < std::min(text_.size(), at + Lookaround); ++i)
        if (const Side side = sideOf(i, at); side != Side::Neither)
            return side;
    return Side::Neither;
}

SegmentCutter::Side SegmentCutter::sideOf(qsizetype i, qsizetype lettersBefore) const
{
    switch (text_[i].direction()) {
    case QChar::DirL:
        return Side::Left;
    case QChar::DirR:
    case QChar::DirAL:
    case QChar::DirAN:
        return Side::Right;
    case QChar::DirEN:
        return letterBefore(lettersBefore);
    default:
        return Side::Neither;
    }
}

SegmentCutter::Side SegmentCutter::letterBefore(qsizetype at) const
{
    for (qsizetype i = at - 1; i >= std::max<qsizetype>(0, at - Lookaround); --i) {
        const QChar::Direction direction = text_[i].direction();
        if (direction == QChar::DirL)
            return Side::Left;
        if (direction == QChar::DirR || direction == QChar::DirAL)
            return Side::Right;
    }
    return Side::Neither;
}
