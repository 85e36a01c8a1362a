#pragma once

// Texts of a given shape, for the tests and benchmarks of the text model and view.

#include <QRandomGenerator>
#include <QString>
#include <QStringList>

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

/// Up to maxPieces pieces drawn at random and joined.
inline QString randomText(QRandomGenerator &random, const QStringList &pieces, int maxPieces)
{
    QString text;
    const int count = random.bounded(maxPieces + 1);
    for (int i = 0; i < count; ++i)
        text += pieces[random.bounded(int(pieces.size()))];
    return text;
}

} // namespace TextShapes
