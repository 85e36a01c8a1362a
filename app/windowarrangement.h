#pragma once

#include <QList>
#include <QRect>

class QMdiArea;

enum class WindowArrangement { Cascade, TileHorizontal, TileVertical, Icons };

/// Rectangles that share the area among count windows. Up to three windows
/// make one column, one above another, each as wide as the area
/// (TileHorizontal), or one row, side by side, each as tall as the area
/// (TileVertical). From four windows on they make a near-square grid: for
/// TileVertical c columns, c the smallest number with c * c >= count, each
/// holding ceil(count / c) windows one above another except the last, which
/// holds the rest; TileHorizontal is the same grid turned, with rows.
/// The windows fill the grid in order, and together they cover the area.
QList<QRect> tileRects(const QSize &area, int count, WindowArrangement arrangement);

/// Rectangles for count windows cascaded from the back to the front, each
/// one step further right and down than the one behind it. All have one
/// size: the area less the steps of the windows in front of the first. A
/// cascade wraps to the top left again before a window would be smaller
/// than three quarters of the area.
QList<QRect> cascadeRects(const QSize &area, int count, int step);

/// Places for minimised windows of the given sizes, left to right along the
/// bottom edge of the area, in rows that stack upwards when one fills up.
QList<QPoint> iconPositions(const QSize &area, const QList<QSize> &iconSizes);

/// Arranges the document windows of an MDI area. Minimised windows keep
/// their row of icons along the bottom, which tiling and cascading leave
/// free; with no window to arrange nothing changes.
void arrangeSubWindows(QMdiArea &area, WindowArrangement arrangement);
