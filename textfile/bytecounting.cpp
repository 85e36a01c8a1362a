#include "bytecounting.h"

#include <algorithm>
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

#ifdef VIDIZIZOR_UTF8CHECK_AVX2
VIDIZIZOR_AVX2_TARGET inline quint64 maskOf(__m256i low, __m256i high)
{
    return quint64(unsigned(_mm256_movemask_epi8(low))) |
           (quint64(unsigned(_mm256_movemask_epi8(high))) << 32);
}

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

// The same masks, one compare each: 64 bytes fit in one register.
template <bool Utf8> VIDIZIZOR_AVX512_TARGET inline ByteBlock blockOf(__m512i bytes)
{
    ByteBlock block;
    block.starts = Utf8 ? _mm512_cmpgt_epi8_mask(bytes, _mm512_set1_epi8(char(0xBF))) : ~quint64(0);
    block.fourBytes = Utf8 ? _mm512_cmpge_epu8_mask(bytes, _mm512_set1_epi8(char(0xF0))) : 0;
    block.carriageReturns = _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8('\r'));
    block.lineFeeds = _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8('\n'));
    return block;
}
#endif

// Only the first size bytes of a padded block count.
ByteBlock keptOf(ByteBlock block, int size)
{
    const quint64 kept = size == 0 ? 0 : ~quint64(0) >> (64 - size);
    block.starts &= kept;
    block.fourBytes &= kept;
    block.carriageReturns &= kept;
    block.lineFeeds &= kept;
    return block;
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
    if (Utf8Check::hasAvx512bw())
        widths.push_back(Width::Avx512);
#endif
    return widths;
}

Counter::Counter(bool utf8) : Counter(utf8, widest()) {}

Counter::Counter(bool utf8, Width width) : utf8_(utf8), width_(Width::Byte)
{
    const std::vector<Width> widths = availableWidths();
    if (std::find(widths.begin(), widths.end(), width) != widths.end())
        width_ = width;
}

void Counter::take(const uchar *bytes, qsizetype size)
{
    const qsizetype whole = size / 64 * 64;
#ifdef VIDIZIZOR_UTF8CHECK_AVX2
    if (width_ == Width::Avx2) {
        if (utf8_)
            takeAvx2<true>(bytes, whole);
        else
            takeAvx2<false>(bytes, whole);
    }
    if (width_ == Width::Avx512) {
        if (utf8_)
            takeAvx512<true>(bytes, whole);
        else
            takeAvx512<false>(bytes, whole);
    }
#endif
    if (width_ == Width::Byte) {
        if (utf8_)
            takeBytes<true>(bytes, whole);
        else
            takeBytes<false>(bytes, whole);
    }
    tailSize_ = int(size - whole);
    std::memcpy(tail_, bytes + whole, size_t(tailSize_));
}

template <bool Utf8> void Counter::takeBytes(const uchar *b, qsizetype size)
{
    if (Utf8)
        byteCheck_.take(b, size);
    for (qsizetype i = 0; i < size; i += 64)
        tally_.take(blockOf<Utf8>(b + i, int(std::min<qsizetype>(64, size - i))));
}

#ifdef VIDIZIZOR_UTF8CHECK_AVX2
template <bool Utf8> void Counter::takeAvx2(const uchar *b, qsizetype size)
{
    LineTally tally = tally_; // a local of its own stays in registers
    for (qsizetype i = 0; i < size; i += 64) {
        const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(b + i));
        const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(b + i + 32));
        if (Utf8) {
            vectorCheck_.take(low);
            vectorCheck_.take(high);
        }
        tally.take(blockOf<Utf8>(low, high));
    }
    tally_ = tally;
}

// The last bytes, followed by zeros: a sequence they leave unfinished is an
// error, and the zeros count nothing.
template <bool Utf8> void Counter::finishAvx2()
{
    padTail();
    const __m256i low = _mm256_load_si256(reinterpret_cast<const __m256i *>(tail_));
    const __m256i high = _mm256_load_si256(reinterpret_cast<const __m256i *>(tail_ + 32));
    if (Utf8) {
        vectorCheck_.take(low);
        vectorCheck_.take(high);
    }
    tally_.take(keptOf(blockOf<Utf8>(low, high), tailSize_));
}

// The check takes 32 bytes a step. The halves are loaded again, from the
// first level of cache: taking the high half out of the register makes this
// compiler warn of an undefined value.
void Counter::checkHalves(const uchar *b)
{
    vectorCheck_.take(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(b)));
    vectorCheck_.take(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(b + 32)));
}

template <bool Utf8> void Counter::takeAvx512(const uchar *b, qsizetype size)
{
    LineTally tally = tally_;
    for (qsizetype i = 0; i < size; i += 64) {
        const __m512i bytes = _mm512_loadu_si512(b + i);
        if (Utf8)
            checkHalves(b + i);
        tally.take(blockOf<Utf8>(bytes));
    }
    tally_ = tally;
}

template <bool Utf8> void Counter::finishAvx512()
{
    padTail();
    const __m512i bytes = _mm512_load_si512(tail_);
    if (Utf8)
        checkHalves(tail_);
    tally_.take(keptOf(blockOf<Utf8>(bytes), tailSize_));
}
#endif

void Counter::padTail()
{
    std::memset(tail_ + tailSize_, 0, size_t(64 - tailSize_));
}

std::optional<Count> Counter::finish()
{
    bool valid = true;
#ifdef VIDIZIZOR_UTF8CHECK_AVX2
    if (width_ == Width::Avx2) {
        if (utf8_)
            finishAvx2<true>();
        else
            finishAvx2<false>();
        valid = !vectorCheck_.hasErrors();
    }
    if (width_ == Width::Avx512) {
        if (utf8_)
            finishAvx512<true>();
        else
            finishAvx512<false>();
        valid = !vectorCheck_.hasErrors();
    }
#endif
    if (width_ == Width::Byte) {
        if (utf8_)
            takeBytes<true>(tail_, tailSize_);
        else
            takeBytes<false>(tail_, tailSize_);
        valid = byteCheck_.isValid();
    }
    tailSize_ = 0;
    if (utf8_ && !valid)
        return std::nullopt;
    return Count{tally_.summary(), tally_.loneCarriageReturns()};
}

std::optional<Count> utf8(const uchar *bytes, qsizetype size, Width width)
{
    Counter counter(true, width);
    counter.take(bytes, size);
    return counter.finish();
}

std::optional<Count> utf8(const uchar *bytes, qsizetype size)
{
    return utf8(bytes, size, widest());
}

Count singleBytes(const uchar *bytes, qsizetype size, Width width)
{
    Counter counter(false, width);
    counter.take(bytes, size);
    return *counter.finish();
}

Count singleBytes(const uchar *bytes, qsizetype size)
{
    return singleBytes(bytes, size, widest());
}

} // namespace ByteCounting
