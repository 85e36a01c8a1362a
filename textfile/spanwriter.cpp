#include "spanwriter.h"

#include "codepage.h"
#include "escapes.h"

#include <QtEndian>

#include <cstring>

namespace TextFileFormat {

namespace {

constexpr quint64 HighBits = 0x8080808080808080ULL;

// Encoded bytes go out in pieces of this size.
constexpr qsizetype WriteSize = 1 << 20;
// Text is encoded this many characters at a time: at most three bytes each.
constexpr qsizetype EncodeSlice = 1 << 14;

// Whether the four UTF-16 units at s are all ASCII.
bool fourAscii(const char16_t *s)
{
    quint64 word;
    std::memcpy(&word, s, sizeof word);
    return (word & 0xFF80FF80FF80FF80ULL) == 0;
}

// Writes the UTF-8 of s[0, n) at d and returns the end, or nullptr when a
// character cannot be written. A surrogate pair must not be cut at n.
uchar *utf8FromUtf16(const char16_t *s, qsizetype n, uchar *d)
{
    for (qsizetype i = 0; i < n; ++i) {
        for (; i + 4 <= n && fourAscii(s + i); i += 4, d += 4) {
            for (int k = 0; k < 4; ++k)
                d[k] = uchar(s[i + k]);
        }
        if (i == n)
            break;
        const char16_t c = s[i];
        if (c < 0x80) {
            *d++ = uchar(c);
        } else if (c < 0x800) {
            *d++ = uchar(0xC0 | (c >> 6));
            *d++ = uchar(0x80 | (c & 0x3F));
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
            const char32_t cp = QChar::surrogateToUcs4(c, s[++i]);
            *d++ = uchar(0xF0 | (cp >> 18));
            *d++ = uchar(0x80 | ((cp >> 12) & 0x3F));
            *d++ = uchar(0x80 | ((cp >> 6) & 0x3F));
            *d++ = uchar(0x80 | (cp & 0x3F));
        } else if (isEscape(c)) {
            *d++ = uchar(c - 0xDC00);
        } else if (QChar::isSurrogate(c)) {
            return nullptr;
        } else {
            *d++ = uchar(0xE0 | (c >> 12));
            *d++ = uchar(0x80 | ((c >> 6) & 0x3F));
            *d++ = uchar(0x80 | (c & 0x3F));
        }
    }
    return d;
}

// The index of the first byte from i on that is not ASCII, or n.
qsizetype asciiEnd(const char *s, qsizetype i, qsizetype n)
{
    for (; i + 8 <= n; i += 8) {
        quint64 word;
        std::memcpy(&word, s + i, sizeof word);
        if (word & HighBits)
            break;
    }
    while (i < n && uchar(s[i]) < 0x80)
        ++i;
    return i;
}

// Characters below U+0100 as UTF-8: runs of ASCII copied as they are, the
// rest in two bytes each.
uchar *utf8FromLatin1(const char *s, qsizetype n, uchar *d)
{
    for (qsizetype i = 0; i < n;) {
        const qsizetype run = asciiEnd(s, i, n);
        std::memcpy(d, s + i, size_t(run - i));
        d += run - i;
        i = run;
        if (i == n)
            break;
        const uchar c = uchar(s[i++]);
        *d++ = uchar(0xC0 | (c >> 6));
        *d++ = uchar(0x80 | (c & 0x3F));
    }
    return d;
}

bool writeUtf8(const TextSpan &span, ByteStream &out)
{
    for (qsizetype i = 0; i < span.size;) {
        qsizetype end = std::min(span.size, i + EncodeSlice);
        if (span.isWide() && end < span.size && QChar::isHighSurrogate(span.utf16[end - 1]))
            --end; // never cut a pair in two
        uchar *room = out.room(3 * (end - i));
        if (!room)
            return false;
        room = span.isWide() ? utf8FromUtf16(span.utf16 + i, end - i, room)
                             : utf8FromLatin1(span.latin1 + i, end - i, room);
        if (!room)
            return false;
        out.wrote(room);
        i = end;
    }
    return true;
}

bool writeCodePage(const QByteArray &codePage, const TextSpan &span, ByteStream &out)
{
    QString text;
    span.appendTo(text);
    const std::optional<QByteArray> bytes = CodePage::encode(codePage, text);
    if (!bytes)
        return false;
    uchar *room = out.room(bytes->size());
    if (!room)
        return false;
    std::memcpy(room, bytes->constData(), size_t(bytes->size()));
    out.wrote(room + bytes->size());
    return true;
}

bool writeSingleBytes(const SingleByteTable &table, const TextSpan &span, ByteStream &out)
{
    for (qsizetype i = 0; i < span.size;) {
        const qsizetype end = std::min(span.size, i + EncodeSlice);
        uchar *d = out.room(end - i);
        if (!d)
            return false;
        for (; i < end; ++i) {
            const char16_t c = span.isWide() ? span.utf16[i] : char16_t(uchar(span.latin1[i]));
            if (c < 0x80) {
                *d++ = uchar(c);
            } else if (const std::optional<uchar> byte = table.byteOf(c)) {
                *d++ = *byte;
            } else {
                return false;
            }
        }
        out.wrote(d);
    }
    return true;
}

// UTF-16 and UTF-32: an escape stands for any byte there. The escapes of a
// unit that is no character come whole, but the bytes left over at the end
// of a file whose length is not a whole number of units do not: when text
// follows them, zero bytes after them make them a whole unit, so that what
// follows starts on a unit as it must. Left at the end, they are written
// as they came. loose counts the bytes of a unit begun by escapes.
bool writeUnits(Encoding::Form form, const TextSpan &span, ByteStream &out, int &loose)
{
    const bool wide = form == Encoding::Form::Utf32LE || form == Encoding::Form::Utf32BE;
    const bool bigEndian = form == Encoding::Form::Utf16BE || form == Encoding::Form::Utf32BE;
    const int unitSize = wide ? 4 : 2;
    const auto put = [&](uchar *d, char32_t unit) {
        for (; loose > 0; loose = (loose + 1) % unitSize)
            *d++ = 0;
        if (wide)
            bigEndian ? qToBigEndian<quint32>(unit, d) : qToLittleEndian<quint32>(unit, d);
        else
            bigEndian ? qToBigEndian<quint16>(quint16(unit), d)
                      : qToLittleEndian<quint16>(quint16(unit), d);
        return d + unitSize;
    };
    for (qsizetype i = 0; i < span.size;) {
        qsizetype end = std::min(span.size, i + EncodeSlice);
        if (span.isWide() && end < span.size && QChar::isHighSurrogate(span.utf16[end - 1]))
            --end; // never cut a pair in two
        uchar *d = out.room(4 * (end - i) + unitSize);
        if (!d)
            return false;
        for (; i < end; ++i) {
            const char16_t c = span.isWide() ? span.utf16[i] : char16_t(uchar(span.latin1[i]));
            if (!QChar::isSurrogate(c)) {
                d = put(d, c);
            } else if (QChar::isHighSurrogate(c) && i + 1 < end &&
                       QChar::isLowSurrogate(span.utf16[i + 1])) {
                if (wide) {
                    d = put(d, QChar::surrogateToUcs4(c, span.utf16[i + 1]));
                } else {
                    d = put(d, c);
                    d = put(d, span.utf16[i + 1]);
                }
                ++i;
            } else if (isByteEscape(c)) {
                *d++ = uchar(c - 0xDC00);
                loose = (loose + 1) % unitSize;
            } else {
                return false;
            }
        }
        out.wrote(d);
    }
    return true;
}

} // namespace

ByteStream::ByteStream(const std::function<bool(QByteArrayView)> &write)
    : write_(write), buffer_(WriteSize, Qt::Uninitialized)
{
}

uchar *ByteStream::room(qsizetype size)
{
    if (used_ + size > buffer_.size() && !flush())
        return nullptr;
    return reinterpret_cast<uchar *>(buffer_.data()) + used_;
}

bool ByteStream::flush()
{
    const qsizetype used = std::exchange(used_, 0);
    flushed_ += used;
    return used == 0 || write_(QByteArrayView(buffer_.constData(), used));
}

bool ByteStream::writeThrough(QByteArrayView bytes)
{
    if (!flush())
        return false;
    flushed_ += bytes.size();
    return write_(bytes);
}

SpanWriter::SpanWriter(const Encoding &encoding) : encoding_(encoding)
{
    if (encoding.form() == Encoding::Form::CodePage)
        table_ = SingleByteTable::of(encoding.codePageName());
}

bool SpanWriter::write(const TextSpan &span, ByteStream &out)
{
    switch (encoding_.form()) {
    case Encoding::Form::Utf8:
        return writeUtf8(span, out);
    case Encoding::Form::CodePage:
        return table_ ? writeSingleBytes(*table_, span, out)
                      : writeCodePage(encoding_.codePageName(), span, out);
    default:
        return writeUnits(encoding_.form(), span, out, looseBytes_);
    }
}

bool SpanWriter::completeUnit(ByteStream &out)
{
    if (looseBytes_ == 0)
        return true;
    const int unitSize = encoding_.unitSize();
    uchar *d = out.room(unitSize);
    if (!d)
        return false;
    for (; looseBytes_ > 0; looseBytes_ = (looseBytes_ + 1) % unitSize)
        *d++ = 0;
    out.wrote(d);
    return true;
}

bool writeMark(const Encoding &encoding, ByteStream &out)
{
    const QByteArrayView mark = encoding.mark();
    if (mark.isEmpty())
        return true;
    uchar *room = out.room(mark.size());
    if (!room)
        return false;
    std::memcpy(room, mark.data(), size_t(mark.size()));
    out.wrote(room + mark.size());
    return true;
}

} // namespace TextFileFormat
