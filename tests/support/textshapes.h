#pragma once

// Lines of a given shape, for the tests and benchmarks of the text view.

#include <QString>

namespace TextShapes {

/// A line of the given length built from a repeated pattern.
inline QString repeated(const QString &pattern, qsizetype length)
{
    QString line;
    line.reserve(length + pattern.size());
    while (line.size() < length)
        line += pattern;
    line.truncate(length);
    return line;
}

} // namespace TextShapes
