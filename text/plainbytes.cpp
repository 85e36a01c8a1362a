#include "plainbytes.h"

#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define VIDIZIZOR_SSE2 1
#endif
#if defined(VIDIZIZOR_SSE2) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define VIDIZIZOR_AVX2 1
#endif

namespace PlainBytes {

namespace {

// What a scan that looks only for the run's end counts: nothing.
struct NoLines
{
    void take(qsizetype, int, quint64, quint64) {}
    void lineFeedAt(qsizetype, bool) {}
};

// The lines of the bytes scanned so far. Each step hands it bit masks of the
// CRs and LFs of a few plain bytes, so the bytes are not read again. Each
// scan keeps it as a local of its own, so that what it counts stays in
// registers.
class LineCount
{
public:
    void take(qsizetype i, int width, quint64 crs, quint64 lfs)
    {
        const quint64 afterCr = (crs << 1) | crCarried_;
        crCarried_ = (crs >> (width - 1)) & 1;
        for (; lfs != 0; lfs &= lfs - 1) {
            const int bit = std::countr_zero(lfs);
            lineFeedAt(i + bit, (afterCr >> bit) & 1);
        }
    }

    // An LF ends a line; a CR right before it is part of the same break.
    void lineFeedAt(qsizetype at, bool afterCr)
    {
        const qint64 line = at - lineStart_ - qint64(afterCr);
        if (breaks_ == 0)
            firstLine_ = line;
        longestLine_ = std::max(longestLine_, line);
        ++breaks_;
        lineStart_ = at + 1;
    }

    LineSummary summary(qsizetype size) const
    {
        LineSummary summary;
        summary.length = size;
        summary.breaks = breaks_;
        summary.firstLine = breaks_ == 0 ? size : firstLine_;
        summary.lastLine = size - lineStart_;
        summary.longestLine = std::max(longestLine_, summary.lastLine);
        return summary;
    }

private:
    qint64 breaks_ = 0;
    qint64 firstLine_ = 0;
    qint64 longestLine_ = 0;
    qint64 lineStart_ = 0;
    quint64 crCarried_ = 0; ///< the last step ended in a CR
};

template <typename Lines> struct Scanned
{
    qsizetype end;
    Lines lines;
};

// The bytes of the width bytes from i on that end a run, as a bit mask: those
// past ASCII (high) and the CRs without their LF. A CR last in them looks at
// the byte after them.
inline quint64 stopsIn(const uchar *b, qsizetype i, qsizetype size, int width, quint64 high,
                       quint64 crs, quint64 lfs)
{
    quint64 lone = crs & ~(lfs >> 1);
    const quint64 last = quint64(1) << (width - 1);
    if ((lone & last) && i + width < size && b[i + width] == '\n')
        lone &= ~last;
    return high | lone;
}

template <typename Lines>
Scanned<Lines> scanBytes(const uchar *b, qsizetype i, qsizetype size, Lines lines)
{
    for (; i < size; ++i) {
        const uchar c = b[i];
        if (c >= 0x80 || (c == '\r' && (i + 1 == size || b[i + 1] != '\n')))
            return {i, lines};
        if (c == '\n')
            lines.lineFeedAt(i, i > 0 && b[i - 1] == '\r');
    }
    return {size, lines};
}

constexpr quint64 EveryByte = 0x0101010101010101ULL;
constexpr quint64 HighBits = EveryByte << 7;

// The high bit of each byte of word that is zero, and of no other.
quint64 zeroBytes(quint64 word)
{
    return ~(((word & ~HighBits) + ~HighBits) | word) & HighBits;
}

// The high bits of the eight bytes, gathered into the low eight bits.
quint64 gathered(quint64 highBits)
{
    return ((highBits >> 7) * 0x0102040810204080ULL) >> 56;
}

template <typename Lines> Scanned<Lines> scanWords(const uchar *b, qsizetype i, qsizetype size)
{
    Lines lines;
    for (; i + 8 <= size; i += 8) {
        quint64 word;
        std::memcpy(&word, b + i, sizeof word);
        word = qFromLittleEndian(word);
        const quint64 high = word & HighBits;
        const quint64 crs = zeroBytes(word ^ ('\r' * EveryByte));
        const quint64 lfs = zeroBytes(word ^ ('\n' * EveryByte));
        if ((high | crs | lfs) == 0)
            continue;
        const quint64 crBits = gathered(crs);
        const quint64 lfBits = gathered(lfs);
        if (const quint64 stops = stopsIn(b, i, size, 8, gathered(high), crBits, lfBits))
            return {i + std::countr_zero(stops), lines};
        lines.take(i, 8, crBits, lfBits);
    }
    return scanBytes(b, i, size, lines);
}

#ifdef VIDIZIZOR_SSE2
template <typename Lines>
Q_ALWAYS_INLINE Scanned<Lines> scanSse2(const uchar *b, qsizetype i, qsizetype size)
{
    Lines lines;
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; i + 16 <= size; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + i));
        const auto high = quint64(unsigned(_mm_movemask_epi8(v)));
        const auto crs = quint64(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr))));
        const auto lfs = quint64(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf))));
        if (const quint64 stops = stopsIn(b, i, size, 16, high, crs, lfs))
            return {i + std::countr_zero(stops), lines};
        lines.take(i, 16, crs, lfs);
    }
    return scanBytes(b, i, size, lines);
}
#endif

#ifdef VIDIZIZOR_AVX2
template <typename Lines>
__attribute__((target("avx2"))) Scanned<Lines> scanAvx2(const uchar *b, qsizetype i, qsizetype size)
{
    Lines lines;
    const __m256i cr = _mm256_set1_epi8('\r');
    const __m256i lf = _mm256_set1_epi8('\n');
    for (; i + 32 <= size; i += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(b + i));
        const auto high = quint64(unsigned(_mm256_movemask_epi8(v)));
        const auto crs = quint64(unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, cr))));
        const auto lfs = quint64(unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, lf))));
        if (const quint64 stops = stopsIn(b, i, size, 32, high, crs, lfs))
            return {i + std::countr_zero(stops), lines};
        lines.take(i, 32, crs, lfs);
    }
    return scanBytes(b, i, size, lines);
}

bool hasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

template <typename Lines>
Scanned<Lines> scan(const uchar *b, qsizetype i, qsizetype size, Width width)
{
    switch (width) {
#ifdef VIDIZIZOR_AVX2
    case Width::Avx2:
        if (hasAvx2())
            return scanAvx2<Lines>(b, i, size);
        break;
#endif
#ifdef VIDIZIZOR_SSE2
    case Width::Sse2:
        return scanSse2<Lines>(b, i, size);
#endif
    default:
        break;
    }
    return scanWords<Lines>(b, i, size);
}

Width widest()
{
    static const Width width = availableWidths().back();
    return width;
}

} // namespace

std::vector<Width> availableWidths()
{
    std::vector<Width> widths{Width::Word};
#ifdef VIDIZIZOR_SSE2
    widths.push_back(Width::Sse2);
#endif
#ifdef VIDIZIZOR_AVX2
    if (hasAvx2())
        widths.push_back(Width::Avx2);
#endif
    return widths;
}

qsizetype runEnd(const uchar *bytes, qsizetype i, qsizetype size, Width width)
{
    return scan<NoLines>(bytes, i, size, width).end;
}

qsizetype runEnd(const uchar *bytes, qsizetype i, qsizetype size)
{
#ifdef VIDIZIZOR_SSE2
    return scanSse2<NoLines>(bytes, i, size).end;
#else
    return scanWords<NoLines>(bytes, i, size).end;
#endif
}

std::optional<LineSummary> summary(const uchar *bytes, qsizetype size, Width width)
{
    const Scanned<LineCount> scanned = scan<LineCount>(bytes, 0, size, width);
    if (scanned.end < size)
        return std::nullopt;
    return scanned.lines.summary(size);
}

std::optional<LineSummary> summary(const uchar *bytes, qsizetype size)
{
    return summary(bytes, size, widest());
}

} // namespace PlainBytes
