#include "partplan.h"

#include "filesnapshot.h"

#include <QByteArray>

#include <algorithm>

namespace {

// How far past a planned cut an LF is looked for; a part whose cut finds
// none is joined to the next.
constexpr qint64 CutSearch = 1 << 16;

// Parts are cut no smaller than this unless the options ask for it.
constexpr qint64 MinimumPart = 1 << 20;

// At most this many parts, however the sizes are set.
constexpr qint64 MaximumParts = 256;

} // namespace

namespace PartPlan {

qint64 cutAfterLineFeed(const FileSnapshot &snapshot, qint64 offset,
                        const TextFileFormat::Encoding &encoding)
{
    const int unit = encoding.unitSize();
    offset -= offset % unit; // units start at offsets that are multiples of their size
    QByteArray window(CutSearch, Qt::Uninitialized);
    window.truncate(snapshot.readAt(offset, window.data(), CutSearch).bytes);
    const QByteArrayView lineFeed = encoding.lineFeed();
    for (qsizetype at = window.indexOf(lineFeed); at >= 0; at = window.indexOf(lineFeed, at + 1)) {
        if (at % unit == 0)
            return offset + at + lineFeed.size();
    }
    return -1;
}

// Eight parts a thread at least, so that at the end no thread waits long
// for another to finish a large part; never smaller than a megabyte, which
// every part would take longer to start than to read.
std::vector<Range> plan(const FileSnapshot &snapshot, qint64 size,
                        const TextFileFormat::FileFormat &format, const LoadOptions &options)
{
    const qint64 balanced =
        std::max<qint64>(MinimumPart, size / (8 * std::max(options.threads, 1)));
    const qint64 partSize = std::min(options.partSize, balanced);
    const qint64 wanted = partSize > 0 ? size / partSize : 1;
    const qint64 count = std::clamp<qint64>(wanted, 1, MaximumParts);
    const int unit = format.encoding.unitSize();
    std::vector<Range> parts;
    qint64 begin = std::min<qint64>(format.encoding.mark().size(), size);
    for (qint64 k = 1; k < count; ++k) {
        const qint64 cut =
            cutAfterLineFeed(snapshot, std::max(begin, size / count * k), format.encoding);
        // The part after a cut holds at least one whole unit: bytes left
        // over at the end of UTF-16 or UTF-32 follow the last line's end,
        // which only the part that holds that line can give.
        if (cut <= begin || cut + unit > size)
            continue;
        parts.push_back(Range{begin, cut});
        begin = cut;
    }
    parts.push_back(Range{begin, size});
    return parts;
}

} // namespace PartPlan
