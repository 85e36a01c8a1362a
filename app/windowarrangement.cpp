#include "windowarrangement.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>

namespace {

// Splits total into count parts whose sizes differ by one at most.
int partStart(int total, int count, int index)
{
    return total * index / count;
}

// Grid cells, filled one line after another; the last line takes the rest.
QList<QRect> gridRects(const QSize &area, int count, int lines, bool linesAreColumns)
{
    const int perLine = (count + lines - 1) / lines;
    const int across = linesAreColumns ? area.width() : area.height();
    const int along = linesAreColumns ? area.height() : area.width();
    QList<QRect> rects;
    for (int index = 0; index < count; ++index) {
        const int line = index / perLine;
        const int inLine = std::min(perLine, count - line * perLine);
        const int place = index % perLine;
        const int from = partStart(across, lines, line);
        const int to = partStart(across, lines, line + 1);
        const int start = partStart(along, inLine, place);
        const int end = partStart(along, inLine, place + 1);
        rects << (linesAreColumns ? QRect(from, start, to - from, end - start)
                                  : QRect(start, from, end - start, to - from));
    }
    return rects;
}

QList<QMdiSubWindow *> shownWindows(const QMdiArea &area, QMdiArea::WindowOrder order,
                                    bool minimised)
{
    QList<QMdiSubWindow *> windows;
    for (QMdiSubWindow *window : area.subWindowList(order))
        if (window->isVisible() && window->isMinimized() == minimised)
            windows << window;
    return windows;
}

// Lines the icons up along the bottom edge; returns the height left above them.
int arrangeIcons(const QMdiArea &area)
{
    const QSize size = area.viewport()->size();
    const QList<QMdiSubWindow *> icons =
        shownWindows(area, QMdiArea::CreationOrder, /*minimised=*/true);
    QList<QSize> sizes;
    for (const QMdiSubWindow *icon : icons)
        sizes << icon->size();
    const QList<QPoint> positions = iconPositions(size, sizes);
    int top = size.height();
    for (int i = 0; i < icons.size(); ++i) {
        icons[i]->move(positions[i]);
        top = std::min(top, positions[i].y());
    }
    return std::max(top, 0);
}

void place(const QList<QMdiSubWindow *> &windows, const QList<QRect> &rects)
{
    for (int i = 0; i < windows.size(); ++i) {
        if (windows[i]->isMaximized())
            windows[i]->showNormal();
        windows[i]->setGeometry(rects[i]);
    }
}

// How far each window of a cascade stands from the one behind it: its title
// bar and frame, so that every title shows.
int cascadeStep(const QMdiSubWindow &window)
{
    return std::max(window.contentsMargins().top(), 1);
}

} // namespace

QList<QRect> tileRects(const QSize &area, int count, WindowArrangement arrangement)
{
    const bool vertical = arrangement == WindowArrangement::TileVertical;
    if (count <= 3)
        return gridRects(area, count, vertical ? count : 1, /*linesAreColumns=*/true);
    int lines = 1;
    while (lines * lines < count)
        ++lines;
    return gridRects(area, count, lines, /*linesAreColumns=*/vertical);
}

QList<QRect> cascadeRects(const QSize &area, int count, int step)
{
    const int longestRun = std::min(area.width(), area.height()) / (4 * step) + 1;
    const int run = std::max(1, std::min(count, longestRun));
    const QSize size(area.width() - (run - 1) * step, area.height() - (run - 1) * step);
    QList<QRect> rects;
    for (int i = 0; i < count; ++i)
        rects << QRect(QPoint(i % run * step, i % run * step), size);
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
    if (arrangement == WindowArrangement::Icons) {
        arrangeIcons(area);
        return;
    }
    // The cascade keeps the stacking order, the window in front last.
    const QList<QMdiSubWindow *> windows =
        shownWindows(area,
                     arrangement == WindowArrangement::Cascade ? QMdiArea::StackingOrder
                                                               : QMdiArea::CreationOrder,
                     /*minimised=*/false);
    if (windows.isEmpty())
        return;
    const QSize free(area.viewport()->width(), arrangeIcons(area));
    const int count = int(windows.size());
    place(windows, arrangement == WindowArrangement::Cascade
                       ? cascadeRects(free, count, cascadeStep(*windows.first()))
                       : tileRects(free, count, arrangement));
}
