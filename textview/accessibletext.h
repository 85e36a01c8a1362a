#pragma once

#include <QString>

#include <algorithm>
#include <climits>

/// What every answer to assistive technology about a text view's text
/// shares: how much of the text it carries, how offsets fit its ints, and
/// which characters it may carry.
namespace AccessibleText {

/// The most characters any one answer carries: a range read (the whole
/// text included), the value, and the text of an insert, removal or value
/// event. A screen reader reads a larger document by lines or ranges, so no
/// answer copies megabytes; a range asked for past the limit comes back cut
/// at its start plus Limit.
constexpr qint64 Limit = 1 << 20;

/// Offsets are ints for assistive technology: a text past 2^31 units shows
/// only its first 2^31.
inline int clamped(qint64 offset)
{
    return int(std::min<qint64>(offset, INT_MAX));
}

/// The text as assistive technology can be given it: the bus that carries it
/// takes no NUL and no lone surrogate (an undecodable byte's escape is one),
/// so each such unit becomes U+FFFD, one for one, and offsets stay right.
QString readable(QString text);

} // namespace AccessibleText
