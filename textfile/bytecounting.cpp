#include "bytecounting.h"

#include "linetally.h"
#include "utf8check.h"

#include <cstring>

namespace ByteCounting {

namespace {

// The masks of n bytes (up to 64), a byte at a time.
template <bool Utf8> ByteBlock blockOf(const uchar *b, int n)
{
    ByteBlock block;
    for (int k = 0; k < n; ++k) {
        const quint64 bit = quint64(1) << k;
        const uchar c = b[k];
        block.starts |= !Utf8 || (c & 0xC0) != 0x80 ? bit : 0;
        block.fourBytes |= Utf8 && c >= 0xF0 ? bit : 0;
        block.carriageReturns |= c == '\r' ? bit : 0;
        block.lineFeeds |= c == '\n' ? bit : 0;
    }
    return block;
}

template <bool Utf8> std::optional<Count> countBytes(const uchar *b, qsizetype size)
{
    if (Utf8 && !Utf8Check::isValid(b, size))
        return std::nullopt;
    LineTally tally;
    for (qsizetype i = 0; i < size; i += 64)
        tally.take(blockOf<Utf8>(b + i, int(std::min<qsizetype>(64, size - i))));
    return Count{tally.summary(), tally.loneCarriageReturns()};
}

#ifdef VIDIZIZOR_UTF8CHECK_AVX2
VIDIZIZOR_AVX2_TARGET inline quint64 maskOf(__m256i low, __m256i high)
{
    return quint64(unsigned(_mm256_movemask_epi8(low))) |
           (quint64(unsigned(_mm256_movemask_epi8(high))) << 32);
}

// The masks of 64 bytes. As signed bytes, continuation bytes (80 to BF) are
// the lowest values, and leads of four bytes (F0 up) the negative ones
// from -16 on.
VIDIZIZOR_AVX2_TARGET inline quint64 above(__m256i low, __m256i high, char value)
{
    const __m256i v = _mm256_set1_epi8(value);
    return maskOf(_mm256_cmpgt_epi8(low, v), _mm256_cmpgt_epi8(high, v));
}

VIDIZIZOR_AVX2_TARGET inline quint64 equal(__m256i low, __m256i high, char value)
{
    const __m256i v = _mm256_set1_epi8(value);
    return maskOf(_mm256_cmpeq_epi8(low, v), _mm256_cmpeq_epi8(high, v));
}

// The masks of 64 bytes. As signed bytes, continuation bytes (80 to BF) are
// the lowest values, and leads of four bytes (F0 up) the negative ones
// from -16 on.
template <bool Utf8> VIDIZIZOR_AVX2_TARGET inline ByteBlock blockOf(__m256i low, __m256i high)
{
    ByteBlock block;
    block.starts = Utf8 ? above(low, high, char(0xBF)) : ~quint64(0);
    block.fourBytes = Utf8 ? above(low, high, char(0xEF)) & maskOf(low, high) : 0;
    block.carriageReturns = equal(low, high, '\r');
    block.lineFeeds = equal(low, high, '\n');
    return block;
}

template <bool Utf8>
VIDIZIZOR_AVX2_TARGET std::optional<Count> countAvx2(const uchar *b, qsizetype size)
{
    LineTally tally;
    Utf8Check::Avx2 check;
    qsizetype i = 0;
    for (; i + 64 <= size; i += 64) {
        const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(b + i));
        const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(b + i + 32));
        if (Utf8) {
            check.take(low);
            check.take(high);
        }
        tally.take(blockOf<Utf8>(low, high));
    }
    // The last bytes, followed by zeros: a sequence they leave unfinished
    // is an error, and the zeros count nothing.
    alignas(32) uchar tail[64] = {};
    const int left = int(size - i);
    std::memcpy(tail, b + i, size_t(left));
    const __m256i low = _mm256_load_si256(reinterpret_cast<const __m256i *>(tail));
    const __m256i high = _mm256_load_si256(reinterpret_cast<const __m256i *>(tail + 32));
    if (Utf8) {
        check.take(low);
        check.take(high);
        if (check.hasErrors())
            return std::nullopt;
    }
    ByteBlock block = blockOf<Utf8>(low, high);
    const quint64 kept = left == 0 ? 0 : ~quint64(0) >> (64 - left);
    block.starts &= kept;
    block.fourBytes &= kept;
    block.carriageReturns &= kept;
    block.lineFeeds &= kept;
    tally.take(block);
    return Count{tally.summary(), tally.loneCarriageReturns()};
}
#endif

template <bool Utf8> std::optional<Count> count(const uchar *b, qsizetype size, Width width)
{
#ifdef VIDIZIZOR_UTF8CHECK_AVX2
    if (width == Width::Avx2 && Utf8Check::hasAvx2())
        return countAvx2<Utf8>(b, size);
#else
    Q_UNUSED(width);
#endif
    return countBytes<Utf8>(b, size);
}

Width widest()
{
    static const Width width = availableWidths().back();
    return width;
}

} // namespace

std::vector<Width> availableWidths()
{
    std::vector<Width> widths{Width::Byte};
#ifdef VIDIZIZOR_UTF8CHECK_AVX2
    if (Utf8Check::hasAvx2())
        widths.push_back(Width::Avx2);
#endif
    return widths;
}

std::optional<Count> utf8(const uchar *bytes, qsizetype size, Width width)
{
    return count<true>(bytes, size, width);
}

std::optional<Count> utf8(const uchar *bytes, qsizetype size)
{
    return utf8(bytes, size, widest());
}

Count singleBytes(const uchar *bytes, qsizetype size, Width width)
{
    return *count<false>(bytes, size, width);
}

Count singleBytes(const uchar *bytes, qsizetype size)
{
    return singleBytes(bytes, size, widest());
}

} // namespace ByteCounting
