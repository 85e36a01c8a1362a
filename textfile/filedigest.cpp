#include "filedigest.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define VIDIZIZOR_SSE2 1
#endif
#if defined(VIDIZIZOR_SSE2) && (defined(__GNUC__) || defined(__clang__))
// GCC 12 takes the "undefined" first operand of its own 512-bit intrinsics
// for a value read before it is set.
#if !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#if !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#define VIDIZIZOR_AVX2 1
#endif

namespace {

// The keys of word k of a block: each half of the word is added to a key
// that steps on by an odd constant from word to word, so no two words of a
// block share their keys.
constexpr quint32 LowBase = 0x85EBCA77u;
constexpr quint32 LowStep = 0x9E3779B1u;
constexpr quint32 HighBase = 0x27D4EB2Fu;
constexpr quint32 HighStep = 0xC2B2AE3Du;

quint32 lowKey(quint64 k)
{
    return quint32(k) * LowStep + LowBase;
}

quint32 highKey(quint64 k)
{
    return quint32(k) * HighStep + HighBase;
}

quint64 term(quint64 word, quint64 k)
{
    return quint64(quint32(word) + lowKey(k)) * quint64(quint32(word >> 32) + highKey(k));
}

quint64 sumWords(const char *bytes, qint64 words, quint64 first)
{
    quint64 sum = 0;
    for (qint64 i = 0; i < words; ++i) {
        quint64 word;
        std::memcpy(&word, bytes + 8 * i, sizeof word);
        sum += term(qFromLittleEndian(word), first + quint64(i));
    }
    return sum;
}

#ifdef VIDIZIZOR_SSE2
// Two words at a time; the lanes' sums are the same terms as one at a time.
quint64 sumSse2(const char *bytes, qint64 words, quint64 first)
{
    __m128i key = _mm_setr_epi32(int(lowKey(first)), int(highKey(first)), int(lowKey(first + 1)),
                                 int(highKey(first + 1)));
    const __m128i step =
        _mm_setr_epi32(int(2 * LowStep), int(2 * HighStep), int(2 * LowStep), int(2 * HighStep));
    __m128i sum = _mm_setzero_si128();
    qint64 i = 0;
    for (; i + 2 <= words; i += 2) {
        const __m128i word = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + 8 * i));
        const __m128i keyed = _mm_add_epi32(word, key);
        sum = _mm_add_epi64(sum, _mm_mul_epu32(keyed, _mm_srli_epi64(keyed, 32)));
        key = _mm_add_epi32(key, step);
    }
    quint64 lanes[2];
    _mm_storeu_si128(reinterpret_cast<__m128i *>(lanes), sum);
    return lanes[0] + lanes[1] + sumWords(bytes + 8 * i, words - i, first + quint64(i));
}
#endif

#ifdef VIDIZIZOR_AVX2
// Eight words a step, in two sums, so that each multiplication has a step
// to finish in.
__attribute__((target("avx2"))) quint64 sumAvx2(const char *bytes, qint64 words, quint64 first)
{
    __m256i key =
        _mm256_setr_epi32(int(lowKey(first)), int(highKey(first)), int(lowKey(first + 1)),
                          int(highKey(first + 1)), int(lowKey(first + 2)), int(highKey(first + 2)),
                          int(lowKey(first + 3)), int(highKey(first + 3)));
    const __m256i step =
        _mm256_setr_epi32(int(4 * LowStep), int(4 * HighStep), int(4 * LowStep), int(4 * HighStep),
                          int(4 * LowStep), int(4 * HighStep), int(4 * LowStep), int(4 * HighStep));
    __m256i even = _mm256_setzero_si256();
    __m256i odd = _mm256_setzero_si256();
    qint64 i = 0;
    for (; i + 8 <= words; i += 8) {
        const auto *at = reinterpret_cast<const __m256i *>(bytes + 8 * i);
        const __m256i first4 = _mm256_add_epi32(_mm256_loadu_si256(at), key);
        key = _mm256_add_epi32(key, step);
        const __m256i next4 = _mm256_add_epi32(_mm256_loadu_si256(at + 1), key);
        key = _mm256_add_epi32(key, step);
        even = _mm256_add_epi64(even, _mm256_mul_epu32(first4, _mm256_srli_epi64(first4, 32)));
        odd = _mm256_add_epi64(odd, _mm256_mul_epu32(next4, _mm256_srli_epi64(next4, 32)));
    }
    quint64 lanes[4];
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(lanes), _mm256_add_epi64(even, odd));
    return lanes[0] + lanes[1] + lanes[2] + lanes[3] +
           sumWords(bytes + 8 * i, words - i, first + quint64(i));
}

bool hasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

// Sixteen words a step, where the processor has 512-bit vectors.
__attribute__((target("avx512f"))) quint64 sumAvx512(const char *bytes, qint64 words, quint64 first)
{
    alignas(64) quint32 keys[16];
    for (int k = 0; k < 8; ++k) {
        keys[2 * k] = lowKey(first + quint64(k));
        keys[2 * k + 1] = highKey(first + quint64(k));
    }
    __m512i key = _mm512_load_si512(keys);
    const __m512i step =
        _mm512_set_epi32(int(8 * HighStep), int(8 * LowStep), int(8 * HighStep), int(8 * LowStep),
                         int(8 * HighStep), int(8 * LowStep), int(8 * HighStep), int(8 * LowStep),
                         int(8 * HighStep), int(8 * LowStep), int(8 * HighStep), int(8 * LowStep),
                         int(8 * HighStep), int(8 * LowStep), int(8 * HighStep), int(8 * LowStep));
    __m512i even = _mm512_setzero_si512();
    __m512i odd = _mm512_setzero_si512();
    qint64 i = 0;
    for (; i + 16 <= words; i += 16) {
        const char *at = bytes + 8 * i;
        const __m512i first8 = _mm512_add_epi32(_mm512_loadu_si512(at), key);
        key = _mm512_add_epi32(key, step);
        const __m512i next8 = _mm512_add_epi32(_mm512_loadu_si512(at + 64), key);
        key = _mm512_add_epi32(key, step);
        even = _mm512_add_epi64(even, _mm512_mul_epu32(first8, _mm512_srli_epi64(first8, 32)));
        odd = _mm512_add_epi64(odd, _mm512_mul_epu32(next8, _mm512_srli_epi64(next8, 32)));
    }
    // The lanes are added here as unsigned: the toolkit's own sum of them
    // adds them as signed numbers, whose overflow is undefined.
    alignas(64) quint64 lanes[8];
    _mm512_store_si512(lanes, _mm512_add_epi64(even, odd));
    quint64 sum = sumWords(bytes + 8 * i, words - i, first + quint64(i));
    for (const quint64 lane : lanes)
        sum += lane;
    return sum;
}

bool hasAvx512()
{
    static const bool has = __builtin_cpu_supports("avx512f");
    return has;
}
#endif

quint64 sumWholeWords(const char *bytes, qint64 words, quint64 first)
{
#ifdef VIDIZIZOR_AVX2
    if (hasAvx512())
        return sumAvx512(bytes, words, first);
    if (hasAvx2())
        return sumAvx2(bytes, words, first);
#endif
#ifdef VIDIZIZOR_SSE2
    return sumSse2(bytes, words, first);
#else
    return sumWords(bytes, words, first);
#endif
}

} // namespace

FileDigest::FileDigest(qint64 size)
    : size_(size), sums_(std::make_unique<std::atomic<quint64>[]>(size_t(blockCount())))
{
}

FileDigest::FileDigest(qint64 size, std::vector<quint64> blocks)
    : size_(size), blocks_(std::move(blocks))
{
}

quint64 FileDigest::sumOf(qint64 offset, const char *bytes, qint64 count)
{
    const quint64 first = quint64(offset % BlockSize / WordSize);
    const qint64 words = count / WordSize;
    quint64 sum = sumWholeWords(bytes, words, first);
    if (const qint64 rest = count % WordSize) {
        char last[WordSize] = {};
        std::memcpy(last, bytes + words * WordSize, size_t(rest));
        sum += sumWords(last, 1, first + quint64(words));
    }
    return sum;
}

void FileDigest::add(qint64 offset, const char *bytes, qint64 count)
{
    while (count > 0) {
        const qint64 index = offset / BlockSize;
        const qint64 inBlock = std::min(count, (index + 1) * BlockSize - offset);
        sums_[size_t(index)].fetch_add(sumOf(offset, bytes, inBlock), std::memory_order_relaxed);
        offset += inBlock;
        bytes += inBlock;
        count -= inBlock;
    }
}

// The sum is mixed with the block's place and length, so that a block of
// zero bytes, or one cut short after zero bytes, has a value of its own.
quint64 FileDigest::finished(qint64 index, quint64 sum, qint64 length)
{
    quint64 h = sum ^ (quint64(index) * 0x9E3779B97F4A7C15ULL) ^ quint64(length);
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ULL;
    h ^= h >> 33;
    return h;
}

quint64 FileDigest::block(qint64 index) const
{
    if (!sums_)
        return blocks_[size_t(index)];
    const qint64 length = std::min(BlockSize, size_ - index * BlockSize);
    return finished(index, sums_[size_t(index)].load(std::memory_order_relaxed), length);
}

quint64 FileDigest::blockOf(qint64 index, const char *bytes, qint64 count)
{
    return finished(index, sumOf(index * BlockSize, bytes, count), count);
}
