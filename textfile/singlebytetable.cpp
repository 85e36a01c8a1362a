#include "singlebytetable.h"

#include "escapes.h"
#include "textfileformat.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace TextFileFormat {

namespace {

// The one character a byte decodes to, alone and statelessly, if it encodes
// back to the same byte.
std::optional<char16_t> characterOf(const QByteArray &codePage, uchar byte)
{
    QStringDecoder decoder(codePage.constData(), QStringConverter::Flag::Stateless);
    const char b = char(byte);
    const QString text = decoder.decode(QByteArrayView(&b, 1));
    if (decoder.hasError() || text.size() != 1 || text[0].isSurrogate() ||
        text[0] == QChar::ReplacementCharacter)
        return std::nullopt;
    QStringEncoder encoder(codePage.constData(), QStringConverter::Flag::Stateless);
    const QByteArray back = encoder.encode(text);
    if (encoder.hasError() || back != QByteArrayView(&b, 1))
        return std::nullopt;
    return text[0].unicode();
}

} // namespace

std::optional<SingleByteTable> SingleByteTable::of(const QByteArray &codePage)
{
    if (codePage.isEmpty() || !QStringDecoder(codePage.constData()).isValid())
        return std::nullopt;
    for (int byte = 0; byte < 0x80; ++byte) {
        if (characterOf(codePage, uchar(byte)) != char16_t(byte))
            return std::nullopt;
    }
    SingleByteTable table;
    QByteArray high;
    QString decodedAlone;
    for (int byte = 0x80; byte < 0x100; ++byte) {
        const std::optional<char16_t> c = characterOf(codePage, uchar(byte));
        const bool unique = c && *c >= 0x80 && !table.bytes_.count(*c);
        table.high_[byte - 0x80] = unique ? *c : escapeFor(uchar(byte));
        if (unique)
            table.bytes_.emplace(*c, uchar(byte));
        high += char(byte);
        decodedAlone += QChar(table.high_[byte - 0x80]);
    }
    // A page of several bytes a character reads some of these bytes as the
    // start of a longer one: read together, they would not give the same.
    QStringDecoder decoder(codePage.constData(), QStringConverter::Flag::Stateless);
    QString together = decoder.decode(high);
    for (qsizetype i = 0; i < together.size() && i < decodedAlone.size(); ++i) {
        if (isEscape(decodedAlone[i].unicode()))
            together[i] = decodedAlone[i];
    }
    if (together != decodedAlone)
        return std::nullopt;
    return table;
}

std::optional<uchar> SingleByteTable::byteOf(char16_t c) const
{
    if (isEscape(c))
        return uchar(c - 0xDC00);
    const auto found = bytes_.find(c);
    if (found == bytes_.end())
        return std::nullopt;
    return found->second;
}

} // namespace TextFileFormat
