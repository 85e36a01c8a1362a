#include "menuaccessible.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

MenuAccessible::MenuAccessible(QMenu *menu) : QAccessibleWidget(menu, QAccessible::PopupMenu) {}

QMenu *MenuAccessible::menu() const
{
    return static_cast<QMenu *>(widget());
}

QAccessibleInterface *MenuAccessible::parent() const
{
    QAction *opener = menu()->menuAction();
    const QList<QObject *> holders = opener->associatedObjects();
    const bool opened = std::any_of(holders.cbegin(), holders.cend(), [](const QObject *holder) {
        return qobject_cast<const QMenu *>(holder) || qobject_cast<const QMenuBar *>(holder);
    });
    if (opened)
        return QAccessible::queryAccessibleInterface(opener);
    if (QWidget *owner = menu()->parentWidget())
        return QAccessible::queryAccessibleInterface(owner);
    return QAccessibleWidget::parent();
}

int MenuAccessible::childCount() const
{
    return int(menu()->actions().size());
}

QAccessibleInterface *MenuAccessible::child(int index) const
{
    const QList<QAction *> entries = menu()->actions();
    return index >= 0 && index < entries.size()
               ? QAccessible::queryAccessibleInterface(entries[index])
               : nullptr;
}

int MenuAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    return child ? int(menu()->actions().indexOf(qobject_cast<QAction *>(child->object()))) : -1;
}

QAccessibleInterface *MenuAccessible::childAt(int x, int y) const
{
    QAction *entry = menu()->actionAt(menu()->mapFromGlobal(QPoint(x, y)));
    return entry ? QAccessible::queryAccessibleInterface(entry) : nullptr;
}
