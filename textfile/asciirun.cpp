#include "asciirun.h"

#include <QtEndian>

#include <bit>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define VIDIZIZOR_SSE2 1
#endif

namespace TextFileFormat {

namespace {

constexpr quint64 EveryByte = 0x0101010101010101ULL;
constexpr quint64 HighBits = EveryByte << 7;

// A mask of the bytes of word that are CR or not ASCII: the high bit of
// each such byte is set. Exact, so that its lowest bit finds the first.
quint64 stopBytes(quint64 word)
{
    const quint64 cr = word ^ ('\r' * EveryByte);
    const quint64 crFound = ~(((cr & ~HighBits) + ~HighBits) | cr) & HighBits;
    return (word & HighBits) | crFound;
}

// The first byte from i on that is a CR or not ASCII, or size.
qsizetype nextStopPortable(const uchar *b, qsizetype i, qsizetype size)
{
    for (; i + 8 <= size; i += 8) {
        quint64 word;
        std::memcpy(&word, b + i, sizeof word);
        if (const quint64 stops = stopBytes(word))
            return i + std::countr_zero(qFromLittleEndian(stops)) / 8;
    }
    while (i < size && b[i] < 0x80 && b[i] != '\r')
        ++i;
    return i;
}

#ifdef VIDIZIZOR_SSE2
// The first byte from i on that is a CR without its LF or not ASCII, or
// size. A CR LF pair inside the vector does not stop it, so that a file of
// short lines is checked without leaving the vector loop at every line.
qsizetype nextStopSse2(const uchar *b, qsizetype i, qsizetype size)
{
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; i + 16 <= size; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + i));
        const unsigned crs = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr)));
        const unsigned lfs = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)));
        unsigned loneCrs = crs & ~(lfs >> 1);
        if ((loneCrs & 0x8000u) && i + 16 < size && b[i + 16] == '\n')
            loneCrs &= 0x7FFFu; // its LF starts the next vector
        const unsigned stops = unsigned(_mm_movemask_epi8(v)) | loneCrs;
        if (stops != 0)
            return i + std::countr_zero(stops);
    }
    return nextStopPortable(b, i, size);
}
#endif

template <typename NextStop>
qsizetype runEnd(const uchar *b, qsizetype i, qsizetype size, NextStop nextStop)
{
    for (;;) {
        i = nextStop(b, i, size);
        if (i + 1 < size && b[i] == '\r' && b[i + 1] == '\n') {
            i += 2;
            continue;
        }
        return i;
    }
}

} // namespace

qsizetype asciiRunEndPortable(const uchar *bytes, qsizetype i, qsizetype size)
{
    return runEnd(bytes, i, size, nextStopPortable);
}

qsizetype asciiRunEnd(const uchar *bytes, qsizetype i, qsizetype size)
{
#ifdef VIDIZIZOR_SSE2
    return runEnd(bytes, i, size, nextStopSse2);
#else
    return runEnd(bytes, i, size, nextStopPortable);
#endif
}

} // namespace TextFileFormat
