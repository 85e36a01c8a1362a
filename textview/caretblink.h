#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

/// The caret's blinking: shown at once after every move, then on and off at
/// the platform's rate while its view has the focus, hidden without it.
class CaretBlink : public QObject
{
public:
    /// changed is called whenever the caret goes on or off.
    explicit CaretBlink(std::function<void()> changed);

    bool shown() const { return shown_; }
    /// Shows the caret and blinks it from now on, or only shows it when
    /// the view has no focus to blink in.
    void restart(bool focused);
    void stop();

private:
    void toggle();

    std::function<void()> changed_;
    QTimer timer_;
    bool shown_ = false;
};
