#include "byteprefilter.h"

#include "piecesource.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <bit>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr char AsciiCaseBit = 0x20;

bool isAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The ASCII characters that some other character folds to (the long s to
// "s", the Kelvin sign to "k"): text may match them without their byte.
// Nothing beyond U+FFFF folds into ASCII.
std::array<bool, 128> foldedIntoFromElsewhere()
{
    std::array<bool, 128> folded{};
    for (char32_t c = 0x80; c <= 0xFFFF; ++c) {
        const char32_t to = QChar::toCaseFolded(c);
        if (to < 0x80)
            folded[to] = true;
    }
    return folded;
}

// The longest stretch of text without a character that may stand in the
// text for other bytes than its own: a line break (a lone CR in a file
// reads as CR LF) and, ignoring case, any but ASCII characters that no other
// character folds to.
QString longestPlainStretch(const QString &text, bool matchCase)
{
    std::array<bool, 128> breaks{};
    if (!matchCase)
        breaks = foldedIntoFromElsewhere();
    breaks['\r'] = breaks['\n'] = true;
    QStringView best;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size()) {
            const char32_t folded =
                matchCase ? text[i].unicode() : QChar::toCaseFolded(text[i].unicode());
            if (folded >= 0x80 ? matchCase : !breaks[folded])
                continue;
        }
        if (i - start > best.size())
            best = QStringView(text).sliced(start, i - start);
        start = i + 1;
    }
    return best.toString();
}

} // namespace

BytePrefilter::BytePrefilter(QByteArray pattern, QByteArray caseBits)
    : pattern_(std::move(pattern)), caseBits_(std::move(caseBits))
{
    for (qsizetype i = 0; i < pattern_.size(); ++i)
        pattern_[i] = char(pattern_[i] | caseBits_[i]);
}

std::optional<BytePrefilter> BytePrefilter::of(const SearchQuery &query, const PieceSource &source)
{
    const QString stretch = longestPlainStretch(query.text, query.matchCase);
    if (stretch.isEmpty())
        return std::nullopt;
    if (query.matchCase) {
        std::optional<QByteArray> bytes = source.encoded(stretch);
        if (!bytes || bytes->isEmpty())
            return std::nullopt;
        const QByteArray noBits(bytes->size(), '\0');
        return BytePrefilter(*bytes, noBits);
    }
    if (!source.writesAsciiAsItself())
        return std::nullopt;
    QByteArray pattern = stretch.toLatin1().toLower();
    QByteArray bits(pattern.size(), '\0');
    for (qsizetype i = 0; i < pattern.size(); ++i)
        if (isAsciiLetter(char16_t(pattern[i])))
            bits[i] = AsciiCaseBit;
    return BytePrefilter(std::move(pattern), std::move(bits));
}

bool BytePrefilter::equalAt(const char *bytes) const
{
    for (qsizetype i = 0; i < pattern_.size(); ++i)
        if (char(bytes[i] | caseBits_[i]) != pattern_[i])
            return false;
    return true;
}

// Places are found by the pattern's first and last bytes, sixteen at a time
// where the processor allows, and only those are compared whole.
bool BytePrefilter::mayHold(const char *bytes, qint64 size) const
{
    const qsizetype m = pattern_.size();
    qint64 i = 0;
#ifdef __SSE2__
    const __m128i first = _mm_set1_epi8(pattern_[0]);
    const __m128i last = _mm_set1_epi8(pattern_[m - 1]);
    const __m128i firstBits = _mm_set1_epi8(caseBits_[0]);
    const __m128i lastBits = _mm_set1_epi8(caseBits_[m - 1]);
    for (; i + 16 + m - 1 <= size; i += 16) {
        const __m128i atFirst =
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + i)), firstBits);
        const __m128i atLast = _mm_or_si128(
            _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + i + m - 1)), lastBits);
        unsigned places = unsigned(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(atFirst, first), _mm_cmpeq_epi8(atLast, last))));
        for (; places != 0; places &= places - 1)
            if (equalAt(bytes + i + std::countr_zero(places)))
                return true;
    }
#endif
    for (; i + m <= size; ++i)
        if (equalAt(bytes + i))
            return true;
    return false;
}
