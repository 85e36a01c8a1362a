#include "textviewpainter.h"

#include "textview.h"

#include "text/textmodel.h"

#include <QPainter>

#include <algorithm>

void TextViewPainter::paint(QPainter &painter, const QRect &area, bool caretShown)
{
    const int height = view_.lineHeight();
    const qint64 first = view_.firstVisibleLine();
    const qint64 from = first + std::max(0, (area.top() - TextView::Margin) / height);
    const qint64 to = std::min(view_.model().lineCount() - 1,
                               first + std::max(0, area.bottom() - TextView::Margin) / height);
    for (qint64 line = from; line <= to; ++line)
        paintLine(painter, line, area);
    const QRect caret = view_.caretRect();
    if (caretShown && caret.intersects(area))
        painter.fillRect(caret, view_.palette().text());
}

void TextViewPainter::paintLine(QPainter &painter, qint64 line, const QRect &area)
{
    const qreal scroll = view_.horizontalOffset();
    const qreal left = scroll + area.left() - TextView::Margin;
    const qreal right = scroll + area.right() + 1 - TextView::Margin;
    const qint64 from = view_.cursor().selectionStart();
    const qint64 to = view_.cursor().selectionEnd();
    const QPalette &palette = view_.palette();
    const int top = view_.lineTop(line);
    painter.setPen(palette.color(QPalette::Text));
    for (const LineLayouts::Piece &piece : layouts_.pieces(line, left, right)) {
        const QPointF origin(TextView::Margin - scroll + piece.x, top);
        const qint64 length = piece.end - piece.start;
        const int selectedFrom = int(std::clamp<qint64>(from - piece.start, 0, length));
        const int selectedTo = int(std::clamp<qint64>(to - piece.start, 0, length));
        piece.text->draw(painter, origin, selectedFrom, selectedTo, palette);
    }
    paintLineBreak(painter, line);
}

// A selected line break shows as a space-wide mark at the line's end.
void TextViewPainter::paintLineBreak(QPainter &painter, qint64 line)
{
    const qint64 end = view_.model().lineEnd(line);
    if (view_.cursor().selectionStart() > end || view_.cursor().selectionEnd() <= end)
        return;
    const qreal x = view_.viewportX(end);
    const qreal width = QFontMetricsF(view_.font()).horizontalAdvance(u' ');
    painter.fillRect(QRectF(x, view_.lineTop(line), width, view_.lineHeight()),
                     view_.palette().highlight());
}
