#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>

namespace TextFileFormat {

/// The letters outside ASCII that the locale's language is written with,
/// its borrowed words' too, in both cases, and its currency sign, as far as
/// the language's traditional code page writes them: for Italian "àèéìòóù",
/// "äçñ" and the like, their capitals and "€"; for English the Western
/// accented letters.
QString lettersOf(const QLocale &locale, const QByteArray &traditionalPage);

/// Whether the code page can write every one of the letters.
bool writesLetters(const QByteArray &codePage, const QString &letters);

} // namespace TextFileFormat
