#pragma once

#include "text/textnavigation.h"

#include <QBasicTimer>
#include <QObject>
#include <QPoint>

class QMouseEvent;
class TextView;
class TextViewDrag;

/// What the mouse does in a text view: a click puts the caret, a drag
/// selects (scrolling the view when it leaves it), a double click selects
/// the word under the pointer and a drag after it whole words, a triple
/// click selects the line with its break and a drag after it whole lines,
/// Shift+click extends the selection, and the middle button pastes the
/// primary selection where it is clicked. A press on the selection and a
/// move past the drag distance drags the selection out.
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
    enum class Gesture { None, Selecting, SelectingWords, SelectingLines, OnSelection };
    void extendTo(QPoint point);
    bool isTripleClick(const QMouseEvent *event) const;
    TextNavigation::Range lineAt(qint64 position) const;
    void pastePrimary(QPoint point);

    TextView &view_;
    TextViewDrag &drag_;
    Gesture gesture_ = Gesture::None;
    /// The word or line the selection started with.
    TextNavigation::Range first_;
    /// When and where the last double click was, for a triple click.
    quint64 doubleClickTime_ = 0;
    QPoint doubleClickPoint_;
    bool afterDoubleClick_ = false;
    QPoint lastPoint_;
    QPoint pressPoint_;
    QBasicTimer autoScroll_;
};
