#include "timedatetext.h"

#include "platform/clock.h"

TimeAndDate readTimeAndDate(const Clock &clock)
{
    // The date is taken between two reads of the time. If the time did not go
    // backwards between them, midnight did not pass, so the date is the date
    // of the first time read. A clock that is being set back may keep failing
    // the check; after a few tries the last reading is used as it is.
    TimeAndDate moment;
    for (int attempt = 0; attempt < 4; ++attempt) {
        moment.time = clock.currentTime();
        moment.date = clock.currentDate();
        if (clock.currentTime() >= moment.time)
            break;
    }
    return moment;
}

namespace {

// Separators that only make sense next to the time zone: blanks, commas and
// the brackets some locales put around it.
bool isZoneSeparator(QChar c)
{
    return c.isSpace() || c == u',' || c == u'(' || c == u')' || c == u'[' || c == u']';
}

} // namespace

QString timeFormatWithoutZone(const QLocale &locale)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    out.reserve(format.size());
    bool quoted = false;
    // Positions in out that hold unquoted literal characters; only those may
    // be trimmed.
    QList<bool> literal;
    for (const QChar c : format) {
        if (c == u'\'') {
            quoted = !quoted;
            out += c;
            literal << false;
            continue;
        }
        if (!quoted && c == u't')
            continue; // the time zone
        out += c;
        literal << (!quoted && !c.isLetter());
    }

    // Trim what the zone leaves behind at either end: the zone stands first
    // or last in every locale's format.
    qsizetype begin = 0, end = out.size();
    while (begin < end && literal.value(begin) && isZoneSeparator(out.at(begin)))
        ++begin;
    while (end > begin && literal.value(end - 1) && isZoneSeparator(out.at(end - 1)))
        --end;
    out = out.mid(begin, end - begin);

    bool hasSeconds = false;
    quoted = false;
    for (const QChar c : out) {
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && c == u's')
            hasSeconds = true;
    }
    return hasSeconds ? out : QStringLiteral("HH:mm:ss");
}

QString timeAndDateText(const TimeAndDate &moment, const QLocale &locale)
{
    return locale.toString(moment.time, timeFormatWithoutZone(locale)) + u' ' +
           locale.toString(moment.date, QLocale::ShortFormat);
}
