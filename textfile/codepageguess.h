#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>

namespace TextFileFormat {

/// The code page of bytes that are not UTF-8 (at most the sample detection
/// reads), as Qt's converters name it.
///
/// uchardet and ICU's detector give their readings; the traditional code
/// page of the locale's language stays unless they make a case against it,
/// and a far stronger one for a page that cannot write the language's own
/// letters (codepageguess.cpp gives the rule and its measures).
QByteArray guessCodePage(QByteArrayView head, const QLocale &locale);

/// The code page that older programs of the locale's language wrote text
/// in: Windows-1252 for Italian and the other Western European languages.
QByteArray traditionalCodePage(const QLocale &locale);

} // namespace TextFileFormat
