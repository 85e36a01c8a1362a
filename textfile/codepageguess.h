#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>

namespace TextFileFormat {

/// The code page of bytes that are not UTF-8, as Qt's converters name it.
///
/// ICU's charset detector gives its candidates; the traditional code page
/// of the locale's language wins whenever the detector is not clearly
/// surer of another, since a short text says little about itself.
QByteArray guessCodePage(QByteArrayView bytes, const QLocale &locale);

/// The code page that older programs of the locale's language wrote text
/// in: Windows-1252 for Italian and the other Western European languages.
QByteArray traditionalCodePage(const QLocale &locale);

} // namespace TextFileFormat
