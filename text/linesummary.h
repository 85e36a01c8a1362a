#pragma once

#include <QtGlobal>

#include <algorithm>

/// What the tree needs to know about a stretch of text to find lines in it:
/// its length, its line breaks, and the lengths of the lines at its two ends
/// and of the longest line in it. Line lengths leave out the break itself.
/// It also counts the characters kept two bytes each and those left in the
/// file they were read from (pieces), for the memory the stretch takes.
///
/// Summaries of neighbouring stretches combine in constant time, which is
/// what lets every node of the tree carry the summary of its whole subtree.
struct LineSummary
{
    qint64 length = 0;
    qint64 breaks = 0;
    qint64 firstLine = 0; ///< characters before the first break (all, if none)
    qint64 lastLine = 0;  ///< characters after the last break (all, if none)
    qint64 longestLine = 0;
    qint64 wide = 0;   ///< characters in chunks kept as UTF-16
    qint64 stored = 0; ///< characters left in their file, read when asked for

    /// The summary of this stretch followed directly by next.
    LineSummary followedBy(const LineSummary &next) const
    {
        LineSummary joined;
        joined.length = length + next.length;
        joined.breaks = breaks + next.breaks;
        joined.firstLine = breaks > 0 ? firstLine : length + next.firstLine;
        joined.lastLine = next.breaks > 0 ? next.lastLine : lastLine + next.length;
        joined.longestLine = std::max({longestLine, next.longestLine, lastLine + next.firstLine});
        joined.wide = wide + next.wide;
        joined.stored = stored + next.stored;
        return joined;
    }

    bool operator==(const LineSummary &) const = default;
};
