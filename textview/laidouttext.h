#pragma once

#include "displaytext.h"

#include <QTextLayout>

class QPainter;

/// A line, or a segment of a long line, laid out once for drawing, for
/// measuring and for finding the place under the mouse.
class LaidOutText
{
public:
    struct Style
    {
        QFont font;
        qreal tabStop = 80;
        QColor dimmed; ///< names and codes of characters drawn in a box
    };

    /// How a piece of a long line is laid out: the x its left edge stands
    /// at past the last tab stop, so that its tabs reach the line's stops,
    /// and the direction of the whole line, so that each piece orders its
    /// runs as the whole line would.
    struct Placement
    {
        qreal tabPhase = 0;
        Qt::LayoutDirection direction = Qt::LayoutDirectionAuto;
    };

    LaidOutText(QStringView text, const Style &style);
    LaidOutText(QStringView text, const Style &style, const Placement &placement);

    qreal width() const { return line_.horizontalAdvance(); }
    /// x of a column of the text, from the text's left edge.
    qreal xOf(int column) const;
    /// The column nearest to x.
    int columnAt(qreal x) const;

    /// Draws the text with its left edge at x and its top at y; the columns
    /// [selectionFrom, selectionTo) in the selection's colours.
    void draw(QPainter &painter, QPointF topLeft, int selectionFrom, int selectionTo,
              const QPalette &palette) const;

private:
    DisplayText display_;
    QTextLayout layout_;
    QTextLine line_;
};
