#pragma once

#include "searchquery.h"

#include <array>
#include <functional>
#include <optional>

class StoredSpans;
class TextModel;

/// Finds a query in a model's text as it is stored, chunk by chunk, without
/// copying the text or a case-folded version of it; a match may run across
/// chunk edges.
///
/// The scan skips ahead as far as the character under the end of the
/// searched window allows (Horspool's rule), comparing characters folded
/// one by one when case does not matter (letters beyond U+FFFF by code
/// point), so a miss costs about one look at every few characters. A match
/// keeps the length of the query: letters fold one to one (simple case
/// folding, which keeps the length; "ß" does not find "ss").
///
/// A match is made of whole characters as a reader sees them: it never
/// starts or ends inside a grapheme cluster (between the CR and the LF of a
/// pair, between the halves of a surrogate pair, before a combining mark),
/// so "cafe" is not found in "cafe" + U+0301. Every place considered is
/// checked in the same pass, so the search stays linear on any text. With
/// whole words, the characters on either side of a match are no word
/// characters (see WordCharacters).
class TextSearch
{
public:
    struct Match
    {
        qint64 from = 0;
        qint64 to = 0;
        bool operator==(const Match &) const = default;
    };

    /// How many places a match may start at are scanned at a time.
    static constexpr qint64 DefaultWindow = qint64(1) << 22;

    /// The model must not change while the search is used.
    TextSearch(const TextModel &model, const SearchQuery &query, qint64 window = DefaultWindow);

    /// The first match that lies inside [from, to).
    std::optional<Match> first(qint64 from, qint64 to) const;
    /// The last match that lies inside [from, to).
    std::optional<Match> last(qint64 from, qint64 to) const;
    /// Calls found with each match inside [from, to) from left to right,
    /// each starting where the one before ended or later; stops when found
    /// returns false. Returns how many were found.
    qint64 forEach(qint64 from, qint64 to, const std::function<bool(const Match &)> &found) const;
    /// Whether [from, to) is exactly one match.
    bool isMatch(qint64 from, qint64 to) const;

    qsizetype length() const { return qsizetype(needle_.size()); }

private:
    template <typename Fold> class Scanner;
    /// Runs work with a scanner over [from, to) that folds case or not.
    template <typename Work> void scan(qint64 from, qint64 to, Work work) const;

    bool canMatch(qint64 from, qint64 to) const;

    const TextModel &model_;
    SearchQuery query_;
    const qint64 window_;
    /// The query's text, folded when case does not matter.
    std::u16string needle_;
    /// How far the window moves on, by the low byte of the character under
    /// its last place (forward) or its first place (backward).
    std::array<qsizetype, 256> skipForward_;
    std::array<qsizetype, 256> skipBackward_;
    std::array<char16_t, 256> foldLatin1_;
    /// Ignoring case: the query folded by code point, and whether it holds
    /// halves of surrogate pairs that the scan cannot fold alone.
    std::u16string foldedPairs_;
    bool foldsPairs_ = false;
};
