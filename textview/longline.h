#pragma once

#include <QtGlobal>

#include <vector>

class TextModel;

/// A line too long to lay out whole, cut into segments that are laid out
/// only when they come into view.
///
/// Each segment is a few hundred characters cut at a boundary between whole
/// characters, or a single tab. The line keeps the left edge of every
/// segment (prefix sums of their widths), so that finding the segment under
/// an x or of a position is a binary search. A segment not yet measured
/// counts as its length times the font's average width; measuring it
/// corrects the edges after it. A tab reaches the next tab stop from where
/// it stands, so tabs keep their stops across segments.
///
/// Text is laid out within a segment only, so a right-to-left run that
/// crosses a segment edge is drawn as two runs, each in the right order,
/// the first on the left.
class LongLine
{
public:
    static constexpr qint64 SegmentSize = 512;

    LongLine(const TextModel &model, qint64 start, qint64 end, qreal averageWidth, qreal tabStop);

    qint64 start() const { return start_; }
    qint64 end() const { return end_; }
    int segmentCount() const { return int(segments_.size()); }
    qint64 segmentStart(int i) const { return segments_[size_t(i)].start; }
    qint64 segmentEnd(int i) const;
    bool isTab(int i) const { return segments_[size_t(i)].tab; }
    bool isMeasured(int i) const { return segments_[size_t(i)].measured; }
    /// The left edge of segment i; segmentCount() gives the line's width.
    qreal x(int i) const { return edges_[size_t(i)]; }
    qreal width() const { return edges_.back(); }

    /// The segment under x (the first or last one outside the line).
    int segmentAtX(qreal x) const;
    /// The segment that holds the character at position (the last one at the end).
    int segmentOf(qint64 position) const;

    void setMeasuredWidth(int i, qreal width);
    /// Follows an edit of [position, position + removed) into added
    /// characters that added or removed no line break.
    void edit(qint64 position, qint64 removed, qint64 added);

private:
    struct Segment
    {
        qint64 start = 0;
        bool tab = false;
        bool measured = false;
        qreal width = 0;
    };

    /// Cuts the text of [from, to) into segments.
    std::vector<Segment> cut(qint64 from, qint64 to) const;
    /// Recomputes the edges from segment i on.
    void placeFrom(int i);

    const TextModel &model_;
    qint64 start_;
    qint64 end_;
    qreal averageWidth_;
    qreal tabStop_;
    std::vector<Segment> segments_;
    std::vector<qreal> edges_;
};
