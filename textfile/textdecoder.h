#pragma once

#include "textfileformat.h"

#include <QByteArray>
#include <QByteArrayView>

#include <string>

class TextSink;

namespace TextFileFormat {

/// Reads a file piece by piece, in one pass, into the editor's text.
///
/// Each call to decode() hands the sink the text of as many of the bytes
/// seen so far as can be decided; a multi-byte character or line end split
/// between two pieces is finished by the next call. A CR LF pair or a
/// surrogate pair is always handed over whole.
class Decoder
{
public:
    explicit Decoder(Encoding encoding = systemEncoding()) : encoding_(encoding) {}

    /// Hands the text of the next bytes of the file to out.
    void decode(QByteArrayView bytes, TextSink &out);
    /// Hands out what is still pending at the end of the file: held-back
    /// bytes, and the CR LF that ends an unterminated last line.
    void finish(TextSink &out);

private:
    void decodeUtf8(const unsigned char *bytes, qsizetype size, bool atEnd, TextSink &out);
    /// Decodes the multi-byte sequence at bytes[i]; returns how many bytes it
    /// took, or 0 when it is cut off by the end of the piece.
    qsizetype decodeSequence(const unsigned char *bytes, qsizetype i, qsizetype size, bool atEnd,
                             TextSink &out);
    void decodeCodePage(QByteArrayView bytes, bool atEnd, TextSink &out);
    /// Stages characters below U+0100, or hands a long run to out directly.
    void stageLatin1(const char *text, qsizetype size, TextSink &out);
    void stageWide(char16_t c, TextSink &out);
    /// Hands the characters staged so far to out.
    void flushStaged(TextSink &out);

    Encoding encoding_;
    QByteArray pending_; ///< bytes held back for the next piece
    // Decoded characters not yet handed out, one byte a character while they
    // are below U+0100; at most one of the two holds characters.
    std::string stagedLatin1_;
    std::u16string stagedWide_;
    bool afterCr_ = false;  ///< the last byte was a CR: an LF right after it belongs to it
    bool lineOpen_ = false; ///< characters stand after the last line end
};

} // namespace TextFileFormat
