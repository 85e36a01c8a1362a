#include "documentareaaccessible.h"

#include <QMdiArea>
#include <QMdiSubWindow>

DocumentAreaAccessible::DocumentAreaAccessible(QMdiArea *area)
    : QAccessibleWidget(area, QAccessible::Client)
{
}

QMdiArea *DocumentAreaAccessible::area() const
{
    return static_cast<QMdiArea *>(widget());
}

int DocumentAreaAccessible::childCount() const
{
    return int(area()->subWindowList().size());
}

QAccessibleInterface *DocumentAreaAccessible::child(int index) const
{
    const QList<QMdiSubWindow *> windows = area()->subWindowList();
    if (index < 0 || index >= windows.size())
        return nullptr;
    return QAccessible::queryAccessibleInterface(windows.at(index));
}

int DocumentAreaAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child)
        return -1;
    return int(area()->subWindowList().indexOf(qobject_cast<QMdiSubWindow *>(child->object())));
}
