#pragma once

#include "encoding.h"
#include "singlebytetable.h"

#include "text/linebreak.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>
#include <string>

class TextSink;

namespace TextFileFormat {

/// Reads a file piece by piece, in one pass, into the editor's text.
///
/// The bytes are decoded in the file's encoding and the reading rule is
/// applied to the characters they give, never to bytes: lines end at CR or
/// CR LF, a lone CR is followed by LF, and an unterminated last line gets
/// the document's line break (CR LF, or LF in a file of LF line ends). A
/// byte-order mark is not part of what is decoded.
///
/// Each call to decode() hands the sink the text of as many of the bytes
/// seen so far as can be decided; a character or line end split between
/// two pieces is finished by the next call. A CR LF pair or a surrogate
/// pair is always handed over whole.
///
/// Nothing is lost: what does not decode is kept as escapes, one a byte
/// (see escapes.h), which only the encoder turns back into those bytes.
class Decoder
{
public:
    explicit Decoder(const Encoding &encoding = Encoding::system(),
                     LineBreak lineBreak = LineBreak::CrLf);

    /// Hands the text of the next bytes of the file to out.
    void decode(QByteArrayView bytes, TextSink &out);
    /// Hands out the text of the bytes so far, which end right after a line
    /// feed: the decoder is at rest, and the next bytes start afresh.
    void flush(TextSink &out) { flushStaged(out); }
    /// Hands out what is still pending at the end of the file: held-back
    /// bytes, and the line break that ends an unterminated last line.
    void finish(TextSink &out);

    /// Whether bytes that are their own text (ASCII, every CR with its LF)
    /// decode to themselves in this encoding: UTF-8 and the code pages of
    /// one byte a character over ASCII.
    bool readsPlainBytesAsThemselves() const;
    /// Whether the text of every byte so far has been handed out, and the
    /// next byte starts afresh: nothing held back, no CR waiting for its LF.
    bool isAtRest() const { return pending_.isEmpty() && !afterCr_; }
    /// Notes that the next bytes of the file, which are their own text, went
    /// to the text without the decoder, which must be at rest: so finish()
    /// still knows how the text ends.
    void passedAsIs(QByteArrayView plainBytes);

private:
    /// What the text decoded so far ends in.
    enum class Ending { Nothing, CrLf, LineFeed, Other };
    struct UnitReader;

    /// UTF-8, or a code page of one byte a character over ASCII.
    void decodeBytes(const uchar *bytes, qsizetype size, bool atEnd, TextSink &out);
    /// Decodes the UTF-8 sequence at bytes[i]; returns how many bytes it
    /// took, or 0 when it is cut off by the end of the piece.
    qsizetype decodeSequence(const uchar *bytes, qsizetype i, qsizetype size, bool atEnd,
                             TextSink &out);
    /// UTF-16 and UTF-32.
    void decodeUnits(const uchar *bytes, qsizetype size, bool atEnd, TextSink &out);
    /// Decodes the unit at bytes[i], which is not plain ASCII; returns how
    /// many bytes it took, or 0 when it is the first half of a surrogate
    /// pair cut off by the end of the piece.
    qsizetype decodeUnit(const UnitReader &units, const uchar *bytes, qsizetype i, qsizetype size,
                         bool atEnd, TextSink &out);
    /// Keeps the bytes of a unit that is no character as their escapes;
    /// returns size.
    qsizetype keepUnitBytes(const uchar *unit, qsizetype size, TextSink &out);
    /// A code page of several bytes a character, a line at a time.
    void decodeLines(QByteArrayView bytes, bool atEnd, TextSink &out);
    /// Ends an unterminated last line with the document's line break.
    void endLine(TextSink &out);
    /// One decoded character, through the reading rule.
    void stageCharacter(char32_t c, TextSink &out);
    /// Stages characters below U+0100, or hands a long run to out directly.
    void stageLatin1(const char *text, qsizetype size, TextSink &out);
    void stageWide(char16_t c, TextSink &out);
    /// Hands the characters staged so far to out.
    void flushStaged(TextSink &out);

    Encoding encoding_;
    LineBreak lineBreak_;
    std::optional<SingleByteTable> table_;
    QByteArray pending_; ///< bytes held back for the next piece
    // Decoded characters not yet handed out, one byte a character while they
    // are below U+0100; at most one of the two holds characters.
    std::string stagedLatin1_;
    std::u16string stagedWide_;
    bool afterCr_ = false; ///< the last character was a CR: an LF right after it belongs to it
    Ending ending_ = Ending::Nothing;
};

} // namespace TextFileFormat
