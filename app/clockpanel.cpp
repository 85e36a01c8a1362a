#include "clockpanel.h"

#include "platform/clock.h"
#include "platform/twips.h"

#include <QLocale>

ClockPanel::ClockPanel(Shows shows, const Clock &clock, QWidget *parent)
    : QLabel(parent), shows_(shows), clock_(clock)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setMinimumWidth(Twips(*this).toPixelsX(1440));
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &ClockPanel::refresh);
    refresh();
}

void ClockPanel::refresh()
{
    const QLocale locale = QLocale::system();
    setText(shows_ == Shows::Date ? locale.toString(clock_.currentDate(), QLocale::ShortFormat)
                                  : locale.toString(clock_.currentTime(), QLocale::ShortFormat));
    scheduleNextRefresh();
}

void ClockPanel::scheduleNextRefresh()
{
    // Wake just after the next whole minute; the date turns at midnight,
    // which is a whole minute too.
    const QTime now = clock_.currentTime();
    const int msIntoMinute = now.isValid() ? now.second() * 1000 + now.msec() : 0;
    timer_.start(60000 - msIntoMinute + 50);
}
