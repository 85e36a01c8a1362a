#include "accessibleeditabletext.h"

#include "lineeditaccessible.h"
#include "textview.h"
#include "textviewaccessible.h"

#include <QLineEdit>

namespace {

QAccessibleInterface *createFor(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    if (className == QLatin1String(TextView::staticMetaObject.className()))
        return new TextViewAccessible(static_cast<TextView *>(object));
    // A spin box's field is read through the spin box, as the toolkit does.
    if (className == QLatin1String("QLineEdit") &&
        object->objectName() != QLatin1String("qt_spinbox_lineedit"))
        return new LineEditAccessible(static_cast<QLineEdit *>(object));
    return nullptr;
}

} // namespace

AccessibleEditableText::AccessibleEditableText(QWidget *widget)
    : QAccessibleWidget(widget, QAccessible::EditableText)
{
}

void AccessibleEditableText::install()
{
    static const bool installed = (QAccessible::installFactory(createFor), true);
    Q_UNUSED(installed);
}

void *AccessibleEditableText::interface_cast(QAccessible::InterfaceType type)
{
    switch (type) {
    case QAccessible::TextInterface:
        return static_cast<QAccessibleTextInterface *>(this);
    case QAccessible::EditableTextInterface:
        return static_cast<QAccessibleEditableTextInterface *>(this);
    default:
        return QAccessibleWidget::interface_cast(type);
    }
}

void AccessibleEditableText::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

AccessibleTextItems::Range AccessibleEditableText::find(const TextModel &model, qint64 offset,
                                                        QAccessible::TextBoundaryType type,
                                                        Side side)
{
    switch (side) {
    case Side::Before:
        return AccessibleTextItems::before(model, offset, type);
    case Side::After:
        return AccessibleTextItems::after(model, offset, type);
    case Side::At:
        break;
    }
    return AccessibleTextItems::at(model, offset, type);
}

QString AccessibleEditableText::textBeforeOffset(int offset, QAccessible::TextBoundaryType type,
                                                 int *startOffset, int *endOffset) const
{
    return item(offset, type, Side::Before, startOffset, endOffset);
}

QString AccessibleEditableText::textAfterOffset(int offset, QAccessible::TextBoundaryType type,
                                                int *startOffset, int *endOffset) const
{
    return item(offset, type, Side::After, startOffset, endOffset);
}

QString AccessibleEditableText::textAtOffset(int offset, QAccessible::TextBoundaryType type,
                                             int *startOffset, int *endOffset) const
{
    return item(offset, type, Side::At, startOffset, endOffset);
}

void AccessibleEditableText::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, {});
}

void AccessibleEditableText::insertText(int offset, const QString &text)
{
    replaceText(offset, offset, text);
}
