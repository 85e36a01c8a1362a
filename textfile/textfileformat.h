#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

class TextModel;

/// The editor's text file format.
///
/// A file is bytes in the system encoding (the ANSI code page on Windows,
/// UTF-8 elsewhere). Lines end at CR or at CR LF; a lone LF is an ordinary
/// character. After reading, every line is followed by CR LF, so a file whose
/// lines all end in CR LF reads as exactly its own characters. A byte-order
/// mark is not treated specially: it becomes the first character.
///
/// Nothing is lost: a byte that the encoding cannot decode becomes one of
/// the lone low surrogates U+DC80..U+DCFF, and only the encoder turns those
/// back into the byte they stand for. Reading and then writing a file gives
/// back its bytes, with CR alone turned into CR LF and a CR LF added after an
/// unterminated last line.
namespace TextFileFormat {

/// How the bytes of a file map to characters.
enum class Encoding {
    /// UTF-8, decoded strictly by the program itself.
    Utf8,
    /// The system code page through Qt's converters, with a round-trip check
    /// on every line; what does not come back unchanged is kept byte by byte.
    CodePage,
};

/// The encoding files are read and written in on this system.
Encoding systemEncoding();

/// The character that stands for an undecodable byte (0x80..0xFF).
constexpr char16_t escapeFor(unsigned char byte)
{
    return char16_t(0xDC00 + byte);
}

/// The whole text of a file's bytes.
QString decode(QByteArrayView bytes, Encoding encoding = systemEncoding());

/// The bytes of a text, exactly as it is: no line end is added or changed.
/// Empty when some character cannot be written in the encoding (a lone
/// surrogate other than an escape, or a character outside the code page).
std::optional<QByteArray> encode(QStringView text, Encoding encoding = systemEncoding());

/// Whether every character of the text can be written in the encoding.
bool canEncode(const TextModel &text, Encoding encoding = systemEncoding());

/// Hands the bytes of the text to write, a piece of at most about a
/// megabyte at a time, without ever holding the whole. Returns false as
/// soon as write does, or when a character cannot be written (check
/// canEncode first to refuse such a text before writing anything).
bool encode(const TextModel &text, const std::function<bool(QByteArrayView)> &write,
            Encoding encoding = systemEncoding());

} // namespace TextFileFormat
