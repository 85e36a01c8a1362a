#include "textsearch.h"

#include "clusteredges.h"
#include "linebreak.h"
#include "storedspans.h"
#include "textmodel.h"
#include "textwords.h"
#include "unitscan.h"
#include "wordcharacters.h"

#include <QChar>

#include <algorithm>
#include <type_traits>

namespace {

struct Exact
{
    char16_t operator()(char16_t c) const { return c; }
};

// Folding a character one UTF-16 unit at a time, as the scan compares
// them. The second half of a surrogate pair folds only with its first half,
// so here every second half stands for any: what passes is then compared
// again by code point (TextSearch::foldsLikeNeedle).
constexpr char16_t AnyLowSurrogate = 0xDC00;

struct Folded
{
    const std::array<char16_t, 256> &latin1;
    char16_t operator()(char16_t c) const
    {
        if (c < 0x100)
            return latin1[c];
        return QChar::isLowSurrogate(c) ? AnyLowSurrogate
                                        : char16_t(QChar::toCaseFolded(char32_t(c)));
    }
};

// Needles shorter than this are found by their last character.
constexpr qsizetype ShortNeedle = 4;

} // namespace

// The scan itself, over the stored pieces of the searched stretch. Where the
// window lies inside one piece the loop reads the piece directly; where it
// runs across an edge it reads character by character.
template <typename Fold> class TextSearch::Scanner
{
public:
    Scanner(const TextSearch &search, const StoredSpans &spans, Fold fold)
        : search_(search), needle_(search.needle_), m_(qsizetype(needle_.size())), spans_(spans),
          pieces_(spans.pieces()), fold_(fold), edges_(search.model_)
    {
        for (int c = 0; c < 0x100 && m_ > 0; ++c)
            if (fold_(char16_t(c)) == needle_[m_ - 1] && latin1Variants_++ < 2)
                lastLatin1_[latin1Variants_ - 1] = uchar(c);
        if (latin1Variants_ == 1)
            lastLatin1_[1] = lastLatin1_[0];
    }

    // Calls found(start) for the matches starting in [from, lastStart], left
    // to right without overlap, until found returns false.
    template <typename Found> void forward(qint64 from, qint64 lastStart, Found found) const
    {
        qint64 pos = from;
        qsizetype k = spans_.pieceAt(pos + m_ - 1);
        while (pos <= lastStart) {
            const qint64 last = pos + m_ - 1;
            while (pieces_[k].end() <= last)
                ++k;
            const StoredSpans::Piece &piece = pieces_[k];
            if (pos >= piece.start) {
                const qint64 stop = std::min(lastStart, piece.end() - m_);
                pos = piece.span.isWide()
                          ? inPieceForward(piece.span.utf16, piece.start, pos, stop)
                          : inPieceForward(reinterpret_cast<const uchar *>(piece.span.latin1),
                                           piece.start, pos, stop);
                if (pos > stop)
                    continue;
            } else {
                const char16_t c = fold_(spans_.at(last));
                if (c != needle_[m_ - 1] || !equalAt(pos)) {
                    pos += search_.skipForward_[uchar(c)];
                    continue;
                }
            }
            if (!accepted(pos)) {
                ++pos;
                continue;
            }
            if (!found(pos))
                return;
            pos += m_;
        }
    }

    // The last match starting in [firstStart, lastStart], if any.
    std::optional<qint64> backward(qint64 firstStart, qint64 lastStart) const
    {
        qint64 pos = lastStart;
        qsizetype k = spans_.pieceAt(pos);
        while (pos >= firstStart) {
            while (pieces_[k].start > pos)
                --k;
            const StoredSpans::Piece &piece = pieces_[k];
            if (pos + m_ <= piece.end()) {
                const qint64 stop = std::max(firstStart, piece.start);
                pos = piece.span.isWide()
                          ? inPieceBackward(piece.span.utf16, piece.start, pos, stop)
                          : inPieceBackward(reinterpret_cast<const uchar *>(piece.span.latin1),
                                            piece.start, pos, stop);
                if (pos < stop)
                    continue;
            } else {
                const char16_t c = fold_(spans_.at(pos));
                if (c != needle_[0] || !equalAt(pos)) {
                    pos -= search_.skipBackward_[uchar(c)];
                    continue;
                }
            }
            if (accepted(pos))
                return pos;
            --pos;
        }
        return std::nullopt;
    }

private:
    // Within one piece whose characters start at position start: the first
    // window at pos..stop whose characters match, or a position past stop.
    template <typename Unit>
    qint64 inPieceForward(const Unit *text, qint64 start, qint64 pos, qint64 stop) const
    {
        // A short needle skips little: looking for its last character
        // alone, a word at a time, is quicker.
        if (m_ < ShortNeedle) {
            if constexpr (std::is_same_v<Unit, uchar>) {
                if (latin1Variants_ == 0)
                    return stop + 1;
                if (latin1Variants_ <= 2)
                    return scanForLast(reinterpret_cast<const char *>(text), start, pos, stop,
                                       char(lastLatin1_[0]), char(lastLatin1_[1]));
            } else if constexpr (std::is_same_v<Fold, Exact>) {
                return scanForLast(text, start, pos, stop, needle_[m_ - 1], needle_[m_ - 1]);
            }
        }
        const char16_t lastUnit = needle_[m_ - 1];
        const char16_t *needle = needle_.data();
        while (pos <= stop) {
            const Unit *window = text + (pos - start);
            const char16_t c = fold_(window[m_ - 1]);
            if (c == lastUnit) {
                qsizetype i = 0;
                while (i < m_ - 1 && fold_(window[i]) == needle[i])
                    ++i;
                if (i == m_ - 1)
                    return pos;
            }
            pos += search_.skipForward_[uchar(c)];
        }
        return pos;
    }

    template <typename Unit>
    qint64 scanForLast(const Unit *text, qint64 start, qint64 pos, qint64 stop, Unit a,
                       Unit b) const
    {
        const qsizetype end = stop - start + m_;
        for (qsizetype j = pos - start + m_ - 1;; ++j) {
            j = UnitScan::findEither<Unit>(text, j, end, a, b);
            if (j >= end)
                return stop + 1;
            const Unit *window = text + j - (m_ - 1);
            qsizetype i = 0;
            while (i < m_ - 1 &&
                   fold_(char16_t(std::make_unsigned_t<Unit>(window[i]))) == needle_[i])
                ++i;
            if (i == m_ - 1)
                return start + j - (m_ - 1);
        }
    }

    template <typename Unit>
    qint64 inPieceBackward(const Unit *text, qint64 start, qint64 pos, qint64 stop) const
    {
        const char16_t firstUnit = needle_[0];
        const char16_t *needle = needle_.data();
        while (pos >= stop) {
            const Unit *window = text + (pos - start);
            const char16_t c = fold_(window[0]);
            if (c == firstUnit) {
                qsizetype i = 1;
                while (i < m_ && fold_(window[i]) == needle[i])
                    ++i;
                if (i == m_)
                    return pos;
            }
            pos -= search_.skipBackward_[uchar(c)];
        }
        return pos;
    }

    bool equalAt(qint64 pos) const
    {
        for (qsizetype i = 0; i < m_; ++i)
            if (fold_(spans_.at(pos + i)) != needle_[i])
                return false;
        return true;
    }

    // A place between two characters as the checks at a match's edges see
    // it: the two units before it and the two after.
    struct Place
    {
        char16_t units[4];

        bool cutsPair() const
        {
            return LineBreaks::splitsPair(units[1], units[2]) ||
                   (QChar::isHighSurrogate(units[1]) && QChar::isLowSurrogate(units[2]));
        }
        char32_t before() const
        {
            return QChar::isLowSurrogate(units[1]) && QChar::isHighSurrogate(units[0])
                       ? QChar::surrogateToUcs4(units[0], units[1])
                       : units[1];
        }
        char32_t after() const
        {
            return QChar::isHighSurrogate(units[2]) && QChar::isLowSurrogate(units[3])
                       ? QChar::surrogateToUcs4(units[2], units[3])
                       : units[2];
        }
    };

    Place placeAt(qint64 position) const
    {
        Place place;
        spans_.read(position - 2, 4, place.units);
        return place;
    }

    // A match keeps whole the characters as a reader sees them, and with
    // whole words has no word character on either side.
    bool accepted(qint64 start) const
    {
        const Place first = placeAt(start);
        const Place last = placeAt(start + m_);
        if (first.cutsPair() || last.cutsPair())
            return false;
        const char32_t before = first.before();
        const char32_t after = last.after();
        if (!edges_.isEdge(start + m_, last.before(), after) ||
            !edges_.isEdge(start, before, first.after()))
            return false;
        if (search_.query_.wholeWord &&
            (isWordBefore(start, before) || WordCharacters::isWordCharacter(after)))
            return false;
        return !std::is_same_v<Fold, Folded> || !search_.foldsPairs_ || foldsLikeNeedle(start);
    }

    // Whether the character as a reader sees it that ends at start, whose
    // last code point is last, is of a word. Its first code point tells;
    // nearly always that is last itself, which a pair of code points shows.
    bool isWordBefore(qint64 start, char32_t last) const
    {
        const qint64 at = start - (last > 0xFFFF ? 2 : 1);
        if (last >= 0x300 && !edges_.isEdge(at, placeAt(at).before(), last))
            return TextWords::isWordBefore(search_.model_, start);
        return WordCharacters::isWordCharacter(last);
    }

    // Letters beyond U+FFFF compared by code point, folded, where the scan
    // let any second half of a surrogate pair pass.
    bool foldsLikeNeedle(qint64 start) const
    {
        const std::u16string &folded = search_.foldedPairs_;
        for (qsizetype i = 0; i < m_; ++i) {
            if (needle_[i] != AnyLowSurrogate)
                continue;
            const char16_t low = spans_.at(start + i);
            if (i == 0 || !QChar::isHighSurrogate(folded[i - 1])) {
                if (low != folded[i]) // a lone one, as it is
                    return false;
                continue;
            }
            const char16_t high = spans_.at(start + i - 1);
            const char32_t c = QChar::toCaseFolded(QChar::surrogateToUcs4(high, low));
            if (!QChar::isHighSurrogate(high) || QChar::highSurrogate(c) != folded[i - 1] ||
                QChar::lowSurrogate(c) != folded[i])
                return false;
        }
        return true;
    }

    const TextSearch &search_;
    const std::u16string &needle_;
    const qsizetype m_;
    const StoredSpans &spans_;
    const std::vector<StoredSpans::Piece> &pieces_;
    Fold fold_;
    ClusterEdges edges_;
    /// The Latin-1 characters that fold to the needle's last one.
    int latin1Variants_ = 0;
    uchar lastLatin1_[2] = {};
};

TextSearch::TextSearch(const TextModel &model, const SearchQuery &query, qint64 window)
    : model_(model), query_(query), window_(std::max<qint64>(window, 1))
{
    for (int c = 0; c < 0x100; ++c)
        foldLatin1_[c] = char16_t(QChar::toCaseFolded(char32_t(c)));
    needle_.reserve(size_t(query.text.size()));
    const Folded fold{foldLatin1_};
    for (QChar c : query.text)
        needle_.push_back(query.matchCase ? c.unicode() : fold(c.unicode()));
    if (!query.matchCase) {
        // The needle folded by code point; lone surrogates stay as they are.
        const QStringView text = query.text;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                const char32_t c =
                    QChar::toCaseFolded(QChar::surrogateToUcs4(text[i], text[i + 1]));
                ++i;
                foldedPairs_.push_back(QChar::highSurrogate(c));
                foldedPairs_.push_back(QChar::lowSurrogate(c));
            } else {
                foldedPairs_.push_back(text[i].unicode());
            }
        }
        foldsPairs_ = std::any_of(needle_.begin(), needle_.end(),
                                  [](char16_t c) { return c == AnyLowSurrogate; });
    }
    const qsizetype m = length();
    skipForward_.fill(std::max<qsizetype>(m, 1));
    skipBackward_.fill(std::max<qsizetype>(m, 1));
    for (qsizetype i = 0; i + 1 < m; ++i)
        skipForward_[uchar(needle_[i])] = m - 1 - i;
    for (qsizetype i = m - 1; i >= 1; --i)
        skipBackward_[uchar(needle_[i])] = i;
}

bool TextSearch::canMatch(qint64 from, qint64 to) const
{
    return length() > 0 && from >= 0 && to <= model_.length() && to - from >= length();
}

// The pieces reach past the searched stretch, for the checks at a match's
// edges: two code points before it, one after it.
template <typename Work> void TextSearch::scan(qint64 from, qint64 to, Work work) const
{
    const StoredSpans spans(model_, from - 4, to + 2);
    if (query_.matchCase)
        work(Scanner<Exact>(*this, spans, Exact()));
    else
        work(Scanner<Folded>(*this, spans, Folded{foldLatin1_}));
}

// The text is scanned a window at a time, so that no more of it is held
// at once than a window's worth (a document kept in its file is read a piece
// at a time); a match may run across a window's end.
qint64 TextSearch::forEach(qint64 from, qint64 to,
                           const std::function<bool(const Match &)> &found) const
{
    from = std::max<qint64>(from, 0);
    to = std::min(to, model_.length());
    if (!canMatch(from, to))
        return 0;
    qint64 count = 0;
    bool going = true;
    for (qint64 start = from; going && start <= to - length();) {
        const qint64 lastStart = std::min(to - length(), start + window_);
        qint64 next = lastStart + 1;
        scan(start, lastStart + length(), [&](const auto &scanner) {
            scanner.forward(start, lastStart, [&](qint64 at) {
                ++count;
                next = std::max(next, at + length());
                going = found(Match{at, at + length()});
                return going;
            });
        });
        start = next;
    }
    return count;
}

std::optional<TextSearch::Match> TextSearch::first(qint64 from, qint64 to) const
{
    std::optional<Match> result;
    forEach(from, to, [&result](const Match &match) {
        result = match;
        return false;
    });
    return result;
}

std::optional<TextSearch::Match> TextSearch::last(qint64 from, qint64 to) const
{
    from = std::max<qint64>(from, 0);
    to = std::min(to, model_.length());
    if (!canMatch(from, to))
        return std::nullopt;
    for (qint64 lastStart = to - length(); lastStart >= from;) {
        const qint64 firstStart = std::max(from, lastStart - window_);
        std::optional<qint64> start;
        scan(firstStart, lastStart + length(),
             [&](const auto &scanner) { start = scanner.backward(firstStart, lastStart); });
        if (start)
            return Match{*start, *start + length()};
        lastStart = firstStart - 1;
    }
    return std::nullopt;
}

bool TextSearch::isMatch(qint64 from, qint64 to) const
{
    return to - from == length() && first(from, to).has_value();
}
