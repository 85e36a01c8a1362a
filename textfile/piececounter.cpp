#include "piececounter.h"

#include "bytecounting.h"
#include "singlebytetable.h"

using TextFileFormat::Encoding;

PieceCounter::PieceCounter(const TextFileFormat::FileFormat &format) : lineBreak_(format.lineBreak)
{
    if (format.encoding.form() == Encoding::Form::Utf8)
        kind_ = Kind::Utf8;
    else if (format.encoding.form() == Encoding::Form::CodePage &&
             TextFileFormat::SingleByteTable::of(format.encoding.codePageName()))
        kind_ = Kind::SingleBytes;
}

namespace {

// The line break that ends the text's last line where the bytes do not:
// after anything but a CR or an LF, and after a lone LF where lines end in
// CR LF.
LineSummary lineEndAdded(const uchar *b, qint64 size, LineBreak lineBreak)
{
    const bool crLfEnds = size > 0 && (b[size - 1] == '\r' ||
                                       (b[size - 1] == '\n' && size > 1 && b[size - 2] == '\r'));
    const bool lineFeedEnds = size > 0 && b[size - 1] == '\n' && !crLfEnds;
    LineSummary added;
    if (size == 0 || crLfEnds || (lineFeedEnds && lineBreak == LineBreak::Lf))
        return added;
    added.length = lineBreakText(lineBreak).size();
    added.breaks = 1;
    return added;
}

} // namespace

std::optional<ByteCounting::Counter> PieceCounter::counter() const
{
    if (kind_ == Kind::Decoded)
        return std::nullopt;
    return ByteCounting::Counter(kind_ == Kind::Utf8);
}

// Every character of these encodings writes back as the bytes it came
// from; a lone CR, read as CR LF whatever the file's lines end in, and a
// line break added at the text's end are not in the bytes.
std::optional<PieceCounter::Counted> PieceCounter::counted(ByteCounting::Counter &counter,
                                                           const char *bytes, qint64 size,
                                                           bool endsText) const
{
    const std::optional<ByteCounting::Count> count = counter.finish();
    if (!count)
        return std::nullopt;
    const auto *b = reinterpret_cast<const uchar *>(bytes);
    if (endsText)
        return Counted{count->summary.followedBy(lineEndAdded(b, size, lineBreak_)), false};
    return Counted{count->summary, count->loneCarriageReturns == 0};
}

std::optional<PieceCounter::Counted> PieceCounter::count(const char *bytes, qint64 size,
                                                         bool endsText) const
{
    std::optional<ByteCounting::Counter> bytesCounter = counter();
    if (!bytesCounter)
        return std::nullopt;
    bytesCounter->take(reinterpret_cast<const uchar *>(bytes), size);
    return counted(*bytesCounter, bytes, size, endsText);
}
