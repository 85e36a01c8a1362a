#include "textviewzoom.h"

#include "textview.h"

#include <QFontInfo>
#include <QKeyEvent>
#include <QWheelEvent>

#include <algorithm>

namespace {

// A notch of a mouse wheel, in eighths of a degree.
constexpr int Notch = 120;

Qt::KeyboardModifiers commandModifiers(const QKeyEvent *event)
{
    // Plus is shifted on some keyboards, and on the keypad on all of them.
    return event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
}

// The change of size a key asks for: +1, -1, 0 for the size it had, or none.
std::optional<int> zoomOf(const QKeyEvent *event)
{
    if (commandModifiers(event) != Qt::ControlModifier)
        return std::nullopt;
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return 1;
    case Qt::Key_Minus:
        return -1;
    case Qt::Key_0:
        return 0;
    default:
        return std::nullopt;
    }
}

} // namespace

bool TextViewZoom::isZoomKey(const QKeyEvent *event)
{
    return zoomOf(event).has_value();
}

bool TextViewZoom::key(const QKeyEvent *event)
{
    const std::optional<int> zoom = zoomOf(event);
    if (!zoom)
        return false;
    if (*zoom == 0)
        reset();
    else
        zoomBy(*zoom);
    return true;
}

bool TextViewZoom::wheel(QWheelEvent *event)
{
    if ((event->modifiers() & ~Qt::ShiftModifier) != Qt::ControlModifier)
        return false;
    const int angle = event->angleDelta().y();
    // A turn the other way starts afresh.
    if ((angle > 0) != (wheelAngle_ > 0))
        wheelAngle_ = 0;
    wheelAngle_ += angle;
    const int notches = wheelAngle_ / Notch;
    wheelAngle_ -= notches * Notch;
    if (notches)
        zoomBy(notches);
    event->accept();
    return true;
}

void TextViewZoom::zoomBy(int points)
{
    const QFont font = view_.font();
    const qreal now = font.pointSizeF() > 0 ? font.pointSizeF() : QFontInfo(font).pointSizeF();
    // Never past a bound, and never across one from a size beyond it.
    const qreal wanted = points > 0 ? std::min(now + points, std::max(now, MaximumPointSize))
                                    : std::max(now + points, std::min(now, MinimumPointSize));
    if (points == 0 || wanted == now)
        return;
    if (!unzoomed_) {
        unzoomed_ = font;
        hadOwnFont_ = view_.testAttribute(Qt::WA_SetFont);
    }
    QFont zoomed = font;
    zoomed.setPointSizeF(wanted);
    setFont(zoomed);
}

void TextViewZoom::reset()
{
    if (!unzoomed_)
        return;
    // A font the view inherited is inherited again, so that it follows the
    // program's font as it did.
    setFont(hadOwnFont_ ? *unzoomed_ : QFont());
    unzoomed_.reset();
}

void TextViewZoom::setFont(const QFont &font)
{
    view_.setFont(font);
    view_.ensureCaretVisible();
}
