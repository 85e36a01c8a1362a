#pragma once

#include <QtGlobal>

#include <cstring>

/// Finding the first of two given characters in stored text, eight bytes
/// or four UTF-16 units at a time: whole words holding neither are skipped.
namespace UnitScan {

constexpr quint64 EveryByte = 0x0101010101010101ULL;
constexpr quint64 EveryUnit = 0x0001000100010001ULL;

// Whether any of the lanes of word is zero (lanes of 8 or 16 bits).
constexpr bool hasZeroByte(quint64 word)
{
    return ((word - EveryByte) & ~word & (EveryByte << 7)) != 0;
}
constexpr bool hasZeroUnit(quint64 word)
{
    return ((word - EveryUnit) & ~word & (EveryUnit << 15)) != 0;
}

/// The index of the first of s[i..n) that is a or b, or n.
inline qsizetype findEither(const char *s, qsizetype i, qsizetype n, uchar a, uchar b)
{
    for (; i + 8 <= n; i += 8) {
        quint64 word;
        std::memcpy(&word, s + i, sizeof word);
        if (hasZeroByte(word ^ (a * EveryByte)) || hasZeroByte(word ^ (b * EveryByte)))
            break;
    }
    while (i < n && uchar(s[i]) != a && uchar(s[i]) != b)
        ++i;
    return i;
}

inline qsizetype findEither(const char16_t *s, qsizetype i, qsizetype n, char16_t a, char16_t b)
{
    for (; i + 4 <= n; i += 4) {
        quint64 word;
        std::memcpy(&word, s + i, sizeof word);
        if (hasZeroUnit(word ^ (a * EveryUnit)) || hasZeroUnit(word ^ (b * EveryUnit)))
            break;
    }
    while (i < n && s[i] != a && s[i] != b)
        ++i;
    return i;
}

} // namespace UnitScan
