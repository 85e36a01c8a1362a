#include "caretblink.h"

#include <QApplication>

CaretBlink::CaretBlink(std::function<void()> changed) : changed_(std::move(changed))
{
    connect(&timer_, &QTimer::timeout, this, &CaretBlink::toggle);
}

void CaretBlink::restart(bool focused)
{
    shown_ = true;
    const int flash = QApplication::cursorFlashTime();
    if (focused && flash > 0)
        timer_.start(flash / 2);
    else
        timer_.stop();
}

void CaretBlink::stop()
{
    timer_.stop();
    shown_ = false;
    changed_();
}

void CaretBlink::toggle()
{
    shown_ = !shown_;
    changed_();
}
