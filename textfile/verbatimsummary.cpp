#include "verbatimsummary.h"

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

namespace TextFileFormat {

namespace {

// The lines of the bytes scanned so far. Each step hands it bit masks of a
// few bytes: those past ASCII, the CRs and the LFs. The bytes themselves are
// read only for what the masks cannot tell, so that what it counts stays in
// registers.
class LineCount
{
public:
    explicit LineCount(const uchar *bytes, qsizetype size) : b_(bytes), size_(size) {}

    // The masks of the width bytes from i on; false when they are not
    // their own text. A CR last in them needs its LF right after them.
    bool take(qsizetype i, int width, quint64 high, quint64 crs, quint64 lfs)
    {
        if (high != 0)
            return false;
        const quint64 last = quint64(1) << (width - 1);
        if (const quint64 lone = crs & ~(lfs >> 1)) {
            if (lone != last || i + width >= size_ || b_[i + width] != '\n')
                return false;
        }
        const quint64 afterCr = (crs << 1) | crCarried_;
        crCarried_ = (crs & last) != 0;
        for (; lfs != 0; lfs &= lfs - 1) {
            const int bit = std::countr_zero(lfs);
            lineFeedAt(i + bit, (afterCr >> bit) & 1);
        }
        return true;
    }

    // The bytes from i on, one at a time, then the summary of them all.
    std::optional<LineSummary> finish(qsizetype i)
    {
        for (; i < size_; ++i) {
            const uchar c = b_[i];
            if (c >= 0x80 || (c == '\r' && (i + 1 == size_ || b_[i + 1] != '\n')))
                return std::nullopt;
            if (c == '\n')
                lineFeedAt(i, i > 0 && b_[i - 1] == '\r');
        }
        LineSummary summary;
        summary.length = size_;
        summary.breaks = breaks_;
        summary.firstLine = breaks_ == 0 ? size_ : firstLine_;
        summary.lastLine = size_ - lineStart_;
        summary.longestLine = std::max(longestLine_, summary.lastLine);
        return summary;
    }

private:
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

    const uchar *b_;
    const qsizetype size_;
    qint64 breaks_ = 0;
    qint64 firstLine_ = 0;
    qint64 longestLine_ = 0;
    qint64 lineStart_ = 0;
    quint64 crCarried_ = 0; ///< the last step ended in a CR
};

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

std::optional<LineSummary> scanWords(const uchar *b, qsizetype size)
{
    LineCount count(b, size);
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 word;
        std::memcpy(&word, b + i, sizeof word);
        word = qFromLittleEndian(word);
        const quint64 crs = zeroBytes(word ^ ('\r' * EveryByte));
        const quint64 lfs = zeroBytes(word ^ ('\n' * EveryByte));
        if ((word & HighBits) == 0 && (crs | lfs) == 0)
            continue;
        if (!count.take(i, 8, word & HighBits, gathered(crs), gathered(lfs)))
            return std::nullopt;
    }
    return count.finish(i);
}

#ifdef VIDIZIZOR_SSE2
std::optional<LineSummary> scanSse2(const uchar *b, qsizetype size)
{
    LineCount count(b, size);
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    qsizetype i = 0;
    for (; i + 16 <= size; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + i));
        const auto high = unsigned(_mm_movemask_epi8(v));
        const auto crs = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr)));
        const auto lfs = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)));
        if (!count.take(i, 16, high, crs, lfs))
            return std::nullopt;
    }
    return count.finish(i);
}
#endif

#ifdef VIDIZIZOR_AVX2
__attribute__((target("avx2"))) std::optional<LineSummary> scanAvx2(const uchar *b, qsizetype size)
{
    LineCount count(b, size);
    const __m256i cr = _mm256_set1_epi8('\r');
    const __m256i lf = _mm256_set1_epi8('\n');
    qsizetype i = 0;
    for (; i + 32 <= size; i += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(b + i));
        const auto high = unsigned(_mm256_movemask_epi8(v));
        const auto crs = unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, cr)));
        const auto lfs = unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, lf)));
        if (!count.take(i, 32, high, crs, lfs))
            return std::nullopt;
    }
    return count.finish(i);
}

bool hasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

ScanWidth widest()
{
    static const ScanWidth width = availableScanWidths().back();
    return width;
}

} // namespace

std::vector<ScanWidth> availableScanWidths()
{
    std::vector<ScanWidth> widths{ScanWidth::Word};
#ifdef VIDIZIZOR_SSE2
    widths.push_back(ScanWidth::Sse2);
#endif
#ifdef VIDIZIZOR_AVX2
    if (hasAvx2())
        widths.push_back(ScanWidth::Avx2);
#endif
    return widths;
}

std::optional<LineSummary> verbatimSummary(const uchar *bytes, qsizetype size, ScanWidth width)
{
    switch (width) {
#ifdef VIDIZIZOR_AVX2
    case ScanWidth::Avx2:
        if (hasAvx2())
            return scanAvx2(bytes, size);
        break;
#endif
#ifdef VIDIZIZOR_SSE2
    case ScanWidth::Sse2:
        return scanSse2(bytes, size);
#endif
    default:
        break;
    }
    return scanWords(bytes, size);
}

std::optional<LineSummary> verbatimSummary(const uchar *bytes, qsizetype size)
{
    return verbatimSummary(bytes, size, widest());
}

} // namespace TextFileFormat
