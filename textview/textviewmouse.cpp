#include "textviewmouse.h"

#include "textview.h"
#include "textviewdrag.h"

#include "text/textmodel.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
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
    const qint64 position = view_.positionAt(event->position().toPoint());
    firstWord_ = TextNavigation::wordAt(view_.model(), position);
    view_.select(firstWord_.from, firstWord_.to);
    gesture_ = Gesture::SelectingWords;
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
    const qint64 position = view_.positionAt(point);
    if (gesture_ == Gesture::Selecting) {
        view_.moveCaret(position, true);
        return;
    }
    const TextNavigation::Range word = TextNavigation::wordAt(view_.model(), position);
    if (position < firstWord_.from)
        view_.select(firstWord_.to, word.from);
    else
        view_.select(firstWord_.from, std::max(word.to, firstWord_.to));
}

void TextViewMouse::release(QMouseEvent *event)
{
    autoScroll_.stop();
    if (event->button() == Qt::MiddleButton) {
        const QClipboard *clipboard = QGuiApplication::clipboard();
        if (!clipboard->supportsSelection())
            return;
        view_.moveCaret(view_.positionAt(event->position().toPoint()));
        view_.insertText(clipboard->text(QClipboard::Selection));
        return;
    }
    if (event->button() != Qt::LeftButton || gesture_ == Gesture::None)
        return;
    if (gesture_ == Gesture::OnSelection)
        view_.moveCaret(view_.positionAt(event->position().toPoint()));
    gesture_ = Gesture::None;
    view_.offerSelection();
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
