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

// Every character of these encodings writes back as the bytes it came
// from; a lone CR, read as CR LF where lines end in CR LF, and a line
// break added at the text's end are not in the bytes.
std::optional<PieceCounter::Counted> PieceCounter::count(const char *bytes, qint64 size,
                                                         bool endsText) const
{
    const auto *b = reinterpret_cast<const uchar *>(bytes);
    std::optional<ByteCounting::Count> count;
    if (kind_ == Kind::Utf8)
        count = ByteCounting::utf8(b, size);
    else if (kind_ == Kind::SingleBytes)
        count = ByteCounting::singleBytes(b, size);
    if (!count)
        return std::nullopt;
    if (endsText)
        return Counted{count->summary.followedBy(lineEndAdded(b, size, lineBreak_)), false};
    return Counted{count->summary,
                   !(lineBreak_ == LineBreak::CrLf && count->loneCarriageReturns > 0)};
}
