#include "codepage.h"

#include "escapes.h"
#include "textfileformat.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <bitset>

namespace TextFileFormat::CodePage {

namespace {

QStringDecoder decoderOf(const QByteArray &codePage)
{
    const auto flags = QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;
    return codePage.isEmpty() ? QStringDecoder(QStringConverter::System, flags)
                              : QStringDecoder(codePage.constData(), flags);
}

QStringEncoder encoderOf(const QByteArray &codePage)
{
    const auto flags = QStringConverter::Flag::Stateless;
    return codePage.isEmpty() ? QStringEncoder(QStringConverter::System, flags)
                              : QStringEncoder(codePage.constData(), flags);
}

bool appendCodePageText(const QByteArray &codePage, QStringView run, QByteArray &out)
{
    if (run.isEmpty())
        return true;
    QStringEncoder encoder = encoderOf(codePage);
    const QByteArray bytes = encoder.encode(run);
    if (encoder.hasError())
        return false;
    // Some code pages write a look-alike (or '?') for what they lack; only an
    // exact round trip is a faithful write.
    QStringDecoder decoder = decoderOf(codePage);
    const QString back = decoder.decode(bytes);
    if (decoder.hasError() || back != run)
        return false;
    out += bytes;
    return true;
}

// The ASCII bytes that the code page reads as themselves and writes back
// the same. Most pages keep all of ASCII; a few swap control characters
// (Shift_JIS in ICU reads 0x1A as U+001C), and those bytes must be escapes.
// Worked out once per thread for the last code page asked about, since a
// load decodes line after line in the same one.
const std::bitset<128> &asciiKeptBy(const QByteArray &codePage)
{
    thread_local QByteArray lastCodePage;
    thread_local std::bitset<128> kept;
    thread_local bool known = false;
    if (known && lastCodePage == codePage)
        return kept;
    kept.reset();
    for (int byte = 0; byte < 0x80; ++byte) {
        const char b = char(byte);
        QStringDecoder decoder = decoderOf(codePage);
        const QString text = decoder.decode(QByteArrayView(&b, 1));
        if (decoder.hasError() || text != QChar(byte))
            continue;
        QStringEncoder encoder = encoderOf(codePage);
        const QByteArray back = encoder.encode(text);
        if (!encoder.hasError() && back == QByteArrayView(&b, 1))
            kept.set(size_t(byte));
    }
    lastCodePage = codePage;
    known = true;
    return kept;
}

} // namespace

void decodeRun(const QByteArray &codePage, QByteArrayView run, QString &out)
{
    if (run.isEmpty())
        return;
    const std::bitset<128> &kept = asciiKeptBy(codePage);
    const auto keptAsItself = [&kept](char b) { return uchar(b) < 0x80 && kept.test(uchar(b)); };
    if (std::all_of(run.begin(), run.end(), keptAsItself)) {
        out += QLatin1String(run.data(), run.size());
        return;
    }
    QStringDecoder decoder = decoderOf(codePage);
    const QString text = decoder.decode(run);
    if (!decoder.hasError() && nextLoneSurrogate(text) < 0) {
        QStringEncoder encoder = encoderOf(codePage);
        const QByteArray back = encoder.encode(text);
        if (!encoder.hasError() && back == run) {
            out += text;
            return;
        }
    }
    for (const char b : run)
        out += keptAsItself(b) ? QChar(uchar(b)) : QChar(escapeFor(uchar(b)));
}

std::optional<QByteArray> encode(const QByteArray &codePage, QStringView text)
{
    QByteArray out;
    qsizetype runStart = 0;
    for (qsizetype i = nextLoneSurrogate(text); i >= 0; i = nextLoneSurrogate(text, i + 1)) {
        // The escapes of the ASCII bytes stand only for those that the
        // code page does not read as themselves.
        const char16_t c = text[i].unicode();
        if (!isEscape(c) && !(isByteEscape(c) && !asciiKeptBy(codePage).test(c - 0xDC00)))
            return std::nullopt;
        if (!appendCodePageText(codePage, text.mid(runStart, i - runStart), out))
            return std::nullopt;
        out += char(text[i].unicode() - 0xDC00);
        runStart = i + 1;
    }
    if (!appendCodePageText(codePage, text.mid(runStart), out))
        return std::nullopt;
    return out;
}

} // namespace TextFileFormat::CodePage
