#include "windowarrangement.h"

#include <QMdiArea>
#include <QMdiSubWindow>

QList<QRect> tileRects(const QSize &area, int count, WindowArrangement arrangement)
{
    QList<QRect> rects;
    const bool stacked = arrangement == WindowArrangement::TileHorizontal;
    const int total = stacked ? area.height() : area.width();
    for (int i = 0; i < count; ++i) {
        const int from = total * i / count;
        const int to = total * (i + 1) / count;
        rects << (stacked ? QRect(0, from, area.width(), to - from)
                          : QRect(from, 0, to - from, area.height()));
    }
    return rects;
}

QList<QPoint> iconPositions(const QSize &area, const QList<QSize> &iconSizes)
{
    QList<QPoint> positions;
    int x = 0;
    int rowBottom = area.height();
    int rowHeight = 0;
    for (const QSize &size : iconSizes) {
        if (x > 0 && x + size.width() > area.width()) {
            x = 0;
            rowBottom -= rowHeight;
            rowHeight = 0;
        }
        positions << QPoint(x, rowBottom - size.height());
        x += size.width();
        rowHeight = std::max(rowHeight, size.height());
    }
    return positions;
}

void arrangeSubWindows(QMdiArea &area, WindowArrangement arrangement)
{
    const QList<QMdiSubWindow *> all = area.subWindowList(QMdiArea::CreationOrder);
    QList<QMdiSubWindow *> windows;
    for (QMdiSubWindow *window : all)
        if (window->isVisible() && window->isMinimized() == (arrangement == WindowArrangement::Icons))
            windows << window;
    if (windows.isEmpty())
        return;

    const QSize size = area.viewport()->size();
    switch (arrangement) {
    case WindowArrangement::Cascade:
        area.cascadeSubWindows();
        break;
    case WindowArrangement::TileHorizontal:
    case WindowArrangement::TileVertical: {
        const QList<QRect> rects = tileRects(size, int(windows.size()), arrangement);
        for (int i = 0; i < windows.size(); ++i) {
            if (windows[i]->isMaximized())
                windows[i]->showNormal();
            windows[i]->setGeometry(rects[i]);
        }
        break;
    }
    case WindowArrangement::Icons: {
        QList<QSize> sizes;
        for (QMdiSubWindow *window : windows)
            sizes << window->size();
        const QList<QPoint> positions = iconPositions(size, sizes);
        for (int i = 0; i < windows.size(); ++i)
            windows[i]->move(positions[i]);
        break;
    }
    }
}
