#include "pieceplan.h"

#include "filesnapshot.h"
#include "partplan.h"

#include <algorithm>

namespace {

// Where the text may be cut near the start of piece index: -1 where it
// may not. The first starts where the text does; bytes left over after
// the last line end of UTF-16 or UTF-32 stay with that line.
qint64 cutAt(const FileSnapshot &snapshot, qint64 size, const TextFileFormat::FileFormat &format,
             qint64 pieceSize, qint64 index)
{
    if (index == 0)
        return std::min<qint64>(format.encoding.mark().size(), size);
    if (index * pieceSize >= size)
        return size;
    const qint64 cut = PartPlan::cutAfterLineFeed(snapshot, index * pieceSize, format.encoding);
    return cut < 0 || cut + format.encoding.unitSize() > size ? -1 : cut;
}

} // namespace

namespace PiecePlan {

qint64 count(qint64 size, qint64 pieceSize)
{
    return std::max<qint64>((size + pieceSize - 1) / pieceSize, 1);
}

PieceBytes piece(const FileSnapshot &snapshot, qint64 size,
                 const TextFileFormat::FileFormat &format, qint64 pieceSize, qint64 index)
{
    pieceSize = std::max<qint64>(pieceSize, 1);
    PieceBytes piece;
    piece.begin = cutAt(snapshot, size, format, pieceSize, index);
    if (piece.begin < 0)
        return {};
    for (qint64 next = index + 1;; ++next) {
        const qint64 cut = cutAt(snapshot, size, format, pieceSize, next);
        if (cut >= 0) {
            piece.end = cut;
            break;
        }
    }
    if (piece.end <= piece.begin)
        return {};
    piece.endsText = piece.end == size;
    return piece;
}

} // namespace PiecePlan
