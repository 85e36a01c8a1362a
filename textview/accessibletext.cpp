#include "accessibletext.h"

namespace AccessibleText {

namespace {

// Whether the unit at i cannot be carried. A unit before i that was
// replaced was no high surrogate of a pair, so the check still holds after
// the units before i are replaced.
bool unreadable(const QChar *units, qsizetype size, qsizetype i)
{
    const QChar unit = units[i];
    if (unit.isNull())
        return true;
    if (unit.isHighSurrogate())
        return i + 1 >= size || !units[i + 1].isLowSurrogate();
    if (unit.isLowSurrogate())
        return i == 0 || !units[i - 1].isHighSurrogate();
    return false;
}

} // namespace

QString readable(QString text)
{
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size && !unreadable(text.constData(), size, i))
        ++i;
    if (i == size)
        return text; // the usual text, not copied
    QChar *units = text.data();
    for (; i < size; ++i) {
        if (unreadable(units, size, i))
            units[i] = QChar::ReplacementCharacter;
    }
    return text;
}

} // namespace AccessibleText
