#pragma once

#include "text/searchquery.h"
#include "text/wrappedfind.h"

#include <optional>

class TextView;

/// Find and replace carried out on one text view: a match found is
/// selected, with the caret at its end, and scrolled into view.
namespace FindCommands {

enum class Outcome {
    Found,
    /// Found only by going on from the other end of the text.
    FoundAfterWrap,
    NotFound,
};

/// Selects the next match after the selection (or the previous one before
/// it), going round the end of the text when there is none that way.
Outcome find(TextView &view, const SearchQuery &query, bool forward);
/// Selects what a search found, as find() does.
Outcome select(TextView &view, const std::optional<WrappedMatch> &found);
/// Replaces the selection when it is exactly a match.
void replaceSelection(TextView &view, const SearchQuery &query, const QString &replacement);
/// Replaces every match in the text as one edit; returns how many, or -1
/// when the view refused an edit that large (TextView::mayAdd says why).
qint64 replaceAll(TextView &view, const SearchQuery &query, const QString &replacement);

} // namespace FindCommands
