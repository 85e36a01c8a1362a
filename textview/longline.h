#pragma once

#include <QStringView>

#include <vector>

class TextModel;

/// A line laid out in segments, each laid out only when it comes into view:
/// every line longer than a segment is one, so a line costs what the
/// screen shows of it.
///
/// A segment is at most a few hundred characters, cut preferably just after
/// a tab (the next segment then starts on a tab stop), else after a space,
/// else at a boundary between whole characters. The line keeps the left
/// edge of every segment (prefix sums of their widths), so that finding the
/// segment under an x or of a position is a binary search. A segment not
/// yet measured counts as its characters at the font's average width, its
/// tabs reaching their stops; measuring it corrects the edges after it.
///
/// The line has one direction, that of its first letter, as a line laid out
/// whole has: every segment is laid out in it, and a right-to-left line
/// places its first segment on the right. A segment is never cut where
/// letters of the other direction stand on both sides, so no run of them
/// is split and each is drawn in order.
class LongLine
{
public:
    static constexpr qint64 SegmentSize = 256;

    LongLine(const TextModel &model, qint64 start, qint64 end, qreal averageWidth, qreal tabStop);

    qint64 start() const { return start_; }
    qint64 end() const { return end_; }
    bool isRightToLeft() const { return rightToLeft_; }
    int segmentCount() const { return int(segments_.size()); }
    qint64 segmentStart(int i) const { return start_ + segments_[size_t(i)].offset; }
    qint64 segmentEnd(int i) const;
    /// How far segment i starts past the tab stop before it.
    qreal tabPhase(int i) const;
    /// The left edge of segment i in the line's order (from the line's start,
    /// whichever side that is drawn on); segmentCount() gives the width.
    qreal x(int i) const { return edges_[size_t(i)]; }
    qreal width() const { return edges_.back(); }

    /// The segment under x in the line's order (the first or last one
    /// outside the line).
    int segmentAtX(qreal x) const;
    /// The segment that holds the character at position (the last one at the end).
    int segmentOf(qint64 position) const;

    void setMeasuredWidth(int i, qreal width);
    /// Follows an edit of [position, position + removed) into added
    /// characters that added or removed no line break, and gives the
    /// segments it cut again (none when it turned the line around).
    struct Segments
    {
        int first = 0;
        int count = 0;
    };
    Segments edit(qint64 position, qint64 removed, qint64 added);
    /// Follows an edit before the line that moved it by delta characters.
    void move(qint64 delta);

private:
    struct Segment
    {
        qint64 offset = 0; ///< from the line's start
        float width = 0;   ///< measured, or estimated while not
        bool measured = false;
    };

    /// Finds the line's first letter in [from, to), and takes its direction.
    void findFirstLetter(qint64 from, qint64 to);
    /// Cuts the text of [from, to) into segments.
    std::vector<Segment> cut(qint64 from, qint64 to) const;
    /// The width of text at the average width, its tabs reaching their stops.
    qreal estimatedWidth(QStringView text) const;
    /// Recomputes the edges from segment i on.
    void placeFrom(int i);

    const TextModel &model_;
    qint64 start_;
    qint64 end_;
    qreal averageWidth_;
    qreal tabStop_;
    qint64 firstLetter_ = -1; ///< none yet when negative
    bool rightToLeft_ = false;
    std::vector<Segment> segments_;
    std::vector<qreal> edges_;
};
