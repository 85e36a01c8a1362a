#pragma once

#include "linelayouts.h"

class QPainter;
class QRect;
class TextView;

/// Draws what a text view shows of its text: the lines in the area to be
/// painted, the selection in the selection's colours, and the caret.
class TextViewPainter
{
public:
    TextViewPainter(TextView &view, LineLayouts &layouts) : view_(view), layouts_(layouts) {}

    void paint(QPainter &painter, const QRect &area, bool caretShown);

private:
    void paintLine(QPainter &painter, qint64 line, const QRect &area);
    void paintLineBreak(QPainter &painter, qint64 line);

    TextView &view_;
    LineLayouts &layouts_;
};
