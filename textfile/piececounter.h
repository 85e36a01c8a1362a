#pragma once

#include "bytecounting.h"
#include "detection.h"

#include "text/linesummary.h"

#include <QtGlobal>

#include <optional>

/// Counts the text of a piece of a file straight from its bytes, where the
/// file's encoding allows it, to the very summary that decoding the piece
/// gives (PieceDecoding): UTF-8 whose sequences are all valid, and code
/// pages of one byte a character. Anything else (UTF-16, UTF-32, a code
/// page of several bytes a character, UTF-8 with bytes that are no
/// character) is only counted by decoding it.
///
/// It is made once for a file, since whether a code page is one byte a
/// character takes a look at all of it.
class PieceCounter
{
public:
    struct Counted
    {
        LineSummary summary;
        /// The piece's bytes are exactly what its text is written as.
        bool bytesAreText = false;
    };

    explicit PieceCounter(const TextFileFormat::FileFormat &format);

    /// The count of a piece, with the line break added after the text's
    /// last line when the piece ends the text and that line has none;
    /// nothing where only decoding it counts it.
    std::optional<Counted> count(const char *bytes, qint64 size, bool endsText) const;

    /// The same a stretch at a time: a counter for the piece's bytes, or
    /// nothing where only decoding counts them; once they have all gone
    /// through it, their count.
    std::optional<ByteCounting::Counter> counter() const;
    std::optional<Counted> counted(ByteCounting::Counter &counter, const char *bytes, qint64 size,
                                   bool endsText) const;

private:
    enum class Kind { Decoded, Utf8, SingleBytes };

    Kind kind_ = Kind::Decoded;
    LineBreak lineBreak_;
};
