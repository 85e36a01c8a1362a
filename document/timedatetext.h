#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

class Clock;

/// A time and a date that belong to the same moment.
struct TimeAndDate
{
    QTime time;
    QDate date;
};

/// Reads the time of day and then the date from the clock, and makes sure
/// both come from the same day: when midnight passes between the two reads,
/// they are read again.
TimeAndDate readTimeAndDate(const Clock &clock);

/// The locale's time format with hours, minutes and seconds and without the
/// time zone.
QString timeFormatWithoutZone(const QLocale &locale);

/// "time date": the time in the locale's time format with seconds (no time
/// zone), one blank, the date in the locale's short date format. No line end.
QString timeAndDateText(const TimeAndDate &moment, const QLocale &locale = QLocale::system());
