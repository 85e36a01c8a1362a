#include "accessibleeventgate.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

#include <climits>

namespace {

AccessibleEventGate *gate = nullptr;

bool isHeader(QAccessible::Role role)
{
    return role == QAccessible::ColumnHeader || role == QAccessible::RowHeader;
}

bool isSelection(QAccessible::Event type)
{
    return type == QAccessible::Selection || type == QAccessible::SelectionAdd ||
           type == QAccessible::SelectionRemove;
}

bool isListItem(QAccessible::Role role)
{
    return role == QAccessible::Cell || role == QAccessible::ListItem ||
           role == QAccessible::TreeItem || isHeader(role);
}

bool isWindow(const QObject *object)
{
    return object && object->isWidgetType() && static_cast<const QWidget *>(object)->isWindow();
}

// The toolkit numbers its accessible objects one after the other; a run of
// numbers with nothing behind them means the newest has been passed.
constexpr int EnoughMisses = 4096;

} // namespace

void AccessibleEventGate::install()
{
    if (gate)
        return;
    gate = new AccessibleEventGate;
    QAccessible::installUpdateHandler(&AccessibleEventGate::pass);
}

void AccessibleEventGate::pass(QAccessibleEvent *event)
{
    QAccessibleInterface *source = event->accessibleInterface();
    // A window that goes (a dialog closing) takes its lists with it, once
    // whoever closed it has destroyed it.
    if (event->type() == QAccessible::ObjectHide && source && isWindow(source->object()) &&
        !gate->sweepDue_) {
        gate->sweepDue_ = true;
        QTimer::singleShot(0, qApp, [] { gate->sweep(); });
    }
    if (!source || !source->isValid() || (isHeader(source->role()) && isSelection(event->type())))
        return;
    // The focus told again where it already is says nothing new, and would
    // make a screen reader drop the first telling as a duplicate.
    if (event->type() == QAccessible::Focus) {
        if (QAccessible::uniqueId(source) == gate->focus_)
            return;
        gate->focus_ = QAccessible::uniqueId(source);
    }
    // The toolkit's own way to the screen reader, for this one event.
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(&AccessibleEventGate::pass);
}

void AccessibleEventGate::sweep()
{
    sweepDue_ = false;
    for (int misses = 0; misses < EnoughMisses && next_ != UINT_MAX; ++next_) {
        if (QAccessible::accessibleInterface(next_)) {
            known_.insert(next_);
            misses = 0;
        } else {
            ++misses;
        }
    }
    next_ -= EnoughMisses;
    for (auto it = known_.begin(); it != known_.end();) {
        QAccessibleInterface *item = QAccessible::accessibleInterface(*it);
        // An item of a list that is gone has no parent left; one of a list
        // still shown is the list's own to forget.
        const bool orphan = item && !item->isValid() && isListItem(item->role()) && !item->parent();
        if (orphan)
            QAccessible::deleteAccessibleInterface(*it);
        if (!item || orphan)
            it = known_.erase(it);
        else
            ++it;
    }
}
