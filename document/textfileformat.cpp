#include "textfileformat.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cstring>

namespace TextFileFormat {

namespace {

constexpr char16_t FirstEscape = 0xDC80;
constexpr char16_t LastEscape = 0xDCFF;

bool isEscape(char16_t c)
{
    return c >= FirstEscape && c <= LastEscape;
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

std::optional<QByteArray> encodeUtf8(QStringView text)
{
    const qsizetype n = text.size();
    const char16_t *s = text.utf16();
    // First pass: the exact size, and whether everything can be written.
    // Runs of ASCII, the bulk of most texts, go four units at a time.
    qsizetype size = 0;
    for (qsizetype i = 0; i < n; ++i) {
        while (i + 4 <= n && fourAscii(s + i)) {
            i += 4;
            size += 4;
        }
        if (i == n)
            break;
        const char16_t c = s[i];
        if (c < 0x80) {
            size += 1;
        } else if (c < 0x800) {
            size += 2;
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
            size += 4;
            ++i;
        } else if (isEscape(c)) {
            size += 1;
        } else if (QChar::isSurrogate(c)) {
            return std::nullopt;
        } else {
            size += 3;
        }
    }
    QByteArray out(size, Qt::Uninitialized);
    auto *d = reinterpret_cast<unsigned char *>(out.data());
    for (qsizetype i = 0; i < n; ++i) {
        while (i + 4 <= n && fourAscii(s + i)) {
            d[0] = uchar(s[i]);
            d[1] = uchar(s[i + 1]);
            d[2] = uchar(s[i + 2]);
            d[3] = uchar(s[i + 3]);
            d += 4;
            i += 4;
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
            const char32_t cp = QChar::surrogateToUcs4(c, s[i + 1]);
            *d++ = uchar(0xF0 | (cp >> 18));
            *d++ = uchar(0x80 | ((cp >> 12) & 0x3F));
            *d++ = uchar(0x80 | ((cp >> 6) & 0x3F));
            *d++ = uchar(0x80 | (cp & 0x3F));
            ++i;
        } else if (isEscape(c)) {
            *d++ = uchar(c - 0xDC00);
        } else {
            *d++ = uchar(0xE0 | (c >> 12));
            *d++ = uchar(0x80 | ((c >> 6) & 0x3F));
            *d++ = uchar(0x80 | (c & 0x3F));
        }
    }
    return out;
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

void Decoder::decode(QByteArrayView bytes, QString &out)
{
    if (encoding_ == Encoding::CodePage) {
        decodeCodePage(bytes, false, out);
        return;
    }
    if (pending_.isEmpty()) {
        decodeUtf8(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(), false, out);
        return;
    }
    QByteArray joined = std::move(pending_);
    pending_.clear();
    joined.append(bytes);
    decodeUtf8(reinterpret_cast<const unsigned char *>(joined.constData()), joined.size(), false,
               out);
}

void Decoder::finish(QString &out)
{
    if (encoding_ == Encoding::CodePage) {
        decodeCodePage({}, true, out);
    } else if (!pending_.isEmpty()) {
        const QByteArray rest = std::move(pending_);
        pending_.clear();
        decodeUtf8(reinterpret_cast<const unsigned char *>(rest.constData()), rest.size(), true,
                   out);
    }
    if (lineOpen_)
        out += QStringLiteral("\r\n");
    lineOpen_ = false;
    afterCr_ = false;
}

// Strict UTF-8: overlong forms, encoded surrogates and values past U+10FFFF
// are not characters, so each of their bytes is kept as an escape. A
// sequence cut off by the end of the piece is held back for the next one.
void Decoder::decodeUtf8(const unsigned char *b, qsizetype size, bool atEnd, QString &out)
{
    // Every byte gives at most one UTF-16 unit, except a CR (two: CR LF); a
    // four-byte sequence gives two.
    const qsizetype crCount = std::count(b, b + size, '\r');
    const qsizetype start = out.size();
    out.resize(start + size + crCount);
    char16_t *const first = reinterpret_cast<char16_t *>(out.data()) + start;
    char16_t *d = first;
    qsizetype i = 0;
    while (i < size) {
        const unsigned c = b[i];
        if (c < 0x80) {
            ++i;
            if (c == '\r') {
                *d++ = u'\r';
                *d++ = u'\n';
                afterCr_ = true;
                lineOpen_ = false;
                continue;
            }
            if (c == '\n' && afterCr_) {
                afterCr_ = false; // the LF of a CR LF pair, already written
                continue;
            }
            *d++ = char16_t(c);
            afterCr_ = false;
            lineOpen_ = true;
            continue;
        }
        afterCr_ = false;
        lineOpen_ = true;
        int need;
        char32_t cp;
        unsigned low = 0x80, high = 0xBF; // allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            need = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            need = 2;
            cp = c & 0x0F;
            if (c == 0xE0)
                low = 0xA0; // no overlong forms
            else if (c == 0xED)
                high = 0x9F; // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            need = 3;
            cp = c & 0x07;
            if (c == 0xF0)
                low = 0x90; // no overlong forms
            else if (c == 0xF4)
                high = 0x8F; // nothing past U+10FFFF
        } else {
            *d++ = escapeFor(uchar(c));
            ++i;
            continue;
        }
        const qsizetype available = size - i - 1;
        int k = 0;
        bool valid = true;
        for (; k < need && k < available; ++k) {
            const unsigned t = b[i + 1 + k];
            if (t < (k == 0 ? low : 0x80) || t > (k == 0 ? high : 0xBF)) {
                valid = false;
                break;
            }
            cp = (cp << 6) | (t & 0x3F);
        }
        if (valid && k < need) {
            if (!atEnd) {
                pending_ = QByteArray(reinterpret_cast<const char *>(b + i), size - i);
                break;
            }
            valid = false;
        }
        if (!valid) {
            *d++ = escapeFor(uchar(c));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            *d++ = QChar::highSurrogate(cp);
            *d++ = QChar::lowSurrogate(cp);
        } else {
            *d++ = char16_t(cp);
        }
        i += need + 1;
    }
    out.resize(start + (d - first));
}

// The code page is applied to whole lines only, so no multi-byte character
// of it is ever cut in two: CR and LF are never part of one.
void Decoder::decodeCodePage(QByteArrayView bytes, bool atEnd, QString &out)
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
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const char c = lines[i];
        if (c != '\r' && c != '\n')
            continue;
        if (i > runStart) {
            appendCodePageRun(lines.sliced(runStart, i - runStart), out);
            afterCr_ = false;
            lineOpen_ = true;
        }
        runStart = i + 1;
        if (c == '\r') {
            out += QStringLiteral("\r\n");
            afterCr_ = true;
            lineOpen_ = false;
        } else if (afterCr_) {
            afterCr_ = false;
        } else {
            out += u'\n';
            lineOpen_ = true;
        }
    }
    if (runStart < lines.size()) {
        appendCodePageRun(lines.sliced(runStart), out);
        afterCr_ = false;
        lineOpen_ = true;
    }
    pending_.remove(0, ready);
}

QString decode(QByteArrayView bytes, Encoding encoding)
{
    Decoder decoder(encoding);
    QString text;
    decoder.decode(bytes, text);
    decoder.finish(text);
    return text;
}

std::optional<QByteArray> encode(QStringView text, Encoding encoding)
{
    return encoding == Encoding::CodePage ? encodeCodePage(text) : encodeUtf8(text);
}

} // namespace TextFileFormat
