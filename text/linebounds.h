#pragma once

#include <QtGlobal>

/// Where a line of the text lies: its first character, the start of its
/// break, and the start of the next line. The last line has no break, and
/// both its end and its next are the end of the text.
struct LineBounds
{
    qint64 start = 0;
    qint64 end = 0;
    qint64 next = 0;

    qint64 length() const { return end - start; }
    bool operator==(const LineBounds &) const = default;
};
