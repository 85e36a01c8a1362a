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

// Every character of these encodings writes back as the bytes it came
// from; only a lone CR, read as CR LF where lines end in CR LF, is not in
// the bytes.
std::optional<PieceCounter::Counted> PieceCounter::count(const char *bytes, qint64 size) const
{
    const auto *b = reinterpret_cast<const uchar *>(bytes);
    std::optional<ByteCounting::Count> count;
    if (kind_ == Kind::Utf8)
        count = ByteCounting::utf8(b, size);
    else if (kind_ == Kind::SingleBytes)
        count = ByteCounting::singleBytes(b, size);
    if (!count)
        return std::nullopt;
    return Counted{count->summary,
                   !(lineBreak_ == LineBreak::CrLf && count->loneCarriageReturns > 0)};
}
