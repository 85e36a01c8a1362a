#include "accessibleeventgate.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

#include <climits>
#include <utility>

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
    gate->behind_ = QAccessible::installUpdateHandler(&AccessibleEventGate::pass);
}

AccessibleEventGate::AccessibleEventGate()
{
    heldLimit_.setSingleShot(true);
    heldLimit_.setInterval(HeldFocusLimit);
    QObject::connect(&heldLimit_, &QTimer::timeout, &heldLimit_, [this] { tellHeldFocus(); });
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
    if (event->type() == QAccessible::Focus && !gate->admitsFocus(source))
        return;
    tell(event);
    if (event->type() == QAccessible::StateChanged && gate->held_ != 0 &&
        QAccessible::uniqueId(source) == gate->held_ &&
        static_cast<QAccessibleStateChangeEvent *>(event)->changedStates().busy &&
        !source->state().busy)
        gate->tellHeldFocus();
}

// The toolkit's own way to the screen reader, for this one event, unless
// a handler was in place before the gate.
void AccessibleEventGate::tell(QAccessibleEvent *event)
{
    if (gate->behind_) {
        gate->behind_(event);
        return;
    }
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(&AccessibleEventGate::pass);
}

// The focus told again where it already is would make a screen reader drop
// the first telling as a duplicate. Any focus that goes on ends the wait of
// one held: the object held no longer has the focus.
bool AccessibleEventGate::admitsFocus(QAccessibleInterface *source)
{
    const QAccessible::Id id = QAccessible::uniqueId(source);
    if (source->state().busy) {
        if (held_ != id) {
            held_ = id;
            heldLimit_.start();
        }
        return false;
    }
    held_ = 0;
    heldLimit_.stop();
    if (id == focus_)
        return false;
    focus_ = id;
    return true;
}

// Once the object is no longer busy, or has been for too long; it may have
// lost the focus or gone meanwhile.
void AccessibleEventGate::tellHeldFocus()
{
    heldLimit_.stop();
    const QAccessible::Id id = std::exchange(held_, 0);
    QAccessibleInterface *held = id ? QAccessible::accessibleInterface(id) : nullptr;
    if (!held || !held->isValid() || !held->state().focused || id == focus_)
        return;
    focus_ = id;
    QAccessibleEvent focus(held->object(), QAccessible::Focus);
    tell(&focus);
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
