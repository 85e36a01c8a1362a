#pragma once

#include "linesummary.h"

#include <QtGlobal>

#include <optional>
#include <vector>

/// Bytes that are their own text: ASCII, with every CR followed by its LF.
/// Read one byte a character they give exactly the characters of any file
/// that is UTF-8 or a code page over ASCII, and the lines the text would
/// have, so a load keeps them as they are and the decoder copies them in one
/// run. Most files are such bytes from end to end, so one scan checks them a
/// vector at a time: 32 bytes with AVX2 where the processor has it, 16 with
/// SSE2, 8 elsewhere.
namespace PlainBytes {

/// How many bytes the scan checks at a time.
enum class Width {
    Word, ///< eight, on any processor
    Sse2, ///< sixteen
    Avx2, ///< thirty-two
};

/// The widths this processor can scan with, the narrowest first.
std::vector<Width> availableWidths();

/// The end of the run of plain bytes from i on: the first byte from i on
/// that is not ASCII or is a CR without its LF right after it, or size.
/// The decoder asks it between the letters of text that is not all plain,
/// where runs are mostly a few bytes long: 16 bytes at a time end them
/// soonest, where the widest vector would cost each call more than it saves.
qsizetype runEnd(const uchar *bytes, qsizetype i, qsizetype size);
qsizetype runEnd(const uchar *bytes, qsizetype i, qsizetype size, Width width);

/// The summary of the lines of bytes, as a chunk of them counts it, when
/// they are all plain; otherwise nothing. The same pass checks and counts,
/// with the widest vector the processor has (chosen once).
std::optional<LineSummary> summary(const uchar *bytes, qsizetype size);
std::optional<LineSummary> summary(const uchar *bytes, qsizetype size, Width width);

} // namespace PlainBytes
