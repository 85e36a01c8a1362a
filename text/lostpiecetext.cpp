#include "lostpiecetext.h"

#include <algorithm>

// The lines between the first and the last share what is left of the
// length, none longer than the longest; what they cannot take goes into
// line breaks of two characters (CR LF), as the piece's own breaks took it.
PieceText lostPieceText(const LineSummary &shape, qint64 bytes)
{
    QString text;
    text.reserve(shape.length);
    if (shape.breaks == 0) {
        text.fill(u' ', shape.length);
    } else {
        const qint64 middleLines = shape.breaks - 1;
        qint64 left =
            std::max<qint64>(shape.length - shape.firstLine - shape.lastLine - shape.breaks, 0);
        std::vector<qint64> lines{shape.firstLine};
        for (qint64 k = 0; k < middleLines; ++k) {
            const qint64 length = std::min(left, shape.longestLine);
            lines.push_back(length);
            left -= length;
        }
        lines.push_back(shape.lastLine);
        for (size_t k = 0; k < lines.size(); ++k) {
            text.append(QString(lines[k], u' '));
            if (k + 1 == lines.size())
                break;
            text.append(left > 0 ? QStringLiteral("\r\n") : QStringLiteral("\n"));
            left -= left > 0 ? 1 : 0;
        }
    }
    PieceText lost;
    lost.characters.append(text);
    lost.characters.refresh();
    lost.cuts = {PieceCut{0, 0}, PieceCut{bytes, lost.characters.size()}};
    lost.lost = true;
    return lost;
}
