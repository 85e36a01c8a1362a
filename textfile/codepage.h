#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// Text in a code page of several bytes a character (or the system's, on
// Windows), through Qt's converters by the code page's name (empty for the
// system's), with a round trip to check that nothing was lost or guessed.
namespace TextFileFormat::CodePage {

/// One run of bytes without CR or LF, appended to out. The run is taken as
/// decoded only when it encodes back to the same bytes; otherwise each byte
/// is kept on its own (ASCII as itself, the rest as escapes).
void decodeRun(const QByteArray &codePage, QByteArrayView run, QString &out);

/// The bytes of the text, or nothing when some character is not in the code
/// page (or is a lone surrogate other than an escape).
std::optional<QByteArray> encode(const QByteArray &codePage, QStringView text);

} // namespace TextFileFormat::CodePage
