#pragma once

#include <QString>

/// What every answer to assistive technology about a text view's text
/// shares: how much of the text it carries and which characters it may
/// carry. (How its int offsets reach a longer text: AccessibleWindow.)
namespace AccessibleText {

/// The most characters any one answer carries: a range read (the whole
/// text included), the value, and the text of an insert, removal or value
/// event. A screen reader reads a larger document by lines or ranges, so no
/// answer copies megabytes; a range asked for past the limit comes back cut
/// at its start plus Limit.
constexpr qint64 Limit = 1 << 20;

/// The text as assistive technology can be given it: the bus that carries it
/// takes no NUL and no lone surrogate (an undecodable byte's escape is one),
/// so each such unit becomes U+FFFD, one for one, and offsets stay right.
QString readable(QString text);

} // namespace AccessibleText
