#pragma once

#include "textsearch.h"

#include <algorithm>
#include <optional>

/// A match found from a selection on, and whether it was found only by
/// going on from the other end of the text.
struct WrappedMatch
{
    TextSearch::Match match;
    bool wrapped = false;
};

/// The next match after the selection [selectionStart, selectionEnd) (or
/// the previous one before it), going round the end of the text when there
/// is none that way; a match that overlaps the selection counts only when
/// found going round. Search has TextSearch's first(), last() and length().
template <typename Search>
std::optional<WrappedMatch> findWrapped(const Search &search, qint64 textLength,
                                        qint64 selectionStart, qint64 selectionEnd, bool forward)
{
    const qint64 overlap = std::max<qint64>(search.length() - 1, 0);
    std::optional<TextSearch::Match> match;
    if (forward) {
        if ((match = search.first(selectionEnd, textLength)))
            return WrappedMatch{*match, false};
        match = search.first(0, std::min(textLength, selectionEnd + overlap));
    } else {
        if ((match = search.last(0, selectionStart)))
            return WrappedMatch{*match, false};
        match = search.last(std::max<qint64>(0, selectionStart - overlap), textLength);
    }
    if (!match)
        return std::nullopt;
    return WrappedMatch{*match, true};
}
