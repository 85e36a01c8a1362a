#pragma once

#include "textcursor.h"
#include "texthistory.h"

/// Makes every edit of a model while it lives one step of the model's
/// history, with the cursor's selection from before and after them.
class HistoryStep
{
public:
    HistoryStep(TextHistory &history, const TextCursor &cursor,
                TextHistory::Kind kind = TextHistory::Kind::Other, QStringView typed = {})
        : history_(history), cursor_(cursor)
    {
        history_.beginStep(kind, selectionOf(cursor), typed);
    }
    ~HistoryStep() { history_.endStep(selectionOf(cursor_)); }
    HistoryStep(const HistoryStep &) = delete;
    HistoryStep &operator=(const HistoryStep &) = delete;

    static TextHistory::Selection selectionOf(const TextCursor &cursor)
    {
        return {cursor.anchor(), cursor.position()};
    }

private:
    TextHistory &history_;
    const TextCursor &cursor_;
};
