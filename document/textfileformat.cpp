#include "textfileformat.h"

#include "text/textmodel.h"
#include "text/textsink.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cstring>

namespace TextFileFormat {

namespace {

constexpr char16_t FirstEscape = 0xDC80;
constexpr char16_t LastEscape = 0xDCFF;
constexpr quint64 EveryByte = 0x0101010101010101ULL;
constexpr quint64 HighBits = EveryByte << 7;

// Decoded text waits in the decoder until it reaches this size, or until a
// long run of plain ASCII can go to the sink straight from the file's bytes.
constexpr qsizetype StagedLimit = 1 << 16;
constexpr qsizetype DirectRun = 64;

// Encoded bytes go out in pieces of this size.
constexpr qsizetype WriteSize = 1 << 20;
// Text is encoded this many characters at a time: at most three bytes each.
constexpr qsizetype EncodeSlice = 1 << 14;

bool isEscape(char16_t c)
{
    return c >= FirstEscape && c <= LastEscape;
}

bool hasZeroByte(quint64 word)
{
    return ((word - EveryByte) & ~word & HighBits) != 0;
}

// The position of the first surrogate at or after from that is not half of
// a pair, or -1.
qsizetype nextLoneSurrogate(QStringView text, qsizetype from = 0)
{
    const qsizetype n = text.size();
    for (qsizetype i = from; i < n; ++i) {
        const QChar c = text[i];
        if (!c.isSurrogate())
            continue;
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        return i;
    }
    return -1;
}

bool onlyEscapesAreLone(QStringView text)
{
    for (qsizetype i = nextLoneSurrogate(text); i >= 0; i = nextLoneSurrogate(text, i + 1)) {
        if (!isEscape(text[i].unicode()))
            return false;
    }
    return true;
}

// The end of the run of ASCII bytes from i on in which every CR has its LF
// right after it: such a run is its own text, byte for byte. Most files are
// one such run from end to end, and it is checked eight bytes at a time.
qsizetype asciiRunEnd(const uchar *b, qsizetype i, qsizetype size)
{
    for (;;) {
        for (; i + 8 <= size; i += 8) {
            quint64 word;
            std::memcpy(&word, b + i, sizeof word);
            if ((word & HighBits) || hasZeroByte(word ^ ('\r' * EveryByte)))
                break;
        }
        while (i < size && b[i] < 0x80 && b[i] != '\r')
            ++i;
        if (i + 1 < size && b[i] == '\r' && b[i + 1] == '\n') {
            i += 2;
            continue;
        }
        return i;
    }
}

// What a UTF-8 lead byte announces: how many bytes follow, the bits it
// carries, and the range the first of them must be in (which rules out
// overlong forms, encoded surrogates and values past U+10FFFF).
struct Lead
{
    int following = 0; ///< 0: not a lead byte
    char32_t bits = 0;
    unsigned low = 0x80;
    unsigned high = 0xBF;
};

Lead leadOf(unsigned c)
{
    if (c >= 0xC2 && c <= 0xDF)
        return {1, c & 0x1F};
    if (c >= 0xE0 && c <= 0xEF)
        return {2, c & 0x0F, c == 0xE0 ? 0xA0u : 0x80u, c == 0xED ? 0x9Fu : 0xBFu};
    if (c >= 0xF0 && c <= 0xF4)
        return {3, c & 0x07, c == 0xF0 ? 0x90u : 0x80u, c == 0xF4 ? 0x8Fu : 0xBFu};
    return {};
}

// One run of bytes without CR or LF through the system code page. The run is
// taken as decoded only when it encodes back to the same bytes; otherwise
// each byte is kept on its own (ASCII as itself, the rest as escapes).
void appendCodePageRun(QByteArrayView run, QString &out)
{
    if (run.isEmpty())
        return;
    if (std::all_of(run.begin(), run.end(), [](char b) { return uchar(b) < 0x80; })) {
        out += QLatin1String(run.data(), run.size());
        return;
    }
    QStringDecoder decoder(QStringConverter::System, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(run);
    if (!decoder.hasError() && nextLoneSurrogate(text) < 0) {
        QStringEncoder encoder(QStringConverter::System, QStringConverter::Flag::Stateless);
        const QByteArray back = encoder.encode(text);
        if (!encoder.hasError() && back == run) {
            out += text;
            return;
        }
    }
    for (const char b : run)
        out += uchar(b) < 0x80 ? QChar(uchar(b)) : QChar(escapeFor(uchar(b)));
}

bool appendCodePageText(QStringView run, QByteArray &out)
{
    if (run.isEmpty())
        return true;
    QStringEncoder encoder(QStringConverter::System, QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.encode(run);
    if (encoder.hasError())
        return false;
    // Some code pages write a look-alike (or '?') for what they lack; only an
    // exact round trip is a faithful write.
    QStringDecoder decoder(QStringConverter::System, QStringConverter::Flag::Stateless);
    const QString back = decoder.decode(bytes);
    if (decoder.hasError() || back != run)
        return false;
    out += bytes;
    return true;
}

std::optional<QByteArray> encodeCodePage(QStringView text)
{
    QByteArray out;
    qsizetype runStart = 0;
    for (qsizetype i = nextLoneSurrogate(text); i >= 0; i = nextLoneSurrogate(text, i + 1)) {
        if (!isEscape(text[i].unicode()))
            return std::nullopt;
        if (!appendCodePageText(text.mid(runStart, i - runStart), out))
            return std::nullopt;
        out += char(text[i].unicode() - 0xDC00);
        runStart = i + 1;
    }
    if (!appendCodePageText(text.mid(runStart), out))
        return std::nullopt;
    return out;
}

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

// Collects encoded bytes and hands them on a piece at a time.
class ByteStream
{
public:
    explicit ByteStream(const std::function<bool(QByteArrayView)> &write)
        : write_(write), buffer_(WriteSize, Qt::Uninitialized)
    {
    }

    /// Where the next bytes (at most size of them) go; nullptr when handing
    /// on what came before failed.
    uchar *room(qsizetype size)
    {
        if (used_ + size > buffer_.size() && !flush())
            return nullptr;
        return reinterpret_cast<uchar *>(buffer_.data()) + used_;
    }
    void wrote(const uchar *end)
    {
        used_ = end - reinterpret_cast<const uchar *>(buffer_.constData());
    }
    bool flush()
    {
        const qsizetype used = std::exchange(used_, 0);
        return used == 0 || write_(QByteArrayView(buffer_.constData(), used));
    }

private:
    const std::function<bool(QByteArrayView)> &write_;
    QByteArray buffer_;
    qsizetype used_ = 0;
};

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

bool writeCodePage(const TextSpan &span, ByteStream &out)
{
    QString text;
    span.appendTo(text);
    const std::optional<QByteArray> bytes = encodeCodePage(text);
    if (!bytes)
        return false;
    uchar *room = out.room(bytes->size());
    if (!room)
        return false;
    std::memcpy(room, bytes->constData(), size_t(bytes->size()));
    out.wrote(room + bytes->size());
    return true;
}

} // namespace

Encoding systemEncoding()
{
#ifdef Q_OS_WIN
    return Encoding::CodePage;
#else
    // Qt takes the locale's encoding to be UTF-8 on every other system.
    return Encoding::Utf8;
#endif
}

void Decoder::decode(QByteArrayView bytes, TextSink &out)
{
    if (encoding_ == Encoding::CodePage) {
        decodeCodePage(bytes, false, out);
        return;
    }
    if (pending_.isEmpty()) {
        decodeUtf8(reinterpret_cast<const uchar *>(bytes.data()), bytes.size(), false, out);
        return;
    }
    QByteArray joined = std::exchange(pending_, {});
    joined.append(bytes);
    decodeUtf8(reinterpret_cast<const uchar *>(joined.constData()), joined.size(), false, out);
}

void Decoder::finish(TextSink &out)
{
    if (encoding_ == Encoding::CodePage) {
        decodeCodePage({}, true, out);
    } else if (!pending_.isEmpty()) {
        const QByteArray rest = std::exchange(pending_, {});
        decodeUtf8(reinterpret_cast<const uchar *>(rest.constData()), rest.size(), true, out);
    }
    if (lineOpen_)
        out.appendLatin1("\r\n", 2);
    lineOpen_ = false;
    afterCr_ = false;
}

void Decoder::flushStaged(TextSink &out)
{
    if (!stagedLatin1_.empty()) {
        out.appendLatin1(stagedLatin1_.data(), qsizetype(stagedLatin1_.size()));
        stagedLatin1_.clear();
    } else if (!stagedWide_.empty()) {
        out.append(QStringView(stagedWide_.data(), qsizetype(stagedWide_.size())));
        stagedWide_.clear();
    }
}

void Decoder::stageLatin1(const char *text, qsizetype size, TextSink &out)
{
    if (!stagedWide_.empty() && size < DirectRun) {
        stagedWide_.append(reinterpret_cast<const uchar *>(text),
                           reinterpret_cast<const uchar *>(text) + size);
    } else if (stagedLatin1_.empty() && size >= DirectRun) {
        flushStaged(out);
        out.appendLatin1(text, size);
    } else {
        if (!stagedWide_.empty())
            flushStaged(out);
        stagedLatin1_.append(text, size_t(size));
    }
    if (qsizetype(stagedLatin1_.size() + stagedWide_.size()) >= StagedLimit)
        flushStaged(out);
}

void Decoder::stageWide(char16_t c, TextSink &out)
{
    if (!stagedLatin1_.empty())
        flushStaged(out);
    stagedWide_.push_back(c);
    if (qsizetype(stagedWide_.size()) >= StagedLimit && !QChar::isHighSurrogate(c))
        flushStaged(out);
}

// Strict UTF-8: overlong forms, encoded surrogates and values past U+10FFFF
// are not characters, so each of their bytes is kept as an escape. A lone CR
// becomes CR LF. A sequence cut off by the end of the piece is held back for
// the next one.
void Decoder::decodeUtf8(const uchar *b, qsizetype size, bool atEnd, TextSink &out)
{
    qsizetype i = 0;
    if (afterCr_ && size > 0) {
        afterCr_ = false;
        if (b[0] == '\n')
            i = 1; // the LF of a CR LF pair, written with its CR
    }
    while (i < size) {
        const qsizetype run = asciiRunEnd(b, i, size);
        if (run > i) {
            stageLatin1(reinterpret_cast<const char *>(b + i), run - i, out);
            lineOpen_ = !(run - i >= 2 && b[run - 2] == '\r' && b[run - 1] == '\n');
            afterCr_ = false;
            i = run;
        } else if (b[i] == '\r') {
            // A lone CR, or one whose LF may start the next piece.
            stageLatin1("\r\n", 2, out);
            afterCr_ = true;
            lineOpen_ = false;
            ++i;
        } else {
            const qsizetype taken = decodeSequence(b, i, size, atEnd, out);
            if (taken == 0) {
                pending_ = QByteArray(reinterpret_cast<const char *>(b + i), size - i);
                break;
            }
            afterCr_ = false;
            lineOpen_ = true;
            i += taken;
        }
    }
    flushStaged(out);
}

qsizetype Decoder::decodeSequence(const uchar *b, qsizetype i, qsizetype size, bool atEnd,
                                  TextSink &out)
{
    const Lead lead = leadOf(b[i]);
    char32_t cp = lead.bits;
    int k = 0;
    bool valid = lead.following > 0;
    for (; valid && k < lead.following && i + 1 + k < size; ++k) {
        const unsigned t = b[i + 1 + k];
        valid = t >= (k == 0 ? lead.low : 0x80u) && t <= (k == 0 ? lead.high : 0xBFu);
        cp = (cp << 6) | (t & 0x3F);
    }
    if (valid && k < lead.following) {
        if (!atEnd)
            return 0;
        valid = false;
    }
    if (!valid) {
        stageWide(escapeFor(b[i]), out);
        return 1;
    }
    if (cp < 0x100) {
        const char latin1 = char(cp);
        stageLatin1(&latin1, 1, out);
    } else if (cp >= 0x10000) {
        stageWide(QChar::highSurrogate(cp), out);
        stageWide(QChar::lowSurrogate(cp), out);
    } else {
        stageWide(char16_t(cp), out);
    }
    return lead.following + 1;
}

// The code page is applied to whole lines only, so no multi-byte character
// of it is ever cut in two: CR and LF are never part of one.
void Decoder::decodeCodePage(QByteArrayView bytes, bool atEnd, TextSink &out)
{
    qsizetype ready = pending_.size();
    pending_.append(bytes);
    if (atEnd) {
        ready = pending_.size();
    } else {
        qsizetype last = bytes.size() - 1;
        while (last >= 0 && bytes[last] != '\r' && bytes[last] != '\n')
            --last;
        if (last < 0)
            return; // the line goes on in the next piece
        ready += last + 1;
    }
    const QByteArrayView lines = QByteArrayView(pending_).first(ready);
    QString text;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const char c = lines[i];
        if (c != '\r' && c != '\n')
            continue;
        if (i > runStart) {
            appendCodePageRun(lines.sliced(runStart, i - runStart), text);
            afterCr_ = false;
            lineOpen_ = true;
        }
        runStart = i + 1;
        if (c == '\r') {
            text += QStringLiteral("\r\n");
            afterCr_ = true;
            lineOpen_ = false;
        } else if (afterCr_) {
            afterCr_ = false;
        } else {
            text += u'\n';
            lineOpen_ = true;
        }
    }
    if (runStart < lines.size()) {
        appendCodePageRun(lines.sliced(runStart), text);
        afterCr_ = false;
        lineOpen_ = true;
    }
    pending_.remove(0, ready);
    out.append(text);
}

QString decode(QByteArrayView bytes, Encoding encoding)
{
    Decoder decoder(encoding);
    QString text;
    StringSink sink(text);
    decoder.decode(bytes, sink);
    decoder.finish(sink);
    return text;
}

std::optional<QByteArray> encode(QStringView text, Encoding encoding)
{
    if (encoding == Encoding::CodePage)
        return encodeCodePage(text);
    QByteArray bytes;
    const std::function<bool(QByteArrayView)> collect = [&bytes](QByteArrayView piece) {
        bytes.append(piece);
        return true;
    };
    ByteStream stream(collect);
    TextSpan span;
    span.utf16 = text.utf16();
    span.size = text.size();
    if (!writeUtf8(span, stream) || !stream.flush())
        return std::nullopt;
    return bytes;
}

bool canEncode(const TextModel &text, Encoding encoding)
{
    bool representable = true;
    text.forEachSpan(0, text.length(), [&](const TextSpan &span) {
        if (encoding == Encoding::CodePage) {
            QString piece;
            span.appendTo(piece);
            representable = encodeCodePage(piece).has_value();
        } else if (span.isWide()) {
            representable = onlyEscapesAreLone(QStringView(span.utf16, span.size));
        }
        return representable;
    });
    return representable;
}

bool encode(const TextModel &text, const std::function<bool(QByteArrayView)> &write,
            Encoding encoding)
{
    ByteStream stream(write);
    bool written = true;
    text.forEachSpan(0, text.length(), [&](const TextSpan &span) {
        written =
            encoding == Encoding::CodePage ? writeCodePage(span, stream) : writeUtf8(span, stream);
        return written;
    });
    return written && stream.flush();
}

} // namespace TextFileFormat
