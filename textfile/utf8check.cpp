#include "utf8check.h"

#include <cstring>

namespace Utf8Check {

namespace {

constexpr quint64 HighBits = 0x8080808080808080ULL;

// How many continuation bytes a lead byte announces, and the range the
// first of them must be in, which rules out overlong forms, encoded
// surrogates and values past U+10FFFF; 0 following for a byte that leads
// nothing.
struct Lead
{
    int following = 0;
    uchar low = 0x80;
    uchar high = 0xBF;
};

Lead leadOf(uchar c)
{
    if (c >= 0xC2 && c <= 0xDF)
        return {1};
    if (c >= 0xE0 && c <= 0xEF)
        return {2, uchar(c == 0xE0 ? 0xA0 : 0x80), uchar(c == 0xED ? 0x9F : 0xBF)};
    if (c >= 0xF0 && c <= 0xF4)
        return {3, uchar(c == 0xF0 ? 0x90 : 0x80), uchar(c == 0xF4 ? 0x8F : 0xBF)};
    return {};
}

} // namespace

void Bytes::take(const uchar *b, qsizetype size)
{
    for (qsizetype i = 0; i < size && valid_;) {
        if (following_ > 0) {
            valid_ = b[i] >= low_ && b[i] <= high_;
            --following_;
            low_ = 0x80;
            high_ = 0xBF;
            ++i;
            continue;
        }
        if (i + 8 <= size) {
            quint64 word;
            std::memcpy(&word, b + i, sizeof word);
            if ((word & HighBits) == 0) {
                i += 8;
                continue;
            }
        }
        if (b[i] >= 0x80) {
            const Lead lead = leadOf(b[i]);
            valid_ = lead.following > 0;
            following_ = lead.following;
            low_ = lead.low;
            high_ = lead.high;
        }
        ++i;
    }
}

#ifdef VIDIZIZOR_UTF8CHECK_AVX2
bool hasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt") &&
                            __builtin_cpu_supports("bmi");
    return has;
}

bool hasAvx512bw()
{
    static const bool has =
        hasAvx2() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
    return has;
}
#endif

} // namespace Utf8Check
