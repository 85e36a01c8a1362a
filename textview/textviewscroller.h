#pragma once

#include <QPoint>
#include <QRect>

class LineLayouts;
class TextView;

/// Where a text view is scrolled to: the first line in view and how far to
/// the right, kept in 64 bits. The scroll bars count in int, so in a
/// document of more lines than that a step of the vertical bar is several
/// lines, and on a line wider than that many pixels a step of the
/// horizontal bar is several pixels.
///
/// It says where a place of the text is in the viewport, and which place a
/// point of the viewport shows. It also keeps the caret's line still when
/// measuring a long line left of the view moves what is in view: the view
/// follows the text.
class TextViewScroller
{
public:
    /// Where the view is scrolled to, and how often measuring moved it there.
    struct Place
    {
        qint64 firstLine = 0;
        qreal offset = 0;
        quint64 corrections = 0;
        bool operator==(const Place &) const = default;
    };

    /// Places far out of view are put just as far out, within int.
    static constexpr qint64 FarOut = qint64(1) << 28;

    TextViewScroller(TextView &view, LineLayouts &layouts);

    Place place() const;
    qint64 firstLine() const { return firstLine_; }
    /// Scrolls so that line is the first in view, as far as the end allows.
    void setFirstLine(qint64 line);
    /// Lines that fit in the viewport whole.
    qint64 visibleLines() const;
    /// Where a line's top is drawn in the viewport.
    int lineTop(qint64 line) const;
    /// x of a position in viewport coordinates.
    qreal viewportX(qint64 position) const;
    /// The caret place nearest to a point of the viewport.
    qint64 positionAt(QPoint point) const;
    /// The start of the character under a point of the viewport (the one
    /// before the line's end right of the line).
    qint64 characterAt(QPoint point) const;
    /// Where a caret at position would be drawn, in viewport coordinates.
    QRect caretRectAt(qint64 position) const;
    /// The first line in view when the view shows the end.
    qint64 lastFirstLine() const;
    /// How far the view is scrolled to the right, in pixels.
    qreal horizontalOffset() const;
    void setHorizontalOffset(qreal pixels);

    /// Fits both scroll bars to the text and the viewport as they are now.
    void updateScrollBars();
    /// Scrolls the least that shows position.
    void ensureVisible(qint64 position);
    /// After a paint: lines measured while painting may be wider than the
    /// scroll range knew, or may have moved the view since corrections were
    /// counted. Fits the range again and returns true when the view must be
    /// painted once more.
    bool followPaint(quint64 corrections);

private:
    void verticalBarMoved(int value);
    void widthCorrected(qint64 lineStart, qreal x, qreal change);

    TextView &view_;
    LineLayouts &layouts_;
    qint64 firstLine_ = 0;
    /// Lines a step of the vertical scroll bar moves the view.
    qint64 linesPerStep_ = 1;
    /// Pixels a step of the horizontal scroll bar moves the view.
    qreal pixelsPerStep_ = 1;
    /// The width of the text the horizontal scroll range was made for.
    qreal rangeWidth_ = 0;
    /// How often measuring the caret's line moved the view to follow it.
    quint64 corrections_ = 0;
};
