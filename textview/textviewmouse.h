#pragma once

#include "text/textnavigation.h"

#include <QBasicTimer>
#include <QObject>
#include <QPoint>

class QMouseEvent;
class TextView;
class TextViewDrag;

/// What the mouse does in a text view: a click puts the caret, a drag
/// selects (scrolling the view when it leaves it), a double click selects a
/// word and a drag after it whole words, Shift+click extends the selection,
/// and the middle button pastes the primary selection. A press on the
/// selection and a move past the drag distance drags the selection out.
class TextViewMouse : public QObject
{
public:
    TextViewMouse(TextView &view, TextViewDrag &drag) : view_(view), drag_(drag) {}

    void press(QMouseEvent *event);
    void move(QMouseEvent *event);
    void release(QMouseEvent *event);
    void doubleClick(QMouseEvent *event);

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    enum class Gesture { None, Selecting, SelectingWords, OnSelection };
    void extendTo(QPoint point);

    TextView &view_;
    TextViewDrag &drag_;
    Gesture gesture_ = Gesture::None;
    TextNavigation::Range firstWord_;
    QPoint lastPoint_;
    QPoint pressPoint_;
    QBasicTimer autoScroll_;
};
