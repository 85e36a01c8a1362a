#include "longline.h"

#include "segmentcutter.h"

#include "text/textmodel.h"

#include <algorithm>
#include <cmath>

namespace {

// Text is read this much at a time while it is cut, with enough more for
// the last segment of the window to find its end.
constexpr qint64 Window = 1 << 16;
constexpr qint64 Lookahead = 4 * LongLine::SegmentSize + 64;

// The next tab stop after x.
qreal nextStop(qreal x, qreal tabStop)
{
    return (std::floor(x / tabStop + 1e-6) + 1) * tabStop;
}

} // namespace

LongLine::LongLine(const TextModel &model, qint64 start, qint64 end, qreal averageWidth,
                   qreal tabStop)
    : model_(model), start_(start), end_(end), averageWidth_(averageWidth), tabStop_(tabStop)
{
    findFirstLetter(start, end);
    segments_ = cut(start, end);
    placeFrom(0);
}

qint64 LongLine::segmentEnd(int i) const
{
    return size_t(i) + 1 < segments_.size() ? segmentStart(i + 1) : end_;
}

qreal LongLine::tabPhase(int i) const
{
    if (rightToLeft_)
        return 0;
    const qreal phase = std::fmod(x(i), tabStop_);
    return phase < 0.01 || phase > tabStop_ - 0.01 ? 0 : phase;
}

void LongLine::findFirstLetter(qint64 from, qint64 to)
{
    firstLetter_ = -1;
    rightToLeft_ = false;
    for (; from < to; from += Window) {
        const QString text = model_.text(from, std::min(to, from + Window));
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar::Direction direction = text[i].direction();
            if (direction == QChar::DirL || direction == QChar::DirR || direction == QChar::DirAL) {
                firstLetter_ = from + i;
                rightToLeft_ = direction != QChar::DirL;
                return;
            }
        }
    }
}

std::vector<LongLine::Segment> LongLine::cut(qint64 from, qint64 to) const
{
    std::vector<Segment> out;
    qint64 position = from;
    while (position < to) {
        const qint64 windowEnd = std::min(to, position + Window);
        const qint64 readEnd = std::min(to, windowEnd + Lookahead);
        const QString text = model_.text(position, readEnd);
        const SegmentCutter cutter(text, readEnd == to, rightToLeft_);
        const qsizetype limit = windowEnd - position;
        qsizetype i = 0;
        while (i < limit) {
            const qsizetype next = std::clamp(cutter.next(i, SegmentSize), i + 1, text.size());
            out.push_back({position + i - start_,
                           float(estimatedWidth(QStringView(text).sliced(i, next - i)))});
            i = next;
        }
        position += i;
    }
    return out;
}

qreal LongLine::estimatedWidth(QStringView text) const
{
    if (!text.contains(u'\t'))
        return averageWidth_ * qreal(text.size());
    qreal x = 0;
    for (const QChar c : text)
        x = c == u'\t' ? nextStop(x, tabStop_) : x + averageWidth_;
    return x;
}

void LongLine::placeFrom(int i)
{
    edges_.resize(segments_.size() + 1);
    if (i == 0)
        edges_[0] = 0;
    qreal x = edges_[size_t(i)];
    for (size_t j = size_t(i); j < segments_.size(); ++j) {
        x += segments_[j].width;
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
    const auto after = std::upper_bound(segments_.begin(), segments_.end(), position - start_,
                                        [](qint64 p, const Segment &s) { return p < s.offset; });
    return std::max(0, int(after - segments_.begin()) - 1);
}

void LongLine::setMeasuredWidth(int i, qreal width)
{
    Segment &segment = segments_[size_t(i)];
    segment.measured = true;
    segment.width = float(width);
    placeFrom(i);
}

LongLine::Segments LongLine::edit(qint64 position, qint64 removed, qint64 added)
{
    const qint64 delta = added - removed;
    const qint64 oldEnd = end_;
    end_ += delta;
    // A letter typed before the first one may turn the line around: then
    // every segment is cut and measured again.
    if (firstLetter_ < 0 || position <= firstLetter_) {
        const bool wasRightToLeft = rightToLeft_;
        // Where there was none, only the characters typed can bring one.
        if (firstLetter_ < 0)
            findFirstLetter(position, position + added);
        else
            findFirstLetter(start_, end_);
        if (rightToLeft_ != wasRightToLeft) {
            segments_ = cut(start_, end_);
            placeFrom(0);
            return {};
        }
    }
    // The segments the edit touches, and the one before, whose last cluster
    // a combining mark typed at its edge would join.
    int first = segmentOf(position);
    if (first > 0 && position == segmentStart(first))
        --first;
    const int last = segmentOf(std::min(position + removed, oldEnd - 1));
    const qint64 from = segmentStart(first);
    const qint64 to =
        (size_t(last) + 1 < segments_.size() ? segmentStart(last + 1) : oldEnd) + delta;
    std::vector<Segment> made = cut(from, to);
    for (size_t j = size_t(last) + 1; j < segments_.size(); ++j)
        segments_[j].offset += delta;
    segments_.erase(segments_.begin() + first, segments_.begin() + last + 1);
    segments_.insert(segments_.begin() + first, made.begin(), made.end());
    placeFrom(first);
    return {first, int(made.size())};
}

void LongLine::move(qint64 delta)
{
    start_ += delta;
    end_ += delta;
    if (firstLetter_ >= 0)
        firstLetter_ += delta;
}
