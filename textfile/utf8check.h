#pragma once

#include <QtGlobal>

#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define VIDIZIZOR_UTF8CHECK_AVX2 1
#define VIDIZIZOR_AVX2_TARGET __attribute__((target("avx2,popcnt,bmi")))
#define VIDIZIZOR_AVX512_TARGET __attribute__((target("avx2,avx512f,avx512bw,popcnt,bmi")))
#endif

/// Whether bytes are UTF-8 as the decoder reads it: every sequence whole,
/// none of them overlong, an encoded surrogate or past U+10FFFF.
namespace Utf8Check {

/// Checks a byte at a time, skipping ASCII eight bytes at a time; the bytes
/// may come in stretches cut anywhere.
class Bytes
{
public:
    void take(const uchar *bytes, qsizetype size);
    /// Whether every byte taken so far is part of a whole, valid sequence.
    bool isValid() const { return valid_ && following_ == 0; }

private:
    int following_ = 0; ///< continuation bytes still to come
    uchar low_ = 0x80;  ///< the range the next one must be in
    uchar high_ = 0xBF;
    bool valid_ = true;
};

#ifdef VIDIZIZOR_UTF8CHECK_AVX2
bool hasAvx2();
/// Whether the processor compares 64 bytes at once into a bit mask.
bool hasAvx512bw();

/// Checks 32 bytes a step, each against the three before it: which pairs
/// of a byte and the byte before it cannot stand side by side is looked up
/// by their halves in three tables of sixteen entries, whose bits name the
/// faults each half allows; a fault is a bit that all three allow. The
/// second and third bytes after a lead of three or four bytes must be
/// continuation bytes, which the pairs alone do not show. Bytes that follow
/// the last ones taken must be taken too (zeros will do), or a sequence cut
/// off at the end goes unseen.
class Avx2
{
public:
    VIDIZIZOR_AVX2_TARGET Avx2() : previous_(_mm256_setzero_si256()), errors_(previous_) {}
    VIDIZIZOR_AVX2_TARGET inline void take(__m256i input);
    VIDIZIZOR_AVX2_TARGET bool hasErrors() const { return !_mm256_testz_si256(errors_, errors_); }

private:
    __m256i previous_;
    __m256i errors_;
};

namespace Avx2Tables {
// The faults a pair of bytes may show, one bit each.
enum : int {
    TooShort = 1 << 0,     ///< a lead, then no continuation byte
    TooLong = 1 << 1,      ///< ASCII, then a continuation byte
    Overlong3 = 1 << 2,    ///< E0, then 80 to 9F
    TooLarge = 1 << 3,     ///< F4, then 90 up; F5 up, then any
    Surrogate = 1 << 4,    ///< ED, then A0 up
    Overlong2 = 1 << 5,    ///< C0 or C1, then any
    TooLarge1000 = 1 << 6, ///< F5 up, then 80 to 8F
    Overlong4 = 1 << 6,    ///< F0, then 80 to 8F
    TwoContinuations = 1 << 7,
    Carry = TooShort | TooLong | TwoContinuations,
};

// Sixteen entries, the same in both halves of the vector.
template <int... Entries> VIDIZIZOR_AVX2_TARGET inline __m256i table()
{
    static_assert(sizeof...(Entries) == 16);
    return _mm256_setr_epi8(char(Entries)..., char(Entries)...);
}

// The input with the n bytes before it shifted in from previous.
template <int N> VIDIZIZOR_AVX2_TARGET inline __m256i before(__m256i input, __m256i previous)
{
    return _mm256_alignr_epi8(input, _mm256_permute2x128_si256(previous, input, 0x21), 16 - N);
}

VIDIZIZOR_AVX2_TARGET inline __m256i highHalves(__m256i v)
{
    return _mm256_and_si256(_mm256_srli_epi16(v, 4), _mm256_set1_epi8(0x0F));
}
} // namespace Avx2Tables

void Avx2::take(__m256i input)
{
    using namespace Avx2Tables;
    const __m256i previous1 = before<1>(input, previous_);
    const __m256i firstHigh = _mm256_shuffle_epi8(
        table<TooLong, TooLong, TooLong, TooLong, TooLong, TooLong, TooLong, TooLong,
              TwoContinuations, TwoContinuations, TwoContinuations, TwoContinuations,
              TooShort | Overlong2, TooShort, TooShort | Overlong3 | Surrogate,
              TooShort | TooLarge | TooLarge1000 | Overlong4>(),
        highHalves(previous1));
    constexpr int Large = Carry | TooLarge | TooLarge1000;
    const __m256i firstLow =
        _mm256_shuffle_epi8(table<Carry | Overlong3 | Overlong2 | Overlong4, Carry | Overlong2,
                                  Carry, Carry, Carry | TooLarge, Large, Large, Large, Large, Large,
                                  Large, Large, Large, Large | Surrogate, Large, Large>(),
                            _mm256_and_si256(previous1, _mm256_set1_epi8(0x0F)));
    constexpr int Continuation = TooLong | Overlong2 | TwoContinuations;
    const __m256i secondHigh = _mm256_shuffle_epi8(
        table<TooShort, TooShort, TooShort, TooShort, TooShort, TooShort, TooShort, TooShort,
              Continuation | Overlong3 | TooLarge1000 | Overlong4,
              Continuation | Overlong3 | TooLarge, Continuation | Surrogate | TooLarge,
              Continuation | Surrogate | TooLarge, TooShort, TooShort, TooShort, TooShort>(),
        highHalves(input));
    const __m256i pairFaults = _mm256_and_si256(_mm256_and_si256(firstHigh, firstLow), secondHigh);
    // A byte two after a lead of three or more, or three after one of four:
    // its high bit set here, as TwoContinuations is in pairFaults for a
    // continuation byte after a continuation byte.
    const __m256i mustContinue = _mm256_and_si256(
        _mm256_or_si256(
            _mm256_subs_epu8(before<2>(input, previous_), _mm256_set1_epi8(char(0xE0 - 0x80))),
            _mm256_subs_epu8(before<3>(input, previous_), _mm256_set1_epi8(char(0xF0 - 0x80)))),
        _mm256_set1_epi8(char(0x80)));
    errors_ = _mm256_or_si256(errors_, _mm256_xor_si256(mustContinue, pairFaults));
    previous_ = input;
}
#endif

} // namespace Utf8Check
