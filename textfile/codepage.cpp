#include "codepage.h"

#include "escapes.h"
#include "textfileformat.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

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

} // namespace

void decodeRun(const QByteArray &codePage, QByteArrayView run, QString &out)
{
    if (run.isEmpty())
        return;
    if (std::all_of(run.begin(), run.end(), [](char b) { return uchar(b) < 0x80; })) {
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
        out += uchar(b) < 0x80 ? QChar(uchar(b)) : QChar(escapeFor(uchar(b)));
}

std::optional<QByteArray> encode(const QByteArray &codePage, QStringView text)
{
    QByteArray out;
    qsizetype runStart = 0;
    for (qsizetype i = nextLoneSurrogate(text); i >= 0; i = nextLoneSurrogate(text, i + 1)) {
        if (!isEscape(text[i].unicode()))
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
