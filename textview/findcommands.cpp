#include "findcommands.h"

#include "textview.h"

#include "text/replaceall.h"
#include "text/textmodel.h"
#include "text/textnavigation.h"
#include "text/textsearch.h"

namespace FindCommands {

namespace {

// The first (or last) match inside [from, to) that the caret can select
// whole: one that ends before a combining mark, say, would be selected
// without its last letter, and the next search would find it again.
std::optional<TextSearch::Match> selectable(const TextSearch &search, const TextModel &model,
                                            qint64 from, qint64 to, bool forward)
{
    std::optional<TextSearch::Match> match =
        forward ? search.first(from, to) : search.last(from, to);
    const auto whole = [&model](const TextSearch::Match &m) {
        return TextNavigation::snapped(model, m.from) == m.from &&
               TextNavigation::snapped(model, m.to) == m.to;
    };
    while (match && !whole(*match))
        match = forward ? search.first(match->from + 1, to) : search.last(from, match->to - 1);
    return match;
}

} // namespace

Outcome find(TextView &view, const SearchQuery &query, bool forward)
{
    const TextModel &model = view.model();
    const TextSearch search(model, query);
    const qint64 length = model.length();
    const qint64 overlap = std::max<qint64>(search.length() - 1, 0);
    std::optional<TextSearch::Match> match;
    Outcome outcome = Outcome::Found;
    if (forward) {
        const qint64 from = view.cursor().selectionEnd();
        match = selectable(search, model, from, length, true);
        if (!match) {
            match = selectable(search, model, 0, std::min(length, from + overlap), true);
            outcome = Outcome::FoundAfterWrap;
        }
    } else {
        const qint64 to = view.cursor().selectionStart();
        match = selectable(search, model, 0, to, false);
        if (!match) {
            match = selectable(search, model, std::max<qint64>(0, to - overlap), length, false);
            outcome = Outcome::FoundAfterWrap;
        }
    }
    if (!match)
        return Outcome::NotFound;
    view.select(match->from, match->to);
    return outcome;
}

Outcome replace(TextView &view, const SearchQuery &query, const QString &replacement)
{
    const TextCursor &cursor = view.cursor();
    if (cursor.hasSelection() &&
        TextSearch(view.model(), query).isMatch(cursor.selectionStart(), cursor.selectionEnd()))
        view.insertText(replacement);
    return find(view, query, true);
}

qint64 replaceAll(TextView &view, const SearchQuery &query, const QString &replacement)
{
    TextModel &model = view.model();
    // The new text is built beside the old, which undo keeps.
    if (!view.mayAdd(model.length()))
        return -1;
    const qint64 count = ::replaceAll(model, query, replacement, 0, model.length());
    view.ensureCaretVisible();
    return count;
}

} // namespace FindCommands
