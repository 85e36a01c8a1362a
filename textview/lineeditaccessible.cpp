#include "lineeditaccessible.h"

#include "accessibletext.h"

#include "text/textmodel.h"

#include <QFontMetricsF>
#include <QLineEdit>

#include <algorithm>

LineEditAccessible::LineEditAccessible(QLineEdit *field) : AccessibleEditableText(field) {}

QLineEdit *LineEditAccessible::field() const
{
    return static_cast<QLineEdit *>(widget());
}

QString LineEditAccessible::shown() const
{
    return AccessibleText::readable(field()->displayText());
}

int LineEditAccessible::offset(int offset) const
{
    const int length = characterCount();
    if (offset == -2)
        return field()->cursorPosition();
    return offset < 0 ? length : std::min(offset, length);
}

QAccessible::State LineEditAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    const QLineEdit *edit = field();
    state.editable = !edit->isReadOnly();
    state.readOnly = edit->isReadOnly();
    state.passwordEdit = edit->echoMode() != QLineEdit::Normal;
    state.selectableText = true;
    return state;
}

QString LineEditAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return shown();
    QString text = QAccessibleWidget::text(t);
    if (t == QAccessible::Description && text.isEmpty())
        text = field()->placeholderText();
    return text;
}

void LineEditAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    const QLineEdit *edit = field();
    const bool exists = selectionIndex == 0 && edit->hasSelectedText();
    *startOffset = exists ? edit->selectionStart() : 0;
    *endOffset = exists ? edit->selectionEnd() : 0;
}

int LineEditAccessible::selectionCount() const
{
    return field()->hasSelectedText() ? 1 : 0;
}

void LineEditAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        field()->deselect();
}

void LineEditAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex != 0)
        return;
    const int from = offset(startOffset);
    field()->setSelection(from, offset(endOffset) - from);
}

int LineEditAccessible::cursorPosition() const
{
    return field()->cursorPosition();
}

void LineEditAccessible::setCursorPosition(int position)
{
    field()->setCursorPosition(offset(position));
}

QString LineEditAccessible::text(int startOffset, int endOffset) const
{
    const int from = offset(startOffset);
    return shown().mid(from, std::max(0, offset(endOffset) - from));
}

// The field's text is read with the items of a text box, on a model of its
// own: the same words and characters, and an answer at every offset.
QString LineEditAccessible::item(int offset, QAccessible::TextBoundaryType type, Side side,
                                 int *startOffset, int *endOffset) const
{
    const QString text = shown();
    TextModel model;
    model.setText(text);
    const AccessibleTextItems::Range found = find(model, this->offset(offset), type, side);
    *startOffset = int(found.from);
    *endOffset = int(found.to);
    return text.mid(*startOffset, *endOffset - *startOffset);
}

int LineEditAccessible::characterCount() const
{
    return int(field()->displayText().size());
}

// x of an offset in the field, measured from where the caret is drawn.
qreal LineEditAccessible::xOf(int offset) const
{
    const QLineEdit *edit = field();
    const QString text = edit->displayText();
    const QFontMetricsF metrics(edit->font());
    const qreal caret = edit->inputMethodQuery(Qt::ImCursorRectangle).toRectF().left();
    return caret + metrics.horizontalAdvance(text.left(offset)) -
           metrics.horizontalAdvance(text.left(edit->cursorPosition()));
}

QRect LineEditAccessible::characterRect(int offset) const
{
    const int from = this->offset(offset);
    const QLineEdit *edit = field();
    const QRect caret = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const int left = qRound(xOf(from));
    const int right = from < characterCount() ? qRound(xOf(from + 1)) : left + 1;
    const QRect rect(left, caret.top(), std::max(1, right - left), caret.height());
    return QRect(edit->mapToGlobal(rect.topLeft()), rect.size());
}

int LineEditAccessible::offsetAtPoint(const QPoint &point) const
{
    QLineEdit *edit = field();
    const QPoint local = edit->mapFromGlobal(point);
    if (!edit->rect().contains(local))
        return -1;
    // The nearest caret place may lie after the character under the point.
    const int nearest = edit->cursorPositionAt(local);
    return nearest > 0 && xOf(nearest) > local.x() ? nearest - 1 : nearest;
}

void LineEditAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    field()->setCursorPosition(offset(endIndex));
    field()->setCursorPosition(offset(startIndex));
}

QString LineEditAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    Q_UNUSED(offset);
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

void LineEditAccessible::replaceText(int startOffset, int endOffset, const QString &text)
{
    QLineEdit *edit = field();
    if (edit->isReadOnly() || edit->echoMode() != QLineEdit::Normal)
        return;
    const int from = offset(startOffset);
    edit->setSelection(from, std::max(0, offset(endOffset) - from));
    edit->insert(text);
}
