#pragma once

#include "encoding.h"

#include "text/linebreak.h"

#include <QByteArrayView>
#include <QLocale>

namespace TextFileFormat {

/// How a file is read and written back: its encoding and its line ends.
struct FileFormat
{
    Encoding encoding = Encoding::system();
    LineBreak lineBreak = LineBreak::CrLf;

    bool operator==(const FileFormat &other) const
    {
        return encoding == other.encoding && lineBreak == other.lineBreak;
    }
};

/// How many bytes of a file's start detection looks at.
constexpr qsizetype DetectionSample = 64 << 10;

/// The format of a file from its first bytes (at most DetectionSample of
/// them) and its size:
/// - a byte-order mark decides UTF-8, UTF-16 or UTF-32 and their byte order;
/// - UTF-16 without a mark is known by the zero bytes of its mostly ASCII
///   text, in either byte order;
/// - bytes that hold a zero byte elsewhere, or that are UTF-8 (with fewer
///   bad bytes than characters of more than one byte) are UTF-8, which
///   keeps whatever does not decode;
/// - anything else is in a code page, which uchardet and ICU's detector
///   guess; the traditional code page of the locale's language stays
///   unless the bytes plainly say otherwise (codepageguess.h).
/// A file with an LF and no CR in the sample has LF line ends.
FileFormat detectFormat(QByteArrayView head, qint64 fileSize, const QLocale &locale = QLocale());

/// The format of a file read in a given encoding, from its first bytes: its
/// line ends found in that encoding's units, as detectFormat finds them, and
/// a Unicode encoding's mark taken when the file begins with it.
FileFormat formatIn(QByteArrayView head, const Encoding &encoding);

} // namespace TextFileFormat
