#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include "encoding.h"

#include "text/linebreak.h"

#include <functional>
#include <optional>

class TextModel;

/// The editor's text file format.
///
/// A file is read in its own encoding (detection.h) and written back in it,
/// with its byte-order mark if it had one. Lines end at CR or at CR LF; a
/// lone LF is an ordinary character, shown as a line break. After reading,
/// every line is followed by CR LF, so a file whose lines all end in CR LF
/// reads as exactly its own characters; a file of LF line ends keeps them,
/// and only its unterminated last line gets an LF.
///
/// Nothing is lost: a byte that the encoding cannot decode becomes one of
/// the lone low surrogates U+DC80..U+DCFF (U+DC00..U+DCFF in UTF-16 and
/// UTF-32, where any byte may be left over), and only the encoder turns
/// those back into the byte they stand for. Reading and then writing a file
/// gives back its bytes, with CR alone turned into CR LF and a line break
/// added after an unterminated last line.
namespace TextFileFormat {

/// The character that stands for an undecodable byte (0x80..0xFF, or any
/// byte in UTF-16 and UTF-32).
constexpr char16_t escapeFor(unsigned char byte)
{
    return char16_t(0xDC00 + byte);
}

/// The whole text of a file's bytes, its byte-order mark left out.
QString decode(QByteArrayView bytes, const Encoding &encoding = Encoding::system(),
               LineBreak lineBreak = LineBreak::CrLf);

/// The bytes of a text, exactly as it is, after the encoding's byte-order
/// mark if it has one: no line end is added or changed. Empty when some
/// character cannot be written in the encoding (a lone surrogate other than
/// an escape, or a character outside the code page).
std::optional<QByteArray> encode(QStringView text, const Encoding &encoding = Encoding::system());

/// The position of the first character of the text that the encoding
/// cannot write (the first unit of a surrogate pair), or nothing when it
/// can write them all. It costs what writing the text costs.
std::optional<qint64> firstUnwritable(const TextModel &text,
                                      const Encoding &encoding = Encoding::system());

/// Whether every character of the text can be written in the encoding.
bool canEncode(const TextModel &text, const Encoding &encoding = Encoding::system());

/// Hands the bytes of the text to write (the mark first), a piece of at most about a
/// megabyte at a time, without ever holding the whole. Returns false as
/// soon as write does, or when a character cannot be written (check
/// canEncode first to refuse such a text before writing anything).
bool encode(const TextModel &text, const std::function<bool(QByteArrayView)> &write,
            const Encoding &encoding = Encoding::system());

} // namespace TextFileFormat
