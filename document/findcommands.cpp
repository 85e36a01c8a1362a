#include "findcommands.h"

#include "textview/textview.h"

#include "text/historystep.h"
#include "text/replaceall.h"
#include "text/textmodel.h"
#include "text/textsearch.h"
#include "text/wrappedfind.h"

namespace FindCommands {

Outcome find(TextView &view, const SearchQuery &query, bool forward)
{
    const TextModel &model = view.model();
    const TextCursor &cursor = view.cursor();
    const std::optional<WrappedMatch> found =
        findWrapped(TextSearch(model, query), model.length(), cursor.selectionStart(),
                    cursor.selectionEnd(), forward);
    return select(view, found);
}

Outcome select(TextView &view, const std::optional<WrappedMatch> &found)
{
    if (!found)
        return Outcome::NotFound;
    view.select(found->match.from, found->match.to);
    return found->wrapped ? Outcome::FoundAfterWrap : Outcome::Found;
}

void replaceSelection(TextView &view, const SearchQuery &query, const QString &replacement)
{
    const TextCursor &cursor = view.cursor();
    if (cursor.hasSelection() &&
        TextSearch(view.model(), query).isMatch(cursor.selectionStart(), cursor.selectionEnd()))
        view.insertText(replacement);
}

qint64 replaceAll(TextView &view, const SearchQuery &query, const QString &replacement)
{
    TextModel &model = view.model();
    // The new text is built beside the old, which undo keeps; what is left
    // in the file, in pieces, stays there, and only what is built in memory
    // is held against what is left, as it grows.
    if (!view.mayAdd(model.length() - model.storedLength()))
        return -1;
    qint64 count = 0;
    {
        // A step of its own, so that undo gives back the selection from
        // before it rather than selecting all that it replaced.
        const HistoryStep step(model.history(), view.cursor());
        count = ::replaceAll(model, query, replacement, 0, model.length(),
                             [&view](qint64 built) { return view.mayAdd(built); });
    }
    view.ensureCaretVisible();
    return count;
}

} // namespace FindCommands
