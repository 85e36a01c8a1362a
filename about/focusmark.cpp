#include "focusmark.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QWidget>

void drawFocusMark(QWidget &widget, const QRect &rect)
{
    if (!widget.hasFocus())
        return;
    QStyleOptionFocusRect option;
    option.initFrom(&widget);
    option.rect = rect;
    option.backgroundColor = widget.palette().color(widget.backgroundRole());
    QPainter painter(&widget);
    widget.style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, &widget);
}
