#include "laidouttext.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPalette>

namespace {

// Tab stops moved left by phase, as many as the text could reach: each tab
// goes at least to the next stop, and no character is wider than the
// font's widest (a boxed name takes a few characters of the text).
QList<QTextOption::Tab> shiftedTabStops(const QString &text, const QFont &font, qreal tabStop,
                                        qreal phase)
{
    const qsizetype tabs = text.count(u'\t');
    if (tabs == 0)
        return {};
    const qreal reach = QFontMetricsF(font).maxWidth() * qreal(text.size()) + tabStop * qreal(tabs);
    QList<QTextOption::Tab> stops;
    for (qreal x = tabStop - phase; x <= reach + tabStop; x += tabStop)
        stops.append(QTextOption::Tab(x, QTextOption::LeftTab));
    return stops;
}

} // namespace

LaidOutText::LaidOutText(QStringView text, const Style &style)
    : LaidOutText(text, style, Placement())
{
}

LaidOutText::LaidOutText(QStringView text, const Style &style, const Placement &placement)
    : display_(text), layout_(display_.text(), style.font)
{
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(style.tabStop);
    option.setTextDirection(placement.direction);
    if (placement.tabPhase > 0)
        option.setTabs(
            shiftedTabStops(display_.text(), style.font, style.tabStop, placement.tabPhase));
    layout_.setTextOption(option);
    layout_.setCacheEnabled(true);
    if (!display_.items().isEmpty()) {
        QTextCharFormat code;
        code.setForeground(style.dimmed);
        QFont small = style.font;
        small.setPointSizeF(style.font.pointSizeF() > 0 ? style.font.pointSizeF() * 0.7
                                                        : style.font.pointSizeF());
        if (style.font.pixelSize() > 0)
            small.setPixelSize(std::max(1, style.font.pixelSize() * 7 / 10));
        code.setFont(small);
        QList<QTextLayout::FormatRange> formats;
        for (const DisplayText::Item &item : display_.items())
            formats.append({item.display, item.length, code});
        layout_.setFormats(formats);
    }
    layout_.beginLayout();
    line_ = layout_.createLine();
    line_.setPosition(QPointF(0, 0));
    layout_.endLayout();
}

qreal LaidOutText::xOf(int column) const
{
    return line_.cursorToX(display_.toDisplay(column));
}

int LaidOutText::columnAt(qreal x) const
{
    return display_.toColumn(line_.xToCursor(x));
}

void LaidOutText::draw(QPainter &painter, QPointF topLeft, int selectionFrom, int selectionTo,
                       const QPalette &palette) const
{
    QList<QTextLayout::FormatRange> selections;
    if (selectionTo > selectionFrom) {
        QTextCharFormat selected;
        selected.setBackground(palette.brush(QPalette::Highlight));
        selected.setForeground(palette.brush(QPalette::HighlightedText));
        const int from = display_.toDisplay(selectionFrom);
        selections.append({from, display_.toDisplay(selectionTo) - from, selected});
    }
    layout_.draw(&painter, topLeft, selections);
    // Each name or code in a box, so that it reads as one character.
    for (const DisplayText::Item &item : display_.items()) {
        const qreal left = line_.cursorToX(item.display);
        const qreal right = line_.cursorToX(item.display + item.length);
        const QRectF box(topLeft.x() + std::min(left, right) - 0.5, topLeft.y() + 1.5,
                         std::abs(right - left) + 1, line_.height() - 3);
        painter.save();
        painter.setPen(QPen(palette.color(QPalette::PlaceholderText), 0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box);
        painter.restore();
    }
}
