#include "clockpanel.h"

#include "platform/clock.h"
#include "platform/twips.h"

#include <QLocale>
#include <QRegularExpression>

ClockPanel::ClockPanel(Shows shows, const Clock &clock, QWidget *parent)
    : QLabel(parent), shows_(shows), clock_(clock)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setMinimumWidth(Twips(*this).toPixelsX(1440));
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &ClockPanel::refresh);
    refresh();
}

QString hoursAndMinutesFormat(const QLocale &locale)
{
    // The locale's short time format, less any seconds it shows.
    QString format = locale.timeFormat(QLocale::ShortFormat);
    static const QRegularExpression seconds(QStringLiteral("[^hHmaAp]*s+"));
    format.remove(seconds);
    return format.trimmed();
}

void ClockPanel::refresh()
{
    const QLocale locale = QLocale::system();
    setText(shows_ == Shows::Date
                ? locale.toString(clock_.currentDate(), QLocale::ShortFormat)
                : locale.toString(clock_.currentTime(), hoursAndMinutesFormat(locale)));
    scheduleNextRefresh();
}

void ClockPanel::showEvent(QShowEvent *event)
{
    QLabel::showEvent(event);
    refresh();
}

void ClockPanel::scheduleNextRefresh()
{
    // Wake just after the next whole minute; the date turns at midnight,
    // which is a whole minute too.
    const QTime now = clock_.currentTime();
    const int msIntoMinute = now.isValid() ? now.second() * 1000 + now.msec() : 0;
    timer_.start(60000 - msIntoMinute + 50);
}
