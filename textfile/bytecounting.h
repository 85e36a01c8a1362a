#pragma once

#include "linetally.h"
#include "utf8check.h"

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
/// each. The bytes are taken 64 at a time: in one step with AVX-512BW, in two
/// with AVX2, where the processor has them; a byte at a time elsewhere.
namespace ByteCounting {

/// How the bytes are scanned.
enum class Width {
    Byte,   ///< one at a time, on any processor
    Avx2,   ///< thirty-two at a time
    Avx512, ///< sixty-four at a time, the UTF-8 check still by halves
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

/// Counts bytes that come a stretch at a time, such as a file read in
/// steps, each counted while it is still in the processor's cache.
class Counter
{
public:
    /// utf8: the bytes are UTF-8, and checked; otherwise a code page of one
    /// byte a character.
    explicit Counter(bool utf8);
    Counter(bool utf8, Width width);

    /// The next bytes: every stretch but the last a multiple of 64 long.
    void take(const uchar *bytes, qsizetype size);
    /// The count of all the bytes taken; nothing when they are not UTF-8.
    std::optional<Count> finish();

private:
    template <bool Utf8> void takeBytes(const uchar *bytes, qsizetype size);
#ifdef VIDIZIZOR_UTF8CHECK_AVX2
    template <bool Utf8> VIDIZIZOR_AVX2_TARGET void takeAvx2(const uchar *bytes, qsizetype size);
    template <bool Utf8> VIDIZIZOR_AVX2_TARGET void finishAvx2();
    template <bool Utf8>
    VIDIZIZOR_AVX512_TARGET void takeAvx512(const uchar *bytes, qsizetype size);
    template <bool Utf8> VIDIZIZOR_AVX512_TARGET void finishAvx512();
    VIDIZIZOR_AVX2_TARGET inline void checkHalves(const uchar *bytes);
    /// The tail, followed by zeros, ready to be taken as a whole block.
    void padTail();
    Utf8Check::Avx2 vectorCheck_;
#endif
    Utf8Check::Bytes byteCheck_;
    LineTally tally_;
    bool utf8_;
    Width width_;
    /// The last bytes, fewer than 64, counted by finish().
    alignas(64) uchar tail_[64] = {};
    int tailSize_ = 0;
};

/// The count of bytes of UTF-8, when they are all whole, valid sequences.
std::optional<Count> utf8(const uchar *bytes, qsizetype size);
std::optional<Count> utf8(const uchar *bytes, qsizetype size, Width width);

/// The count of bytes of a code page of one byte a character over ASCII.
Count singleBytes(const uchar *bytes, qsizetype size);
Count singleBytes(const uchar *bytes, qsizetype size, Width width);

} // namespace ByteCounting
