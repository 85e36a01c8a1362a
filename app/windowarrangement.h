#pragma once

#include <QList>
#include <QRect>

class QMdiArea;

enum class WindowArrangement { Cascade, TileHorizontal, TileVertical, Icons };

/// Rectangles that share the area among count windows: one above another,
/// each as wide as the area (TileHorizontal), or side by side, each as tall
/// as the area (TileVertical). Together they cover the area exactly.
QList<QRect> tileRects(const QSize &area, int count, WindowArrangement arrangement);

/// Places for minimised windows of the given sizes, left to right along the
/// bottom edge of the area, in rows that stack upwards when one fills up.
QList<QPoint> iconPositions(const QSize &area, const QList<QSize> &iconSizes);

/// Arranges the document windows of an MDI area. Minimised windows take part
/// only in Icons; with no windows nothing changes.
void arrangeSubWindows(QMdiArea &area, WindowArrangement arrangement);
