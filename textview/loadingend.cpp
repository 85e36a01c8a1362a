#include "loadingend.h"

#include "text/textcursor.h"
#include "text/textmodel.h"

LoadingEnd::LoadingEnd(const TextModel &model, TextCursor &cursor) : model_(model), cursor_(cursor)
{
}

// Before anything has come, the caret at the start is the start of the file.
bool LoadingEnd::atLoadingEnd() const
{
    return model_.isLoading() && !cursor_.hasSelection() && cursor_.position() > 0 &&
           cursor_.position() == model_.length();
}

bool LoadingEnd::follow(qint64 position, qint64 removed, qint64 added)
{
    const bool appended = removed == 0 && added > 0 && position + added == model_.length();
    if (!model_.isLoading() || !appended || position == 0 || cursor_.hasSelection() ||
        cursor_.position() != position)
        return false;
    cursor_.setPosition(model_.length());
    return true;
}

void LoadingEnd::makeWaitingEdits()
{
    if (waiting_.empty())
        return;
    const qint64 anchor = cursor_.anchor();
    const qint64 position = cursor_.position();
    const bool movedAway = cursor_.hasSelection() || position != model_.length();
    for (const std::function<void()> &edit : std::exchange(waiting_, {})) {
        cursor_.setPosition(model_.length());
        edit();
    }
    if (movedAway)
        cursor_.select(anchor, position);
}
