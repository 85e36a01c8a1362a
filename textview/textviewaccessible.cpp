#include "textviewaccessible.h"

#include "accessibletext.h"
#include "accessiblewindow.h"
#include "textview.h"

#include "text/textmodel.h"
#include "text/textnavigation.h"

#include <QFontInfo>

#include <algorithm>
#include <cmath>

TextViewAccessible::TextViewAccessible(TextView *view) : AccessibleEditableText(view) {}

TextView *TextViewAccessible::view() const
{
    return static_cast<TextView *>(widget());
}

const AccessibleWindow &TextViewAccessible::seen() const
{
    return view()->accessibleWindow();
}

// An offset from assistive technology; a negative one means the end.
qint64 TextViewAccessible::offset(int offset) const
{
    return seen().positionOf(offset);
}

int TextViewAccessible::offsetOf(qint64 position) const
{
    return seen().offsetOf(position);
}

bool TextViewAccessible::isBusy(const TextView &view)
{
    return view.model().isLoading() && view.model().length() == 0;
}

QAccessible::State TextViewAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.busy = isBusy(*view());
    state.multiLine = true;
    state.editable = true;
    state.selectableText = true;
    state.focusable = true;
    return state;
}

QString TextViewAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return value();
    return QAccessibleWidget::text(t);
}

// Selection and caret: the view has one selection, from its anchor to its
// caret.

void TextViewAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    const TextCursor &cursor = view()->cursor();
    const bool exists = selectionIndex == 0 && cursor.hasSelection();
    *startOffset = exists ? offsetOf(cursor.selectionStart()) : 0;
    *endOffset = exists ? offsetOf(cursor.selectionEnd()) : 0;
}

int TextViewAccessible::selectionCount() const
{
    return view()->cursor().hasSelection() ? 1 : 0;
}

void TextViewAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        view()->moveCaret(view()->cursor().position());
}

void TextViewAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        view()->select(offset(startOffset), offset(endOffset));
}

int TextViewAccessible::cursorPosition() const
{
    return offsetOf(view()->cursor().position());
}

void TextViewAccessible::setCursorPosition(int position)
{
    view()->moveCaret(offset(position));
}

// Reading.

// A range past the limit comes back cut at its start plus the limit.
QString TextViewAccessible::text(int startOffset, int endOffset) const
{
    const qint64 from = offset(startOffset);
    const qint64 to = std::min(offset(endOffset), from + AccessibleText::Limit);
    return AccessibleText::readable(view()->model().text(from, to));
}

// The item's text; the whole text as one item is cut at the limit.
QString TextViewAccessible::item(int offset, QAccessible::TextBoundaryType type, Side side,
                                 int *startOffset, int *endOffset) const
{
    const AccessibleTextItems::Range found = windowItem(this->offset(offset), type, side);
    const qint64 to = std::min(found.to, found.from + AccessibleText::Limit);
    *startOffset = offsetOf(found.from);
    *endOffset = offsetOf(to);
    return AccessibleText::readable(view()->model().text(found.from, to));
}

// The item as the window shows it: cut at the window's edges, with nothing
// before its start or after its end. The whole text's window is the text.
AccessibleTextItems::Range
TextViewAccessible::windowItem(qint64 position, QAccessible::TextBoundaryType type, Side side) const
{
    const TextModel &model = view()->model();
    const qint64 start = seen().start();
    const qint64 end = seen().end();
    if (type == QAccessible::NoBoundary) // the whole text, with nothing before or after it
        return {side == Side::After ? end : start, side == Side::Before ? start : end};
    auto within = [&](AccessibleTextItems::Range range) {
        return AccessibleTextItems::Range{std::clamp(range.from, start, end),
                                          std::clamp(range.to, start, end)};
    };
    const AccessibleTextItems::Range here = within(AccessibleTextItems::at(model, position, type));
    if (side == Side::Before)
        return here.from <= start ? AccessibleTextItems::Range{start, start}
                                  : within(AccessibleTextItems::at(model, here.from - 1, type));
    if (side == Side::After)
        return here.to >= end ? AccessibleTextItems::Range{end, end}
                              : within(AccessibleTextItems::at(model, here.to, type));
    return here;
}

int TextViewAccessible::characterCount() const
{
    return offsetOf(seen().end());
}

// Geometry, on the screen. A character is as wide as the caret moves over
// it; a line break as wide as a space. Its pixels are those that
// offsetAtPoint answers with it: from the first whole pixel at or after its
// left edge to the last one before the next character's.
QRect TextViewAccessible::characterRect(int offset) const
{
    TextView *view = this->view();
    const TextModel &model = view->model();
    const qint64 from = TextNavigation::snapped(model, this->offset(offset));
    const qint64 to = TextNavigation::nextCharacter(model, from);
    const qreal left = view->viewportX(from);
    const bool sameLine = to > from && model.lineAt(to) == model.lineAt(from);
    const qreal right =
        sameLine ? view->viewportX(to) : left + QFontMetricsF(view->font()).horizontalAdvance(u' ');
    QRect rect = view->caretRectAt(from);
    rect.setLeft(int(std::ceil(left)));
    rect.setWidth(std::max(1, int(std::ceil(right)) - rect.left()));
    return QRect(view->viewport()->mapToGlobal(rect.topLeft()), rect.size());
}

int TextViewAccessible::offsetAtPoint(const QPoint &point) const
{
    TextView *view = this->view();
    const QPoint local = view->viewport()->mapFromGlobal(point);
    if (!view->viewport()->rect().contains(local))
        return -1;
    const qint64 position = view->characterAt(local);
    if (!seen().holds(position))
        return -1; // text outside the window has no offset
    return offsetOf(position);
}

void TextViewAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    view()->ensureVisible(offset(endIndex));
    view()->ensureVisible(offset(startIndex));
}

QString TextViewAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    Q_UNUSED(offset);
    // One font for the whole text.
    *startOffset = 0;
    *endOffset = characterCount();
    const QFontInfo font(view()->font());
    return QStringLiteral("font-family:\"%1\";font-size:%2pt;")
        .arg(font.family())
        .arg(font.pointSizeF());
}

// Editing goes through the view, as typing does: the caret ends after the
// edit, positions inside a CR LF pair or a character move to its start, and
// deleting part of one character deletes the whole of it.

void TextViewAccessible::deleteText(int startOffset, int endOffset)
{
    const qint64 from = offset(startOffset);
    const qint64 to = offset(endOffset);
    if (from >= to)
        return;
    view()->select(from, to);
    view()->deleteNext();
}

void TextViewAccessible::insertText(int offset, const QString &text)
{
    view()->moveCaret(this->offset(offset));
    view()->insertText(text);
}

void TextViewAccessible::replaceText(int startOffset, int endOffset, const QString &text)
{
    view()->select(offset(startOffset), offset(endOffset));
    view()->insertText(text);
}

// The value is the whole text the window shows while it is within the
// limit. A larger one has none: a property read must not copy hundreds of
// megabytes, and a reader takes such a text by ranges through the text
// interface instead.
QString TextViewAccessible::value() const
{
    if (seen().length() > AccessibleText::Limit)
        return {};
    return AccessibleText::readable(view()->model().text(seen().start(), seen().end()));
}
