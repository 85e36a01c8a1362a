#pragma once

#include "text/textnavigation.h"

#include <QBasicTimer>
#include <QObject>
#include <QPoint>

class QMouseEvent;
class TextView;

/// What the mouse does in a text view: a click puts the caret, a drag
/// selects (scrolling the view when it leaves it), a double click selects a
/// word and a drag after it whole words, Shift+click extends the selection,
/// and the middle button pastes the primary selection.
class TextViewMouse : public QObject
{
public:
    explicit TextViewMouse(TextView &view) : view_(view) {}

    void press(QMouseEvent *event);
    void move(QMouseEvent *event);
    void release(QMouseEvent *event);
    void doubleClick(QMouseEvent *event);

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    enum class Gesture { None, Selecting, SelectingWords };
    void extendTo(QPoint point);

    TextView &view_;
    Gesture gesture_ = Gesture::None;
    TextNavigation::Range firstWord_;
    QPoint lastPoint_;
    QBasicTimer autoScroll_;
};
