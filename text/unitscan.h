#pragma once

#include <QtGlobal>

#include <cstring>
#include <type_traits>

/// Finding the first of two given characters in stored text, eight bytes
/// or four UTF-16 units at a time: whole words holding neither are skipped.
namespace UnitScan {

/// The index of the first of s[i..n) that is a or b, or n (Unit is char
/// for text stored a byte a character, char16_t for UTF-16).
template <typename Unit>
qsizetype findEither(const Unit *s, qsizetype i, qsizetype n, Unit a, Unit b)
{
    using Lane = std::make_unsigned_t<Unit>;
    constexpr int Lanes = int(sizeof(quint64) / sizeof(Unit));
    // One in the lowest bit of every lane, and one in the highest.
    constexpr quint64 Low = ~quint64(0) / Lane(~Lane(0));
    constexpr quint64 High = Low << (8 * sizeof(Unit) - 1);
    // Whether any lane of word is zero.
    const auto hasZeroLane = [](quint64 word) { return ((word - Low) & ~word & High) != 0; };
    const quint64 everyA = Lane(a) * Low;
    const quint64 everyB = Lane(b) * Low;
    for (; i + Lanes <= n; i += Lanes) {
        quint64 word;
        std::memcpy(&word, s + i, sizeof word);
        if (hasZeroLane(word ^ everyA) || hasZeroLane(word ^ everyB))
            break;
    }
    while (i < n && s[i] != a && s[i] != b)
        ++i;
    return i;
}

} // namespace UnitScan
