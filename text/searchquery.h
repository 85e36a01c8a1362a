#pragma once

#include <QString>

/// What to look for in a text: the characters as they are stored (a line
/// break in them matches the same break only), whether letters must match
/// in case, and whether a match must stand as a whole word.
struct SearchQuery
{
    QString text;
    bool matchCase = false;
    bool wholeWord = false;

    bool operator==(const SearchQuery &) const = default;
};
