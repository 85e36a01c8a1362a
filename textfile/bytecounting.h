#pragma once

#include "text/linesummary.h"

#include <QtGlobal>

#include <optional>
#include <vector>

/// Counts the lines of a file's bytes without decoding them, as a decoder
/// that starts afresh on them would count its text: characters in UTF-16
/// units (a character of four UTF-8 bytes is two), a break at every CR, CR
/// LF and lone LF, and a lone CR read as CR LF, so one character more.
///
/// UTF-8 is checked in the same pass; bytes that are not all whole, valid
/// sequences give nothing, since their escapes are counted only by the
/// decoder. Bytes of a code page of one byte a character are one character
/// each. The bytes are taken 64 at a time: with AVX2 where the processor has
/// it, a byte at a time elsewhere.
namespace ByteCounting {

/// How the bytes are scanned.
enum class Width {
    Byte, ///< one at a time, on any processor
    Avx2, ///< thirty-two at a time
};

/// The widths this processor can count with, the narrowest first.
std::vector<Width> availableWidths();

struct Count
{
    LineSummary summary;
    /// CRs without their LF: each reads as CR LF, so the text is not the
    /// bytes where lines end in CR LF.
    qint64 loneCarriageReturns = 0;
};

/// The count of bytes of UTF-8, when they are all whole, valid sequences.
std::optional<Count> utf8(const uchar *bytes, qsizetype size);
std::optional<Count> utf8(const uchar *bytes, qsizetype size, Width width);

/// The count of bytes of a code page of one byte a character over ASCII.
Count singleBytes(const uchar *bytes, qsizetype size);
Count singleBytes(const uchar *bytes, qsizetype size, Width width);

} // namespace ByteCounting
