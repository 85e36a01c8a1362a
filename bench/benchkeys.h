#pragma once

// A key sent to a text view and the repaint it causes, timed together.

#include "benchsupport.h"

#include "textview/textview.h"

#include <QApplication>
#include <QKeyEvent>

namespace Bench {

/// Sends a key to the view and repaints it, and says how long that took.
inline double keyAndPaint(TextView &view, Qt::Key key, Qt::KeyboardModifiers modifiers = {},
                          const QString &text = {})
{
    QElapsedTimer timer;
    timer.start();
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(&view, &press);
    QApplication::sendEvent(&view, &release);
    view.viewport()->repaint();
    return seconds(timer);
}

} // namespace Bench
