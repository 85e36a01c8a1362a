#pragma once

#include "detection.h"
#include "encoding.h"

#include <QList>
#include <QLocale>
#include <QString>

namespace TextFileFormat {

/// An encoding a person may choose, as a menu shows it.
struct EncodingChoice
{
    Encoding encoding;
    /// "UTF-8 con BOM", "Windows-1251 (cirillico)".
    QString label;
};

/// The encodings the program reads and writes, for a person to choose:
/// the common ones (the Unicode forms, the traditional code page of the
/// locale's language and the other pages of its script), then the rest by
/// script. A file is read in one with its mark when it begins with it;
/// a document is written in one with or without a mark, which is why the
/// lists to write in offer both.
class EncodingChoices
{
public:
    explicit EncodingChoices(const QLocale &locale = QLocale());

    QList<EncodingChoice> commonToRead() const;
    QList<EncodingChoice> othersToRead() const;
    QList<EncodingChoice> commonToWrite() const;
    QList<EncodingChoice> othersToWrite() const;

private:
    QList<EncodingChoice> codePages(bool common) const;

    QByteArray traditional_;
    QString traditionalScript_;
};

/// How a person knows an encoding: its name, and its byte-order mark where
/// it is not the usual one: "UTF-8", "UTF-8 con BOM", "UTF-16 LE",
/// "UTF-16 LE senza BOM", "Windows-1252".
QString shownName(const Encoding &encoding);

/// "Windows-1252 · CR LF", "UTF-8 · LF": the encoding and the line ends.
QString shownFormat(const FileFormat &format);
/// The same words as they are read aloud: "Windows-1252, CR LF".
QString spokenFormat(const FileFormat &format);

} // namespace TextFileFormat
