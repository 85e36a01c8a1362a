#include "frameaccessibility.h"

#include "accessibleeventgate.h"
#include "documentareaaccessible.h"
#include "documentwindowaccessible.h"
#include "menuaccessible.h"
#include "menuitemaccessible.h"

#include <QAccessible>
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

namespace FrameAccessibility {

namespace {

bool inAMenu(const QAction *action)
{
    const QList<QObject *> holders = action->associatedObjects();
    return std::any_of(holders.cbegin(), holders.cend(), [](const QObject *holder) {
        return qobject_cast<const QMenu *>(holder) || qobject_cast<const QMenuBar *>(holder);
    });
}

QAccessibleInterface *createFor(const QString &className, QObject *object)
{
    if (className == QLatin1String("QMdiArea"))
        return new DocumentAreaAccessible(static_cast<QMdiArea *>(object));
    if (className == QLatin1String("QMdiSubWindow"))
        return new DocumentWindowAccessible(static_cast<QMdiSubWindow *>(object));
    if (className == QLatin1String("QMenu"))
        return new MenuAccessible(static_cast<QMenu *>(object));
    if (className == QLatin1String("QAction") && inAMenu(static_cast<QAction *>(object)))
        return new MenuItemAccessible(static_cast<QAction *>(object));
    return nullptr;
}

} // namespace

void install()
{
    static const bool installed = (QAccessible::installFactory(createFor), true);
    Q_UNUSED(installed);
    AccessibleEventGate::install();
}

} // namespace FrameAccessibility
