#include "findfield.h"

#include <QFocusEvent>

FindField::FindField(QWidget *parent) : QLineEdit(parent) {}

void FindField::selectAllWhenFocused()
{
    if (hasFocus()) {
        selectAll();
        return;
    }
    selectOnFocus_ = true;
}

// The toolkit tells the focus right after this event; the selection waits
// for the event loop, so that it comes after.
void FindField::focusInEvent(QFocusEvent *event)
{
    const Qt::FocusReason reason = event->reason();
    const bool selects = selectOnFocus_ || reason == Qt::TabFocusReason ||
                         reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
    selectOnFocus_ = false;
    if (!selects) {
        QLineEdit::focusInEvent(event);
        return;
    }
    QFocusEvent quiet(QEvent::FocusIn, Qt::OtherFocusReason);
    QLineEdit::focusInEvent(&quiet);
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (hasFocus())
                selectAll();
        },
        Qt::QueuedConnection);
}
