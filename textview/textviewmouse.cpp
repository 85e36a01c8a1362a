#include "textviewmouse.h"

#include "selectionboard.h"
#include "textview.h"
#include "textviewdrag.h"

#include "text/textmodel.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>

namespace {

constexpr int AutoScrollInterval = 50;

} // namespace

void TextViewMouse::press(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    lastPoint_ = pressPoint_ = event->position().toPoint();
    const bool tripleClick = isTripleClick(event);
    afterDoubleClick_ = false;
    if (tripleClick) {
        first_ = lineAt(view_.characterAt(pressPoint_));
        view_.select(first_.from, first_.to);
        gesture_ = Gesture::SelectingLines;
        return;
    }
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    if (!extend && drag_.grabsSelection(pressPoint_)) {
        gesture_ = Gesture::OnSelection; // a drag, or a click when released at once
        return;
    }
    view_.moveCaret(view_.positionAt(pressPoint_), extend);
    gesture_ = Gesture::Selecting;
}

void TextViewMouse::doubleClick(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    doubleClickPoint_ = event->position().toPoint();
    doubleClickTime_ = event->timestamp();
    afterDoubleClick_ = true;
    first_ = TextNavigation::wordAt(view_.model(), view_.characterAt(doubleClickPoint_));
    view_.select(first_.from, first_.to);
    gesture_ = Gesture::SelectingWords;
}

// A press soon after a double click, where it was.
bool TextViewMouse::isTripleClick(const QMouseEvent *event) const
{
    return afterDoubleClick_ &&
           event->timestamp() - doubleClickTime_ <= quint64(QApplication::doubleClickInterval()) &&
           (event->position().toPoint() - doubleClickPoint_).manhattanLength() <
               QApplication::startDragDistance();
}

// The line with its break, as a triple click selects it.
TextNavigation::Range TextViewMouse::lineAt(qint64 position) const
{
    const TextModel &model = view_.model();
    const LineBounds line = model.lineBounds(model.lineAt(position));
    return {line.start, line.next};
}

void TextViewMouse::move(QMouseEvent *event)
{
    if (gesture_ == Gesture::None || !(event->buttons() & Qt::LeftButton))
        return;
    if (gesture_ == Gesture::OnSelection) {
        const QPoint moved = event->position().toPoint() - pressPoint_;
        if (moved.manhattanLength() >= QApplication::startDragDistance()) {
            gesture_ = Gesture::None;
            drag_.start();
        }
        return;
    }
    lastPoint_ = event->position().toPoint();
    extendTo(lastPoint_);
    if (view_.viewport()->rect().contains(lastPoint_))
        autoScroll_.stop();
    else if (!autoScroll_.isActive())
        autoScroll_.start(AutoScrollInterval, this);
}

void TextViewMouse::extendTo(QPoint point)
{
    if (gesture_ == Gesture::Selecting) {
        view_.moveCaret(view_.positionAt(point), true);
        return;
    }
    const qint64 position = view_.characterAt(point);
    const TextNavigation::Range reached = gesture_ == Gesture::SelectingLines
                                              ? lineAt(position)
                                              : TextNavigation::wordAt(view_.model(), position);
    if (reached.from < first_.from)
        view_.select(first_.to, reached.from);
    else
        view_.select(first_.from, std::max(reached.to, first_.to));
}

void TextViewMouse::release(QMouseEvent *event)
{
    autoScroll_.stop();
    if (event->button() == Qt::MiddleButton) {
        pastePrimary(event->position().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton || gesture_ == Gesture::None)
        return;
    if (gesture_ == Gesture::OnSelection)
        view_.moveCaret(view_.positionAt(event->position().toPoint()));
    gesture_ = Gesture::None;
    view_.offerSelection();
}

// The text is read before the caret moves, since moving it may change what
// this view offers; a selection of this view is copied, not moved.
void TextViewMouse::pastePrimary(QPoint point)
{
    const SelectionBoard &board = view_.selectionBoard();
    if (!board.available())
        return;
    const QString text = board.text();
    view_.moveCaret(view_.positionAt(point));
    view_.insertText(text);
}

// While the mouse is held outside the view, the view scrolls towards it and
// the selection follows.
void TextViewMouse::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != autoScroll_.timerId())
        return;
    const QRect area = view_.viewport()->rect();
    const int lines = lastPoint_.y() < area.top() ? -1 : lastPoint_.y() > area.bottom() ? 1 : 0;
    const int pixels = lastPoint_.x() < area.left()    ? lastPoint_.x() - area.left()
                       : lastPoint_.x() > area.right() ? lastPoint_.x() - area.right()
                                                       : 0;
    view_.verticalScrollBar()->setValue(view_.verticalScrollBar()->value() + lines);
    view_.setHorizontalOffset(view_.horizontalOffset() + pixels);
    extendTo(lastPoint_);
}
