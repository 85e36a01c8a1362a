#include "detection.h"

#include "codepageguess.h"

#include <QtEndian>

namespace TextFileFormat {

namespace {

using Form = Encoding::Form;

bool startsWith(QByteArrayView head, QByteArrayView mark)
{
    return head.size() >= mark.size() && head.first(mark.size()) == mark;
}

std::optional<Encoding> encodingOfMark(QByteArrayView head)
{
    // UTF-32 LE's mark begins with UTF-16 LE's: it is looked for first.
    for (const Form form : {Form::Utf8, Form::Utf32LE, Form::Utf32BE, Form::Utf16LE, Form::Utf16BE}) {
        const Encoding marked = Encoding::unicode(form, true);
        if (startsWith(head, marked.mark()))
            return marked;
    }
    return std::nullopt;
}

// UTF-16 without a mark: text that is mostly ASCII has a zero byte in
// nearly every unit, always on the same side, and no zero unit, and its
// units are letters rather than control codes. Binary data, whose zero
// bytes fall anywhere, fails one test or another.
std::optional<Encoding> unmarkedUtf16(QByteArrayView head, qint64 fileSize)
{
    const qsizetype units = head.size() / 2;
    if (units < 2 || fileSize % 2 != 0)
        return std::nullopt;
    qsizetype zeroHigh[2] = {0, 0}; // units whose high byte is zero, read LE and BE
    qsizetype controls[2] = {0, 0};
    for (qsizetype i = 0; i < units; ++i) {
        const uchar a = uchar(head[2 * i]);
        const uchar b = uchar(head[2 * i + 1]);
        if (a == 0 && b == 0)
            return std::nullopt;
        const uchar lowByte[2] = {a, b};
        for (int order = 0; order < 2; ++order) {
            if (lowByte[1 - order] != 0)
                continue;
            ++zeroHigh[order];
            const uchar c = lowByte[order];
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f')
                ++controls[order];
        }
    }
    for (int order = 0; order < 2; ++order) {
        const bool mostlyAscii = zeroHigh[order] * 10 >= units * 9 && zeroHigh[1 - order] * 100 <= units;
        if (mostlyAscii && controls[order] * 100 <= units)
            return Encoding::unicode(order == 0 ? Form::Utf16LE : Form::Utf16BE, false);
    }
    return std::nullopt;
}

// Whether the bytes read as UTF-8: more characters of several bytes than
// bytes that are not part of one. A sequence cut off by the end of the
// sample counts for neither.
bool readsAsUtf8(QByteArrayView head)
{
    qsizetype valid = 0;
    qsizetype invalid = 0;
    const qsizetype n = head.size();
    for (qsizetype i = 0; i < n;) {
        const uchar c = uchar(head[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        const int following = c >= 0xC2 && c <= 0xDF ? 1 : c >= 0xE0 && c <= 0xEF ? 2
                            : c >= 0xF0 && c <= 0xF4 ? 3 : 0;
        qsizetype k = 1;
        while (k <= following && i + k < n && (uchar(head[i + k]) & 0xC0) == 0x80)
            ++k;
        if (following > 0 && k == following + 1) {
            ++valid;
            i += k;
        } else if (following > 0 && i + k == n) {
            break;
        } else {
            ++invalid;
            ++i;
        }
    }
    return invalid == 0 || valid > invalid;
}

// The sample's line ends, read in its encoding's units.
LineBreak lineBreakOf(QByteArrayView head, const Encoding &encoding)
{
    const int unit = encoding.unitSize();
    const bool bigEndian = encoding.form() == Form::Utf16BE || encoding.form() == Form::Utf32BE;
    bool lineFeed = false;
    for (qsizetype i = encoding.mark().size(); i + unit <= head.size(); i += unit) {
        const uchar *u = reinterpret_cast<const uchar *>(head.data() + i);
        quint32 value = u[0];
        if (unit == 2)
            value = bigEndian ? qFromBigEndian<quint16>(u) : qFromLittleEndian<quint16>(u);
        else if (unit == 4)
            value = bigEndian ? qFromBigEndian<quint32>(u) : qFromLittleEndian<quint32>(u);
        if (value == '\r')
            return LineBreak::CrLf;
        lineFeed = lineFeed || value == '\n';
    }
    return lineFeed ? LineBreak::Lf : LineBreak::CrLf;
}

Encoding encodingOf(QByteArrayView head, qint64 fileSize, const QLocale &locale)
{
    if (const std::optional<Encoding> marked = encodingOfMark(head))
        return *marked;
    if (const std::optional<Encoding> utf16 = unmarkedUtf16(head, fileSize))
        return *utf16;
    const Encoding system = Encoding::system();
    // Binary data keeps the system's reading, as it always had.
    if (head.contains('\0') || !system.isUnicode() || readsAsUtf8(head))
        return system;
    return Encoding::codePage(guessCodePage(head, locale));
}

} // namespace

FileFormat detectFormat(QByteArrayView head, qint64 fileSize, const QLocale &locale)
{
    head = head.first(std::min(head.size(), DetectionSample));
    FileFormat format;
    format.encoding = encodingOf(head, fileSize, locale);
    format.lineBreak = lineBreakOf(head, format.encoding);
    return format;
}

FileFormat formatIn(QByteArrayView head, const Encoding &encoding)
{
    head = head.first(std::min(head.size(), DetectionSample));
    FileFormat format;
    format.encoding = encoding.withMark(startsWith(head, encoding.withMark(true).mark()));
    format.lineBreak = lineBreakOf(head, format.encoding);
    return format;
}

} // namespace TextFileFormat
