#include "clusteredges.h"

#include "linebreak.h"
#include "textboundaries.h"

#include <QString>
#include <QTextBoundaryFinder>

namespace {

bool isRegionalIndicator(char32_t c)
{
    return c >= 0x1F1E6 && c <= 0x1F1FF;
}

} // namespace

bool ClusterEdges::isEdge(qint64 position, char32_t before, char32_t after) const
{
    // Below U+0300 nothing joins but a CR LF pair.
    if (before < 0x300 && after < 0x300)
        return !LineBreaks::splitsPair(before, after);
    if (before == U'\u200d' || (isRegionalIndicator(before) && isRegionalIndicator(after)))
        return TextBoundaries::isBoundary(model_, position, TextBoundaries::Unit::Character);
    Remembered &slot = remembered_[(before * 31 + after) & 0xFF];
    if (slot.before != before || slot.after != after)
        slot = {before, after, pairIsEdge(before, after)};
    return slot.edge;
}

bool ClusterEdges::pairIsEdge(char32_t before, char32_t after)
{
    QString pair;
    pair.append(QChar::fromUcs4(before));
    const qsizetype between = pair.size();
    pair.append(QChar::fromUcs4(after));
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, pair);
    finder.setPosition(between);
    return finder.isAtBoundary();
}
