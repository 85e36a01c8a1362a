#include "documentwindowaccessible.h"

#include <QMdiArea>
#include <QMdiSubWindow>

DocumentWindowAccessible::DocumentWindowAccessible(QMdiSubWindow *window)
    : QAccessibleWidget(window, QAccessible::Pane)
{
}

QMdiSubWindow *DocumentWindowAccessible::subWindow() const
{
    return static_cast<QMdiSubWindow *>(widget());
}

QString DocumentWindowAccessible::text(QAccessible::Text kind) const
{
    return kind == QAccessible::Name ? QString() : QAccessibleWidget::text(kind);
}

QAccessibleInterface *DocumentWindowAccessible::parent() const
{
    if (QMdiArea *area = subWindow()->mdiArea())
        return QAccessible::queryAccessibleInterface(area);
    return QAccessibleWidget::parent();
}

int DocumentWindowAccessible::childCount() const
{
    return subWindow()->widget() ? 1 : 0;
}

QAccessibleInterface *DocumentWindowAccessible::child(int index) const
{
    QWidget *document = subWindow()->widget();
    return index == 0 && document ? QAccessible::queryAccessibleInterface(document) : nullptr;
}

int DocumentWindowAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    return child && child->object() && child->object() == subWindow()->widget() ? 0 : -1;
}
