#include "longline.h"

#include "text/textmodel.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>

namespace {

// Text is read this much at a time while it is cut, with a little more to
// see where the last character cluster of the window ends.
constexpr qint64 Window = 1 << 16;
constexpr qint64 Lookahead = 64;

// Below U+0300 every character is a cluster of its own: a cut there needs
// no look at the characters around it.
bool plainBoundary(QStringView text, qsizetype at)
{
    return text[at - 1].unicode() < 0x300 && text[at].unicode() < 0x300;
}

// A cluster boundary near at, after from: at or before at when there is one.
qsizetype boundaryNear(QStringView text, qsizetype from, qsizetype at)
{
    if (at >= text.size() || plainBoundary(text, at))
        return at;
    const qsizetype left = std::max(from, at - Lookahead);
    const qsizetype right = std::min(text.size(), at + Lookahead);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme,
                               text.sliced(left, right - left).toString());
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

} // namespace

LongLine::LongLine(const TextModel &model, qint64 start, qint64 end, qreal averageWidth,
                   qreal tabStop)
    : model_(model), start_(start), end_(end), averageWidth_(averageWidth), tabStop_(tabStop),
      segments_(cut(start, end))
{
    placeFrom(0);
}

qint64 LongLine::segmentEnd(int i) const
{
    return size_t(i) + 1 < segments_.size() ? segments_[size_t(i) + 1].start : end_;
}

std::vector<LongLine::Segment> LongLine::cut(qint64 from, qint64 to) const
{
    std::vector<Segment> out;
    qint64 position = from;
    while (position < to) {
        const qint64 windowEnd = std::min(to, position + Window);
        const QString text = model_.text(position, std::min(to, windowEnd + Lookahead));
        const qsizetype limit = windowEnd - position;
        qsizetype i = 0;
        qsizetype tab = -1; // the next tab at or after i, or the end of the text
        while (i < limit) {
            if (text[i] == u'\t') {
                out.push_back({position + i, true});
                ++i;
                continue;
            }
            if (tab < i) {
                tab = text.indexOf(u'\t', i);
                tab = tab < 0 ? text.size() : tab;
            }
            const qsizetype runEnd = tab;
            qsizetype next = std::min({i + qsizetype(SegmentSize), runEnd, limit});
            if (next < text.size())
                next = boundaryNear(text, i, next);
            out.push_back({position + i});
            i = std::max(next, i + 1);
        }
        position += i;
    }
    return out;
}

void LongLine::placeFrom(int i)
{
    edges_.resize(segments_.size() + 1);
    if (i == 0)
        edges_[0] = 0;
    qreal x = edges_[size_t(i)];
    for (size_t j = size_t(i); j < segments_.size(); ++j) {
        const Segment &segment = segments_[j];
        if (segment.tab)
            x = (std::floor(x / tabStop_ + 1e-9) + 1) * tabStop_;
        else
            x += segment.measured ? segment.width
                                  : averageWidth_ * qreal(segmentEnd(int(j)) - segment.start);
        edges_[j + 1] = x;
    }
}

int LongLine::segmentAtX(qreal x) const
{
    const auto after = std::upper_bound(edges_.begin() + 1, edges_.end() - 1, x);
    return int(after - edges_.begin()) - 1;
}

int LongLine::segmentOf(qint64 position) const
{
    const auto after = std::upper_bound(segments_.begin(), segments_.end(), position,
                                        [](qint64 p, const Segment &s) { return p < s.start; });
    return std::max(0, int(after - segments_.begin()) - 1);
}

void LongLine::setMeasuredWidth(int i, qreal width)
{
    Segment &segment = segments_[size_t(i)];
    segment.measured = true;
    segment.width = width;
    placeFrom(i);
}

void LongLine::edit(qint64 position, qint64 removed, qint64 added)
{
    // The segments the edit touches, and the one before, whose last cluster
    // a combining mark typed at its edge would join.
    int first = segmentOf(position);
    if (first > 0 && position == segments_[size_t(first)].start)
        --first;
    const int last = segmentOf(std::min(position + removed, end_ - 1));
    const qint64 delta = added - removed;
    const qint64 from = segments_[size_t(first)].start;
    const qint64 to = segmentEnd(last) + delta;
    end_ += delta;
    std::vector<Segment> made = cut(from, to);
    for (size_t j = size_t(last) + 1; j < segments_.size(); ++j)
        segments_[j].start += delta;
    segments_.erase(segments_.begin() + first, segments_.begin() + last + 1);
    segments_.insert(segments_.begin() + first, made.begin(), made.end());
    placeFrom(first);
}
